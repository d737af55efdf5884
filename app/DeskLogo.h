#pragma once

#include <QWidget>

// The maker's name in the top bar: its two parts in red and green, each over
// a black copy two pixels to the right and below, then a short black suffix.
// The whole logo is a link (hand cursor, Clicked).
class DeskLogo : public QWidget
{
    Q_OBJECT
public:
    explicit DeskLogo(QWidget* parent = nullptr);

    QSize sizeHint() const override;
Q_SIGNALS:
    // Left button released over the logo.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
