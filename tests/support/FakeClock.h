#pragma once

#include "Clock.h"

#include <QDateTime>

#include <atomic>

// A clock the test moves by hand. It counts how often the tick was read,
// so a test can tell that a time stamp was taken before anything else.
// The tick may be read from the serial worker while the test moves it.
class FakeClock final : public Clock
{
public:
    std::uint32_t TickCount() const override
    {
        ++tickReads;
        return tick;
    }
    TimeStamp Stamp() const override
    {
        ++tickReads;
        const std::uint32_t t = tick;
        return {std::int64_t(t) * 1000, t};
    }
    QDateTime LocalNow() const override
    {
        ++nowReads;
        tick += nowCostMs;
        return now;
    }

    void Advance(std::uint32_t ms)
    {
        tick += ms;
        now = now.addMSecs(ms);
    }

    mutable std::atomic<std::uint32_t> tick{1000};
    // How far the tick moves while the wall clock is read: a time stamp
    // taken after it shows the delay.
    std::uint32_t nowCostMs = 0;
    QDateTime now{QDate(2026, 6, 13), QTime(9, 5, 3, 70)};
    mutable std::atomic<int> tickReads{0};
    mutable int nowReads = 0;
};
