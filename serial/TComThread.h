#pragma once

#include "LineEvent.h"

#include <QThread>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

class Clock;
class SerialDevice;
class TComPort;

// The worker of an open TComPort. It waits for line events on the device,
// stamps each completed wait the moment it returns (with the lines read at
// that moment; a device that stamped the change itself gives that stamp) and queues it for the user-interface
// thread, where DoEvents runs the port's handlers one wait at a time, in
// order. The worker never waits for the handlers: it is back in the device's
// wait at once, so a busy user interface delays neither the next line change
// nor its stamp.
//
// Stop (called by TComPort::Close) ends the worker and then serves what is
// still queued, so handlers may run once more inside Close; when Close is
// called from a handler, the rest of the queue is dropped. After Stop no
// handler runs. Nothing waits for the other thread in a way that could
// deadlock: the worker only ever takes the queue's lock.
class TComThread : public QThread
{
    Q_OBJECT
public:
    // More waits than this queued while the user interface is stuck are
    // merged into the last one (the lines stay right, the stamps of the
    // merged waits are lost).
    static constexpr std::size_t MaxQueued = 4096;

    // Programs the device's event mask and starts the worker.
    TComThread(TComPort* port, SerialDevice& device, const Clock& clock, std::uint32_t eventMask,
               std::uint64_t generation);
    ~TComThread() override;

    // Sets the stop signal, waits for the worker to end and serves or drops
    // what is queued.
    void Stop();

    // For callers that must not run the event loop (tests): whether stamped
    // waits wait to be served, and waiting until `count` of them do.
    bool HandOverPending() const;
    bool WaitForHandOver(std::chrono::milliseconds timeout, std::size_t count = 1) const;

protected:
    void run() override;

private:
    struct Queue;

    void Enqueue(const LineEvent& event);
    void ServeQueue();
    static void DoEvents(TComPort& port, const LineEvent& event, Queue& queue);

    TComPort* port_;
    SerialDevice& device_;
    const Clock& clock_;
    std::uint64_t generation_;
    std::atomic<bool> stopEvent_{false};
    bool stopped_ = false;
    // Shared with a serving call, which may outlive this object when a
    // handler closes the port.
    std::shared_ptr<Queue> queue_;
};
