#include "TSortGrid.h"

#include <QRandomGenerator>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 10000;

// A shown grid of 10,000 protocol-like rows of six short texts.
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
            grid.SetRows(r, {QString::number(r), QStringLiteral("9:05.03,07"), QStringLiteral("9:06.03,07"),
                             QStringLiteral("%1,%2").arg(ms / 1000).arg((ms / 10) % 100, 2, 10, QLatin1Char('0')),
                             QStringLiteral("79,8"), QString()});
        }
        grid.show();
        ok = QTest::qWaitForWindowExposed(&grid);
    }
    TSortGrid grid;
    bool ok = false;
};

// Ordering like the run-time column: longer texts are longer times.
int CompareByLength(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return int(a.size() - b.size());
    return QString::compare(a, b);
}

void BM_SortByColumnCustom(benchmark::State& state)
{
    Filled f;
    if (!f.ok)
        state.SkipWithError("grid not exposed");
    bool descending = false;
    for (auto _ : state) {
        f.grid.OnGetSortStyle = [](TSortGrid* g, int, TSortStyle& style) {
            style = ssCustom;
            g->SortOptions().SortCompare = CompareByLength;
        };
        // Alternate the direction so every run really moves the rows.
        f.grid.SortOptions().SortDirection = descending ? sdDescending : sdAscending;
        descending = !descending;
        f.grid.SortByColumn(3); // includes write-back and the one repaint
    }
}
BENCHMARK(BM_SortByColumnCustom)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_FindRow(benchmark::State& state)
{
    Filled f;
    int n = 0;
    for (auto _ : state) {
        // A start number near the end: the scan's worst case.
        benchmark::DoNotOptimize(f.grid.FindRow(0, QString::number(Rows - (n++ % 10)), false));
    }
}
BENCHMARK(BM_FindRow)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace
