#include "MainWindowRig.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Enabled flags of START, STOPP, reset and accident, e.g. "SsRa" = START and
// reset enabled (capital), STOPP and accident disabled.
QString Gates(const MainWindowRig& rig)
{
    auto g = [](bool on, char c) { return QChar(on ? QChar(c).toUpper() : QChar(c)); };
    const TFormMain& f = *rig.form;
    return QString() + g(f.Widgets().mStart->isEnabled(), 's') + g(f.Widgets().mStop->isEnabled(), 'p') +
           g(f.Widgets().mReset->isEnabled(), 'r') + g(f.Widgets().mAvaria->isEnabled(), 'a');
}

QString Captions(const MainWindowRig& rig)
{
    return rig.form->Widgets().bSTART->Caption() + "/" + rig.form->Widgets().bSTOP->Caption();
}

} // namespace

TEST(RunControl, TwoLaneSequenceFromProgramStart)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    EXPECT_EQ(Gates(rig), "Spra");
    EXPECT_EQ(Captions(rig), "START 1/STOPP 1");
    EXPECT_FALSE(f.Widgets().bSTOP->isEnabled());
    EXPECT_FALSE(f.Widgets().bRESET->isEnabled());

    rig.Start(); // lane 1, car 1
    EXPECT_TRUE(f.Widgets().FrameT1->Running());
    EXPECT_EQ(Captions(rig), "START 2/STOPP 1");
    EXPECT_EQ(Gates(rig), "SPra");
    EXPECT_EQ(rig.RowOf("1"), "1|9:05.03,07||||");

    rig.clock.Advance(1000);
    rig.Start(); // lane 2, car 2
    EXPECT_TRUE(f.Widgets().FrameT2->Running());
    EXPECT_EQ(Captions(rig), "START 1/STOPP 1");
    // The appended row made the grid select row 1, which offers the accident command.
    EXPECT_EQ(Gates(rig), "sPrA") << "two cars on the track: no further START";
    EXPECT_FALSE(f.Widgets().bSTART->isEnabled());

    rig.clock.Advance(44120);
    rig.Stop(); // lane 1 after 45.12 s
    EXPECT_FALSE(f.Widgets().FrameT1->Running());
    EXPECT_TRUE(f.Widgets().FrameT2->Running());
    EXPECT_EQ(Captions(rig), "START 1/STOPP 2");
    EXPECT_EQ(Gates(rig), "SPRA");
    EXPECT_EQ(rig.RowOf("1"), "1|9:05.03,07|9:05.48,19|45,12|79,8|1");

    rig.Reset(); // lane 1 moves on; lane 2 keeps running
    EXPECT_EQ(f.Widgets().FrameT1->editStartN1->value(), 3);
    EXPECT_EQ(f.Widgets().FrameT1->editStartN2->value(), 5);
    EXPECT_TRUE(f.Widgets().FrameT2->Running());
    EXPECT_EQ(f.Widgets().FrameT2->editStartN1->value(), 2);
    EXPECT_EQ(Gates(rig), "SPrA");

    rig.clock.Advance(1000);
    rig.Start(); // lane 1, car 3
    EXPECT_EQ(Gates(rig), "sPrA");
    EXPECT_EQ(rig.RowOf("3").section('|', 0, 1), "3|9:05.49,19");

    rig.clock.Advance(3000);
    rig.Stop(); // lane 2 after 48.12 s
    EXPECT_EQ(rig.RowOf("2").section('|', 3), "48,12|74,8|2");
    EXPECT_EQ(Captions(rig), "START 2/STOPP 1");
    EXPECT_EQ(Gates(rig), "SPRA");
    EXPECT_EQ(rig.grid().Row(), rig.grid().FindRow(0, "2", false)) << "the stopped lane's row is selected";
}

TEST(RunControl, DisabledCommandsDoNothing)
{
    MainWindowRig rig;
    rig.Stop();
    EXPECT_EQ(rig.form->Runs()->StopLane(), 0) << "STOPP with no lane running";
    rig.Start();
    rig.Start();
    rig.Start(); // a third START without a STOPP
    EXPECT_EQ(rig.form->Runs()->StartLane(), 2);
    EXPECT_EQ(rig.grid().RowCount(), 3);
    rig.Reset();
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
}

TEST(RunControl, StrictRotationAfterOneCompleteRun)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(5000);
    rig.Stop();
    rig.Start();
    EXPECT_TRUE(rig.form->Widgets().FrameT2->Running()) << "the next START goes to lane 2";
    EXPECT_FALSE(rig.form->Widgets().FrameT1->Running());
    rig.clock.Advance(5000);
    rig.Stop();
    EXPECT_FALSE(rig.form->Widgets().FrameT2->Running());
}

