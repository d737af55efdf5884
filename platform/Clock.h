#pragma once

#include <QDateTime>
#include <cstdint>

// Milliseconds of the monotonic clock as a 32-bit count. It wraps after
// about 49.7 days; run times are the signed 32-bit difference of two
// readings, so a wrap during a run does not skew the time.
std::uint32_t GetTickCount();

// One reading of the monotonic clock: microseconds, and the millisecond
// tick of the same reading (us / 1000, wrapped to 32 bits).
struct TimeStamp
{
    std::int64_t us = 0;
    std::uint32_t tick = 0;

    bool operator==(const TimeStamp&) const = default;
};

// The two time sources of the timing code, replaceable in tests.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::uint32_t TickCount() const = 0;
    // The tick and the microseconds of one reading. May be called from any
    // thread (the serial worker stamps line changes with it).
    virtual TimeStamp Stamp() const = 0;
    virtual QDateTime LocalNow() const = 0;

    // The local date and time of an earlier stamp: now minus its age.
    QDateTime LocalTimeOf(const TimeStamp& stamp) const;

    // The real clock: CLOCK_MONOTONIC and the local date and time.
    static const Clock& System();
};

// Signed difference of two tick counts, correct across a wrap of the counter.
inline std::int32_t TickDiff(std::uint32_t later, std::uint32_t earlier)
{
    return static_cast<std::int32_t>(later - earlier);
}
