#include "EventBook.h"

#include "BookFiles.h"
#include "BookSql.h"
#include "BookWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSet>

#include <algorithm>

namespace {

// Operator edits, which UndoLast can take back; the others are the timing's.
const QString kPenalty = QStringLiteral("Strafe");
const QString kKind = QStringLiteral("Art");
const QString kHandRun = QStringLiteral("Handzeit");
const QString kEntry = QStringLiteral("Starter");
const QString kEntries = QStringLiteral("Starterliste");
const QString kRestart = QStringLiteral("Neustart");
const QString kVoided = QStringLiteral("Unfall");
const QString kUndo = QStringLiteral("Rückgängig");

constexpr int kRetryMs = 10000;

QString Json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString PenaltyJson(const RunRecord& run)
{
    return Json({{QStringLiteral("cones"), run.cones},
                 {QStringLiteral("skippedTasks"), run.skippedTasks},
                 {QStringLiteral("status"), BookSql::StatusCode(run.status)},
                 {QStringLiteral("reason"), run.reason}});
}

QString KindJson(RunKind kind)
{
    return Json({{QStringLiteral("kind"), BookSql::KindCode(kind)}});
}

QJsonObject EntryObject(const Entry& e)
{
    return {{QStringLiteral("number"), e.number}, {QStringLiteral("name"), e.name},
            {QStringLiteral("firstName"), e.firstName}, {QStringLiteral("car"), e.car},
            {QStringLiteral("class"), e.className}, {QStringLiteral("club"), e.club},
            {QStringLiteral("team"), e.team}, {QStringLiteral("order"), e.order}};
}

Entry EntryFrom(const QJsonObject& o)
{
    return {o.value(QStringLiteral("number")).toInt(), o.value(QStringLiteral("name")).toString(),
            o.value(QStringLiteral("firstName")).toString(), o.value(QStringLiteral("car")).toString(),
            o.value(QStringLiteral("class")).toString(), o.value(QStringLiteral("club")).toString(),
            o.value(QStringLiteral("team")).toString(), o.value(QStringLiteral("order")).toInt()};
}

QString EntriesJson(const QVector<Entry>& entries)
{
    QJsonArray array;
    for (const Entry& entry : entries)
        array.append(EntryObject(entry));
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QJsonObject ObjectFrom(const QString& json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QString SourceText(RunControl::CommandSource source)
{
    switch (source) {
    case RunControl::CommandSource::Key: return QStringLiteral("Taste");
    case RunControl::CommandSource::Button: return QStringLiteral("Knopf");
    case RunControl::CommandSource::Barrier: return QStringLiteral("Lichtschranke");
    }
    return QString();
}

QString Quoted(const QString& path)
{
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(path));
}

// The reading connection of the UI thread, open only while a book loads.
class LoadConnection
{
public:
    explicit LoadConnection(const QString& path)
        : name_(QStringLiteral("ravolt-book-load-%1").arg(quintptr(this), 0, 16))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        opened_ = db.open();
        if (!opened_)
            error_ = db.lastError().text();
    }
    ~LoadConnection()
    {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase Db() const { return QSqlDatabase::database(name_, false); }
    bool Opened() const { return opened_; }
    QString Error() const { return error_; }

private:
    QString name_;
    bool opened_ = false;
    QString error_;
};

bool HasTables(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next() &&
           query.value(0).toInt() > 0;
}

} // namespace

EventBook::EventBook(QObject* parent)
    : QObject(parent)
{
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &EventBook::Retry);
}

EventBook::~EventBook()
{
    Close();
}

EventBook::Result EventBook::Create(const EventRules& rules)
{
    const QString folder = BookFiles::Folder();
    return CreateAt(BookFiles::NewPath(folder, rules.date, rules.title), rules);
}

EventBook::Result EventBook::CreateAt(const QString& path, const EventRules& rules)
{
    Result result;
    if (QFileInfo::exists(path)) {
        result.message = QStringLiteral("Die Veranstaltungsdatei %1 gibt es schon; sie wird nicht überschrieben.")
                             .arg(Quoted(path));
        return result;
    }
    QString error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("Ordner lässt sich nicht anlegen");
    } else {
        LoadConnection connection(path);
        QSqlDatabase db = connection.Db();
        if (!connection.Opened())
            error = connection.Error();
        else if (BookSql::PrepareConnection(db, error) && BookSql::Migrate(db, error) && db.transaction()) {
            if (BookSql::WriteRules(db, rules, error) && db.commit())
                error.clear();
            else if (error.isEmpty())
                error = db.lastError().text();
        } else if (error.isEmpty()) {
            error = db.lastError().text();
        }
    }
    if (!error.isEmpty()) {
        // Only what this call made: the name was free before.
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
        result.message = QStringLiteral("Die neue Veranstaltung %1 lässt sich nicht anlegen (%2).")
                             .arg(Quoted(path), error);
        return result;
    }
    Close();
    c_ = BookContent();
    c_.rules = rules;
    Start(path);
    result.ok = true;
    return result;
}

