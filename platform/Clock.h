#pragma once

#include <QDateTime>
#include <cstdint>

// Milliseconds of the monotonic clock as a 32-bit count. It wraps after
// about 49.7 days; run times are the signed 32-bit difference of two
// readings, so a wrap during a run does not skew the time.
std::uint32_t GetTickCount();

// The two time sources of the timing code, replaceable in tests.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::uint32_t TickCount() const = 0;
    virtual QDateTime LocalNow() const = 0;

    // The real clock: GetTickCount() and the local date and time.
    static const Clock& System();
};

// Signed difference of two tick counts, correct across a wrap of the counter.
inline std::int32_t TickDiff(std::uint32_t later, std::uint32_t earlier)
{
    return static_cast<std::int32_t>(later - earlier);
}
