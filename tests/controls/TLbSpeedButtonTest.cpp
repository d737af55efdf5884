#include "TImage.h"
#include "TLbSpeedButton.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(TLbSpeedButton, MouseDownRunsBeforeTheButtonShowsPressed)
{
    TLbSpeedButton button;
    button.resize(110, 40);
    bool downWhenCalled = true;
    Qt::MouseButton pressed = Qt::NoButton;
    button.OnMouseDown = [&](TLbSpeedButton* b, Qt::MouseButton which) {
        downWhenCalled = b->Down();
        pressed = which;
    };
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
    button.OnClick = [&](TLbSpeedButton*) { ++clicks; };
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(clicks, 1) << "released outside";
    QTest::mouseClick(&button, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

TEST(TLbSpeedButton, DisabledButtonIgnoresThePointerAndDrawsAGreyCaption)
{
    TLbSpeedButton button;
    button.resize(110, 40);
    button.SetCaption("STOPP 1");
    button.SetFontColor(clWhite);
    int downs = 0;
    button.OnMouseDown = [&](TLbSpeedButton*, Qt::MouseButton) { ++downs; };
    button.setEnabled(false);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(downs, 0);

    const QImage image = button.grab().toImage();
    bool grey = false, white = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            grey |= c == QColor(0x80, 0x80, 0x80);
            white |= c == QColor(Qt::white);
        }
    EXPECT_TRUE(grey);
    EXPECT_FALSE(white);
}

TEST(TImage, ReportsLeftClicksAndKeepsItsTag)
{
    TImage image;
    image.resize(22, 22);
    int clicks = 0;
    image.OnClick = [&](TImage* sender) { sender->SetTag(1 - sender->Tag()); ++clicks; };
    QTest::mouseClick(&image, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(image.Tag(), 1);
    QTest::mouseClick(&image, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}
