#include "BarrierPort.h"
#include "Journal.h"
#include "MainWindowRig.h"
#include "OperatorNotice.h"
#include "ProtocolFileCommands.h"
#include "ProtocolFile.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

QString JournalText(MainWindowRig& rig)
{
    QFile file(rig.form->EventJournal()->DayFileName(rig.clock.now.date()));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

ProtocolRows DataRows(MainWindowRig& rig)
{
    ProtocolRows rows = rig.form->Protocol()->Rows();
    rows.erase(rows.begin());
    for (ProtocolRow& row : rows) {
        for (QString& cell : row)
            cell = cell.isEmpty() ? QStringLiteral(" ") : cell; // as the file keeps it
    }
    return rows;
}

// Three finished runs and one under way.
void FourRuns(MainWindowRig& rig)
{
    for (int ms : {5120, 7000, 6010}) {
        rig.Start();
        rig.clock.Advance(ms);
        rig.Stop();
        rig.Reset();
    }
    rig.Start();
}

} // namespace

TEST(JournalWiring, DestructiveCommandsLeaveASnapshotThatLoadsBackIntoTheRowsBefore)
{
    struct Case { const char* prefix; std::function<void(MainWindowRig&)> command; };
    const Case cases[] = {
        {"Vor-Unfall-", [](MainWindowRig& rig) { rig.form->Widgets().mAvaria->setEnabled(true); rig.Accident(); }},
        {"Vor-Zeile-entfernen-", [](MainWindowRig& rig) { rig.form->Widgets().Zeileentfernen1->trigger(); }},
        {"Vor-Leere-Zeilen-entfernen-", [](MainWindowRig& rig) { rig.form->Widgets().Leerenzeilenentfernen1->trigger(); }},
        {"Vor-Löschen-", [](MainWindowRig& rig) {
             rig.form->FileCommands()->Ask = [](const QString&) { return true; };
             rig.form->FileCommands()->sbCLSClick();
         }},
        {"Vor-Laden-", [](MainWindowRig& rig) {
             const QString other = rig.dir.filePath(QStringLiteral("other.txt"));
             ASSERT_TRUE(SaveProtocolText(other, {rig.form->Protocol()->Rows().front(),
                                                  {"42", "9:00.00,00", "9:01.00,00", "1.00,00", "60,0", "1"}}));
             ASSERT_TRUE(rig.form->FileCommands()->LoadText(other));
             EXPECT_TRUE(JournalText(rig).contains(QStringLiteral("Protokoll geöffnet: ") + QDir::toNativeSeparators(other)));
         }},
    };
    for (const Case& c : cases) {
        MainWindowRig rig;
        FourRuns(rig);
        rig.grid().SelectRow(2);
        const ProtocolRows before = DataRows(rig);
        c.command(rig);
        ASSERT_NE(DataRows(rig), before) << c.prefix << ": the command changed nothing";

        const QDir folder(rig.form->EventJournal()->Folder());
        const QStringList shots = folder.entryList({QString::fromUtf8(c.prefix) + QLatin1Char('*')});
        ASSERT_EQ(shots.size(), 1) << c.prefix;
        const LoadedProtocol back = LoadProtocolText(folder.filePath(shots[0]));
        ASSERT_TRUE(back.complete);
        EXPECT_EQ(back.rows, before) << c.prefix;
        EXPECT_TRUE(JournalText(rig).contains(shots[0])) << c.prefix;
    }
}

TEST(JournalWiring, RemovingEmptyRowsWhereThereAreNoneLeavesNoSnapshot)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(5120);
    rig.Stop();
    const ProtocolRows before = rig.form->Protocol()->Rows();
    rig.form->Widgets().Leerenzeilenentfernen1->trigger();
    EXPECT_EQ(rig.form->Protocol()->Rows(), before);
    EXPECT_TRUE(QDir(rig.form->EventJournal()->Folder()).entryList({QStringLiteral("Vor-*")}).isEmpty());
    EXPECT_TRUE(JournalText(rig).contains(QStringLiteral("Leere Zeilen entfernt: 0 Zeilen")));
}

TEST(JournalWiring, TheJournalBesideTheSnapshotsIsNotLoadedAsAProtocol)
{
    MainWindowRig rig;
    FourRuns(rig);
    QStringList messages;
    rig.form->FileCommands()->ShowMessage = [&](const QString& m) { messages << m; };
    const ProtocolRows before = rig.form->Protocol()->Rows();
    const QString day = rig.form->EventJournal()->DayFileName(rig.clock.now.date());
    EXPECT_FALSE(rig.form->FileCommands()->LoadText(day));
    EXPECT_EQ(rig.form->Protocol()->Rows(), before);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Das ist das Journal, kein Protokoll"))) << messages[0].toStdString();
    EXPECT_TRUE(QDir(rig.form->EventJournal()->Folder()).entryList({QStringLiteral("Vor-Laden-*")}).isEmpty());
}

