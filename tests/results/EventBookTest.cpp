#include "BookFiles.h"
#include "BookSql.h"
#include "EventBook.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

RunControl::FinishedRun Finished(const QString& number, std::int32_t ms, int lane = 1)
{
    RunControl::FinishedRun run;
    run.lane = lane;
    run.startNumber = number;
    run.startTick = 4294960000u; // a run across the tick counter's wrap
    run.stopTick = run.startTick + std::uint32_t(ms);
    run.runTimeMs = ms;
    run.startClock = QStringLiteral("10:00.00,00");
    run.stopClock = QStringLiteral("10:01.05,12");
    run.source = RunControl::CommandSource::Barrier;
    return run;
}

EventRules Rules(int trainingRuns = 1)
{
    EventRules rules;
    rules.title = QStringLiteral("Slalom am Berg / Lauf: 2");
    rules.date = QDate(2026, 6, 14);
    rules.venue = QStringLiteral("Übungsplatz");
    rules.trainingRuns = trainingRuns;
    rules.scoredRuns = 3;
    rules.rule = ScoringRule::SumOfBestN;
    rules.bestN = 2;
    rules.coneSeconds = 2;
    rules.teams = true;
    return rules;
}

struct BookRig
{
    BookRig() { EXPECT_TRUE(book.CreateAt(path, Rules()).ok); }

    QString Reopen()
    {
        EXPECT_TRUE(book.Close());
        const EventBook::Result result = book.Open(path);
        return result.ok ? QString() : result.message;
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Veranstaltungen/2026-06-14-Slalom.ravolt"));
    EventBook book;
};

QString Kinds(const EventBook& book)
{
    QStringList kinds;
    for (const RunRecord& run : book.Runs()) {
        kinds << QStringLiteral("%1%2%3%4")
                     .arg(run.kind == RunKind::Training ? QStringLiteral("T") : QStringLiteral("W"))
                     .arg(run.index)
                     .arg(run.voided ? QStringLiteral("u") : QString())
                     .arg(run.replaced ? QStringLiteral("r") : QString());
    }
    return kinds.join(QLatin1Char(' '));
}

} // namespace

TEST(EventBook, roundTrip_keepsRulesEntriesRunsAndPostedLists)
{
    BookRig rig;
    const QVector<Entry> entries = {
        {12, QStringLiteral("Müller"), QStringLiteral("Jörg"), QStringLiteral("Golf GTI"), QStringLiteral("G3"),
         QStringLiteral("MSC Tal"), QStringLiteral("Tal 1"), 1},
        {7, QStringLiteral("Schmidt"), QStringLiteral("Anna"), QStringLiteral("Polo"), QStringLiteral("G1"),
         QString(), QString(), 2},
    };
    rig.book.ReplaceEntries(entries);
    rig.book.RecordRun(Finished(QStringLiteral("12"), 65123, 2));
    rig.book.SetPenalty(rig.book.Runs().back().id, 2, 1, RunStatus::Invalid, QStringLiteral("Ziel verfehlt"));
    rig.book.PostList(QStringLiteral("Klasse G3"), true, QStringLiteral("<p>Liste</p>"));
    const RunRecord recorded = rig.book.Runs().back();

    ASSERT_EQ(rig.Reopen(), QString());
    const EventRules rules = rig.book.Rules();
    const EventRules expected = Rules();
    EXPECT_EQ(rules.title, expected.title);
    EXPECT_EQ(rules.date, expected.date);
    EXPECT_EQ(rules.venue, expected.venue);
    EXPECT_EQ(rules.rule, expected.rule);
    EXPECT_EQ(rules.coneSeconds, 2);
    EXPECT_TRUE(rules.teams);
    ASSERT_EQ(rig.book.Entries().size(), 2);
    EXPECT_EQ(rig.book.Entries()[0].name, QStringLiteral("Müller"));
    EXPECT_EQ(rig.book.Entries()[1].number, 7);
    EXPECT_EQ(rig.book.Entries()[0].team, QStringLiteral("Tal 1"));
    ASSERT_EQ(rig.book.Runs().size(), 1u);
    const RunRecord run = rig.book.Runs().front();
    EXPECT_EQ(run.number, 12);
    EXPECT_EQ(run.lane, 2);
    EXPECT_EQ(run.startTick, recorded.startTick);
    EXPECT_EQ(run.stopTick, recorded.stopTick);
    EXPECT_EQ(run.runTimeMs, 65123);
    EXPECT_EQ(run.stopClock, QStringLiteral("10:01.05,12"));
    EXPECT_EQ(run.source, QStringLiteral("Lichtschranke"));
    EXPECT_EQ(run.status, RunStatus::Invalid);
    EXPECT_EQ(run.cones, 2);
    EXPECT_EQ(run.skippedTasks, 1);
    EXPECT_EQ(run.reason, QStringLiteral("Ziel verfehlt"));
    EXPECT_EQ(run.recorded, recorded.recorded);
    ASSERT_EQ(rig.book.Posted().size(), 1u);
    EXPECT_TRUE(rig.book.Posted().front().official);
    EXPECT_EQ(rig.book.Posted().front().content, QStringLiteral("<p>Liste</p>"));

    // New ids go on after the stored ones.
    rig.book.RecordRun(Finished(QStringLiteral("7"), 70000));
    EXPECT_EQ(rig.book.Runs().back().id, run.id + 1);
}

