// The lanes' start numbers across a restart and a mode switch, a START that
// replaces a result, and the order of the steps at exit.
#include "Journal.h"
#include "MainWindowRig.h"
#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "StartNumberBackup.h"
#include "TComThread.h"

#include <QDir>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

// Lane 1's and lane 2's current and next numbers, "1/3 2/4".
QString Numbers(const TFormMain& f)
{
    return QStringLiteral("%1/%2 %3/%4")
        .arg(f.Widgets().FrameT1->editStartN1->value())
        .arg(f.Widgets().FrameT1->editStartN2->value())
        .arg(f.Widgets().FrameT2->editStartN1->value())
        .arg(f.Widgets().FrameT2->editStartN2->value());
}

void TimedRun(MainWindowRig& rig, int ms = 5000)
{
    rig.Start();
    rig.clock.Advance(ms);
    rig.Stop();
}

QString NoticeShown(const MainWindowRig& rig)
{
    return rig.form->Widgets().LabNotice->isVisibleTo(rig.form.get()) ? rig.form->Widgets().LabNotice->text() : QString();
}

QStringList Snapshots(MainWindowRig& rig, const QString& prefix)
{
    return QDir(rig.dir.filePath(QStringLiteral("Journal"))).entryList({prefix + QStringLiteral("*")}, QDir::Files);
}

// A second program on the same folder sees what a kill would leave: the
// files as the last scheduled writes made them.
std::unique_ptr<TFormMain> StartAgain(MainWindowRig& rig)
{
    QCoreApplication::processEvents();
    rig.form->Backup()->WaitForWrites();
    rig.form->StartNumbers()->WaitForWrites();
    return CreateProgramWindows(rig.settings, rig.Seams());
}

} // namespace

TEST(StartNumbers, ARestartGoesOnWhereTheLanesStoodAndNoStartClearsAResult)
{
    MainWindowRig rig;
    TimedRun(rig);   // car 1 on lane 1, showing its result
    rig.Start(); // car 2 on lane 2, running at the kill
    std::unique_ptr<TFormMain> again = StartAgain(rig);
    EXPECT_EQ(Numbers(*again), "3/5 2/4") << "lane 1 showed car 1's result: it moves on as its reset would";
    EXPECT_EQ(again->Widgets().bSTART->Caption(), "START 1") << "lane 2 started last";
    again->Widgets().mStart->trigger();
    const int row = again->Widgets().SortGrid1->FindRow(0, "1", false);
    EXPECT_EQ(again->Widgets().SortGrid1->Cells(3, row), "5,00") << "car 1's result survives";
    EXPECT_GT(again->Widgets().SortGrid1->FindRow(0, "3", false), 0);
    again.reset();

    // Numbers typed by hand and the rotation after a reset are kept too.
    rig.clock.Advance(1000);
    rig.Stop();
    rig.Reset();
    rig.form->Widgets().FrameT1->editStartN1->setValue(21);
    std::unique_ptr<TFormMain> third = StartAgain(rig);
    EXPECT_EQ(Numbers(*third), "21/5 4/6");
    EXPECT_EQ(third->Widgets().bSTART->Caption(), "START 1");
}

