#include "BenchSmoke.h"
#include "TSortGrid.h"

#include <QRandomGenerator>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int Rows = 10000;

// A shown grid of 10,000 protocol-like rows of six short texts, so the sort's
// single repaint really paints the visible rows.
struct Filled
{
    Filled()
    {
        grid.resize(500, 600);
        grid.SetColCount(6);
        grid.SetRowCount(Rows + 1);
        QRandomGenerator random(42);
        for (int r = 1; r <= Rows; ++r) {
            const int ms = int(random.bounded(20000, 120000));
            rows.append({QString::number(r), QStringLiteral("9:05.03,07"), QStringLiteral("9:06.03,07"),
                         QStringLiteral("%1,%2").arg(ms / 1000).arg((ms / 10) % 100, 2, 10, QLatin1Char('0')),
                         QStringLiteral("79,8"), QString()});
            grid.SetRows(r, rows.last());
        }
        grid.show();
        ok = QTest::qWaitForWindowExposed(&grid);
    }
    // Puts the rows back in the order they were created (not sorted by time).
    void Restore()
    {
        for (int r = 1; r <= Rows; ++r)
            grid.SetRows(r, rows[r - 1]);
    }
    TSortGrid grid;
    QList<QStringList> rows;
    bool ok = false;
};

// Ordering like the run-time column: longer texts are longer times.
int CompareByLength(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return int(a.size() - b.size());
    return QString::compare(a, b);
}

void UseCustomStyle(TSortGrid& grid)
{
    grid.OnGetSortStyle = [](TSortGrid* g, int, TSortStyle& style) {
        style = ssCustom;
        g->SortOptions().SortCompare = CompareByLength;
    };
}

// The rows arrive in no particular order (a loaded protocol file).
void BM_SortByColumnCustomUnordered(benchmark::State& state)
{
    Filled f;
    if (!f.ok)
        state.SkipWithError("grid not exposed");
    UseCustomStyle(f.grid);
    for (auto _ : state) {
        state.PauseTiming();
        f.Restore();
        state.ResumeTiming();
        f.grid.SortByColumn(3); // includes write-back and the one repaint
    }
}
BENCHMARK(BM_SortByColumnCustomUnordered)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(BenchCount(20, 1))
    ->Repetitions(BenchRepetitions(9))
    ->ReportAggregatesOnly(true);

// The direction alternates, so every sort moves every row.
void BM_SortByColumnCustomReversing(benchmark::State& state)
{
    Filled f;
    if (!f.ok)
        state.SkipWithError("grid not exposed");
    UseCustomStyle(f.grid);
    bool descending = false;
    for (auto _ : state) {
        f.grid.SortOptions().SortDirection = descending ? sdDescending : sdAscending;
        descending = !descending;
        f.grid.SortByColumn(3);
    }
}
BENCHMARK(BM_SortByColumnCustomReversing)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

void BM_FindRowNearTheEnd(benchmark::State& state)
{
    Filled f;
    int n = 0;
    for (auto _ : state) {
        // A start number near the end: close to the scan's worst case.
        benchmark::DoNotOptimize(f.grid.FindRow(0, QString::number(Rows - (n++ % 10)), false));
    }
}
BENCHMARK(BM_FindRowNearTheEnd)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

void BM_FindRowMissingIgnoringCase(benchmark::State& state)
{
    Filled f;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.grid.FindRow(0, QStringLiteral("X1"), true));
}
BENCHMARK(BM_FindRowMissingIgnoringCase)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
