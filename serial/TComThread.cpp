#include "TComThread.h"

#include "SerialDevice.h"
#include "TComPort.h"

#include <condition_variable>
#include <mutex>

struct TComThread::HandOver
{
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::uint32_t eventMask = 0; // of the last completed wait
    bool pending = false;        // the worker waits for DoEvents
    bool inService = false;      // DoEvents is running on the user-interface thread
    bool detached = false;       // the port was closed by one of the handlers
    bool ended = false;          // the worker loop is over
};

TComThread::TComThread(TComPort* port, SerialDevice& device, std::uint32_t eventMask,
                       std::uint64_t generation)
    : QThread(port)
    , port_(port)
    , device_(device)
    , generation_(generation)
    , handOver_(std::make_shared<HandOver>())
{
    setObjectName(QStringLiteral("TComThread"));
    device_.SetEventMask(eventMask);
    start();
}

TComThread::~TComThread()
{
    Stop();
}

void TComThread::run()
{
    // Stop may destroy this object as soon as `ended` is set; the last steps
    // use only this reference and the mutex.
    const std::shared_ptr<HandOver> h = handOver_;
    bool gone = false;
    while (!stopEvent_) {
        const WaitResult result = device_.WaitEvent();
        if (result.kind == WaitResult::Kind::Stopped)
            break;
        if (result.kind == WaitResult::Kind::Gone) {
            gone = true;
            break;
        }
        if (result.kind == WaitResult::Kind::Failed)
            continue;
        HandOverToUi(result.events);
    }
    device_.Purge();
    if (gone) {
        // The port closes itself on the user-interface thread, so its owner
        // sees OnClose and the barrier indicator goes out.
        TComPort* port = port_;
        const std::uint64_t generation = generation_;
        QMetaObject::invokeMethod(
            port, [port, generation] { port->WorkerGone(generation); }, Qt::QueuedConnection);
    }
    std::lock_guard lock(h->mutex);
    h->ended = true;
    h->changed.notify_all();
}

void TComThread::HandOverToUi(std::uint32_t events)
{
    HandOver& h = *handOver_;
    {
        std::lock_guard lock(h.mutex);
        h.eventMask = events;
        h.pending = true;
    }
    h.changed.notify_all();
    QMetaObject::invokeMethod(this, [this] { ServeHandOver(); }, Qt::QueuedConnection);
    std::unique_lock lock(h.mutex);
    h.changed.wait(lock, [&h] { return !h.pending; });
}

void TComThread::ServeHandOver()
{
    // Held locally: a handler may close the port and so destroy this object.
    const std::shared_ptr<HandOver> h = handOver_;
    TComPort* port = port_;
    std::uint32_t events = 0;
    {
        std::lock_guard lock(h->mutex);
        if (!h->pending || h->inService)
            return;
        h->inService = true;
        events = h->eventMask;
    }
    DoEvents(*port, events, *h);
    {
        std::lock_guard lock(h->mutex);
        h->inService = false;
        h->pending = false;
    }
    h->changed.notify_all();
}

void TComThread::Stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    stopEvent_ = true;
    device_.CancelWait();

    const std::shared_ptr<HandOver> h = handOver_;
    std::unique_lock lock(h->mutex);
    for (;;) {
        if (h->pending && h->inService) {
            // Closed from a handler of the hand-over being served: release
            // the worker now, or it would wait for us while we wait for it.
            h->detached = true;
            h->pending = false;
            h->changed.notify_all();
        } else if (h->pending) {
            h->inService = true;
            const std::uint32_t events = h->eventMask;
            lock.unlock();
            DoEvents(*port_, events, *h);
            lock.lock();
            h->inService = false;
            h->pending = false;
            h->changed.notify_all();
            continue;
        }
        if (h->ended)
            break;
        h->changed.wait(lock);
    }
    lock.unlock();
    wait();
}

bool TComThread::HandOverPending() const
{
    std::lock_guard lock(handOver_->mutex);
    return handOver_->pending;
}

bool TComThread::WaitForHandOver(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(handOver_->mutex);
    return handOver_->changed.wait_for(lock, timeout, [this] { return handOver_->pending; });
}

void TComThread::DoEvents(TComPort& port, std::uint32_t events, HandOver& h)
{
    const auto detached = [&h] {
        std::lock_guard lock(h.mutex);
        return h.detached;
    };
    if ((events & EV_RXCHAR) && port.OnRxChar) {
        const TComPort::TRxCharEvent handler = port.OnRxChar;
        handler(&port, port.InQueCount());
    }
    // The fixed order of the handlers after OnRxChar.
    static constexpr std::pair<std::uint32_t, TComPort::TNotifyEvent TComPort::*> order[] = {
        {EV_TXEMPTY, &TComPort::OnTxEmpty}, {EV_BREAK, &TComPort::OnBreak},
        {EV_RING, &TComPort::OnRing},       {EV_CTS, &TComPort::OnCTS},
        {EV_DSR, &TComPort::OnDSR},         {EV_RXFLAG, &TComPort::OnRxFlag},
        {EV_RLSD, &TComPort::OnRLSD},       {EV_ERR, &TComPort::OnError},
    };
    for (const auto& [bit, member] : order) {
        if (!(events & bit) || !(port.*member))
            continue;
        if (detached())
            return;
        // A copy, so a handler may replace itself while it runs.
        const TComPort::TNotifyEvent handler = port.*member;
        handler(&port);
    }
}
