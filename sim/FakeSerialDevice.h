#pragma once

#include "SerialDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A scripted serial device for tests and for running the program without
// hardware. The script calls (SetModemStatus, RaiseEvents, Receive, ...) may
// come from any thread, typically one of the test's own, the way a driver
// raises line events while the worker waits. Events outside the event mask
// are dropped; events while no wait runs are kept for the next one.
class FakeSerialDevice final : public SerialDevice
{
public:
    int Open(std::uint8_t port) override;
    int Configure(const LineSettings& settings) override;
    void Close() override;
    void SetEventMask(std::uint32_t mask) override;
    WaitResult WaitEvent() override;
    void CancelWait() override;
    std::uint32_t ModemStatus() override;
    std::int32_t InQueCount() override;
    void Purge() override;

    // Script. A changed CTS, DSR, ring or carrier bit (MS_ bits) raises its
    // line event. A line that changes and comes back before a wait reports
    // it is reported as returned, the way the driver's counters tell.
    void SetModemStatus(std::uint32_t status);
    void RaiseEvents(std::uint32_t events);
    // The lines (MS_ bits) go and come back before any wait can read them.
    void PulseLines(std::uint32_t lines);
    // Bytes arrive: the input queue grows and EV_RXCHAR is raised.
    void Receive(std::int32_t bytes);
    // The next Open or Configure fails with this errno (0: succeeds again).
    void FailOpen(int error);
    void FailConfigure(int error);
    // The next wait reports a failure once, keeping the pending events.
    void FailNextWait();
    // The adapter is pulled: waits end with Gone, reads give 0, Open fails
    // with ENOENT until Plug.
    void Unplug();
    void Plug();

    // Observation.
    bool IsOpen() const;
    std::uint8_t OpenedPort() const;
    int OpenCount() const;
    LineSettings Settings() const;
    std::uint32_t EventMask() const;
    int PurgeCount() const;
    int WaitsStarted() const;
    // The most waits that ever ran at the same time; more than one means two
    // workers served one device.
    int MostWaitsAtOnce() const;
    // Blocks until a wait is sleeping with nothing pending, so that the next
    // scripted event is surely reported by a wait of its own.
    bool WaitUntilWaiting(std::chrono::milliseconds timeout);

private:
    // Makes a change under the mutex, then wakes the wait (see raised_).
    template <typename Change>
    void Script(Change change);
    void ChangeLines(std::uint32_t status);
    // Marks events pending; the caller wakes the wait once it has unlocked.
    void Raise(std::uint32_t events);

    mutable std::mutex mutex_;
    // The waits sleep on `raised_`; whoever watches the waits (WaitUntilWaiting)
    // on `waits_`, so a line change wakes only the wait. A script call wakes
    // the wait after it has let go of the mutex: woken while the mutex is still
    // held, the wait would only go back to sleep on it and need a second
    // wake-up, which on a busy processor can cost a time slice.
    std::condition_variable raised_;
    std::condition_variable waits_;
    bool open_ = false;
    bool plugged_ = true;
    bool cancelled_ = false;
    bool failNextWait_ = false;
    int openError_ = 0;
    int configureError_ = 0;
    std::uint8_t port_ = 0;
    int openCount_ = 0;
    LineSettings settings_;
    std::uint32_t mask_ = 0;
    std::uint32_t pending_ = 0;
    std::uint32_t status_ = 0;
    std::uint32_t reportedStatus_ = 0; // as the last wait reported it
    std::uint32_t movedLines_ = 0;     // MS_ bits changed since then
    std::int32_t inQueue_ = 0;
    int purgeCount_ = 0;
    int waitsStarted_ = 0;
    int waitsNow_ = 0;
    int mostWaits_ = 0;
    int sleeping_ = 0;
};
