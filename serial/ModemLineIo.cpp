#include "ModemLineIo.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace {

int Result(int rc)
{
    return rc < 0 ? errno : 0;
}

class KernelModemLineIo final : public ModemLineIo
{
public:
    int GetLines(int fd, int& lines) override { return Result(::ioctl(fd, TIOCMGET, &lines)); }

    int SetLines(int fd, int lines, bool on) override
    {
        return Result(::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines));
    }

    int GetCounters(int fd, LineCounters& counters) override
    {
        serial_icounter_struct ic{};
        if (::ioctl(fd, TIOCGICOUNT, &ic) < 0)
            return errno;
        counters = {ic.cts, ic.dsr, ic.rng, ic.dcd, ic.rx, ic.tx,
                    ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};
        return 0;
    }

    int WaitLines(int fd, int lines) override { return Result(::ioctl(fd, TIOCMIWAIT, lines)); }

    int GetLowLatency(int fd, bool& on) override
    {
        serial_struct serial{};
        if (::ioctl(fd, TIOCGSERIAL, &serial) < 0)
            return errno;
        on = serial.flags & ASYNC_LOW_LATENCY;
        return 0;
    }

    int SetLowLatency(int fd, bool on) override
    {
        serial_struct serial{};
        if (::ioctl(fd, TIOCGSERIAL, &serial) < 0)
            return errno;
        serial.flags = on ? serial.flags | ASYNC_LOW_LATENCY : serial.flags & ~ASYNC_LOW_LATENCY;
        return Result(::ioctl(fd, TIOCSSERIAL, &serial));
    }
};

} // namespace

std::shared_ptr<ModemLineIo> ModemLineIo::Kernel()
{
    return std::make_shared<KernelModemLineIo>();
}
