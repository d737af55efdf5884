#include "BookWriter.h"

#include "BookFiles.h"
#include "BookSql.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QtGlobal>

#include <chrono>
#include <pthread.h>
#include <sched.h>

BookWriter::BookWriter(const QString& path, QObject* parent)
    : QObject(parent),
      path_(path),
      connection_(QStringLiteral("ravolt-book-writer-%1").arg(quintptr(this), 0, 16))
{
    thread_ = std::thread([this] { Loop(); });
}

BookWriter::~BookWriter()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        failing_ = false; // one last try
    }
    wake_.notify_all();
    thread_.join();
}

void BookWriter::Add(Op op)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(op));
        failing_ = false;
    }
    wake_.notify_all();
}

void BookWriter::Rewrite(Op op)
{
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
        queue_.push_back(std::move(op));
        ++generation_;
        rewrite_ = true;
        failing_ = false;
    }
    wake_.notify_all();
}

void BookWriter::Retry()
{
    {
        std::lock_guard lock(mutex_);
        failing_ = false;
    }
    wake_.notify_all();
}

bool BookWriter::WaitWritten(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    written_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return queue_.empty() || failing_; });
    return queue_.empty();
}

int BookWriter::Pending() const
{
    std::lock_guard lock(mutex_);
    return int(queue_.size());
}

void BookWriter::Loop()
{
    // The disk work yields to every other thread, as the protocol's backup
    // writer does: on two cores a commit must not delay the port's worker
    // stamping the next barrier edge.
    sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || (!queue_.empty() && !failing_); });
        if (queue_.empty() || failing_)
            break; // stopping
        const std::deque<Op> batch = queue_;
        const quint64 generation = generation_;
        const bool rewrite = rewrite_;
        const bool stopping = stop_;
        lock.unlock();
        QString error;
        bool missing = false;
        const bool ok = WriteBatch(batch, rewrite, error, missing);
        lock.lock();
        if (ok) {
            if (generation == generation_) {
                queue_.erase(queue_.begin(), queue_.begin() + qsizetype(batch.size()));
                if (rewrite)
                    rewrite_ = false;
            }
            if (queue_.empty() && hadFailure_) {
                hadFailure_ = false;
                Q_EMIT Recovered();
            }
        } else {
            failing_ = true;
            hadFailure_ = true;
            qWarning("Event book not written: %s", qPrintable(error));
            Q_EMIT Failed(error, missing);
        }
        written_.notify_all();
        if (stopping && (failing_ || queue_.empty()))
            break;
    }
    lock.unlock();
    CloseConnection();
}

bool BookWriter::OpenConnection(QString& error)
{
    if (open_)
        return true;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    // Another program reading the book may hold its lock for a moment.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        error = db.lastError().text();
    } else if (BookSql::PrepareConnection(db, error)) {
        open_ = true;
        return true;
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
    return false;
}

void BookWriter::CloseConnection()
{
    if (!open_)
        return;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
    open_ = false;
}

bool BookWriter::WriteBatch(const std::deque<Op>& batch, bool rewrite, QString& error, bool& missing)
{
    // SQLite keeps writing into a file that was deleted under it: look first.
    if (!QFileInfo::exists(path_)) {
        CloseConnection();
        if (!rewrite) {
            missing = true;
            error = QStringLiteral("Datei fehlt");
            return false;
        }
        // What is left beside a vanished file belongs to it, never to the new one.
        BookFiles::SetAsideLeftovers(path_);
        if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
            error = QStringLiteral("Ordner lässt sich nicht anlegen");
            return false;
        }
    }
    if (!OpenConnection(error))
        return false;
    bool ok;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        ok = Transaction(db, batch, rewrite, error);
    }
    // A fresh connection on the next try: the failure may have left this one unusable.
    if (!ok)
        CloseConnection();
    return ok;
}

bool BookWriter::Transaction(QSqlDatabase& db, const std::deque<Op>& batch, bool rewrite, QString& error)
{
    if (rewrite && !BookSql::Migrate(db, error))
        return false;
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    for (const Op& op : batch) {
        if (!op(db, error)) {
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}
