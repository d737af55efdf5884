#include "Clock.h"
#include "TColor.h"

#include <gtest/gtest.h>

TEST(Clock, RunTimeIsTheSignedDifferenceAcrossAWrap)
{
    EXPECT_EQ(TickDiff(5120, 0), 5120);
    EXPECT_EQ(TickDiff(0x00000100u, 0xFFFFFF00u), 512) << "the counter wrapped during the run";
    EXPECT_EQ(TickDiff(1000, 1000), 0);
    EXPECT_EQ(TickDiff(1000, 2000), -1000);
}

TEST(Clock, TickCounterNeverRunsBackwards)
{
    std::uint32_t last = GetTickCount();
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t now = GetTickCount();
        ASSERT_GE(TickDiff(now, last), 0);
        last = now;
    }
    EXPECT_EQ(TickDiff(Clock::System().TickCount(), last) >= 0, true);
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