EventBook::Result EventBook::OpenLast(const QString& folder)
{
    const QString path = BookFiles::LastEvent(folder);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        Result result;
        result.message = QStringLiteral("Es ist noch keine Veranstaltung angelegt.");
        return result;
    }
    return Open(path);
}

EventBook::Result EventBook::Open(const QString& path)
{
    Result result;
    if (!QFileInfo::exists(path)) {
        result.message = QStringLiteral("Die Veranstaltungsdatei %1 wurde nicht gefunden.").arg(Quoted(path));
        return result;
    }
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(path_).absoluteFilePath() && IsOpen()) {
        result.ok = true;
        return result;
    }
    return Load(path);
}

EventBook::Result EventBook::Load(const QString& path)
{
    Result result;
    BookContent content;
    QString why;     // set: the file is set aside under this name
    QString problem; // German: what is wrong with it
    {
        LoadConnection connection(path);
        QSqlDatabase db = connection.Db();
        QString error;
        int version = -1;
        if (!connection.Opened()) {
            why = QStringLiteral("unlesbar");
            problem = QStringLiteral("lässt sich nicht lesen (%1)").arg(connection.Error());
        } else if (!BookSql::QuickCheck(db, error)) {
            why = QStringLiteral("beschaedigt");
            problem = QStringLiteral("ist beschädigt (%1)").arg(error);
        } else if ((version = BookSql::UserVersion(db, error)) > BookSql::SchemaVersion()) {
            why = QStringLiteral("neuere-Version");
            problem = QStringLiteral("stammt aus einer neueren Programmversion (Version %1, dieses Programm kennt "
                                     "Version %2)")
                          .arg(version)
                          .arg(BookSql::SchemaVersion());
        } else if (version == 0 && HasTables(db)) {
            why = QStringLiteral("unlesbar");
            problem = QStringLiteral("ist keine Veranstaltungsdatei");
        } else if (!BookSql::PrepareConnection(db, error) || !BookSql::Migrate(db, error)) {
            problem = QStringLiteral("lässt sich nicht öffnen (%1)").arg(error);
        } else if (!BookSql::LoadAll(db, content, error)) {
            why = QStringLiteral("beschaedigt");
            problem = QStringLiteral("ist beschädigt (%1)").arg(error);
        }
    }
    if (!problem.isEmpty()) {
        result.message = QStringLiteral("Die Veranstaltungsdatei %1 %2.").arg(Quoted(path), problem);
        if (!why.isEmpty()) {
            result.setAsidePath = BookFiles::SetAside(path, why);
            result.message += result.setAsidePath.isEmpty()
                                  ? QStringLiteral(" Sie ließ sich nicht beiseitelegen und bleibt unverändert.")
                                  : QStringLiteral(" Sie wurde unverändert als %1 beiseitegelegt.")
                                        .arg(Quoted(result.setAsidePath));
        }
        return result;
    }
    Close();
    c_ = std::move(content);
    Start(path);
    result.ok = true;
    return result;
}

void EventBook::Start(const QString& path)
{
    path_ = path;
    notice_.clear();
    nextRunId_ = c_.runs.empty() ? 1 : c_.runs.back().id + 1;
    nextChangeId_ = c_.changes.empty() ? 1 : c_.changes.back().id + 1;
    nextPostedId_ = c_.posted.empty() ? 1 : c_.posted.back().id + 1;
    writer_ = std::make_unique<BookWriter>(path);
    // A report still queued from a closed book's writer is not this one's.
    connect(writer_.get(), &BookWriter::Failed, this, [this, writer = writer_.get()](const QString& error, bool missing) {
        if (writer_.get() == writer)
            OnWriteFailed(error, missing);
    });
    connect(writer_.get(), &BookWriter::Recovered, this, [this, writer = writer_.get()] {
        if (writer_.get() != writer)
            return;
        retry_.stop();
        notice_.clear();
        Q_EMIT WriteRecovered();
    });
    BookFiles::RememberLastEvent(path);
    Q_EMIT Changed();
}

