#include "BarrierPortWatch.h"
#include "Journal.h"
#include "MainWindowRig.h"
#include "ProtocolFile.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

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
        {"Vor-Unfall-", [](MainWindowRig& rig) { rig.form->mAvaria->setEnabled(true); rig.Accident(); }},
        {"Vor-Zeile-entfernen-", [](MainWindowRig& rig) { rig.form->Zeileentfernen1->trigger(); }},
        {"Vor-Leere-Zeilen-entfernen-", [](MainWindowRig& rig) { rig.form->Leerenzeilenentfernen1->trigger(); }},
    };
    for (const Case& c : cases) {
        MainWindowRig rig;
        FourRuns(rig);
        rig.grid().SelectRow(2);
        const ProtocolRows before = DataRows(rig);
        c.command(rig);
        ASSERT_NE(DataRows(rig), before) << c.prefix << ": the command changed nothing";

        const QDir folder(rig.form->EventJournal()->Folder());
        const QStringList shots = folder.entryList({QString::fromLatin1(c.prefix) + QLatin1Char('*')});
        ASSERT_EQ(shots.size(), 1) << c.prefix;
        const LoadedProtocol back = LoadProtocolText(folder.filePath(shots[0]));
        ASSERT_TRUE(back.complete);
        EXPECT_EQ(back.rows, before) << c.prefix;
        EXPECT_TRUE(JournalText(rig).contains(shots[0])) << c.prefix;
    }
}

TEST(JournalWiring, RunsAreJournalledWithLaneNumberSourceAndResult)
{
    MainWindowRig rig;
    rig.Start();
    rig.clock.Advance(65120);
    rig.form->bSTOP->OnMouseDown(rig.form->bSTOP, Qt::LeftButton);
    rig.form->mAvaria->setEnabled(true);
    rig.Accident();
    const QString text = JournalText(rig);
    EXPECT_TRUE(text.contains(QStringLiteral("Programmstart Ravolt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tick 1000  START Bahn 1, Nr. 1 (Taste): Start 9:05.03,07")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tick 66120  STOPP Bahn 1, Nr. 1 (Schaltfläche): Stopp 9:06.08,19, "
                                             "Zeit 1.05,12, km/h 55,3")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("UNFALL: Zeile ungültig, vorher Nr. 1, Start 9:05.03,07, "
                                             "Stopp 9:06.08,19, Zeit 1.05,12, km/h 55,3, Platz 1")))
        << text.toStdString();
}

TEST(JournalWiring, APulledBarrierAdapterIsShownJournalledAndReopened)
{
    TAppSettings s;
    s.Port = 5;
    MainWindowRig rig(s);
    ASSERT_TRUE(rig.form->ComPort->Connected());
    rig.device->Unplug();
    ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort->Connected(); }));
    EXPECT_TRUE(rig.form->LabNotice->isVisibleTo(rig.form.get()));
    EXPECT_EQ(rig.form->LabNotice->text(), QStringLiteral("Lichtschranken getrennt (COM5)"));
    rig.Start(); // hand timing goes on
    EXPECT_TRUE(rig.form->FrameT1->Running());

    rig.device->Plug();
    rig.form->PortWatch()->RetryTimerTimer();
    EXPECT_TRUE(rig.form->ComPort->Connected());
    EXPECT_FALSE(rig.form->LabNotice->isVisibleTo(rig.form.get()));
    EXPECT_TRUE(JournalText(rig).contains(QStringLiteral("Lichtschranken wieder verbunden (COM5)")));
}
