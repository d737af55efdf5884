#include "MainWindowRig.h"
#include "TDigit.h"
#include "TFormMonitor2.h"
#include "TImage.h"

#include <gtest/gtest.h>

TEST(Spectator, LanesMirrorIntoTheirOwnRowsWhileHidden)
{
    MainWindowRig rig;
    TFormMonitor2& monitor = *rig.form->FormMonitor2();
    ASSERT_FALSE(monitor.isVisible());
    QLabel* labMin = monitor.findChild<QLabel*>("LabMin");
    QLabel* labMin2 = monitor.findChild<QLabel*>("LabMin2");
    ASSERT_TRUE(labMin && labMin2);

    rig.Start();
    rig.clock.Advance(1000);
    rig.Start();
    rig.clock.Advance(64000);
    rig.form->Widgets().FrameT2->ClockTimer(); // lane 2 at 1:04.00
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit4a")->Value(), 1);
    EXPECT_EQ(LabelColor(labMin2), TFrame1::OnColor);
    EXPECT_EQ(LabelColor(labMin), TFrame1::DimColor) << "lane 2 never colours the upper row's point";
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit4")->Value(), 0);

    rig.Stop(); // lane 1 after 1:05.00
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit4")->Value(), 1);
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit6")->Value(), 5);
    EXPECT_EQ(LabelColor(labMin), TFrame1::OnColor);
}

TEST(Spectator, StartNumberCaptionsFollowTheLanesWhileHidden)
{
    MainWindowRig rig;
    TFormMonitor2& monitor = *rig.form->FormMonitor2();
    rig.form->Widgets().FrameT1->editStartN2->setValue(7);
    EXPECT_EQ(monitor.LabNext1->text(), "Bereit: 7 ");
    rig.Start();
    rig.clock.Advance(1000);
    rig.Stop();
    rig.Reset();
    EXPECT_EQ(monitor.LabStart1->text(), " Start-Nr.:7");
    EXPECT_EQ(monitor.LabNext1->text(), "Bereit: 9 ");
}

TEST(Spectator, CtrlMAndTheSwitchPicturesShowAndHideTheWindow)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.show();
    f.Widgets().Modus1->trigger();
    EXPECT_TRUE(f.FormMonitor2()->isVisible());
    EXPECT_TRUE(f.Widgets().ImageTVEin->isVisible());
    f.Widgets().Modus1->trigger();
    EXPECT_FALSE(f.FormMonitor2()->isVisible());
    EXPECT_FALSE(f.Widgets().ImageTVEin->isVisible());

    f.ImageTVAusClick();
    EXPECT_TRUE(f.FormMonitor2()->isVisible());
    f.ImageTVEinClick();
    EXPECT_FALSE(f.FormMonitor2()->isVisible());
}

TEST(Spectator, RundenModeShowsTheBestTimeInTheLowerRow)
{
    TAppSettings runden;
    runden.Runden = true;
    MainWindowRig rig(runden);
    TFormMonitor2& monitor = *rig.form->FormMonitor2();
    rig.Start();
    rig.clock.Advance(12340);
    rig.Stop();
    rig.form->Widgets().Modus1->trigger();
    EXPECT_EQ(monitor.LabStart2->text(), "Best:");
    EXPECT_EQ(monitor.LabNext2->text(), "");
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit5a")->Value(), 1);
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit6a")->Value(), 2);
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit7a")->Value(), 3);

    rig.form->Runs()->SetRundenMode(false);
    EXPECT_EQ(monitor.LabStart2->text(), " Start-Nr.:2");
    EXPECT_EQ(monitor.LabNext2->text(), "Bereit: 4 ");
    EXPECT_EQ(monitor.findChild<TDigit*>("Digit6a")->Value(), 0) << "lane 2 cleared on the window too";
}
