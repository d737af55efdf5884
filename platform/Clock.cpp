#include "Clock.h"

#include <ctime>

namespace {
TimeStamp MonotonicStamp()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::int64_t us = std::int64_t(ts.tv_sec) * 1'000'000 + std::int64_t(ts.tv_nsec) / 1000;
    return {us, static_cast<std::uint32_t>(us / 1000)};
}
} // namespace

std::uint32_t GetTickCount()
{
    return MonotonicStamp().tick;
}

QDateTime Clock::LocalTimeOf(const TimeStamp& stamp) const
{
    const std::int64_t ageUs = Stamp().us - stamp.us;
    return LocalNow().addMSecs(-((ageUs + 500) / 1000));
}

namespace {
class SystemClock final : public Clock
{
public:
    std::uint32_t TickCount() const override { return GetTickCount(); }
    TimeStamp Stamp() const override { return MonotonicStamp(); }
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};
} // namespace

const Clock& Clock::System()
{
    static const SystemClock clock;
    return clock;
}
