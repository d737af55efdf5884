#include "BenchSmoke.h"
#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "ProtocolModel.h"
#include "TimeText.h"

#include <memory>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kRuns = 10000;

ProtocolRows TenThousandRuns()
{
    std::mt19937 random(3);
    std::uniform_int_distribution<std::int32_t> ms(40000, 120000);
    ProtocolRows rows = {{QStringLiteral("Nr."), QStringLiteral("Start"), QStringLiteral("Stopp"),
        QStringLiteral("Zeit"), QStringLiteral("km/h"), QStringLiteral("Platz")}};
    for (int i = 1; i <= kRuns; ++i)
        rows.push_back({QString::number(i), QStringLiteral("10:00.00,00"), QStringLiteral("10:01.00,00"),
            FormatRunTime(ms(random)), QStringLiteral("45,0"), QString()});
    return rows;
}

// A 10,000-row file read into the table and ranked, as at start-up.
void BM_LoadAndRank(benchmark::State& state)
{
    const QByteArray bytes = ProtocolTextBytes(TenThousandRuns());
    const auto table = std::make_unique<ProtocolModel>();
    for (auto _ : state)
        benchmark::DoNotOptimize(table->LoadProtocolText(ParseProtocolText(bytes), QStringLiteral("1"), true));
}
BENCHMARK(BM_LoadAndRank)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The same, step by step: the file parsed, the rows put into the grid, ranked.
void BM_LoadStepParse(benchmark::State& state)
{
    const QByteArray bytes = ProtocolTextBytes(TenThousandRuns());
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseProtocolText(bytes));
}
BENCHMARK(BM_LoadStepParse)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);
void BM_LoadStepPutRows(benchmark::State& state)
{
    const auto loaded = ParseProtocolText(ProtocolTextBytes(TenThousandRuns()));
    const auto table = std::make_unique<ProtocolModel>();
    for (auto _ : state)
        table->ReplaceRows(loaded.rows);
}
BENCHMARK(BM_LoadStepPutRows)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);
void BM_LoadStepRank(benchmark::State& state)
{
    const auto loaded = ParseProtocolText(ProtocolTextBytes(TenThousandRuns()));
    const auto table = std::make_unique<ProtocolModel>();
    for (auto _ : state) {
        state.PauseTiming();
        table->ReplaceRows(loaded.rows);
        state.ResumeTiming();
        table->RankProtocol(QStringLiteral("1"), true);
    }
}
BENCHMARK(BM_LoadStepRank)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The backup write of 10,000 rows, flushed to the disk; the flush's share is
// the write time minus the same write without the sync (counter "nosync_ms").
void BM_BackupWrite(benchmark::State& state)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const ProtocolRows rows = TenThousandRuns();
    ProtocolBackup backup(dir.filePath(QStringLiteral("Ravolt-Sicherungsdatei.txt")), [&rows] { return rows; });
    double unsyncedMs = 0;
    for (auto _ : state) {
        if (!backup.WriteNow())
            state.SkipWithError("write failed");
        state.PauseTiming();
        QElapsedTimer timer;
        timer.start();
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        plain.open(QIODevice::WriteOnly);
        plain.write(ProtocolTextBytes(rows));
        plain.close();
        unsyncedMs += timer.nsecsElapsed() / 1e6;
        state.ResumeTiming();
    }
    state.counters["nosync_ms"] = unsyncedMs / double(state.iterations());
}
BENCHMARK(BM_BackupWrite)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
