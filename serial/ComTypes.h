#pragma once

#include <cstdint>
#include <initializer_list>

// Line settings and line events of TComPort, with the bit values the
// communications layer uses for event masks and the modem-status word.

enum TBaudRate : std::uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000, brUser
};

// The order gives the line parity codes 0..4.
enum TParity : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };

// The order gives the stop-bit codes 0..2 (1, 1.5 and 2 stop bits).
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };

enum TFlowControl : std::uint8_t { fcNone, fcRtsCts, fcXonXoff };

enum TEvent : std::uint8_t {
    evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD
};

// Event-mask bits; they are not in the order of TEvent.
constexpr std::uint32_t EV_RXCHAR = 0x0001;
constexpr std::uint32_t EV_RXFLAG = 0x0002;
constexpr std::uint32_t EV_TXEMPTY = 0x0004;
constexpr std::uint32_t EV_CTS = 0x0008;
constexpr std::uint32_t EV_DSR = 0x0010;
constexpr std::uint32_t EV_RLSD = 0x0020;
constexpr std::uint32_t EV_BREAK = 0x0040;
constexpr std::uint32_t EV_ERR = 0x0080;
constexpr std::uint32_t EV_RING = 0x0100;

// The four events that come from modem-status input lines.
constexpr std::uint32_t EV_MODEM_LINES = EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Bits of the modem-status word returned by TComPort::ModemStatus.
constexpr std::uint32_t MS_CTS_ON = 0x10;
constexpr std::uint32_t MS_DSR_ON = 0x20;
constexpr std::uint32_t MS_RING_ON = 0x40;
constexpr std::uint32_t MS_RLSD_ON = 0x80;

// A set of TEvent.
class TEvents
{
public:
    constexpr TEvents() = default;
    constexpr TEvents(std::initializer_list<TEvent> events)
    {
        for (TEvent e : events)
            bits_ |= Bit(e);
    }

    static constexpr TEvents All()
    {
        return {evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD};
    }

    constexpr bool Contains(TEvent e) const { return bits_ & Bit(e); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TEvents& Include(TEvent e)
    {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TEvents& Exclude(TEvent e)
    {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr bool operator==(const TEvents&) const = default;

private:
    static constexpr std::uint16_t Bit(TEvent e) { return std::uint16_t(1u << e); }

    std::uint16_t bits_ = 0;
};

// The event-mask bit of one event, and the mask of a set.
std::uint32_t EventMaskBit(TEvent event);
std::uint32_t EventMask(TEvents events);

// The bit rate a named speed stands for; brUser takes the user speed.
std::int32_t BitRate(TBaudRate rate, std::int32_t userRate);