TEST(EventBook, recordRun_assignsTrainingThenScoredPerStartNumber)
{
    struct Case
    {
        int trainingRuns;
        QStringList numbers;
        QString kinds;
    };
    const Case cases[] = {
        {1, {QStringLiteral("5"), QStringLiteral("5"), QStringLiteral("5")}, QStringLiteral("T1 W1 W2")},
        {0, {QStringLiteral("5"), QStringLiteral("5")}, QStringLiteral("W1 W2")},
        {2, {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("5")},
         QStringLiteral("T1 T1 T2 W1")},
        // A number not in the entry list is kept; text that is no number keeps its row's text.
        {1, {QStringLiteral("8x"), QStringLiteral("8x")}, QStringLiteral("T1 W1")},
    };
    for (const Case& c : cases) {
        BookRig rig;
        EventRules rules = Rules(c.trainingRuns);
        rig.book.SetRules(rules);
        for (const QString& number : c.numbers)
            rig.book.RecordRun(Finished(number, 60000));
        EXPECT_EQ(Kinds(rig.book), c.kinds) << c.numbers.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(rig.book.Runs().back().rowNumber, c.numbers.back());
    }
    BookRig rig;
    rig.book.RecordRun(Finished(QStringLiteral("8x"), 60000));
    EXPECT_EQ(rig.book.Runs().back().number, 0);
}

TEST(EventBook, restartOrAccident_keepsTheLatestRunAndTheReRunTakesItsPlace)
{
    struct Case
    {
        bool accident;
        QString kinds;
    };
    for (const Case& c : {Case{false, QStringLiteral("T1 W1r W1")}, Case{true, QStringLiteral("T1 W1ur W1")}}) {
        BookRig rig;
        rig.book.RecordRun(Finished(QStringLiteral("9"), 61000));
        rig.book.RecordRun(Finished(QStringLiteral("9"), 62000));
        if (c.accident)
            rig.book.VoidRun(QStringLiteral("9"));
        else
            rig.book.RestartRun(QStringLiteral("9"));
        rig.book.RecordRun(Finished(QStringLiteral("9"), 63000));
        EXPECT_EQ(Kinds(rig.book), c.kinds);
        ASSERT_EQ(rig.Reopen(), QString());
        EXPECT_EQ(Kinds(rig.book), c.kinds);
        EXPECT_EQ(rig.book.Changes().back().what, c.accident ? QStringLiteral("Unfall") : QStringLiteral("Neustart"));
        // Nothing the timing did is undone by the operator's undo.
        EXPECT_FALSE(rig.book.UndoLast());
    }
}

TEST(EventBook, edits_areLoggedAndUndoneLatestFirst)
{
    BookRig rig;
    rig.book.RecordRun(Finished(QStringLiteral("3"), 60000));
    rig.book.RecordRun(Finished(QStringLiteral("3"), 61000));
    const std::int64_t id = rig.book.Runs().back().id;
    rig.book.SetPenalty(id, 1, 0, RunStatus::Valid, QString());
    rig.book.SetPenalty(id, 3, 4, RunStatus::Invalid, QStringLiteral("4 Aufgaben ausgelassen"));
    rig.book.SetKind(rig.book.Runs().front().id, RunKind::Scored);
    rig.book.AddHandRun(3, 59000);
    rig.book.SetEntry({3, QStringLiteral("Klein"), QStringLiteral("Eva"), {}, QStringLiteral("G2"), {}, {}, 1});
    EXPECT_EQ(Kinds(rig.book), QStringLiteral("W1 W2 W3"));
    EXPECT_EQ(rig.book.Runs().back().source, QStringLiteral("Hand"));
    ASSERT_EQ(rig.book.Changes().size(), 5u);
    EXPECT_EQ(rig.book.Changes()[1].oldValue, rig.book.Changes()[0].newValue);

    // Each step back, and what the book then holds: entry, kinds, penalty of the second run.
    struct Step
    {
        bool hasEntry;
        QString kinds;
        int cones;
        RunStatus status;
    };
    const Step steps[] = {
        {false, QStringLiteral("W1 W2 W3"), 3, RunStatus::Invalid},
        {false, QStringLiteral("W1 W2"), 3, RunStatus::Invalid},
        {false, QStringLiteral("T1 W1"), 3, RunStatus::Invalid},
        {false, QStringLiteral("T1 W1"), 1, RunStatus::Valid},
        {false, QStringLiteral("T1 W1"), 0, RunStatus::Valid},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(rig.book.UndoLast());
        ASSERT_EQ(rig.Reopen(), QString()); // what the file holds, not only the memory
        EXPECT_EQ(rig.book.FindEntry(3) != nullptr, step.hasEntry);
        EXPECT_EQ(Kinds(rig.book), step.kinds);
        EXPECT_EQ(rig.book.FindRun(id)->cones, step.cones);
        EXPECT_EQ(rig.book.FindRun(id)->status, step.status);
    }
    EXPECT_FALSE(rig.book.UndoLast());
    // Every edit and every undo stays in the log, each undone edit naming its undo.
    ASSERT_EQ(rig.book.Changes().size(), 10u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rig.book.Changes()[std::size_t(i)].undoneBy, 10 - i);
    EXPECT_EQ(rig.book.Changes().back().what, QStringLiteral("Rückgängig"));
}