TEST(RunControl, AccidentVoidsStartedAndFinishedRows)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(5120);
    rig.Stop();
    rig.Start(); // car 2 on lane 2
    rig.grid().JumpToCell(0, rig.grid().FindRow(0, "2", false), true);
    EXPECT_TRUE(rig.form->Widgets().mAvaria->isEnabled()) << "selecting a row enables the accident command";
    rig.Accident();
    EXPECT_EQ(rig.RowOf("2"), "2|-||||");
    EXPECT_FALSE(rig.form->Widgets().mAvaria->isEnabled());

    rig.grid().JumpToCell(0, rig.grid().FindRow(0, "1", false), true);
    rig.Accident();
    EXPECT_EQ(rig.RowOf("1"), "1|-|-|-|-|-");
    rig.grid().JumpToCell(0, rig.grid().FindRow(0, "1", false), true);
    EXPECT_FALSE(rig.form->Widgets().mAvaria->isEnabled()) << "a voided row cannot be voided again";

    rig.clock.Advance(1000);
    rig.Stop(); // the car whose start was voided still finishes
    EXPECT_TRUE(rig.form->Widgets().FrameT2->ShowsResult());
    EXPECT_EQ(rig.RowOf("2").section('|', 1, 3), "-|9:05.09,19|1,00");
}

TEST(RunControl, RestartWithoutResetReusesTheRowUnlessManyStart)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(5000);
    rig.Stop();
    rig.Start(); // lane 2, car 2
    rig.clock.Advance(1000);
    rig.Stop();
    rig.Start(); // lane 1 again, still car 1: its old result is discarded
    EXPECT_EQ(rig.grid().RowCount(), 3);
    EXPECT_EQ(rig.RowOf("1").section('|', 2), "|||") << "Stopp, Zeit, km/h and Platz emptied";

    TAppSettings many;
    many.ManyStart = true;
    MainWindowRig rig2(many);
    rig2.Start();
    rig2.clock.Advance(5000);
    rig2.Stop();
    rig2.Start();
    rig2.clock.Advance(1000);
    rig2.Stop();
    rig2.Start(); // car 1 again gets a row of its own
    EXPECT_EQ(rig2.grid().RowCount(), 4);
    rig2.clock.Advance(4000);
    rig2.Stop();
    EXPECT_EQ(rig2.grid().Rows(1).join('|'), "2|9:05.08,07|9:05.09,07|1,00|3600,0|1");
    EXPECT_EQ(rig2.grid().Rows(2).join('|').section('|', 3), "4,00|900,0|2");
    EXPECT_EQ(rig2.grid().Rows(3).join('|').section('|', 3), "5,00|720,0|3") << "car 1's first run kept";
}

TEST(RunControl, SoundsPlayAfterTheTimeStamp)
{
    MainWindowRig rig;
    QList<int> tickReadsAtPlay;
    // Start-up reads the tick too (the journal's first line).
    const int readsBefore = rig.clock.tickReads;
    rig.sound.onPlay = [&](const QString&) { tickReadsAtPlay.append(rig.clock.tickReads - readsBefore); };
    rig.Start();
    EXPECT_EQ(rig.sound.played, QStringList{"start.wav"});
    rig.Stop();
    EXPECT_EQ(rig.sound.played, (QStringList{"start.wav", "stopp.wav"}));
    EXPECT_EQ(tickReadsAtPlay, (QList<int>{1, 2})) << "each sound starts after its lane's time stamp";

    TAppSettings quiet;
    quiet.Sound = false;
    MainWindowRig silent(quiet);
    silent.form->Runs()->SetSoundPaths("start.wav", "stopp.wav");
    silent.Start();
    EXPECT_TRUE(silent.sound.played.isEmpty());
}

TEST(RunControl, RundenModeTimesLaneOneAndShowsTheBestTimeOnLaneTwo)
{
    TAppSettings runden;
    runden.Runden = true;
    MainWindowRig rig(runden);
    TFormMain& f = *rig.form;
    EXPECT_EQ(Captions(rig), "START/STOPP");
    EXPECT_FALSE(f.Widgets().FrameT2->editStartN1->isVisibleTo(&f));
    EXPECT_FALSE(f.Widgets().FrameT2->Label2->isVisibleTo(&f));
    EXPECT_EQ(f.Widgets().FrameT2->Label1->text(), "Best:");
    EXPECT_EQ(f.Widgets().FrameT1->editStartN2->value(), 2);

    rig.Start();
    EXPECT_EQ(Gates(rig), "sPra");
    rig.clock.Advance(65120);
    rig.Stop();
    EXPECT_EQ(Gates(rig), "SpRa");
    EXPECT_FALSE(f.Widgets().FrameT2->Running());
    const auto& best = f.Widgets().FrameT2->Digits.digits;
    EXPECT_EQ(best[1]->Value(), 1);
    EXPECT_EQ(best[3]->Value(), 5);
    EXPECT_EQ(best[4]->Value(), 1);

    rig.Reset();
    EXPECT_EQ(f.Widgets().FrameT1->editStartN1->value(), 2);
    EXPECT_EQ(f.Widgets().FrameT1->editStartN2->value(), 3);
    rig.Start();
    rig.clock.Advance(59990);
    rig.Stop();
    EXPECT_EQ(best[1]->Value(), 0) << "the better run is now the best time";
    EXPECT_EQ(best[2]->Value(), 5);
    EXPECT_EQ(best[3]->Value(), 9);
}

