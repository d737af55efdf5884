#include "BookSql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace BookSql {
namespace {

// Each step brings the file from the version before it to its own version.
// Steps are only ever added, never changed: files of every earlier version
// must still migrate.
const QVector<QStringList>& MigrationSteps()
{
    static const QVector<QStringList> steps = {
        // 1: the first book.
        {
            QStringLiteral("CREATE TABLE event (id INTEGER PRIMARY KEY CHECK (id = 1), title TEXT NOT NULL, "
                           "date TEXT NOT NULL, venue TEXT NOT NULL, training_runs INTEGER NOT NULL, "
                           "scored_runs INTEGER NOT NULL, rule TEXT NOT NULL, best_n INTEGER NOT NULL, "
                           "cone_seconds INTEGER NOT NULL, skipped_task_seconds INTEGER NOT NULL, "
                           "skipped_tasks_allowed INTEGER NOT NULL, teams INTEGER NOT NULL, "
                           "team_best_of INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE posted (id INTEGER PRIMARY KEY, list TEXT NOT NULL, version INTEGER NOT NULL, "
                           "official INTEGER NOT NULL, posted_at TEXT NOT NULL, content TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE entry (number INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                           "first_name TEXT NOT NULL, car TEXT NOT NULL, class TEXT NOT NULL, club TEXT NOT NULL, "
                           "team TEXT NOT NULL, entry_order INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE run (id INTEGER PRIMARY KEY, number INTEGER NOT NULL, lane INTEGER NOT NULL, "
                           "start_tick INTEGER NOT NULL, stop_tick INTEGER NOT NULL, run_time_ms INTEGER NOT NULL, "
                           "start_clock TEXT NOT NULL, stop_clock TEXT NOT NULL, source TEXT NOT NULL, "
                           "kind TEXT NOT NULL, run_index INTEGER NOT NULL, status TEXT NOT NULL, "
                           "cones INTEGER NOT NULL, skipped_tasks INTEGER NOT NULL, reason TEXT NOT NULL, "
                           "replaced INTEGER NOT NULL, voided INTEGER NOT NULL, row_number TEXT NOT NULL, "
                           "recorded TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX run_by_number ON run (number)"),
            QStringLiteral("CREATE TABLE change (id INTEGER PRIMARY KEY, at TEXT NOT NULL, what TEXT NOT NULL, "
                           "run_id INTEGER NOT NULL, number INTEGER NOT NULL, old_value TEXT NOT NULL, "
                           "new_value TEXT NOT NULL, undone_by INTEGER NOT NULL)"),
        },
    };
    return steps;
}

// Local time with its offset to UTC, so a reader elsewhere knows the moment.
QString TimeText(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QDateTime TimeFrom(const QVariant& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs).toLocalTime();
}

bool Fail(const QSqlQuery& query, QString& error)
{
    error = query.lastError().text();
    return false;
}

bool Exec(QSqlDatabase& db, const QString& sql, QString& error)
{
    QSqlQuery query(db);
    return query.exec(sql) || Fail(query, error);
}

// Prepares sql, binds values in order and runs it.
bool Run(QSqlDatabase& db, const QString& sql, const QVariantList& values, QString& error)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        return Fail(query, error);
    for (const QVariant& value : values) {
        // A null text would be bound as NULL; every text column holds text.
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QStringLiteral(""));
        else
            query.addBindValue(value);
    }
    return query.exec() || Fail(query, error);
}

QString RuleCode(ScoringRule rule)
{
    switch (rule) {
    case ScoringRule::SumOfAll: return QStringLiteral("sum");
    case ScoringRule::SumOfBestN: return QStringLiteral("bestn");
    case ScoringRule::BestTime: return QStringLiteral("best");
    }
    return QStringLiteral("sum");
}

ScoringRule RuleFromCode(const QString& code)
{
    if (code == QLatin1String("bestn"))
        return ScoringRule::SumOfBestN;
    if (code == QLatin1String("best"))
        return ScoringRule::BestTime;
    return ScoringRule::SumOfAll;
}

// A query that reads every row of a table: forward only, it keeps no copy.
bool Select(QSqlQuery& query, const QString& sql, QString& error)
{
    query.setForwardOnly(true);
    return query.exec(sql) || Fail(query, error);
}

} // namespace

int SchemaVersion()
{
    return int(MigrationSteps().size());
}

