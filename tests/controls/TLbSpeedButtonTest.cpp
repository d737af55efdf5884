#include "TImage.h"
#include "TLbSpeedButton.h"

#include <QPainter>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

TEST(TLbSpeedButton, MouseDownRunsBeforeTheButtonShowsPressed)
{
    TLbSpeedButton button;
    button.resize(110, 40);
    bool downWhenCalled = true;
    Qt::MouseButton pressed = Qt::NoButton;
    QObject::connect(&button, &TLbSpeedButton::MouseDown, &button, [&](Qt::MouseButton which) {
        downWhenCalled = button.Down();
        pressed = which;
    });
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_FALSE(downWhenCalled);
    EXPECT_EQ(pressed, Qt::LeftButton);
    EXPECT_TRUE(button.Down());
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_FALSE(button.Down());

    QTest::mousePress(&button, Qt::RightButton);
    EXPECT_EQ(pressed, Qt::RightButton);
    EXPECT_FALSE(button.Down()) << "only the left button presses the face";
}

TEST(TLbSpeedButton, ClickNeedsALeftReleaseOverTheButton)
{
    TLbSpeedButton button;
    button.resize(110, 30);
    int clicks = 0;
    QObject::connect(&button, &TLbSpeedButton::Clicked, &button, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(clicks, 1) << "released outside";
    QTest::mouseClick(&button, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

namespace {

const QColor ParentColor(0x12, 0x34, 0x56);

QFont ArialBold(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// A run button as the desk shows bSTART, on a parent of a colour of its own.
struct ButtonOnParent
{
    explicit ButtonOnParent(TColor hotTrack = 0x00C000)
    {
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, ParentColor);
        parent.setPalette(palette);
        parent.resize(130, 60);
        button = new TLbSpeedButton(&parent);
        button->setGeometry(10, 10, 110, 40);
        button->SetAlignment(Qt::AlignHCenter);
        button->SetCaption(QStringLiteral("START 1"));
        button->SetColor(clGreen);
        button->SetColorWhenDown(0x80FF80);
        button->SetHotTrackColor(hotTrack);
        button->SetLightColor(0xC0FFC0);
        button->SetShadowColor(0x00C000);
        button->setFont(ArialBold(19));
        button->SetFontColor(clWhite);
        button->SetHotTrackFont(ArialBold(21), clYellow);
        button->SetUseHotTrackFont(true);
        parent.show();
    }
    QImage Shot() { return parent.grab(button->geometry()).toImage(); }
    void Enter()
    {
        QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
        QCoreApplication::sendEvent(button, &enter);
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }

    QWidget parent;
    TLbSpeedButton* button;
};

// The bounding box of the pixels in exactly this colour.
QRect Ink(const QImage& image, const QColor& color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool Near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

} // namespace

TEST(TLbSpeedButton, HoverTurnsTheFaceToTheHotTrackColourAndTheCaptionYellowAndLarger)
{
    ButtonOnParent b;
    const QImage idle = b.Shot();
    EXPECT_EQ(idle.pixelColor(1, 20), QColor(0x00, 0x80, 0x00)) << "inner border in the face colour";
    const QRect white = Ink(idle, Qt::white);
    ASSERT_FALSE(white.isEmpty());

    b.Enter();
    EXPECT_TRUE(b.button->Hovered());
    const QImage hot = b.Shot();
    EXPECT_EQ(hot.pixelColor(1, 20), QColor(0x00, 0xC0, 0x00));
    EXPECT_TRUE(Near(hot.pixelColor(55, 10), QColor(0x00, 0xC0, 0x00)));
    const QRect yellow = Ink(hot, Qt::yellow);
    EXPECT_TRUE(Ink(hot, Qt::white).isEmpty());
    EXPECT_GT(yellow.width(), white.width()) << "21 px against 19 px";

    b.Leave();
    EXPECT_EQ(b.Shot(), idle);
}

TEST(TLbSpeedButton, PressedShowsTheDownColourAndMovesTheCaptionOnePixel)
{
    ButtonOnParent b;
    const QRect idleInk = Ink(b.Shot(), Qt::white);
    bool drawnPressedWhenCalled = true;
    QObject::connect(b.button, &TLbSpeedButton::MouseDown, b.button, [&] { drawnPressedWhenCalled = b.button->Down(); });
    QTest::mousePress(b.button, Qt::LeftButton, {}, QPoint(55, 20));
    EXPECT_FALSE(drawnPressedWhenCalled);
    const QImage pressed = b.Shot();
    EXPECT_TRUE(Near(pressed.pixelColor(55, 40 / 4 + 1), QColor(0x80, 0xFF, 0x80)));
    EXPECT_EQ(pressed.pixelColor(1, 20), QColor(0x00, 0xC0, 0x00)) << "inner border in the shadow colour";
    EXPECT_EQ(Ink(pressed, Qt::white), idleInk.translated(1, 1));
}

TEST(TLbSpeedButton, DisabledButtonDrawsAGreyCaptionAndIgnoresThePointer)
{
    ButtonOnParent b;
    int downs = 0;
    QObject::connect(b.button, &TLbSpeedButton::MouseDown, b.button, [&] { ++downs; });
    b.button->setEnabled(false);
    b.button->SetColor(clBtnFace);
    b.button->SetLightColor(clBtnShadow);
    b.button->SetShadowColor(clNone);
    b.Enter();
    QTest::mousePress(b.button, Qt::LeftButton);
    EXPECT_EQ(downs, 0);
    EXPECT_FALSE(b.button->Hovered());
    const QImage image = b.Shot();
    EXPECT_FALSE(Ink(image, QColor(0x80, 0x80, 0x80)).isEmpty());
    EXPECT_TRUE(Ink(image, Qt::white).isEmpty());
    EXPECT_TRUE(Ink(image, Qt::yellow).isEmpty());
    EXPECT_EQ(image.pixelColor(1, 20), ToQColor(clBtnFace));
}

TEST(TLbSpeedButton, WithoutAHotTrackColourHoverChangesOnlyTheFont)
{
    ButtonOnParent b(clNone);
    b.Enter();
    const QImage hot = b.Shot();
    EXPECT_EQ(hot.pixelColor(1, 20), QColor(0x00, 0x80, 0x00));
    EXPECT_FALSE(Ink(hot, Qt::yellow).isEmpty());
}

TEST(TLbSpeedButton, ACaptionTooWideIsCutFromTheEnd)
{
    const QString longCaption = QStringLiteral("START 1 Bahn links");
    ButtonOnParent cut;
    cut.button->SetAlignment(Qt::AlignLeft);
    cut.button->SetCaption(longCaption);
    const QFontMetrics metrics(ArialBold(19));
    QString fitted = longCaption;
    while (metrics.horizontalAdvance(fitted) > 110 - 8)
        fitted.chop(1);
    ASSERT_LT(fitted.size(), longCaption.size());
    ButtonOnParent expected;
    expected.button->SetAlignment(Qt::AlignLeft);
    expected.button->SetCaption(fitted);
    EXPECT_EQ(cut.Shot(), expected.Shot());
}

TEST(TLbSpeedButton, TheCornersOutsideTheRoundedBorderShowTheParent)
{
    ButtonOnParent b;
    const QImage image = b.Shot();
    for (const QPoint corner : {QPoint(0, 0), QPoint(109, 0), QPoint(0, 39), QPoint(109, 39)})
        EXPECT_EQ(image.pixelColor(corner), ParentColor) << corner.x() << "," << corner.y();
    EXPECT_EQ(image.pixelColor(55, 0), QColor(0x00, 0xC0, 0x00)) << "the border itself in the shadow colour";
}

TEST(TLbSpeedButton, APictureButtonShowsTheCellOfItsStateOverTheParent)
{
    // Four 10 x 10 cells in their own colours, each with a border in the
    // strip's bottom-left colour, which is transparent.
    const QColor key(0xFF, 0x00, 0xFF), cells[4] = {Qt::red, Qt::green, Qt::blue, Qt::cyan};
    QPixmap strip(40, 10);
    strip.fill(key);
    {
        QPainter painter(&strip);
        for (int i = 0; i < 4; ++i)
            painter.fillRect(i * 10 + 2, 2, 6, 6, cells[i]);
    }
    ButtonOnParent b;
    b.button->SetCaption(QString());
    b.button->SetStyle(TLbSpeedButtonStyle::bsShape);
    b.button->setGeometry(10, 10, 38, 40);
    b.button->SetGlyph(strip);
    b.button->SetNumGlyphs(4);
    const QPoint centre((38 - 10) / 2 + 5, (40 - 10) / 2 + 5), border((38 - 10) / 2, (40 - 10) / 2);

    EXPECT_EQ(b.Shot().pixelColor(centre), cells[0]);
    EXPECT_EQ(b.Shot().pixelColor(border), ParentColor);
    EXPECT_EQ(b.Shot().pixelColor(1, 1), ParentColor);
    b.Enter();
    EXPECT_EQ(b.Shot().pixelColor(centre), cells[3]);
    QTest::mousePress(b.button, Qt::LeftButton);
    EXPECT_EQ(b.Shot().pixelColor(centre), cells[2]) << "pressed wins over hovered, without offset";
    QTest::mouseRelease(b.button, Qt::LeftButton);
    b.button->setEnabled(false);
    EXPECT_EQ(b.Shot().pixelColor(centre), cells[1]);
}

TEST(TImage, ReportsLeftClicksAndKeepsItsTag)
{
    TImage image;
    image.resize(22, 22);
    int clicks = 0;
    QObject::connect(&image, &TImage::Clicked, &image, [&] {
        image.SetTag(1 - image.Tag());
        ++clicks;
    });
    QTest::mouseClick(&image, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(image.Tag(), 1);
    QTest::mouseClick(&image, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}
