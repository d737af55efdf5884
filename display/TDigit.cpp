#include "TDigit.h"

#include <QPainter>

TDigit::TDigit(QWidget* parent)
    : QWidget(parent)
{
    // The digit paints every pixel of its rectangle, so the parent need not
    // erase beneath it; this keeps the 10 ms refresh to one digit's pixels.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(16, 32);
    SetSeparation(1);
    SetThickness(2);
}

void TDigit::SetValue(int value)
{
    if (value == value_)
        return;
    if (value < 0 || value > 9) {
        value_ = 0;
        Q_EMIT Overflowed();
    } else {
        value_ = value;
    }
    valueBinary_ = SegmentTable[std::size_t(value_)];
    update();
}

void TDigit::SetValueBinary(std::uint8_t bits)
{
    if (bits == valueBinary_)
        return;
    valueBinary_ = bits;
    update();
}

void TDigit::SetColorOn(TColor color)
{
    if (color == colorOn_)
        return;
    colorOn_ = color;
    update();
}

void TDigit::SetColorOff(TColor color)
{
    if (color == colorOff_)
        return;
    colorOff_ = color;
    update();
}

void TDigit::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

void TDigit::SetThickness(int thickness)
{
    // Checked against the size of this moment only; a later resize keeps it.
    if (thickness > width() / 2 || thickness > height() / 2)
        return;
    thickness_ = thickness;
    update();
}

void TDigit::SetSeparation(int separation)
{
    separation_ = separation;
    update();
}

std::array<QPolygon, 8> TDigit::SegmentPolygons() const
{
    const int W = width() - 1;
    const int H = height() - 1;
    const int t = thickness_;
    const int s = separation_;
    const int m = H / 2;

    auto horizontal = [&](int y0) {
        return QPolygon({QPoint(s + t, y0 + t), QPoint(s + 2 * t, y0), QPoint(W - 2 * t - s, y0),
                         QPoint(W - t - s, y0 + t), QPoint(W - 2 * t - s, y0 + 2 * t),
                         QPoint(s + 2 * t, y0 + 2 * t)});
    };
    auto vertical = [&](int x0, int y0) {
        return QPolygon({QPoint(x0, y0 + 2 * t + s), QPoint(x0 + t, y0 + t + s),
                         QPoint(x0 + 2 * t, y0 + 2 * t + s), QPoint(x0 + 2 * t, y0 + m - t - s),
                         QPoint(x0 + t, y0 + m - s), QPoint(x0, y0 + m - t - s)});
    };
    const int right = W - 2 * t;
    const int lower = m - t;
    return {horizontal(0),
            horizontal(m - t),
            horizontal(H - 2 * t),
            vertical(0, 0),
            vertical(right, 0),
            vertical(0, lower),
            vertical(right, lower),
            QPolygon({QPoint(W, H), QPoint(W - 2 * t + s, H), QPoint(W, H - 2 * t + s)})};
}

void TDigit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor background = ToQColor(color_);
    painter.fillRect(rect(), background);
    painter.setPen(QPen(background, 0));

    const QColor on = ToQColor(colorOn_);
    const QColor off = ToQColor(colorOff_);
    const auto polygons = SegmentPolygons();
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        const bool lit = valueBinary_ & (1u << i);
        painter.setBrush(lit ? on : off);
        painter.drawPolygon(polygons[i]);
    }
}