QString KindCode(RunKind kind)
{
    return kind == RunKind::Training ? QStringLiteral("training") : QStringLiteral("scored");
}

RunKind KindFromCode(const QString& code)
{
    return code == QLatin1String("training") ? RunKind::Training : RunKind::Scored;
}

QString StatusCode(RunStatus status)
{
    switch (status) {
    case RunStatus::Valid: return QStringLiteral("valid");
    case RunStatus::Invalid: return QStringLiteral("ng");
    case RunStatus::DNF: return QStringLiteral("dnf");
    case RunStatus::DNS: return QStringLiteral("dns");
    }
    return QStringLiteral("valid");
}

RunStatus StatusFromCode(const QString& code)
{
    if (code == QLatin1String("ng"))
        return RunStatus::Invalid;
    if (code == QLatin1String("dnf"))
        return RunStatus::DNF;
    if (code == QLatin1String("dns"))
        return RunStatus::DNS;
    return RunStatus::Valid;
}

bool PrepareConnection(QSqlDatabase& db, QString& error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next())
        return Fail(query, error);
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        error = QStringLiteral("WAL-Modus nicht verfügbar");
        return false;
    }
    return Exec(db, QStringLiteral("PRAGMA synchronous=FULL"), error);
}

bool QuickCheck(QSqlDatabase& db, QString& error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check")))
        return Fail(query, error);
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (problems.isEmpty())
        return true;
    error = problems.join(QStringLiteral("; "));
    return false;
}

int UserVersion(QSqlDatabase& db, QString& error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        Fail(query, error);
        return -1;
    }
    return query.value(0).toInt();
}