bool EventBook::Close()
{
    if (!writer_)
        return true;
    const bool written = writer_->WaitWritten(10000);
    writer_.reset();
    retry_.stop();
    path_.clear();
    return written;
}

bool EventBook::WaitWritten(int timeoutMs)
{
    return !writer_ || writer_->WaitWritten(timeoutMs);
}

void EventBook::Retry()
{
    if (writer_)
        writer_->Retry();
}

void EventBook::Queue(std::function<bool(QSqlDatabase&, QString&)> op)
{
    if (writer_)
        writer_->Add(std::move(op));
}

void EventBook::OnWriteFailed(const QString& error, bool missing)
{
    if (!writer_)
        return;
    if (missing) {
        // The whole book is in memory: write it anew where it was.
        notice_ = QStringLiteral("Die Datei der Veranstaltung %1 fehlt; sie wird aus dem Speicher neu geschrieben.")
                      .arg(Quoted(path_));
        writer_->Rewrite([content = c_](QSqlDatabase& db, QString& why) { return BookSql::WriteAll(db, content, why); });
    } else {
        notice_ = QStringLiteral("Die Veranstaltung %1 lässt sich nicht speichern (%2). Die Zeitnahme läuft weiter; "
                                 "alle Änderungen bleiben im Speicher und werden erneut gespeichert.")
                      .arg(Quoted(path_), error);
        retry_.start();
    }
    Q_EMIT WriteFailed(notice_);
}

const Entry* EventBook::FindEntry(int number) const
{
    const auto it = std::find_if(c_.entries.cbegin(), c_.entries.cend(),
                                 [number](const Entry& e) { return e.number == number; });
    return it == c_.entries.cend() ? nullptr : &*it;
}

const RunRecord* EventBook::FindRun(std::int64_t id) const
{
    const auto it = std::lower_bound(c_.runs.cbegin(), c_.runs.cend(), id,
                                     [](const RunRecord& r, std::int64_t key) { return r.id < key; });
    return it != c_.runs.cend() && it->id == id ? &*it : nullptr;
}

RunRecord* EventBook::Run(std::int64_t id)
{
    return const_cast<RunRecord*>(FindRun(id));
}

RunRecord* EventBook::LatestRun(const QString& startNumber)
{
    // A row whose Nr. is no start number is found by its text.
    const int number = NumberOf(startNumber);
    for (auto it = c_.runs.rbegin(); it != c_.runs.rend(); ++it) {
        if (!it->replaced && (number > 0 ? it->number == number : it->rowNumber == startNumber))
            return &*it;
    }
    return nullptr;
}

int EventBook::NumberOf(const QString& startNumber)
{
    bool ok = false;
    const int number = startNumber.trimmed().toInt(&ok);
    return ok && number >= 1 && number <= 9999 ? number : 0;
}

RunKind EventBook::NextKind(int number) const
{
    const auto standing = std::count_if(c_.runs.cbegin(), c_.runs.cend(),
                                        [number](const RunRecord& r) { return r.number == number && !r.replaced; });
    return standing < c_.rules.trainingRuns ? RunKind::Training : RunKind::Scored;
}

void EventBook::Renumber(int number)
{
    int training = 0;
    int scored = 0;
    for (RunRecord& run : c_.runs) {
        if (run.number != number || run.replaced)
            continue;
        const int index = run.kind == RunKind::Training ? ++training : ++scored;
        if (run.index != index) {
            run.index = index;
            QueueRun(run);
        }
    }
}

void EventBook::QueueRun(const RunRecord& run)
{
    Queue([run](QSqlDatabase& db, QString& error) { return BookSql::UpsertRun(db, run, error); });
}

BookChange& EventBook::Log(const QString& what, std::int64_t runId, int number, const QString& oldValue,
                           const QString& newValue)
{
    c_.changes.push_back({nextChangeId_++, QDateTime::currentDateTime(), what, runId, number, oldValue, newValue, 0});
    const BookChange change = c_.changes.back();
    Queue([change](QSqlDatabase& db, QString& error) { return BookSql::UpsertChange(db, change, error); });
    return c_.changes.back();
}

