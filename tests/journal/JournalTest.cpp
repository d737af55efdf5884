#include "FakeClock.h"
#include "Journal.h"
#include "ProtocolFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct JournalRig
{
    JournalRig()
        : journal(dir.filePath(QStringLiteral("Journal")), clock)
    {
        QObject::connect(&journal, &Journal::NoticeChanged, &journal, [this](const QString& text) { notices.append(text); });
    }

    QByteArray DayFile() const
    {
        QFile file(journal.DayFileName(clock.now.date()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList Files(const QString& pattern) const
    {
        return QDir(journal.Folder()).entryList({pattern}, QDir::Files, QDir::Name);
    }
    void Touch(const QString& name) const
    {
        QDir().mkpath(journal.Folder());
        QFile file(journal.Folder() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir dir;
    FakeClock clock;
    Journal journal;
    QStringList notices;
};

ProtocolRows Header()
{
    return {{QStringLiteral("Nr."), QStringLiteral("Start"), QStringLiteral("Stopp"), QStringLiteral("Zeit"),
             QStringLiteral("km/h"), QStringLiteral("Platz")}};
}

} // namespace

TEST(Journal, EachEntryIsOneUtf8LineWithTimeTickAndText)
{
    JournalRig rig;
    rig.clock.tick = 123456;
    rig.journal.Record(QStringLiteral("Programmstart"));
    rig.clock.Advance(1500);
    rig.journal.Record(99, QStringLiteral("STOPP Bahn 1, Nr. 7: Zeit 1.05,12, Stopp für Läufer"));
    EXPECT_EQ(QString::fromUtf8(rig.DayFile()),
              QStringLiteral("2026-06-13 09:05:03.070  Tick 123456  Programmstart\n"
                             "2026-06-13 09:05:04.570  Tick 99  STOPP Bahn 1, Nr. 7: Zeit 1.05,12, Stopp für Läufer\n"));
    EXPECT_TRUE(rig.notices.isEmpty());
}

TEST(Journal, ARestartAppendsToTheDaysFileOnANewLineAfterACutOne)
{
    JournalRig rig;
    rig.journal.Record(1, QStringLiteral("Programmstart"));
    {
        QFile file(rig.journal.DayFileName(rig.clock.now.date()));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("2026-06-13 09:05:03.070  Tick 2  STO"); // a crash in mid-line
    }
    Journal restarted(rig.journal.Folder(), rig.clock);
    restarted.Record(3, QStringLiteral("Programmstart"));
    restarted.Record(4, QStringLiteral("Programmende"));
    const QList<QByteArray> lines = rig.DayFile().split('\n');
    ASSERT_EQ(lines.size(), 5) << rig.DayFile().constData();
    EXPECT_TRUE(lines[0].endsWith("Tick 1  Programmstart"));
    EXPECT_TRUE(lines[1].endsWith("Tick 2  STO"));
    EXPECT_TRUE(lines[2].endsWith("Tick 3  Programmstart"));
    EXPECT_TRUE(lines[3].endsWith("Tick 4  Programmende"));
    EXPECT_EQ(lines[4], "");
}

TEST(Journal, ANewDayStartsANewFile)
{
    JournalRig rig;
    rig.journal.Record(1, QStringLiteral("vorher"));
    rig.clock.Advance(24 * 3600 * 1000);
    rig.journal.Record(2, QStringLiteral("nachher"));
    EXPECT_EQ(rig.Files(QStringLiteral("Journal-*")),
              QStringList({QStringLiteral("Journal-2026-06-13.txt"), QStringLiteral("Journal-2026-06-14.txt")}));
}

TEST(Journal, AnUnwritableFolderIsNoticedOnceAndClearedWhenWritingWorksAgain)
{
    JournalRig rig;
    // A folder below a regular file cannot be made, not even by root.
    const QString blocker = rig.dir.filePath(QStringLiteral("Journal"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Journal journal(blocker + QStringLiteral("/Journal"), rig.clock);
    QStringList notices;
    QObject::connect(&journal, &Journal::NoticeChanged, &journal, [&](const QString& text) { notices.append(text); });
    ProtocolRows rows = Header();
    rows.push_back({QStringLiteral("7"), QStringLiteral("9:05.03,27"), {}, {}, {}, {}});

    journal.Record(1, QStringLiteral("START"));
    journal.Record(2, QStringLiteral("STOPP"));
    ASSERT_EQ(notices.size(), 1) << "once, not at every entry";
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("Journal wird nicht geschrieben: "))) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(QDir::toNativeSeparators(blocker)));
    QString why;
    EXPECT_FALSE(journal.Snapshot(QStringLiteral("Unfall"), rows, &why)) << "the command must not run";
    EXPECT_EQ(why, QStringLiteral("Ordner lässt sich nicht anlegen"));
    ASSERT_EQ(notices.size(), 2) << "the journal's notice on screen does not hide the snapshot's";
    EXPECT_TRUE(notices[1].startsWith(notices[0] + QStringLiteral("\nSchnappschuss nicht gespeichert: ")))
        << notices[1].toStdString();

    ASSERT_TRUE(QFile::remove(blocker));
    journal.Record(3, QStringLiteral("START"));
    EXPECT_EQ(notices.size(), 3);
    EXPECT_TRUE(journal.Notice().startsWith(QStringLiteral("Schnappschuss nicht gespeichert")))
        << "the failed snapshot is still told";
    journal.Snapshot(QStringLiteral("Unfall"), rows);
    EXPECT_EQ(notices.back(), QString());
    EXPECT_EQ(journal.Notice(), QString());
}

TEST(Journal, SnapshotsAreNamedByCommandAndTimeNeverOverwrittenAndSkippedWhenEmpty)
{
    JournalRig rig;
    ProtocolRows rows = Header();
    rig.journal.Snapshot(QStringLiteral("Löschen"), rows);
    rows.push_back({});
    rig.journal.Snapshot(QStringLiteral("Löschen"), rows);
    EXPECT_TRUE(rig.Files(QStringLiteral("Vor-*")).isEmpty()) << "an empty protocol is not kept";

    rows.push_back({QStringLiteral("7"), QStringLiteral("9:05.03,27"), QStringLiteral("9:06.08,39"),
                    QStringLiteral("1.05,12"), QStringLiteral("55,3"), QStringLiteral("1")});
    rig.journal.Snapshot(QStringLiteral("Zeile entfernen"), rows);
    rig.journal.Snapshot(QStringLiteral("Zeile entfernen"), rows);
    rig.journal.Snapshot(QStringLiteral("Laden"), rows);
    EXPECT_EQ(rig.Files(QStringLiteral("Vor-*")),
              QStringList({QStringLiteral("Vor-Laden-2026-06-13-09-05-03.txt"),
                           QStringLiteral("Vor-Zeile-entfernen-2026-06-13-09-05-03-2.txt"),
                           QStringLiteral("Vor-Zeile-entfernen-2026-06-13-09-05-03.txt")}));
    EXPECT_TRUE(rig.DayFile().contains("Schnappschuss vor \"Laden\": Vor-Laden-2026-06-13-09-05-03.txt"));

    const LoadedProtocol back =
        LoadProtocolText(rig.journal.Folder() + QStringLiteral("/Vor-Laden-2026-06-13-09-05-03.txt"));
    ASSERT_TRUE(back.complete);
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0], rows[2]);
}

TEST(Journal, PruningKeepsTheNewestSnapshotsAndSixtyDaysOfJournal)
{
    JournalRig rig;
    // Snapshots of the last 502 minutes, named out of time order by command.
    for (int i = 0; i < Journal::KeptSnapshots + 2; ++i) {
        const QString command = i % 2 ? QStringLiteral("Unfall") : QStringLiteral("Laden");
        rig.Touch(Journal::SnapshotName(command, rig.clock.now.addSecs(-60 * i)));
    }
    rig.Touch(QStringLiteral("Vor-Laden-2026-06-13-09-05-03-2.txt")); // newest of all
    rig.Touch(QStringLiteral("Vor-eigene-Notiz.txt"));                // not ours
    struct Day { int ago; bool kept; };
    const Day days[] = {{0, true}, {59, true}, {60, false}, {400, false}};
    for (const Day& d : days)
        rig.Touch(QFileInfo(rig.journal.DayFileName(rig.clock.now.date().addDays(-d.ago))).fileName());

    rig.journal.Prune();

    const QStringList snapshots = rig.Files(QStringLiteral("Vor-*"));
    EXPECT_EQ(snapshots.size(), Journal::KeptSnapshots + 1);
    EXPECT_TRUE(snapshots.contains(QStringLiteral("Vor-eigene-Notiz.txt")));
    EXPECT_TRUE(snapshots.contains(QStringLiteral("Vor-Laden-2026-06-13-09-05-03-2.txt")));
    for (int i : {Journal::KeptSnapshots - 2, Journal::KeptSnapshots - 1, Journal::KeptSnapshots,
                  Journal::KeptSnapshots + 1}) {
        const QString command = i % 2 ? QStringLiteral("Unfall") : QStringLiteral("Laden");
        EXPECT_EQ(snapshots.contains(Journal::SnapshotName(command, rig.clock.now.addSecs(-60 * i))),
                  i < Journal::KeptSnapshots - 1)
            << i;
    }
    for (const Day& d : days) {
        const QString name = QFileInfo(rig.journal.DayFileName(rig.clock.now.date().addDays(-d.ago))).fileName();
        EXPECT_EQ(rig.Files(QStringLiteral("Journal-*")).contains(name), d.kept) << d.ago;
    }
}

TEST(Journal, AFullDiskIsToldAsSuch)
{
    JournalRig rig;
    QDir().mkpath(rig.journal.Folder());
    // Every write to this device fails as on a full disk, also for root.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), rig.journal.DayFileName(rig.clock.now.date())));
    rig.journal.Record(1, QStringLiteral("START"));
    ASSERT_EQ(rig.notices.size(), 1);
    EXPECT_TRUE(rig.notices[0].startsWith(QStringLiteral("Journal wird nicht geschrieben: Datenträger voll (")))
        << rig.notices[0].toStdString();
}

TEST(Journal, AJournalDeletedWhileRunningIsBegunAnewAndThatIsTold)
{
    JournalRig rig;
    rig.journal.Record(1, QStringLiteral("START"));
    ASSERT_TRUE(QDir(rig.journal.Folder()).removeRecursively());
    rig.journal.Record(2, QStringLiteral("STOPP"));
    const QString text = QString::fromUtf8(rig.DayFile());
    EXPECT_TRUE(text.contains(QStringLiteral("Tick 2  Journal war gelöscht, hier neu begonnen\n")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Tick 2  STOPP\n"))) << text.toStdString();
    ASSERT_EQ(rig.notices.size(), 1);
    EXPECT_TRUE(rig.notices[0].startsWith(QStringLiteral("Journal war gelöscht und ist neu angelegt")));
    rig.journal.Record(3, QStringLiteral("START"));
    EXPECT_EQ(rig.notices.size(), 1) << "told once";
    EXPECT_EQ(rig.journal.Notice(), rig.notices[0]) << "the earlier entries stay lost";
}