bool Migrate(QSqlDatabase& db, QString& error)
{
    int version = UserVersion(db, error);
    if (version < 0)
        return false;
    const auto& steps = MigrationSteps();
    for (; version < steps.size(); ++version) {
        if (!db.transaction()) {
            error = db.lastError().text();
            return false;
        }
        bool ok = true;
        for (const QString& sql : steps[version])
            ok = ok && Exec(db, sql, error);
        ok = ok && Exec(db, QStringLiteral("PRAGMA user_version=%1").arg(version + 1), error);
        if (!ok || !db.commit()) {
            if (ok)
                error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

bool WriteRules(QSqlDatabase& db, const EventRules& r, QString& error)
{
    return Run(db,
               QStringLiteral("INSERT OR REPLACE INTO event VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {r.title, r.date.toString(Qt::ISODate), r.venue, r.trainingRuns, r.scoredRuns, RuleCode(r.rule),
                r.bestN, r.coneSeconds, r.skippedTaskSeconds, r.skippedTasksAllowed, int(r.teams), r.teamBestOf},
               error);
}

bool UpsertEntry(QSqlDatabase& db, const Entry& e, QString& error)
{
    return Run(db, QStringLiteral("INSERT OR REPLACE INTO entry VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               {e.number, e.name, e.firstName, e.car, e.className, e.club, e.team, e.order}, error);
}

bool ReplaceEntries(QSqlDatabase& db, const QVector<Entry>& entries, QString& error)
{
    if (!Exec(db, QStringLiteral("DELETE FROM entry"), error))
        return false;
    for (const Entry& entry : entries) {
        if (!UpsertEntry(db, entry, error))
            return false;
    }
    return true;
}

bool DeleteEntry(QSqlDatabase& db, int number, QString& error)
{
    return Run(db, QStringLiteral("DELETE FROM entry WHERE number = ?"), {number}, error);
}

bool UpsertRun(QSqlDatabase& db, const RunRecord& r, QString& error)
{
    return Run(db,
               QStringLiteral("INSERT OR REPLACE INTO run VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "?, ?)"),
               {qint64(r.id), r.number, r.lane, qint64(r.startTick), qint64(r.stopTick), r.runTimeMs, r.startClock,
                r.stopClock, r.source, KindCode(r.kind), r.index, StatusCode(r.status), r.cones, r.skippedTasks,
                r.reason, int(r.replaced), int(r.voided), r.rowNumber, TimeText(r.recorded)},
               error);
}

bool DeleteRun(QSqlDatabase& db, std::int64_t id, QString& error)
{
    return Run(db, QStringLiteral("DELETE FROM run WHERE id = ?"), {qint64(id)}, error);
}

bool UpsertChange(QSqlDatabase& db, const BookChange& c, QString& error)
{
    return Run(db, QStringLiteral("INSERT OR REPLACE INTO change VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               {qint64(c.id), TimeText(c.at), c.what, qint64(c.runId), c.number, c.oldValue, c.newValue,
                qint64(c.undoneBy)},
               error);
}

bool InsertPosted(QSqlDatabase& db, const PostedList& p, QString& error)
{
    return Run(db, QStringLiteral("INSERT OR REPLACE INTO posted VALUES (?, ?, ?, ?, ?, ?)"),
               {qint64(p.id), p.list, p.version, int(p.official), TimeText(p.posted), p.content}, error);
}

bool WriteAll(QSqlDatabase& db, const BookContent& c, QString& error)
{
    if (!WriteRules(db, c.rules, error) || !ReplaceEntries(db, c.entries, error))
        return false;
    for (const RunRecord& run : c.runs) {
        if (!UpsertRun(db, run, error))
            return false;
    }
    for (const BookChange& change : c.changes) {
        if (!UpsertChange(db, change, error))
            return false;
    }
    for (const PostedList& posted : c.posted) {
        if (!InsertPosted(db, posted, error))
            return false;
    }
    return true;
}

bool LoadAll(QSqlDatabase& db, BookContent& c, QString& error)
{
    QSqlQuery q(db);
    if (!Select(q, QStringLiteral("SELECT * FROM event WHERE id = 1"), error))
        return false;
    if (q.next()) {
        EventRules& r = c.rules;
        r.title = q.value(1).toString();
        r.date = QDate::fromString(q.value(2).toString(), Qt::ISODate);
        r.venue = q.value(3).toString();
        r.trainingRuns = q.value(4).toInt();
        r.scoredRuns = q.value(5).toInt();
        r.rule = RuleFromCode(q.value(6).toString());
        r.bestN = q.value(7).toInt();
        r.coneSeconds = q.value(8).toInt();
        r.skippedTaskSeconds = q.value(9).toInt();
        r.skippedTasksAllowed = q.value(10).toInt();
        r.teams = q.value(11).toBool();
        r.teamBestOf = q.value(12).toInt();
    }

    if (!Select(q, QStringLiteral("SELECT * FROM entry ORDER BY entry_order, number"), error))
        return false;
    while (q.next()) {
        c.entries.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                             q.value(4).toString(), q.value(5).toString(), q.value(6).toString(), q.value(7).toInt()});
    }

    if (!Select(q, QStringLiteral("SELECT * FROM run ORDER BY id"), error))
        return false;
    while (q.next()) {
        RunRecord r;
        r.id = q.value(0).toLongLong();
        r.number = q.value(1).toInt();
        r.lane = q.value(2).toInt();
        r.startTick = std::uint32_t(q.value(3).toLongLong());
        r.stopTick = std::uint32_t(q.value(4).toLongLong());
        r.runTimeMs = q.value(5).toInt();
        r.startClock = q.value(6).toString();
        r.stopClock = q.value(7).toString();
        r.source = q.value(8).toString();
        r.kind = KindFromCode(q.value(9).toString());
        r.index = q.value(10).toInt();
        r.status = StatusFromCode(q.value(11).toString());
        r.cones = q.value(12).toInt();
        r.skippedTasks = q.value(13).toInt();
        r.reason = q.value(14).toString();
        r.replaced = q.value(15).toBool();
        r.voided = q.value(16).toBool();
        r.rowNumber = q.value(17).toString();
        r.recorded = TimeFrom(q.value(18));
        c.runs.push_back(r);
    }

    if (!Select(q, QStringLiteral("SELECT * FROM change ORDER BY id"), error))
        return false;
    while (q.next()) {
        c.changes.push_back({q.value(0).toLongLong(), TimeFrom(q.value(1)), q.value(2).toString(),
                             q.value(3).toLongLong(), q.value(4).toInt(), q.value(5).toString(),
                             q.value(6).toString(), q.value(7).toLongLong()});
    }

    if (!Select(q, QStringLiteral("SELECT * FROM posted ORDER BY id"), error))
        return false;
    while (q.next()) {
        c.posted.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toBool(),
                            TimeFrom(q.value(4)), q.value(5).toString()});
    }
    return true;
}

} // namespace BookSql
