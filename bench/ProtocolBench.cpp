#include "BenchSmoke.h"
#include "ProtocolModel.h"
#include "TSortGrid.h"
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
void FillProtocol(ProtocolModel& table, std::mt19937& random)
{
    std::uniform_int_distribution<std::int32_t> ms(40000, 120000);
    ProtocolRows rows;
    for (int row = 1; row <= kRuns; ++row)
        rows.push_back({QString::number(row), QStringLiteral("10:00.00,00"), QStringLiteral("10:01.00,00"),
                        FormatRunTime(ms(random)), QStringLiteral("45,0"), QString()});
    table.ReplaceRows(rows);
}

// The case after every stop: a ranked table with the new result at the
// bottom.
void BM_RankAfterStop(benchmark::State& state)
{
    std::mt19937 random(1);
    TSortGrid grid;
    auto* table = new ProtocolModel(&grid);
    grid.ShowModel(table);
    if (!ShowGrid(grid)) {
        state.SkipWithError("grid not shown");
        return;
    }
    FillProtocol(*table, random);
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
    auto* table = new ProtocolModel(&grid);
    grid.ShowModel(table);
    if (!ShowGrid(grid)) {
        state.SkipWithError("grid not shown");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        FillProtocol(*table, random);
        state.ResumeTiming();
        benchmark::DoNotOptimize(table->RankProtocol(QStringLiteral("1"), true));
    }
}
BENCHMARK(BM_RankUnordered)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(15))->ReportAggregatesOnly(true);

// Removing the blank rows of a 100,000-row protocol, one in ten blank.
void BM_RemoveEmptyRows100000(benchmark::State& state)
{
    ProtocolRows rows;
    for (int row = 1; row <= 100000; ++row)
        rows.push_back({QString::number(row), QStringLiteral("10:00.00,00"), QStringLiteral("10:01.00,00"),
                        row % 10 == 0 ? QString() : QStringLiteral("1.05,12"), QStringLiteral("45,0"), QString()});
    ProtocolModel table;
    for (auto _ : state) {
        state.PauseTiming();
        table.ReplaceRows(rows);
        state.ResumeTiming();
        benchmark::DoNotOptimize(table.RemoveEmptyRows());
    }
}
BENCHMARK(BM_RemoveEmptyRows100000)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(5))->ReportAggregatesOnly(true);

} // namespace
