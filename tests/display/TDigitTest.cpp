#include "TDigit.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QColor Pixel(TDigit& digit, int x, int y)
{
    return digit.grab().toImage().pixelColor(x, y);
}

// A digit of the lane frame: 45 x 89, thickness 5, separation 1.
void MakeLaneDigit(TDigit& digit)
{
    digit.resize(45, 89);
    digit.SetThickness(5);
    digit.SetSeparation(1);
}

// Counts paint events, so the tests can tell an immediate repaint from none.
class CountingDigit : public TDigit
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        ++paints;
        TDigit::paintEvent(e);
    }
};

} // namespace

TEST(TDigit, NewDigitShowsYellowZeroOnBlackAt16x32)
{
    TDigit digit;
    EXPECT_EQ(digit.width(), 16);
    EXPECT_EQ(digit.height(), 32);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 0x7D);
    EXPECT_EQ(digit.ColorOn(), clYellow);
    EXPECT_EQ(digit.ColorOff(), clBlack);
    EXPECT_EQ(digit.Thickness(), 2);
    EXPECT_EQ(digit.Separation(), 1);
}

TEST(TDigit, PolygonsOfTheLaneDigitFollowTheGeometry)
{
    TDigit digit;
    MakeLaneDigit(digit);
    const auto p = digit.SegmentPolygons();
    auto poly = [](std::initializer_list<QPoint> pts) { return QPolygon(QList<QPoint>(pts)); };
    EXPECT_EQ(p[0], poly({{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}}));
    EXPECT_EQ(p[1], poly({{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}}));
    EXPECT_EQ(p[2], poly({{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}}));
    EXPECT_EQ(p[3], poly({{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}}));
    EXPECT_EQ(p[4], poly({{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}}));
    EXPECT_EQ(p[5], poly({{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}}));
    EXPECT_EQ(p[6], poly({{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}}));
    EXPECT_EQ(p[7], poly({{44, 88}, {35, 88}, {44, 79}}));
}

TEST(TDigit, RendersLitSegmentsInColorOnAndUnlitInColorOff)
{
    TDigit digit;
    MakeLaneDigit(digit);
    digit.SetColorOff(clDarkGrey);
    digit.SetValue(1); // upper-right and lower-right only

    EXPECT_EQ(Pixel(digit, 39, 25), QColor(255, 255, 0)) << "upper-right bar lit";
    EXPECT_EQ(Pixel(digit, 39, 60), QColor(255, 255, 0)) << "lower-right bar lit";
    EXPECT_EQ(Pixel(digit, 22, 5), QColor(0x40, 0x40, 0x40)) << "top bar unlit";
    EXPECT_EQ(Pixel(digit, 5, 25), QColor(0x40, 0x40, 0x40)) << "upper-left bar unlit";
    EXPECT_EQ(Pixel(digit, 22, 25), QColor(0, 0, 0)) << "background between bars";
    EXPECT_EQ(Pixel(digit, 22, 0), QColor(0, 0, 0)) << "outline shows the background";
}

TEST(TDigit, UnlitSegmentsVanishWhenColorOffEqualsBackground)
{
    TDigit digit;
    MakeLaneDigit(digit);
    digit.SetValueBinary(0);
    const QImage image = digit.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixelColor(x, y), QColor(0, 0, 0)) << x << "," << y;
}

TEST(TDigit, PointAndFullPatternFromValueBinary)
{
    TDigit digit;
    MakeLaneDigit(digit);
    digit.SetValueBinary(0x80);
    EXPECT_EQ(Pixel(digit, 42, 86), QColor(255, 255, 0)) << "point lit";
    EXPECT_EQ(Pixel(digit, 22, 44), QColor(0, 0, 0)) << "middle bar dark";
    digit.SetValueBinary(0xFF);
    EXPECT_EQ(Pixel(digit, 42, 86), QColor(255, 255, 0));
    EXPECT_EQ(Pixel(digit, 22, 44), QColor(255, 255, 0)) << "8 with the point";
}

TEST(TDigit, ValueOutsideRangeShowsZeroAndReportsOverflowOnce)
{
    TDigit digit;
    int overflows = 0;
    QObject::connect(&digit, &TDigit::Overflowed, &digit, [&] { ++overflows; });
    digit.SetValue(5);
    digit.SetValue(10);
    EXPECT_EQ(overflows, 1);
    EXPECT_EQ(digit.Value(), 0);
    EXPECT_EQ(digit.ValueBinary(), 0x7D);

    digit.SetValue(5);
    digit.SetValue(-1);
    EXPECT_EQ(overflows, 2);
    EXPECT_EQ(digit.Value(), 0);
}

TEST(TDigit, OverflowHandlerMaySetTheValueItself)
{
    TDigit digit;
    digit.SetValue(3);
    QObject::connect(&digit, &TDigit::Overflowed, &digit, [&digit] { digit.SetValue(9); });
    digit.SetValue(42);
    // The table entry is taken from the value held after the handler ran.
    EXPECT_EQ(digit.Value(), 9);
    EXPECT_EQ(digit.ValueBinary(), TDigit::SegmentTable[9]);
}

TEST(TDigit, UnchangedValueNeitherRepaintsNorFiresAndKeepsABlankPattern)
{
    CountingDigit digit;
    digit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&digit));
    digit.SetValue(7);
    digit.SetValueBinary(0);
    QCoreApplication::processEvents();
    const int paints = digit.paints;
    int overflows = 0;
    QObject::connect(&digit, &TDigit::Overflowed, &digit, [&] { ++overflows; });

    digit.SetValue(7);
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints);
    EXPECT_EQ(digit.ValueBinary(), 0) << "same value leaves the blank pattern";
    EXPECT_EQ(overflows, 0);

    digit.SetValue(6);
    EXPECT_EQ(digit.ValueBinary(), TDigit::SegmentTable[6]);
    EXPECT_EQ(digit.paints, paints) << "drawn with the window's next paint, not inside the setter";
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints + 1) << "a changed value paints once the event loop runs";
}

TEST(TDigit, ColourChangesPaintWithTheNextPassAndOnlyWhenChanged)
{
    CountingDigit digit;
    digit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&digit));
    QCoreApplication::processEvents();
    const int paints = digit.paints;
    digit.SetColorOn(clYellow);
    digit.SetColorOff(clBlack);
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints);
    digit.SetColorOn(clDarkGrey);
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints + 1);
    digit.SetColorOff(clRed);
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints + 2);
    digit.SetColorOn(clYellow);
    digit.SetColorOff(clBlack);
    QCoreApplication::processEvents();
    EXPECT_EQ(digit.paints, paints + 3) << "changes in one pass paint once";
}

TEST(TDigit, ValueBinaryIsIndependentOfValue)
{
    TDigit digit;
    digit.SetValue(4);
    digit.SetValueBinary(0x12);
    EXPECT_EQ(digit.Value(), 4);
    EXPECT_EQ(digit.ValueBinary(), 0x12);
}

TEST(TDigit, ThicknessMustFitHalfTheSizeOfThisMoment)
{
    TDigit digit;
    digit.resize(45, 89);
    digit.SetThickness(23);
    EXPECT_EQ(digit.Thickness(), 2) << "45 div 2 = 22";
    digit.SetThickness(22);
    EXPECT_EQ(digit.Thickness(), 22);

    digit.resize(10, 10);
    EXPECT_EQ(digit.Thickness(), 22) << "a later resize does not re-check";
    digit.SetThickness(6);
    EXPECT_EQ(digit.Thickness(), 22);
    digit.SetThickness(5);
    EXPECT_EQ(digit.Thickness(), 5);
}