TEST(StartNumbers, AMissingOrDamagedFileGivesTheFirstNumbers)
{
    const QByteArray damaged[] = {
        "",
        "Ravolt-Startnummern=1\nBahn1=5 7 0\nLetzterStart=1\n",          // lane 2 missing
        "Ravolt-Startnummern=1\nBahn1=5 7 0\nBahn2=0 8 0\nLetzterStart=1\n", // 0 is no start number
        "Ravolt-Startnummern=1\nBahn1=5 7 2\nBahn2=6 8 0\nLetzterStart=1\n", // flag not 0/1
        "Ravolt-Startnummern=1\nBahn1=5 x 0\nBahn2=6 8 0\nLetzterStart=1\n",
        "Ravolt-Startnummern=1\nBahn1=5 7 0\nBahn2=6 8 0\nLetzterStart=3\n",
        "Ravolt-Startnummern=2\nBahn1=5 7 0\nBahn2=6 8 0\nLetzterStart=1\n", // a later format
        QByteArray(3000, '\0'),
    };
    for (const QByteArray& text : damaged) {
        SCOPED_TRACE(text.left(60).toStdString());
        EXPECT_FALSE(LaneNumbers::Parse(text));
        MainWindowRig rig({}, false);
        QFile file(StartNumberBackup::PathBeside(rig.Seams().paths->BackupFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        rig.Create();
        EXPECT_EQ(Numbers(*rig.form), "1/3 2/4");
    }
    const std::optional<LaneNumbers> good =
        LaneNumbers::Parse("Ravolt-Startnummern=1\nBahn1=5 7 1\nBahn2=6 8 0\nLetzterStart=2\n");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->Text(), "Ravolt-Startnummern=1\nBahn1=5 7 1\nBahn2=6 8 0\nLetzterStart=2\n");
}

TEST(StartNumbers, TheBackupStaysAPlainProtocolFile)
{
    MainWindowRig rig;
    TimedRun(rig);
    QCoreApplication::processEvents();
    rig.form->Backup()->WaitForWrites();
    rig.form->StartNumbers()->WaitForWrites();
    const LoadedProtocol loaded = LoadProtocolText(rig.form->Backup()->Path());
    ASSERT_TRUE(loaded.complete);
    ASSERT_EQ(loaded.rows.size(), 1u);
    EXPECT_EQ(loaded.rows[0][0], "1");
    EXPECT_TRUE(QFileInfo::exists(rig.dir.filePath("Ravolt-Sicherungsdatei.startnummern")));
}

TEST(ReplacedResult, AStartOverAResultKeepsASnapshotJournalsItAndSaysSoUntilTheNextStopp)
{
    MainWindowRig rig;
    TimedRun(rig, 5120); // car 1
    TimedRun(rig, 1000); // car 2
    rig.clock.nowCostMs = 7; // writing the snapshot takes time
    const std::uint32_t startTick = rig.clock.tick;
    rig.Start(); // lane 1 again, without a reset: car 1 re-runs
    rig.clock.nowCostMs = 0;
    EXPECT_EQ(rig.form->Widgets().FrameT1->StartTick, startTick) << "the stamp comes before the snapshot";
    EXPECT_EQ(rig.RowOf("1").section('|', 2), "|||");
    const QStringList shots = Snapshots(rig, "Vor-Neustart-");
    ASSERT_EQ(shots.size(), 1);
    const LoadedProtocol kept = LoadProtocolText(rig.dir.filePath("Journal/" + shots[0]));
    ASSERT_EQ(kept.rows.size(), 2u);
    EXPECT_EQ(kept.rows[1][3], "5,12") << "car 1's result is in the snapshot";
    const QString notice = NoticeShown(rig);
    EXPECT_TRUE(notice.contains("Nr. 1 neu gestartet") && notice.contains("Zeit 5,12") && notice.contains(shots[0]))
        << notice.toStdString();
    QFile journal(rig.form->EventJournal()->DayFileName(rig.clock.now.date()));
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(journal.readAll()).contains("Neustart Nr. 1 (Taste) ersetzt das Ergebnis: Start 9:05.03,07"));

    rig.Stop();
    EXPECT_EQ(NoticeShown(rig), "") << "gone at the next STOPP";
    rig.Reset();
    rig.Start(); // car 4 on lane 2: no result replaced, no snapshot
    EXPECT_EQ(Snapshots(rig, "Vor-Neustart-").size(), 1);
}

TEST(ReplacedResult, WithoutItsSnapshotAKeyStartIsRefusedAndABarrierStartStillRuns)
{
    MainWindowRig rig;
    QStringList messages;
    rig.form->ShowWarning = [&](const QString& m) { messages << m; };
    TimedRun(rig); // car 1
    TimedRun(rig); // car 2
    // A file where the journal's folder was: no snapshot can be written.
    const QString folder = rig.dir.filePath("Journal");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    rig.Start();
    EXPECT_FALSE(rig.form->Widgets().FrameT1->Running());
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "5,00") << "the result stays";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("START nicht ausgeführt: Nr. 1 hat schon ein Ergebnis")) << messages[0].toStdString();
    EXPECT_EQ(rig.form->Widgets().bSTART->Caption(), "START 1") << "the rotation did not move";

    rig.form->Runs()->Start(RunControl::CommandSource::Barrier, rig.clock.Stamp());
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running()) << "a barrier start cannot be taken back";
    EXPECT_TRUE(NoticeShown(rig).contains("Kopie nicht gespeichert")) << NoticeShown(rig).toStdString();
    EXPECT_TRUE(NoticeShown(rig).contains("Zeit 5,00")) << NoticeShown(rig).toStdString();
    EXPECT_EQ(messages.size(), 1);
}

