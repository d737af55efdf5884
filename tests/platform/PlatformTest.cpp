#include "Clock.h"
#include "TColor.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(Clock, RunTimeIsTheSignedDifferenceAcrossAWrap)
{
    EXPECT_EQ(TickDiff(5120, 0), 5120);
    EXPECT_EQ(TickDiff(0x00000100u, 0xFFFFFF00u), 512) << "the counter wrapped during the run";
    EXPECT_EQ(TickDiff(1000, 1000), 0);
    EXPECT_EQ(TickDiff(1000, 2000), -1000);
}

// The tick is the monotonic clock in milliseconds, cut to 32 bits, and a
// stamp's tick and microseconds are one reading.
TEST(Clock, TheTickIsTheMonotonicClockInMilliseconds)
{
    const auto monotonicMs = [] {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return std::uint32_t(std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000);
    };
    const std::uint32_t before = monotonicMs();
    const std::uint32_t tick = GetTickCount();
    const TimeStamp stamp = Clock::System().Stamp();
    const std::uint32_t after = monotonicMs();
    EXPECT_GE(TickDiff(tick, before), 0);
    EXPECT_GE(TickDiff(after, tick), 0);
    EXPECT_GE(TickDiff(stamp.tick, tick), 0);
    EXPECT_GE(TickDiff(after, stamp.tick), 0);
    EXPECT_EQ(stamp.tick, std::uint32_t(stamp.us / 1000));
}

TEST(TColor, RedLivesInTheLowByte)
{
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clLime), QColor(0, 255, 0));
    EXPECT_EQ(ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ToQColor(clDarkGrey), QColor(0x40, 0x40, 0x40));
    EXPECT_TRUE(ToQColor(clBtnFace).isValid());
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}