TEST(JournalWiring, RunsAreJournalledWithLaneNumberSourceAndResult)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(65120);
    Q_EMIT rig.form->Widgets().bSTOP->MouseDown(Qt::LeftButton);
    rig.form->Widgets().mAvaria->setEnabled(true);
    rig.Accident();
    const QString text = JournalText(rig);
    EXPECT_TRUE(text.contains(QStringLiteral("Programmstart Ravolt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tick 1000  START Bahn 1, Nr. 1 (Taste): Start 9:05.03,07")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tick 66120  STOPP Bahn 1, Nr. 1 (Schaltfläche): Stopp 9:06.08,19, "
                                             "Zeit 1.05,12, km/h 55,3")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("UNFALL: Zeile ungültig gemacht, vorher: Nr. 1, Start 9:05.03,07, "
                                             "Stopp 9:06.08,19, Zeit 1.05,12, km/h 55,3, Platz 1")))
        << text.toStdString();
}

TEST(JournalWiring, APulledBarrierAdapterIsShownJournalledAndReopened)
{
    TAppSettings s;
    s.Port = 5;
    MainWindowRig rig(s);
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    rig.device->Unplug();
    ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort()->Connected(); }));
    EXPECT_TRUE(rig.form->Widgets().LabNotice->isVisibleTo(rig.form.get()));
    EXPECT_EQ(rig.form->Widgets().LabNotice->text(), QStringLiteral("Lichtschranken getrennt (COM5)"));
    rig.Start(); // hand timing goes on
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());

    rig.device->Plug();
    rig.form->Port()->RetryTimerTimer();
    EXPECT_TRUE(rig.form->ComPort()->Connected());
    EXPECT_FALSE(rig.form->Widgets().LabNotice->isVisibleTo(rig.form.get()));
    EXPECT_TRUE(JournalText(rig).contains(QStringLiteral("Lichtschranken wieder verbunden (COM5)")));

    // A regular exit closes the port and ends the session's account.
    QFile day(rig.form->EventJournal()->DayFileName(rig.clock.now.date()));
    rig.form.reset();
    ASSERT_TRUE(day.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = day.readAll().trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith("Lichtschranken-Port geschlossen (COM5)")) << lines[lines.size() - 2].constData();
    EXPECT_TRUE(lines.last().endsWith("Programmende")) << lines.last().constData();
}

TEST(JournalWiring, EveryBarrierEdgeIsJournalledAtItsOwnTickSuppressedOnesMarked)
{
    TAppSettings s;
    s.Port = 1;
    s.WaitStart = 2000;
    MainWindowRig rig(s);
    constexpr std::uint32_t CTS = 0x10, DSR = 0x20;
    ASSERT_TRUE(rig.Lines(DSR));
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(DSR));
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(500);
    const std::uint32_t startLockedTick = rig.clock.TickCount();
    ASSERT_TRUE(rig.Lines(DSR)); // inside the START lockout
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(DSR)); // both lanes run: no START left
    rig.form->Widgets().LockLS->trigger(); // arm the finish barrier
    rig.clock.Advance(4000);
    const std::uint32_t stopTick = rig.clock.TickCount();
    ASSERT_TRUE(rig.Lines(CTS));
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(CTS)); // inside the STOPP lockout

    const QString text = JournalText(rig);
    const QString lines[] = {
        QStringLiteral("START Bahn 1, Nr. 1 (Lichtschranke)"),
        QStringLiteral("Lichtschranke CTS aus, DSR ein: START ausgelöst"),
        QStringLiteral("Lichtschranke CTS aus, DSR aus: Flanke nicht gewertet (Einstellung Algorithmus)"),
        QStringLiteral("START Bahn 2, Nr. 2 (Lichtschranke)"),
        QStringLiteral("Tick %1  Lichtschranke CTS aus, DSR ein: START unterdrückt (Sperre 1 s nach dem letzten "
                       "START-Impuls)").arg(startLockedTick),
        QStringLiteral("Tick %1  Lichtschranke CTS aus, DSR ein: START ohne Wirkung (keine Bahn frei)")
            .arg(startLockedTick + 1000),
        QStringLiteral("Tick %1  STOPP Bahn 1, Nr. 1 (Lichtschranke)").arg(stopTick),
        QStringLiteral("Tick %1  Lichtschranke CTS ein, DSR aus: STOPP ausgelöst").arg(stopTick),
        QStringLiteral("Tick %1  Lichtschranke CTS ein, DSR aus: STOPP unterdrückt (STOPP-Sperrzeit läuft)")
            .arg(stopTick + 1000),
    };
    for (const QString& line : lines)
        EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\n" << text.toStdString();
    // The second report of one wait is no edge of its own.
    EXPECT_FALSE(text.contains(QStringLiteral("unverändert"))) << text.toStdString();
}