// Lane 2 showed car 2's result when Runden came on; lane 1 then ran cars 3
// to 14 in Runden mode. Unticking Runden once gave lane 2 Nr. 14.
TEST(ModeSwitch, NoLaneGetsANumberThatRunsOrHasAResultAndTheRotationStaysOddEven)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    TimedRun(rig); // car 1, lane 1
    rig.Reset();
    TimedRun(rig); // car 2, lane 2, showing its result
    f.Runs()->SetRundenMode(true);
    EXPECT_EQ(Numbers(f).section(' ', 0, 0), "3/4");
    for (int car = 3; car <= 14; ++car) {
        TimedRun(rig);
        if (car < 14)
            rig.Reset();
    }
    EXPECT_EQ(Numbers(f).section(' ', 0, 0), "14/15");
    f.Runs()->SetRundenMode(false);
    EXPECT_EQ(Numbers(f), "15/17 16/18") << "lane 1 reset as the reset command would; lane 2 even";
    EXPECT_EQ(f.Widgets().bSTART->Caption(), "START 1");
    EXPECT_FALSE(f.Widgets().mReset->isEnabled());
    rig.Start();
    EXPECT_EQ(f.Widgets().FrameT1->StartNumberText(), "15");
    EXPECT_EQ(rig.RowOf("14").section('|', 3, 3), "5,00") << "car 14's result stays";

    // Runden on and off while lane 1 runs car 15: its number stays, the
    // next START goes to lane 2, the captions say so.
    f.Runs()->SetRundenMode(true);
    EXPECT_EQ(Numbers(f).section(' ', 0, 0), "15/16") << "car 16 was lined up on lane 2";
    f.Runs()->SetRundenMode(false);
    EXPECT_EQ(Numbers(f), "15/17 16/18");
    EXPECT_TRUE(f.Widgets().FrameT1->Running());
    EXPECT_EQ(f.Widgets().bSTART->Caption() + "/" + f.Widgets().bSTOP->Caption(), "START 2/STOPP 1");
    rig.Start();
    EXPECT_EQ(f.Widgets().FrameT2->StartNumberText(), "16");
    rig.clock.Advance(1000);
    rig.Stop();
    EXPECT_FALSE(f.Widgets().FrameT1->Running()) << "the lane that started first stops first";

    f.Runs()->SetRundenMode(false); // confirming the settings again changes nothing
    EXPECT_TRUE(f.Widgets().FrameT2->Running());
    rig.Stop();
    rig.Reset();
    EXPECT_EQ(Numbers(f), "17/19 18/20") << "lane 1 odd, lane 2 even";
}

TEST(ModeSwitch, ALaneTwoRunningWhenRundenComesOnIsStoppedInTurn)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    rig.Start(); // car 1, lane 1
    rig.Start(); // car 2, lane 2
    rig.Stop();  // car 1
    f.Runs()->SetRundenMode(true);
    EXPECT_TRUE(f.Widgets().mStop->isEnabled());
    rig.Stop();
    EXPECT_FALSE(f.Widgets().FrameT2->Running()) << "car 2 is not left on the track";
    EXPECT_FALSE(f.Widgets().mStop->isEnabled());
}

// Closing the port serves the edges already queued; the backup written at
// exit must hold what they did.
TEST(Exit, TheBackupFollowsTheEdgesServedWhileThePortCloses)
{
    TAppSettings s;
    s.Port = 1;
    MainWindowRig rig(s);
    const QString backup = rig.form->Backup()->Path();
    ASSERT_TRUE(rig.device->WaitUntilWaiting(std::chrono::seconds(5)));
    rig.device->SetModemStatus(0x20); // DSR: START
    ASSERT_TRUE(rig.form->ComPort()->Worker()->WaitForHandOver(std::chrono::seconds(5), 1));
    rig.form.reset();
    const LoadedProtocol saved = LoadProtocolText(backup);
    ASSERT_EQ(saved.rows.size(), 1u);
    EXPECT_EQ(saved.rows[0][0], "1") << "car 1's start reached the backup";
    QFile numbers(StartNumberBackup::PathBeside(backup));
    ASSERT_TRUE(numbers.open(QIODevice::ReadOnly));
    EXPECT_TRUE(numbers.readAll().contains("LetzterStart=1"));
}
