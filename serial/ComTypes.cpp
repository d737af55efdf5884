#include "ComTypes.h"

#include <array>

std::uint32_t EventMaskBit(TEvent event)
{
    static constexpr std::array<std::uint32_t, 9> bits = {
        EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_RING, EV_BREAK, EV_CTS, EV_DSR, EV_ERR, EV_RLSD};
    return bits[event];
}

std::uint32_t EventMask(TEvents events)
{
    std::uint32_t mask = 0;
    for (int e = evRxChar; e <= evRLSD; ++e)
        if (events.Contains(TEvent(e)))
            mask |= EventMaskBit(TEvent(e));
    return mask;
}

std::int32_t BitRate(TBaudRate rate, std::int32_t userRate)
{
    static constexpr std::array<std::int32_t, 15> rates = {
        110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200,
        38400, 56000, 57600, 115200, 128000, 256000};
    return rate == brUser ? userRate : rates[rate];
}