TEST(JournalWiring, AnUnwritableJournalShowsTheNoticeAndTimingGoesOn)
{
    MainWindowRig rig({}, false);
    // A file where the folder should be: nothing can be written there.
    QFile blocker(rig.dir.filePath(QStringLiteral("Journal")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    rig.Create();
    EXPECT_TRUE(rig.form->Widgets().LabNotice->isVisibleTo(rig.form.get()));
    EXPECT_FALSE(rig.form->Widgets().LabNotice->text().isEmpty());
    rig.Start();
    rig.clock.Advance(5120);
    rig.Stop();
    EXPECT_FALSE(rig.RowOf(QStringLiteral("1")).section('|', 3, 3).isEmpty()) << rig.RowOf(QStringLiteral("1")).toStdString();
}

TEST(JournalWiring, AfterKeinALostAdapterIsNoLongerSought)
{
    TAppSettings s;
    s.Port = 5;
    MainWindowRig rig(s);
    rig.device->Unplug();
    ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort()->Connected(); }));
    ASSERT_TRUE(rig.form->Port()->RetryTimer()->isActive());

    TAppSettings none = rig.form->CurrentSettings();
    none.Port = 0;
    rig.form->ApplySettings(none);
    rig.form->Port()->Reopen(rig.form->Settings().Port);
    rig.device->Plug();
    rig.form->Port()->RetryTimerTimer();
    EXPECT_FALSE(rig.form->ComPort()->Connected());
    EXPECT_FALSE(rig.form->Port()->RetryTimer()->isActive());
    EXPECT_FALSE(rig.form->Widgets().LabNotice->isVisibleTo(rig.form.get()));
}

TEST(JournalWiring, ACdcAcmAdapterIsWarnedAboutOnlyOutsideRundenMode)
{
    namespace fs = std::filesystem;
    for (bool runden : {false, true}) {
        TAppSettings s;
        s.Port = 5;
        s.Runden = runden;
        MainWindowRig rig(s, false);
        // COM5's tty hangs off a USB interface that cdc_acm drives.
        const fs::path sys = rig.dir.filePath(QStringLiteral("sys")).toStdString();
        fs::create_directories(sys / "devices/usb1/1-1:1.0");
        fs::create_directories(sys / "bus/usb/drivers/cdc_acm");
        fs::create_directory_symlink(sys / "bus/usb/drivers/cdc_acm", sys / "devices/usb1/1-1:1.0/driver");
        fs::create_directories(sys / "class/tty/ttyUSB0");
        fs::create_directory_symlink(sys / "devices/usb1/1-1:1.0", sys / "class/tty/ttyUSB0/device");
        rig.sysfsRoot = sys.string();
        rig.Create();

        const QString text = JournalText(rig);
        EXPECT_TRUE(text.contains(QStringLiteral("COM5 (/dev/ttyUSB0), cdc_acm: meldet CTS nie"))) << text.toStdString();
        EXPECT_EQ(text.contains(QStringLiteral("Achtung")), !runden) << text.toStdString();
        EXPECT_EQ(rig.form->Widgets().LabNotice->text().contains(QStringLiteral("meldet CTS nie")), !runden);
    }
}

TEST(OperatorNotice, ShowsEveryCurrentMessageMostImportantFirst)
{
    QLabel label;
    OperatorNotice notice(&label);
    struct Step { OperatorNotice::Source source; const char* message; const char* shown; };
    const Step steps[] = {
        {OperatorNotice::BarrierPort, "Lichtschranken getrennt (COM5)", "Lichtschranken getrennt (COM5)"},
        {OperatorNotice::Backup, "Sicherung fehlgeschlagen: voll", "Sicherung fehlgeschlagen: voll\nLichtschranken getrennt (COM5)"},
        {OperatorNotice::Journal, "Journal nicht geschrieben",
         "Sicherung fehlgeschlagen: voll\nJournal nicht geschrieben\nLichtschranken getrennt (COM5)"},
        {OperatorNotice::Backup, "", "Journal nicht geschrieben\nLichtschranken getrennt (COM5)"},
        {OperatorNotice::BarrierPort, "", "Journal nicht geschrieben"},
        {OperatorNotice::Journal, "", ""},
    };
    for (const Step& step : steps) {
        notice.Set(step.source, QString::fromUtf8(step.message));
        EXPECT_EQ(label.text(), QString::fromUtf8(step.shown)) << step.message;
        EXPECT_EQ(!label.isHidden(), *step.shown != 0) << step.message;
    }
}

// The info box, the window title and the journal's start line name the
// version the package is built with (the project's version in CMake).
TEST(JournalWiring, InfoBoxTitleAndStartLineNameThePackageVersion)
{
    MainWindowRig rig;
    QString info;
    rig.form->ShowInfo = [&](const QString&, const QString& text) { info = text; };
    rig.form->bInfoClick();
    const QString named = QStringLiteral("Ravolt ") + QStringLiteral(RAVOLT_PACKAGE_VERSION);
    const struct
    {
        const char* where;
        QString text;
        QString expected;
    } places[] = {
        {"info box", info.section(QLatin1Char('\n'), 0, 0), named},
        {"window title", rig.form->windowTitle(), named},
        {"journal", JournalText(rig).section(QLatin1Char('\n'), 0, 0).section(QStringLiteral("  "), -1),
         QStringLiteral("Programmstart ") + named},
    };
    for (const auto& place : places)
        EXPECT_EQ(place.text, place.expected) << place.where;
}