TEST(EventBook, importUndone_bringsBackTheEntriesBefore)
{
    BookRig rig;
    rig.book.SetEntry({1, QStringLiteral("Alt"), {}, {}, QStringLiteral("A"), {}, {}, 1});
    rig.book.ReplaceEntries({{2, QStringLiteral("Neu"), {}, {}, QStringLiteral("B"), {}, {}, 1},
                             {3, QStringLiteral("Neu"), {}, {}, QStringLiteral("B"), {}, {}, 2}});
    // A list with a number twice or out of range changes nothing.
    for (const int number : {2, 0, 10000})
        EXPECT_FALSE(rig.book.ReplaceEntries({{2, {}, {}, {}, QStringLiteral("B"), {}, {}, 1},
                                              {number, {}, {}, {}, QStringLiteral("B"), {}, {}, 2}}));
    ASSERT_EQ(rig.Reopen(), QString());
    EXPECT_EQ(rig.book.Entries().size(), 2);
    ASSERT_TRUE(rig.book.UndoLast());
    ASSERT_EQ(rig.Reopen(), QString());
    ASSERT_EQ(rig.book.Entries().size(), 1);
    EXPECT_EQ(rig.book.Entries()[0].name, QStringLiteral("Alt"));
}

TEST(EventBook, unusableFile_isSetAsideUnchangedAndReported)
{
    struct Case
    {
        const char* name;
        std::function<void(const QString& path)> spoil;
        QString said;
    };
    const Case cases[] = {
        {"garbage", [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(QByteArray(8192, '\x5a'));
         }, QStringLiteral("beschädigt")},
        {"newer", [](const QString& path) {
             QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("spoil"));
             db.setDatabaseName(path);
             ASSERT_TRUE(db.open());
             QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version=%1").arg(BookSql::SchemaVersion() + 1));
             db.close();
             db = QSqlDatabase();
             QSqlDatabase::removeDatabase(QStringLiteral("spoil"));
         }, QStringLiteral("neueren Programmversion")},
        {"foreign", [](const QString& path) {
             QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("spoil"));
             db.setDatabaseName(path + QStringLiteral(".other"));
             ASSERT_TRUE(db.open());
             QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)"));
             db.close();
             db = QSqlDatabase();
             QSqlDatabase::removeDatabase(QStringLiteral("spoil"));
             QFile::remove(path);
             QFile::rename(path + QStringLiteral(".other"), path);
         }, QStringLiteral("keine Veranstaltungsdatei")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path;
        {
            BookRig rig;
            rig.book.RecordRun(Finished(QStringLiteral("1"), 60000));
            ASSERT_TRUE(rig.book.Close());
            path = rig.path;
            QFile::remove(path + QStringLiteral("-wal"));
            QFile::remove(path + QStringLiteral("-shm"));
            c.spoil(path);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            file.close();

            const EventBook::Result result = rig.book.Open(path);
            EXPECT_FALSE(result.ok);
            EXPECT_FALSE(rig.book.IsOpen());
            EXPECT_TRUE(result.message.contains(c.said)) << result.message.toStdString();
            EXPECT_TRUE(result.message.contains(QStringLiteral("beiseitegelegt")));
            EXPECT_FALSE(QFile::exists(path)) << "no new book in its place";
            QFile aside(result.setAsidePath);
            ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
            EXPECT_EQ(aside.readAll(), bytes);
        }
    }
}

