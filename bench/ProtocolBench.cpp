#include "BenchSmoke.h"
#include "ProtocolTable.h"
#include "TimeText.h"

#include <QTest>
#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kRuns = 10000;

// The grid as the operator sees it: shown, so changed cells schedule repaints.
bool ShowGrid(TSortGrid& grid)
{
    grid.resize(560, 600);
    grid.show();
    return QTest::qWaitForWindowExposed(&grid);
}

// A protocol of 10,000 finished runs with times between 40 s and 2 min.
void FillProtocol(TSortGrid& grid, std::mt19937& random)
{
    std::uniform_int_distribution<std::int32_t> ms(40000, 120000);
    grid.SetRowCount(kRuns + 1);
    for (int row = 1; row <= kRuns; ++row) {
        grid.SetCells(0, row, QString::number(row));
        grid.SetCells(1, row, QStringLiteral("10:00.00,00"));
        grid.SetCells(2, row, QStringLiteral("10:01.00,00"));
        grid.SetCells(3, row, FormatRunTime(ms(random)));
        grid.SetCells(4, row, QStringLiteral("45,0"));
    }
}

// The case after every stop: a ranked table with the new result at the
// bottom.
void BM_RankAfterStop(benchmark::State& state)
{
    std::mt19937 random(1);
    TSortGrid grid;
    auto* table = new ProtocolTable(grid);
    if (!ShowGrid(grid)) {
        state.SkipWithError("grid not shown");
        return;
    }
    FillProtocol(grid, random);
    table->RankProtocol(QStringLiteral("1"), true);
    std::uniform_int_distribution<std::int32_t> ms(40000, 120000);
    for (auto _ : state) {
        state.PauseTiming();
        grid.SetCells(3, kRuns, FormatRunTime(ms(random)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(table->RankProtocol(QStringLiteral("1"), true));
    }
}
BENCHMARK(BM_RankAfterStop)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(15))->ReportAggregatesOnly(true);

// The case after loading a file: the rows in no particular order.
void BM_RankUnordered(benchmark::State& state)
{
    std::mt19937 random(2);
    TSortGrid grid;
    auto* table = new ProtocolTable(grid);
    if (!ShowGrid(grid)) {
        state.SkipWithError("grid not shown");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        FillProtocol(grid, random);
        state.ResumeTiming();
        benchmark::DoNotOptimize(table->RankProtocol(QStringLiteral("1"), true));
    }
}
BENCHMARK(BM_RankUnordered)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(15))->ReportAggregatesOnly(true);

} // namespace
