#include "LiveServer.h"

#include "LiveHttp.h"

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// A build (about 13 ms of CPU for 300 drivers) gives way to the thread that
// answers the phones and to timing; even a tenth of a core finishes it well
// within the second a change may take to show. QThread's priorities do
// nothing for normal threads on Linux, so the thread's own nice value is
// raised by this much.
constexpr int kBuilderNice = 10;

} // namespace

LiveServer::LiveServer(QObject* parent)
    : QObject(parent), home_(new QObject), builderHome_(new QObject), current_(LiveSnapshot::Empty())
{
    thread_.setObjectName(QStringLiteral("LiveServer"));
    home_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, home_, &QObject::deleteLater);
    thread_.start();

    builder_.setObjectName(QStringLiteral("LiveBuilder"));
    builderHome_->moveToThread(&builder_);
    connect(&builder_, &QThread::finished, builderHome_, &QObject::deleteLater);
    builder_.start();
    QMetaObject::invokeMethod(builderHome_, [] {
        const auto self = static_cast<id_t>(::gettid());
        ::setpriority(PRIO_PROCESS, self, std::min(19, ::getpriority(PRIO_PROCESS, self) + kBuilderNice));
    }, Qt::QueuedConnection);
}

LiveServer::~LiveServer()
{
    Stop();
    // A build under way finishes first; one still queued is dropped with
    // builderHome_. Then nothing can swap a snapshot in any more.
    builder_.quit();
    builder_.wait();
    thread_.quit();
    thread_.wait();
}

LiveServer::Result LiveServer::Start(const QHostAddress& address, quint16 port, const LiveLimits& limits)
{
    Stop();
    Result result;
    // Binding is quick and never waits for a client.
    QMetaObject::invokeMethod(home_, [&] {
        auto* gate = new LiveGate(limits, home_);
        if (!gate->listen(address, port)) {
            result.message = gate->serverError() == QAbstractSocket::AddressInUseError
                ? QStringLiteral("Live-Ergebnisse: Port %1 ist schon belegt. Die Zeitnahme läuft weiter.").arg(port)
                : QStringLiteral("Live-Ergebnisse: Die Adresse %1 ist nicht verfügbar (%2). Die Zeitnahme läuft weiter.")
                      .arg(address.toString(), gate->errorString());
            delete gate;
            return;
        }
        auto* http = new LiveHttp([this] { return Current(); }, home_);
        http->bind(gate);
        result.ok = true;
        result.port = gate->serverPort();
    }, Qt::BlockingQueuedConnection);
    running_ = result.ok;
    return result;
}

void LiveServer::Stop()
{
    if (!running_)
        return;
    QMetaObject::invokeMethod(home_, [this] {
        const QObjectList children = home_->children();
        qDeleteAll(children);
    }, Qt::BlockingQueuedConnection);
    running_ = false;
}

void LiveServer::PublishInput(LiveInput input)
{
    bool queued = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queued = pending_.has_value();
        pending_ = std::move(input);
    }
    if (!queued)
        QMetaObject::invokeMethod(builderHome_, [this] { BuildPending(); }, Qt::QueuedConnection);
}

void LiveServer::SetBeforeBuild(std::function<void()> hook)
{
    QMetaObject::invokeMethod(builderHome_, [this, &hook] { beforeBuild_ = std::move(hook); },
                              Qt::BlockingQueuedConnection);
}

void LiveServer::BuildPending()
{
    std::optional<LiveInput> input;
    std::uint64_t version = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        input.swap(pending_);
        version = current_->Version() + 1;
    }
    if (!input)
        return;
    if (beforeBuild_)
        beforeBuild_();
    Publish(LiveSnapshot::Build(*input, version));
}

void LiveServer::Publish(std::shared_ptr<const LiveSnapshot> snapshot)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    current_.swap(snapshot);
    // The old snapshot goes when its last reader lets go, outside the lock.
}

std::shared_ptr<const LiveSnapshot> LiveServer::Current() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return current_;
}
