#pragma once

#include "BookContent.h"
#include "EventTypes.h"
#include "RunControl.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class BookWriter;
class QSqlDatabase;

// The event book: entries, runs with penalties, the event's rules and the
// posted lists, in one SQLite file per event. The UI thread reads and edits
// an in-memory copy; every edit is queued at once for the writer thread,
// which commits it with full sync, so recording a run never waits for the
// disk. A failed write keeps the change queued, tells the operator and is
// retried with the next change and by a timer.
//
// Operator edits (penalties, kinds, typed-in runs, entries) are logged in
// the change list with old and new value and can be undone, the latest
// first. What the timing did (a restart, an accident) is logged too but is
// not undone here.
class EventBook : public QObject
{
    Q_OBJECT
public:
    // The outcome of opening or creating a book; message is German.
    struct Result
    {
        bool ok = false;
        QString message;
        QString setAsidePath; // where an unusable file was moved to
    };

    explicit EventBook(QObject* parent = nullptr);
    // Waits for the writer.
    ~EventBook() override;

    // A new book in BookFiles::Folder(); it becomes the last event.
    Result Create(const EventRules& rules);
    // A new book at path (a free name); it becomes the last event.
    Result CreateAt(const QString& path, const EventRules& rules);
    // An existing book; a damaged file or one from a newer program is set
    // aside and reported, never opened or overwritten. It becomes the last event.
    Result Open(const QString& path);
    // The last event of folder; a failure when there is none.
    Result OpenLast(const QString& folder);
    // Writes what is queued and closes the file; false when some of it
    // could not be written.
    bool Close();
    bool IsOpen() const { return writer_ != nullptr; }
    QString Path() const { return path_; }

    const EventRules& Rules() const { return c_.rules; }
    const QVector<Entry>& Entries() const { return c_.entries; }
    const std::vector<RunRecord>& Runs() const { return c_.runs; }
    const std::vector<BookChange>& Changes() const { return c_.changes; }
    const std::vector<PostedList>& Posted() const { return c_.posted; }
    const Entry* FindEntry(int number) const;
    const RunRecord* FindRun(std::int64_t id) const;

    void SetRules(const EventRules& rules);
    // An import: all entries at once, in one transaction (undoable). False,
    // changing nothing, for a number outside 1..9999 or one given twice.
    bool ReplaceEntries(const QVector<Entry>& entries);
    // Adds or changes the entry with that number; false for a number outside 1..9999.
    bool SetEntry(const Entry& entry);
    void RemoveEntry(int number);
    // Penalties and status of a run; false for an unknown run.
    bool SetPenalty(std::int64_t runId, int cones, int skippedTasks, RunStatus status, const QString& reason);
    // Training or scored: the driver's runs are numbered anew.
    bool SetKind(std::int64_t runId, RunKind kind);
    // A run typed in by hand ("Hand"); its id.
    std::int64_t AddHandRun(int number, std::int32_t runTimeMs);
    // Undoes the latest operator edit that stands; false when there is none.
    bool UndoLast();
    // Keeps a posted list; its version for that list.
    int PostList(const QString& list, bool official, const QString& content);

    // Blocks until everything is written or a write failed; for tests and tools.
    bool WaitWritten(int timeoutMs = 5000);

    // The write failure notice, once per failure; empty while none is pending.
    QString WriteNotice() const { return notice_; }

public Q_SLOTS:
    // A finished run: the driver's first trainingRuns runs are training runs,
    // the rest scored. A start number not in the entry list is kept as it is.
    void RecordRun(const RunControl::FinishedRun& run);
    // The accident command voided the protocol row of this start number: its
    // latest run is kept as voided and the re-run takes its place.
    void VoidRun(const QString& startNumber);
    // A START re-ran a number that had a result: its latest run is kept as replaced.
    void RestartRun(const QString& startNumber);
    // Writes what failed again (the retry timer calls it too).
    void Retry();

Q_SIGNALS:
    // Anything in the book changed (a run, a penalty, an entry, the rules).
    void Changed();
    // A German notice: the book could not be written; the changes are kept.
    void WriteFailed(const QString& notice);
    // Everything is written again after a failure.
    void WriteRecovered();

private:
    Result Load(const QString& path);
    void Start(const QString& path);
    void Queue(std::function<bool(QSqlDatabase&, QString&)> op);
    void OnWriteFailed(const QString& error, bool missing);
    RunRecord* Run(std::int64_t id);
    RunRecord* LatestRun(const QString& startNumber);
    // Gives run its id, kind and index and queues it.
    RunRecord& Append(RunRecord run);
    static int NumberOf(const QString& startNumber);
    // Kind of the next run of number: its place among the runs that stand
    // decides, so a kind the operator changed stays that run's alone.
    RunKind NextKind(int number) const;
    // Numbers the runs of number that stand, per kind, and queues each
    // run whose index changed.
    void Renumber(int number);
    BookChange& Log(const QString& what, std::int64_t runId, int number, const QString& oldValue,
                    const QString& newValue);
    void QueueRun(const RunRecord& run);
    void Mark(const QString& startNumber, bool voided);
    void ApplyEntries(const QVector<Entry>& entries);
    void ApplyEntry(int number, const QString& json);

    BookContent c_;
    QString path_;
    QString notice_;
    std::int64_t nextRunId_ = 1;
    std::int64_t nextChangeId_ = 1;
    std::int64_t nextPostedId_ = 1;
    QTimer retry_;
    std::unique_ptr<BookWriter> writer_;
};
