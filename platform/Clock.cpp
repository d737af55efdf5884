#include "Clock.h"

#include <ctime>

std::uint32_t GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms = std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

namespace {
class SystemClock final : public Clock
{
public:
    std::uint32_t TickCount() const override { return GetTickCount(); }
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};
} // namespace

const Clock& Clock::System()
{
    static const SystemClock clock;
    return clock;
}
