#pragma once

#include <cerrno>
#include <memory>

// Transition counters of a serial line as the driver keeps them.
struct LineCounters
{
    int cts = 0, dsr = 0, rng = 0, dcd = 0;
    int rx = 0, tx = 0;
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;

    bool operator==(const LineCounters&) const = default;
};

// The driver calls for modem lines, kept apart so that the waiting logic can
// be exercised where no serial hardware exists. Each call returns 0 or the
// errno of the failure; lines use the TIOCM_ bits.
class ModemLineIo
{
public:
    virtual ~ModemLineIo() = default;

    virtual int GetLines(int fd, int& lines) = 0;               // TIOCMGET
    virtual int SetLines(int fd, int lines, bool on) = 0;       // TIOCMBIS / TIOCMBIC
    virtual int GetCounters(int fd, LineCounters& counters) = 0; // TIOCGICOUNT
    // Blocks until one of the lines changes (TIOCMIWAIT); a signal sent to the
    // waiting thread ends it with EINTR.
    virtual int WaitLines(int fd, int lines) = 0;
    // The driver's low-latency flag (ASYNC_LOW_LATENCY through TIOCGSERIAL
    // and TIOCSSERIAL). Drivers without it answer ENOTTY or EINVAL.
    virtual int GetLowLatency(int fd, bool& on)
    {
        (void)fd;
        (void)on;
        return ENOTTY;
    }
    virtual int SetLowLatency(int fd, bool on)
    {
        (void)fd;
        (void)on;
        return ENOTTY;
    }

    // The real driver calls.
    static std::shared_ptr<ModemLineIo> Kernel();
};
