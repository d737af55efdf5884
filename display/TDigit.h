#pragma once

#include "TColor.h"

#include <QPolygon>
#include <QWidget>
#include <array>
#include <cstdint>

// One seven-segment digit with a decimal point, drawn as filled polygons
// scaled to the control's size. It is driven either by a number 0..9
// (Value) or by a segment bit set (ValueBinary). A change is drawn with the
// window's next paint, after the event loop has run: every digit changed in
// one pass of the loop (a lane's 10 ms tick) is drawn in one update of the
// window, not one round trip to the display server each.
class TDigit : public QWidget
{
    Q_OBJECT
public:
    // Segment bits of ValueBinary.
    enum Segment : std::uint8_t {
        SegTop = 0x01,
        SegMiddle = 0x02,
        SegBottom = 0x04,
        SegUpperLeft = 0x08,
        SegUpperRight = 0x10,
        SegLowerLeft = 0x20,
        SegLowerRight = 0x40,
        SegPoint = 0x80,
    };
    static constexpr std::array<std::uint8_t, 10> SegmentTable{0x7D, 0x50, 0x37, 0x57, 0x5A,
                                                                0x4F, 0x6F, 0x51, 0x7F, 0x5F};

    explicit TDigit(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    std::uint8_t ValueBinary() const { return valueBinary_; }
    void SetValueBinary(std::uint8_t bits);

    TColor ColorOn() const { return colorOn_; }
    void SetColorOn(TColor color);
    TColor ColorOff() const { return colorOff_; }
    void SetColorOff(TColor color);
    // Background and segment outline.
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    int Thickness() const { return thickness_; }
    void SetThickness(int thickness);
    int Separation() const { return separation_; }
    void SetSeparation(int separation);

    // The eight polygons (top, middle, bottom, upper-left, upper-right,
    // lower-left, lower-right, point) for the current size and thickness.
    std::array<QPolygon, 8> SegmentPolygons() const;

Q_SIGNALS:
    // Value was set outside 0..9; the digit then shows 0.
    void Overflowed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
    std::uint8_t valueBinary_ = SegmentTable[0];
    TColor colorOn_ = clYellow;
    TColor colorOff_ = clBlack;
    TColor color_ = clBlack;
    int thickness_ = 2;
    int separation_ = 1;
};
