#pragma once

#include <QLabel>

// A picture that reports clicks and carries a small integer state (the
// "tag") that its owner uses to remember which picture it shows.
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

Q_SIGNALS:
    // Left button released over the picture.
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int tag_ = 0;
};
