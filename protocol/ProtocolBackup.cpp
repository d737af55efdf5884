#include "ProtocolBackup.h"

#include "ProtocolFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sched.h>
#include <thread>

struct ProtocolBackup::Job
{
    std::shared_ptr<const ProtocolRows> rows;
    QString path;
    QString fallback;
    bool keepOff = false;
    std::uint64_t number = 0;
};

struct ProtocolBackup::Outcome
{
    bool saved = false;
    QString failure;
    std::uint64_t number = 0;
};

namespace {

bool WriteFallback(const ProtocolRows& rows, const QString& path, const QString& fallback, QString* reason)
{
    if (fallback.isEmpty() || fallback == path) {
        *reason = QStringLiteral("kein anderer Ordner für die Sicherung");
        return false;
    }
    if (!QDir().mkpath(QFileInfo(fallback).absolutePath())) {
        *reason = QStringLiteral("Ordner lässt sich nicht anlegen");
        return false;
    }
    return SaveProtocolText(fallback, rows, reason);
}

} // namespace

// One thread that writes the handed-over copies one after the other. A copy
// waiting while an older one is written is replaced by a newer one.
class ProtocolBackup::Writer
{
public:
    explicit Writer(ProtocolBackup& owner)
        : owner_(&owner)
        , thread_([this] { Run(); })
    {
    }

    ~Writer()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void Post(Job job)
    {
        {
            const std::lock_guard lock(mutex_);
            pending_ = std::move(job);
        }
        changed_.notify_all();
    }

    // Drops a copy not yet started and waits for the one being written.
    void Cancel()
    {
        std::unique_lock lock(mutex_);
        pending_.reset();
        changed_.wait(lock, [this] { return !busy_; });
    }

    void WaitIdle()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_ && !pending_; });
    }

    static Outcome Write(const Job& job)
    {
        Outcome outcome;
        outcome.number = job.number;
        QString reason;
        if (!job.keepOff && SaveProtocolText(job.path, *job.rows, &reason)) {
            outcome.saved = true;
            return outcome;
        }
        QString fallbackReason;
        outcome.saved = WriteFallback(*job.rows, job.path, job.fallback, &fallbackReason);
        if (job.keepOff)
            outcome.failure = outcome.saved ? QString() : QStringLiteral("Sicherung fehlgeschlagen: ") + fallbackReason;
        else if (outcome.saved)
            outcome.failure = QStringLiteral("Sicherung fehlgeschlagen: %1 (%2) – gesichert in %3")
                                  .arg(reason, QDir::toNativeSeparators(QFileInfo(job.path).absolutePath()),
                                       QDir::toNativeSeparators(job.fallback));
        else if (job.fallback.isEmpty() || job.fallback == job.path)
            outcome.failure = QStringLiteral("Sicherung fehlgeschlagen: ") + reason;
        else
            outcome.failure =
                QStringLiteral("Sicherung fehlgeschlagen: %1, auch im Ersatzordner (%2)").arg(reason, fallbackReason);
        return outcome;
    }

private:
    void Run()
    {
        // The disk work waits for any other thread that wants the core: on
        // two cores a write must not delay the port's worker stamping an edge
        // that comes right after the command (a finish and the next start).
        sched_param idle{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stop_ || pending_; });
            if (!pending_)
                return;
            const Job job = std::move(*pending_);
            pending_.reset();
            busy_ = true;
            lock.unlock();
            const Outcome outcome = Write(job);
            // Reported on the owner's thread; the owner may be gone by then.
            QMetaObject::invokeMethod(owner_, [owner = owner_, outcome] {
                if (owner)
                    owner->Apply(outcome);
            }, Qt::QueuedConnection);
            lock.lock();
            busy_ = false;
            changed_.notify_all();
        }
    }

    QPointer<ProtocolBackup> owner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> pending_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

ProtocolBackup::ProtocolBackup(const QString& path, std::function<ProtocolRows()> rows, QObject* parent)
    : ProtocolBackup(
          path,
          [rows = std::move(rows)] {
              return std::make_shared<const ProtocolRows>(rows ? rows() : ProtocolRows());
          },
          parent)
{
}

ProtocolBackup::ProtocolBackup(const QString& path, std::function<std::shared_ptr<const ProtocolRows>()> rows,
                               QObject* parent)
    : QObject(parent)
    , path_(path)
    , rows_(std::move(rows))
    , writer_(std::make_unique<Writer>(*this))
{
    // Zero interval: the copy waits only for the running command to end.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ProtocolBackup::HandOver);
}

ProtocolBackup::~ProtocolBackup()
{
    writer_->WaitIdle();
}

void ProtocolBackup::Schedule()
{
    if (!timer_.isActive())
        timer_.start();
}

ProtocolBackup::Job ProtocolBackup::MakeJob()
{
    Job job;
    job.rows = rows_ ? rows_() : nullptr;
    if (!job.rows)
        job.rows = std::make_shared<const ProtocolRows>();
    job.path = path_;
    job.fallback = fallback_;
    job.keepOff = keepOff_;
    job.number = ++handedOver_;
    return job;
}

void ProtocolBackup::HandOver()
{
    writer_->Post(MakeJob());
}

void ProtocolBackup::WaitForWrites()
{
    writer_->WaitIdle();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool ProtocolBackup::WriteNow()
{
    timer_.stop();
    // The writer's copy is older: it must not land after this one.
    writer_->Cancel();
    const Outcome outcome = Writer::Write(MakeJob());
    Apply(outcome);
    return outcome.saved;
}

void ProtocolBackup::Apply(const Outcome& outcome)
{
    if (outcome.number <= applied_)
        return;
    applied_ = outcome.number;
    lastSaved_ = outcome.saved;
    SetFailure(outcome.failure);
}

void ProtocolBackup::SetRemark(const QString& remark)
{
    const QString before = Notice();
    remark_ = remark;
    if (Notice() != before)
        Q_EMIT StatusChanged(Notice());
}

void ProtocolBackup::SetFailure(const QString& failure)
{
    const QString before = Notice();
    failure_ = failure;
    if (Notice() != before)
        Q_EMIT StatusChanged(Notice());
}

QString ProtocolBackup::Notice() const
{
    QStringList shown;
    for (const QString& text : {remark_, failure_}) {
        if (!text.isEmpty())
            shown << text;
    }
    return shown.join(QLatin1Char('\n'));
}
