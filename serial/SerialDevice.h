#pragma once

#include "Clock.h"
#include "LineSettings.h"

#include <cstdint>
#include <optional>

// How one wait for line events ended.
struct WaitResult
{
    enum class Kind {
        Events,  // `events` holds the EV_ bits that occurred since the last report
        Stopped, // CancelWait was called
        Failed,  // the wait went wrong this once; the next wait may succeed
        Gone,    // the device has vanished; no later wait can succeed
    };
    Kind kind = Kind::Stopped;
    std::uint32_t events = 0;
    // With Events: the modem-status word (MS_ bits) read as the wait ended,
    // and the lines (MS_ bits) that changed and came back since the last
    // report, so they read as before although they moved.
    std::uint32_t modemStatus = 0;
    std::uint32_t returned = 0;
    // The change was found by a reading of the device (between waits, by a
    // watchdog, by polling), not by a wait it ended: it is reported later
    // than it happened.
    bool late = false;
    // With Events, from a device that was given a clock: the moment its
    // blocking call returned, taken before it read the lines (on a USB
    // adapter a read of the lines can be a round trip to the adapter); for a
    // late change the moment after the reading that found it, so a stamp is
    // never earlier than its change.
    std::optional<TimeStamp> woke{};
};

// One serial device as TComPort uses it. Open, Configure, Close and
// SetEventMask are called on the user-interface thread while no wait runs;
// WaitEvent and Purge run on the worker thread; CancelWait, ModemStatus and
// InQueCount may be called from any thread while the device is open.
class SerialDevice
{
public:
    virtual ~SerialDevice() = default;

    // Opens port n exclusively. Returns 0, or the errno of the failure.
    virtual int Open(std::uint8_t port) = 0;
    // Applies the line settings. Returns 0, or the errno of the failure.
    virtual int Configure(const LineSettings& settings) = 0;
    // Releases the device; does nothing when it is not open.
    virtual void Close() = 0;

    // Which events (EV_ bits) the waits report. Events before this call are
    // not reported.
    virtual void SetEventMask(std::uint32_t mask) = 0;
    // The clock a device may stamp its waits with (WaitResult::woke); it
    // must outlive the waits. Devices that do not stamp leave it to their
    // caller.
    virtual void SetClock(const Clock& clock) { (void)clock; }
    // Blocks until an event of the mask has occurred since the last report,
    // CancelWait is called, or the device fails. Events that occur while no
    // wait runs are kept and end the next wait at once; several changes of
    // one line arrive as one bit (and as `returned` when the line is back
    // where it was).
    virtual WaitResult WaitEvent() = 0;
    // Ends the running wait and every later one with Stopped, until the
    // device is opened again.
    virtual void CancelWait() = 0;

    // The modem-status word (MS_ bits) at the moment of the call; 0 when the
    // device cannot be read.
    virtual std::uint32_t ModemStatus() = 0;
    // Received bytes waiting in the input queue; 0 when it cannot be read.
    virtual std::int32_t InQueCount() = 0;
    // Discards the input queue.
    virtual void Purge() = 0;
};
