#include "TComThread.h"

#include "SerialDevice.h"
#include "ShortSlices.h"
#include "TComPort.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

struct TComThread::Queue
{
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<LineEvent> events; // stamped waits not yet served
    bool servePosted = false;     // a ServeQueue call is on its way to the UI thread
    bool inService = false;       // handlers run on the user-interface thread
    bool detached = false;        // stopped: nothing may be served any more
    bool ended = false;           // the worker loop is over
};

TComThread::TComThread(TComPort* port, SerialDevice& device, const Clock& clock, std::uint32_t eventMask,
                       std::uint64_t generation)
    : QThread(port)
    , port_(port)
    , device_(device)
    , clock_(clock)
    , generation_(generation)
    , queue_(std::make_shared<Queue>())
{
    setObjectName(QStringLiteral("TComThread"));
    // The clock first: setting the mask may start threads that stamp.
    device_.SetClock(clock);
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
    // use only this reference.
    const std::shared_ptr<Queue> q = queue_;
    AskForShortSlices();
    bool gone = false;
    std::uint64_t sequence = 0;
    while (!stopEvent_) {
        const WaitResult result = device_.WaitEvent();
        // The stamp comes first, before any locking or queueing; a device
        // that stamped the end of its sleep itself knows it better.
        const TimeStamp stamp = result.woke ? *result.woke : clock_.Stamp();
        if (result.kind == WaitResult::Kind::Stopped)
            break;
        if (result.kind == WaitResult::Kind::Gone) {
            gone = true;
            break;
        }
        if (result.kind == WaitResult::Kind::Failed)
            continue;
        Enqueue({result.events, result.modemStatus, result.returned, stamp, result.late, ++sequence});
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
    std::lock_guard lock(q->mutex);
    q->ended = true;
    q->changed.notify_all();
}

void TComThread::Enqueue(const LineEvent& event)
{
    Queue& q = *queue_;
    bool post = false;
    {
        std::lock_guard lock(q.mutex);
        if (q.events.size() >= MaxQueued) {
            LineEvent& last = q.events.back();
            last.events |= event.events;
            last.returned |= event.returned | (last.modemStatus ^ event.modemStatus);
            last.modemStatus = event.modemStatus;
        } else {
            q.events.push_back(event);
        }
        post = !q.servePosted;
        q.servePosted = true;
    }
    q.changed.notify_all();
    if (post)
        QMetaObject::invokeMethod(this, [this] { ServeQueue(); }, Qt::QueuedConnection);
}

void TComThread::ServeQueue()
{
    // Held locally: a handler may close the port and so destroy this object.
    const std::shared_ptr<Queue> q = queue_;
    TComPort* port = port_;
    for (;;) {
        LineEvent event;
        {
            std::lock_guard lock(q->mutex);
            // A handler that runs the event loop must not overtake itself.
            if (q->detached || q->inService)
                return;
            if (q->events.empty()) {
                q->servePosted = false;
                return;
            }
            event = q->events.front();
            q->events.pop_front();
            q->inService = true;
        }
        DoEvents(*port, event, *q);
        std::lock_guard lock(q->mutex);
        q->inService = false;
    }
}

void TComThread::Stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    stopEvent_ = true;
    device_.CancelWait();

    const std::shared_ptr<Queue> q = queue_;
    {
        // The worker never waits for this thread, so it ends by itself.
        std::unique_lock lock(q->mutex);
        q->changed.wait(lock, [&q] { return q->ended; });
    }
    wait();

    std::unique_lock lock(q->mutex);
    if (q->inService) {
        // Closed from a handler: the rest of the queue is dropped.
        q->events.clear();
    }
    while (!q->events.empty() && !q->detached) {
        const LineEvent event = q->events.front();
        q->events.pop_front();
        q->inService = true;
        lock.unlock();
        DoEvents(*port_, event, *q);
        lock.lock();
        q->inService = false;
    }
    // Whatever is still on its way to the UI thread finds nothing to serve.
    q->events.clear();
    q->detached = true;
    q->changed.notify_all();
}

bool TComThread::HandOverPending() const
{
    std::lock_guard lock(queue_->mutex);
    return !queue_->events.empty();
}

bool TComThread::WaitForHandOver(std::chrono::milliseconds timeout, std::size_t count) const
{
    std::unique_lock lock(queue_->mutex);
    return queue_->changed.wait_for(lock, timeout, [this, count] { return queue_->events.size() >= count; });
}

void TComThread::DoEvents(TComPort& port, const LineEvent& event, Queue& q)
{
    const auto detached = [&q] {
        std::lock_guard lock(q.mutex);
        return q.detached;
    };
    const std::uint32_t events = event.events;
    if ((events & EV_RXCHAR) && port.OnRxChar) {
        const TComPort::TRxCharEvent handler = port.OnRxChar;
        handler(&port, port.InQueCount());
    }
    // False once the port is closed: the handlers after that are dropped.
    const auto serve = [&](std::uint32_t bit, auto member, const auto&... args) {
        if (!(events & bit) || !(port.*member))
            return true;
        if (detached())
            return false;
        // A copy, so a handler may replace itself while it runs.
        const auto handler = port.*member;
        handler(&port, args...);
        return true;
    };
    // The fixed order of the handlers after OnRxChar.
    serve(EV_TXEMPTY, &TComPort::OnTxEmpty) && serve(EV_BREAK, &TComPort::OnBreak) &&
        serve(EV_RING, &TComPort::OnRing) && serve(EV_CTS, &TComPort::OnCTS, event) &&
        serve(EV_DSR, &TComPort::OnDSR, event) && serve(EV_RXFLAG, &TComPort::OnRxFlag) &&
        serve(EV_RLSD, &TComPort::OnRLSD) && serve(EV_ERR, &TComPort::OnError);
}
