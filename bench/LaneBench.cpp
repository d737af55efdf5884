#include "Clock.h"
#include "TFrame1.h"

#include <QTest>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

class BenchClock final : public Clock
{
public:
    std::uint32_t TickCount() const override { return tick; }
    TimeStamp Stamp() const override { return {std::int64_t(tick) * 1000, tick}; }
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
    std::uint32_t tick = 0;
};

// One 10 ms display refresh of both running lanes on a shown window: twelve
// digits, of which only the changed ones repaint.
void BM_RefreshBothRunningLanes(benchmark::State& state)
{
    BenchClock clock;
    QWidget window;
    TFrame1 lane1(0, clock, &window);
    TFrame1 lane2(1, clock, &window);
    lane2.move(0, 150);
    window.resize(374, 300);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        state.SkipWithError("window not exposed");
    lane1.StartTick = 0;
    lane2.StartTick = 3000;

    clock.tick = 5000;
    for (auto _ : state) {
        clock.tick += 10;
        lane1.ClockTimer();
        lane2.ClockTimer();
    }
}
BENCHMARK(BM_RefreshBothRunningLanes)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
