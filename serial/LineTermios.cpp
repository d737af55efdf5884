#include "LineTermios.h"

#include <asm/termbits.h>

#include <array>
#include <cerrno>
#include <utility>

namespace {

// Standard speed codes; other speeds go through BOTHER, which older drivers
// may not know.
std::uint32_t SpeedCode(std::uint32_t speed)
{
    static constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 23> codes = {{
        {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200},
        {300, B300}, {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400},
        {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
        {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    }};
    for (auto [bps, code] : codes)
        if (bps == speed)
            return code;
    return BOTHER;
}

std::uint32_t CharacterSize(std::uint8_t dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

std::uint32_t ParityFlags(TParity parity)
{
    switch (parity) {
    case prOdd: return PARENB | PARODD;
    case prEven: return PARENB;
    case prMark: return PARENB | CMSPAR | PARODD;
    case prSpace: return PARENB | CMSPAR;
    case prNone: break;
    }
    return 0;
}

} // namespace

int MakeLineTermios(const LineSettings& settings, LineTermios& out)
{
    if (settings.bitRate < 1)
        return EINVAL;
    // A UART sends 1.5 stop bits only with 5-bit characters, and its
    // "two stop bits" become 1.5 there; refuse what the line cannot carry.
    if (settings.stopBits == sbOne5StopBits && settings.dataBits != 5)
        return EINVAL;
    if (settings.stopBits == sbTwoStopBits && settings.dataBits == 5)
        return EINVAL;

    LineTermios t;
    t.speed = std::uint32_t(settings.bitRate);
    // CLOCAL: a carrier drop must not hang up a line that only watches inputs.
    // HUPCL: DTR and RTS drop when the device is closed.
    t.cflag = SpeedCode(t.speed) | CharacterSize(settings.dataBits) | CREAD | CLOCAL | HUPCL
              | ParityFlags(settings.parity);
    if (settings.stopBits != sbOneStopBit)
        t.cflag |= CSTOPB;
    if (settings.flowControl == fcRtsCts)
        t.cflag |= CRTSCTS;
    if (settings.flowControl == fcXonXoff)
        t.iflag |= IXON | IXOFF;
    t.vstart = 17;
    t.vstop = 19;
    // A read returns at once with whatever is queued.
    t.vmin = 0;
    t.vtime = 0;
    out = t;
    return 0;
}