TEST(RunControl, SwitchingBackToTwoLanesClearsLaneTwoAndCaptionsTellTheTruth)
{
    TAppSettings runden;
    runden.Runden = true;
    MainWindowRig rig(runden);
    TFormMain& f = *rig.form;
    rig.Start();
    rig.clock.Advance(5000);
    rig.Stop(); // lane 2 now shows the best time 5,00

    f.Runs()->SetRundenMode(false);
    EXPECT_EQ(f.Widgets().FrameT2->Digits.digits[3]->Value(), 0) << "lane 2 cleared";
    EXPECT_EQ(f.Widgets().FrameT2->editStartN1->value(), 2) << "lane 2 never ran: numbers kept";
    EXPECT_TRUE(f.Widgets().FrameT2->editStartN1->isVisibleTo(&f));
    EXPECT_EQ(f.Widgets().FrameT2->Label1->text(), "Start-Nr.:2");
    // Lane 1 was used last; the next START goes to lane 2 and the caption says so.
    EXPECT_EQ(Captions(rig), "START 2/STOPP 2");
    EXPECT_EQ(f.Widgets().FrameT1->editStartN2->value(), f.Widgets().FrameT1->editStartN1->value() + 2);
    rig.Start();
    EXPECT_TRUE(f.Widgets().FrameT2->Running());

    f.Runs()->SetRundenMode(false); // confirming the settings again
    EXPECT_TRUE(f.Widgets().FrameT2->Running()) << "a running lane is never touched";
    EXPECT_EQ(f.Widgets().FrameT2->editStartN1->value(), 2);
}

TEST(RunControl, KeysAndMouseDownReachTheCommands)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.show();
    QApplication::setActiveWindow(&f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    QTest::keyClick(&f, Qt::Key_F5);
    EXPECT_TRUE(f.Widgets().FrameT1->Running());
    rig.clock.Advance(2000);
    QTest::keyClick(&f, Qt::Key_F9);
    EXPECT_FALSE(f.Widgets().FrameT1->Running());
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "2,00");

    // START acts on the press, before any release.
    QTest::mousePress(f.Widgets().bSTART, Qt::LeftButton);
    EXPECT_TRUE(f.Widgets().FrameT2->Running());
    QTest::mouseRelease(f.Widgets().bSTART, Qt::LeftButton);
    QTest::mousePress(f.Widgets().bSTOP, Qt::RightButton);
    EXPECT_FALSE(f.Widgets().FrameT2->Running()) << "any mouse button";

    QTest::keyClick(&f, Qt::Key_F9);
    EXPECT_EQ(f.Runs()->StopLane(), 2) << "F9 ignored while STOPP is disabled";
}

TEST(RunControl, RemovingEmptyRowsIsNotOfferedWhileALaneRuns)
{
    MainWindowRig rig;
    rig.Start();
    rig.form->PopupMenuProtokolPopup();
    EXPECT_FALSE(rig.form->Widgets().Leerenzeilenentfernen1->isEnabled());
    rig.clock.Advance(1000);
    rig.Stop();
    rig.form->PopupMenuProtokolPopup();
    EXPECT_TRUE(rig.form->Widgets().Leerenzeilenentfernen1->isEnabled());
}

TEST(MainWindow, ZeitTakesTheWidthTheOtherColumnsLeaveAtEverySize)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    auto widths = [&] {
        QList<int> w;
        for (int c = 0; c < 6; ++c)
            w << f.Widgets().SortGrid1->ColWidths(c);
        return w;
    };
    // At least the designed widths; where the font draws the columns' own
    // texts wider, as wide as those need.
    const auto holding = [&f](const char* text, int designed) {
        return std::max(designed, f.Widgets().SortGrid1->ColumnWidthFor(text));
    };
    const QList<int> fixed = {holding("9999", 32), holding("00:00.00,00", 80), holding("00:00.00,00", 80),
                              holding("999,9", 40), holding("9999", 40)};
    EXPECT_EQ(widths().mid(0, 3), fixed.mid(0, 3));
    const int zeit = f.Widgets().SortGrid1->ColWidths(3);
    EXPECT_GT(zeit, 0) << "visible before the first start";
    EXPECT_EQ(zeit, f.Widgets().SortGrid1->ClientWidth() - (fixed[0] + fixed[1] + fixed[2] + fixed[3] + fixed[4]) - 6);

    f.resize(1200, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Widgets().SortGrid1->ColWidths(3), zeit + 1200 - 754) << "Zeit absorbs the change";
    EXPECT_EQ(widths().mid(4), fixed.mid(3));
}
