#pragma once

#include <QLabel>
#include <functional>

// A picture that reports clicks and carries a small integer state (the
// "tag") that its owner uses to remember which picture it shows.
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    std::function<void(TImage* sender)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int tag_ = 0;
};