TEST(EventBook, emptyFile_opensAsANewBookOfThisVersion)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("leer.ravolt"));
    QFile(path).open(QIODevice::WriteOnly);
    EventBook book;
    ASSERT_TRUE(book.Open(path).ok);
    book.RecordRun(Finished(QStringLiteral("1"), 60000));
    ASSERT_TRUE(book.Close());
    ASSERT_TRUE(book.Open(path).ok);
    EXPECT_EQ(book.Runs().size(), 1u);
}

TEST(EventBook, failedWrite_keepsChangesAndRetrySavesThem)
{
    BookRig rig;
    QSignalSpy failed(&rig.book, &EventBook::WriteFailed);
    QSignalSpy recovered(&rig.book, &EventBook::WriteRecovered);
    rig.book.RecordRun(Finished(QStringLiteral("1"), 61000));
    ASSERT_TRUE(rig.book.WaitWritten());

    // The folder is gone and a file holds its name: nothing can be written there.
    const QString folder = QFileInfo(rig.path).absolutePath();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    rig.book.RecordRun(Finished(QStringLiteral("2"), 62000));
    ASSERT_TRUE(failed.wait(5000));
    // First the file is missed and rewritten from memory; that fails too.
    while (failed.size() < 2)
        ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.back().at(0).toString().contains(QStringLiteral("lässt sich nicht speichern")));
    EXPECT_FALSE(rig.book.WriteNotice().isEmpty());
    rig.book.SetPenalty(rig.book.Runs().back().id, 1, 0, RunStatus::Valid, QString());

    ASSERT_TRUE(QFile::remove(folder));
    rig.book.Retry();
    ASSERT_TRUE(recovered.wait(5000));
    EXPECT_TRUE(rig.book.WriteNotice().isEmpty());
    ASSERT_EQ(rig.Reopen(), QString());
    EXPECT_EQ(Kinds(rig.book), QStringLiteral("T1 T1"));
    EXPECT_EQ(rig.book.Runs().back().cones, 1);
    EXPECT_EQ(rig.book.Rules().venue, Rules().venue);
}

TEST(EventBook, killedMidSession_losesNothingConfirmed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kill.ravolt"));
    QProcess child;
    child.start(QStringLiteral(RAVOLT_BOOK_CHILD), {path});
    ASSERT_TRUE(child.waitForStarted());
    int confirmed = 0;
    while (confirmed < 40) {
        if (!child.canReadLine()) {
            ASSERT_TRUE(child.waitForReadyRead(10000)) << child.readAllStandardError().toStdString();
        }
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("confirmed "))
                confirmed = line.mid(10).toInt();
        }
    }
    child.kill(); // SIGKILL, in the middle of its writing
    ASSERT_TRUE(child.waitForFinished());

    EventBook book;
    ASSERT_TRUE(book.Open(path).ok);
    ASSERT_GE(book.Runs().size(), std::size_t(confirmed));
    for (int i = 1; i <= confirmed; ++i) {
        const RunRecord& run = book.Runs()[std::size_t(i - 1)];
        EXPECT_EQ(run.number, i);
        EXPECT_EQ(run.runTimeMs, 60000 + i);
        EXPECT_EQ(run.cones, i % 3 == 0 ? 1 : 0) << i;
    }
}

TEST(EventBookFiles, newBook_isNamedSafelyRememberedAndListed)
{
    QDir(BookFiles::Folder()).removeRecursively();
    EventBook book;
    EXPECT_FALSE(book.OpenLast(BookFiles::Folder()).ok);
    ASSERT_TRUE(book.Create(Rules()).ok);
    const QString first = book.Path();
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("2026-06-14-Slalom am Berg _ Lauf_ 2.ravolt"));
    ASSERT_TRUE(book.Create(Rules()).ok);
    EXPECT_EQ(QFileInfo(book.Path()).fileName(), QStringLiteral("2026-06-14-Slalom am Berg _ Lauf_ 2 (2).ravolt"));
    const QString second = book.Path();

    ASSERT_TRUE(book.Open(first).ok);
    ASSERT_TRUE(book.Close());
    ASSERT_TRUE(book.OpenLast(BookFiles::Folder()).ok);
    EXPECT_EQ(book.Path(), first);
    QStringList listed;
    for (const BookFiles::BookInfo& info : BookFiles::List(BookFiles::Folder()))
        listed << QFileInfo(info.path).fileName();
    EXPECT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.contains(QFileInfo(first).fileName()));
    EXPECT_TRUE(listed.contains(QFileInfo(second).fileName()));
    EXPECT_EQ(BookFiles::FileNameFor(QDate(2026, 1, 2), QStringLiteral("..\t ")),
              QStringLiteral("2026-01-02-Veranstaltung.ravolt"));
    QDir(BookFiles::Folder()).removeRecursively();
}
