#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QSqlDatabase;

// Writes a book's changes on a thread of its own, in order, each batch of
// waiting changes in one transaction: with full sync a commit waits for the
// disk, and the UI thread must never wait for it. A batch that fails stays
// queued and is written again on Retry or with the next change; nothing
// queued is dropped. The connection belongs to the writer's thread.
class BookWriter : public QObject
{
    Q_OBJECT
public:
    // One change: false with the reason when it could not be written.
    using Op = std::function<bool(QSqlDatabase& db, QString& error)>;

    // Starts the thread; the file is opened at the first write.
    explicit BookWriter(const QString& path, QObject* parent = nullptr);
    // Tries once more what is queued, then ends the thread.
    ~BookWriter() override;

    // UI thread: queue a change (and retry what failed before it).
    void Add(Op op);
    // UI thread: the file is gone; instead of what is queued, write the whole
    // book anew (op creates the schema and writes everything).
    void Rewrite(Op op);
    // UI thread: write what failed again.
    void Retry();
    // Blocks until everything queued is written (true) or a write failed
    // or the time ran out (false). For tests, tools and the end.
    bool WaitWritten(int timeoutMs);
    // How many changes wait to be written (the failed ones included).
    int Pending() const;

Q_SIGNALS:
    // From the writer's thread: a batch failed (error from the database or
    // the file system); missing when the book's file has vanished.
    void Failed(const QString& error, bool missing);
    // From the writer's thread: after a failure, everything is written again.
    void Recovered();

private:
    void Loop();
    // Writes batch in one transaction on the writer's connection.
    bool WriteBatch(const std::deque<Op>& batch, bool rewrite, QString& error, bool& missing);
    bool Transaction(QSqlDatabase& db, const std::deque<Op>& batch, bool rewrite, QString& error);
    bool OpenConnection(QString& error);
    void CloseConnection();

    const QString path_;
    const QString connection_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    std::deque<Op> queue_;
    // Bumped when Rewrite drops the queue, so a batch in flight is not popped twice.
    quint64 generation_ = 0;
    bool rewrite_ = false;
    bool failing_ = false; // the last batch failed: wait for Retry or Add
    bool hadFailure_ = false; // Recovered is due once the queue is written
    bool stop_ = false;
    bool open_ = false; // writer thread only
    std::thread thread_;
};
