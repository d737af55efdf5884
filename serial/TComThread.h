#pragma once

#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

class SerialDevice;
class TComPort;

// The worker of an open TComPort. It waits for line events on the device and
// hands each completed wait to the user-interface thread, blocking until
// DoEvents has run the port's handlers there; so no new wait is outstanding
// while handlers run, and events in the meantime end the next wait at once.
//
// Stop (called by TComPort::Close) keeps serving a hand-over the worker has
// already asked for while it waits for the worker to end, so handlers may
// run once more inside Close, and nothing deadlocks. Handlers may close or
// reopen the port themselves; the rest of that hand-over is then dropped.
class TComThread : public QThread
{
    Q_OBJECT
public:
    // Programs the device's event mask and starts the worker.
    TComThread(TComPort* port, SerialDevice& device, std::uint32_t eventMask,
               std::uint64_t generation);
    ~TComThread() override;

    // Sets the stop signal and returns once the worker has ended.
    void Stop();

    // For callers that must not run the event loop (tests): whether the
    // worker waits for a hand-over, and waiting until it does.
    bool HandOverPending() const;
    bool WaitForHandOver(std::chrono::milliseconds timeout) const;

protected:
    void run() override;

private:
    struct HandOver;

    void HandOverToUi(std::uint32_t events);
    void ServeHandOver();
    static void DoEvents(TComPort& port, std::uint32_t events, HandOver& handOver);

    TComPort* port_;
    SerialDevice& device_;
    std::uint64_t generation_;
    std::atomic<bool> stopEvent_{false};
    bool stopped_ = false;
    // Shared with the hand-over being served, which may outlive this object
    // when a handler closes the port.
    std::shared_ptr<HandOver> handOver_;
};