void EventBook::RecordRun(const RunControl::FinishedRun& finished)
{
    if (!IsOpen())
        return;
    RunRecord run;
    run.number = NumberOf(finished.startNumber);
    run.rowNumber = finished.startNumber;
    run.lane = finished.lane;
    run.startTick = finished.startTick;
    run.stopTick = finished.stopTick;
    run.runTimeMs = finished.runTimeMs;
    run.startClock = finished.startClock;
    run.stopClock = finished.stopClock;
    run.source = SourceText(finished.source);
    Append(run);
    Q_EMIT Changed();
}

RunRecord& EventBook::Append(RunRecord run)
{
    run.id = nextRunId_++;
    run.kind = NextKind(run.number);
    run.index = 1 + int(std::count_if(c_.runs.cbegin(), c_.runs.cend(), [&run](const RunRecord& r) {
                    return r.number == run.number && !r.replaced && r.kind == run.kind;
                }));
    run.recorded = QDateTime::currentDateTime();
    c_.runs.push_back(run);
    QueueRun(run);
    return c_.runs.back();
}

void EventBook::Mark(const QString& startNumber, bool voided)
{
    RunRecord* run = LatestRun(startNumber);
    if (!IsOpen() || !run)
        return;
    run->replaced = true;
    run->voided = voided;
    QueueRun(*run);
    Log(voided ? kVoided : kRestart, run->id, run->number, QString(), QString());
    Renumber(run->number);
    Q_EMIT Changed();
}

void EventBook::VoidRun(const QString& startNumber)
{
    Mark(startNumber, true);
}

void EventBook::RestartRun(const QString& startNumber)
{
    Mark(startNumber, false);
}

bool EventBook::SetPenalty(std::int64_t runId, int cones, int skippedTasks, RunStatus status, const QString& reason)
{
    RunRecord* run = Run(runId);
    if (!IsOpen() || !run || cones < 0 || skippedTasks < 0)
        return false;
    const QString before = PenaltyJson(*run);
    run->cones = cones;
    run->skippedTasks = skippedTasks;
    run->status = status;
    run->reason = reason;
    const QString after = PenaltyJson(*run);
    if (after == before)
        return true;
    QueueRun(*run);
    Log(kPenalty, runId, run->number, before, after);
    Q_EMIT Changed();
    return true;
}

bool EventBook::SetKind(std::int64_t runId, RunKind kind)
{
    RunRecord* run = Run(runId);
    if (!IsOpen() || !run)
        return false;
    if (run->kind == kind)
        return true;
    const RunKind before = run->kind;
    run->kind = kind;
    QueueRun(*run);
    Log(kKind, runId, run->number, KindJson(before), KindJson(kind));
    Renumber(run->number);
    Q_EMIT Changed();
    return true;
}

std::int64_t EventBook::AddHandRun(int number, std::int32_t runTimeMs)
{
    if (!IsOpen() || runTimeMs <= 0)
        return 0;
    RunRecord typed;
    typed.number = NumberOf(QString::number(number));
    typed.rowNumber = QString::number(number);
    typed.runTimeMs = runTimeMs;
    typed.source = QStringLiteral("Hand");
    const RunRecord& run = Append(typed);
    Log(kHandRun, run.id, run.number, QString(), Json({{QStringLiteral("runTimeMs"), runTimeMs}}));
    Q_EMIT Changed();
    return c_.runs.back().id;
}

void EventBook::SetRules(const EventRules& rules)
{
    if (!IsOpen())
        return;
    c_.rules = rules;
    Queue([rules](QSqlDatabase& db, QString& error) { return BookSql::WriteRules(db, rules, error); });
    Q_EMIT Changed();
}

void EventBook::ApplyEntries(const QVector<Entry>& entries)
{
    c_.entries = entries;
    Queue([entries](QSqlDatabase& db, QString& error) { return BookSql::ReplaceEntries(db, entries, error); });
}

bool EventBook::ReplaceEntries(const QVector<Entry>& entries)
{
    if (!IsOpen())
        return false;
    QSet<int> numbers;
    for (const Entry& entry : entries) {
        if (entry.number < 1 || entry.number > 9999 || numbers.contains(entry.number))
            return false;
        numbers.insert(entry.number);
    }
    const QString before = EntriesJson(c_.entries);
    ApplyEntries(entries);
    Log(kEntries, 0, 0, before, EntriesJson(entries));
    Q_EMIT Changed();
    return true;
}

// Sets the entry of number to json's, or removes it for an empty json.
void EventBook::ApplyEntry(int number, const QString& json)
{
    const auto it = std::find_if(c_.entries.begin(), c_.entries.end(),
                                 [number](const Entry& e) { return e.number == number; });
    if (json.isEmpty()) {
        if (it != c_.entries.end())
            c_.entries.erase(it);
        Queue([number](QSqlDatabase& db, QString& error) { return BookSql::DeleteEntry(db, number, error); });
        return;
    }
    const Entry entry = EntryFrom(ObjectFrom(json));
    if (it != c_.entries.end())
        *it = entry;
    else
        c_.entries.push_back(entry);
    std::stable_sort(c_.entries.begin(), c_.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
    Queue([entry](QSqlDatabase& db, QString& error) { return BookSql::UpsertEntry(db, entry, error); });
}

bool EventBook::SetEntry(const Entry& entry)
{
    if (!IsOpen() || entry.number < 1 || entry.number > 9999)
        return false;
    const Entry* old = FindEntry(entry.number);
    const QString before = old ? Json(EntryObject(*old)) : QString();
    const QString after = Json(EntryObject(entry));
    if (before == after)
        return true;
    ApplyEntry(entry.number, after);
    Log(kEntry, 0, entry.number, before, after);
    Q_EMIT Changed();
    return true;
}

void EventBook::RemoveEntry(int number)
{
    const Entry* old = FindEntry(number);
    if (!IsOpen() || !old)
        return;
    const QString before = Json(EntryObject(*old));
    ApplyEntry(number, QString());
    Log(kEntry, 0, number, before, QString());
    Q_EMIT Changed();
}

bool EventBook::UndoLast()
{
    if (!IsOpen())
        return false;
    const auto it = std::find_if(c_.changes.rbegin(), c_.changes.rend(), [](const BookChange& c) {
        return c.undoneBy == 0 && (c.what == kPenalty || c.what == kKind || c.what == kHandRun ||
                                   c.what == kEntry || c.what == kEntries);
    });
    if (it == c_.changes.rend())
        return false;
    const BookChange original = *it;
    const std::size_t position = std::size_t(std::distance(it, c_.changes.rend()) - 1);
    RunRecord* run = Run(original.runId);
    if (original.what == kPenalty && run) {
        const QJsonObject old = ObjectFrom(original.oldValue);
        run->cones = old.value(QStringLiteral("cones")).toInt();
        run->skippedTasks = old.value(QStringLiteral("skippedTasks")).toInt();
        run->status = BookSql::StatusFromCode(old.value(QStringLiteral("status")).toString());
        run->reason = old.value(QStringLiteral("reason")).toString();
        QueueRun(*run);
    } else if (original.what == kKind && run) {
        run->kind = BookSql::KindFromCode(ObjectFrom(original.oldValue).value(QStringLiteral("kind")).toString());
        QueueRun(*run);
        Renumber(run->number);
    } else if (original.what == kHandRun && run) {
        const std::int64_t id = run->id;
        const int number = run->number;
        c_.runs.erase(c_.runs.begin() + (run - c_.runs.data()));
        Queue([id](QSqlDatabase& db, QString& error) { return BookSql::DeleteRun(db, id, error); });
        Renumber(number);
    } else if (original.what == kEntry) {
        ApplyEntry(original.number, original.oldValue);
    } else if (original.what == kEntries) {
        QVector<Entry> entries;
        for (const QJsonValue& value : QJsonDocument::fromJson(original.oldValue.toUtf8()).array())
            entries.push_back(EntryFrom(value.toObject()));
        ApplyEntries(entries);
    }
    const std::int64_t undoId = Log(kUndo, original.runId, original.number, original.newValue, original.oldValue).id;
    BookChange& undone = c_.changes[position];
    undone.undoneBy = undoId;
    Queue([undone](QSqlDatabase& db, QString& error) { return BookSql::UpsertChange(db, undone, error); });
    Q_EMIT Changed();
    return true;
}

int EventBook::PostList(const QString& list, bool official, const QString& content)
{
    if (!IsOpen())
        return 0;
    const int version = 1 + int(std::count_if(c_.posted.cbegin(), c_.posted.cend(),
                                               [&list](const PostedList& p) { return p.list == list; }));
    c_.posted.push_back({nextPostedId_++, list, version, official, QDateTime::currentDateTime(), content});
    const PostedList posted = c_.posted.back();
    Queue([posted](QSqlDatabase& db, QString& error) { return BookSql::InsertPosted(db, posted, error); });
    Q_EMIT Changed();
    return version;
}
