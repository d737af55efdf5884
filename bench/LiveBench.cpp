#include "BenchSmoke.h"
#include "LiveServer.h"
#include "LiveSnapshot.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// 300 drivers in eight classes, one training and three scored runs each
// (best two of three), two lanes on the track and the last ten runs.
LiveInput BigEvent(std::vector<Entry>& entries, std::vector<RunRecord>& runs)
{
    LiveInput input;
    input.scoring.rules.title = QStringLiteral("Slalom am Berg");
    input.scoring.rules.date = QDate(2026, 9, 12);
    input.scoring.rules.scoredRuns = 3;
    input.scoring.rules.rule = ScoringRule::SumOfBestN;
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> ms(48000, 75000);
    std::int64_t id = 1;
    for (int d = 0; d < 300; ++d) {
        Entry e;
        e.number = d + 1;
        e.name = QStringLiteral("Fahrer %1").arg(d + 1);
        e.className = QStringLiteral("K%1").arg(d % 8);
        e.order = d;
        entries.push_back(e);
        for (int k = 0; k < 4; ++k) {
            RunRecord r;
            r.id = id++;
            r.number = e.number;
            r.kind = k == 0 ? RunKind::Training : RunKind::Scored;
            r.index = k == 0 ? 1 : k;
            r.runTimeMs = ms(random);
            runs.push_back(r);
        }
    }
    input.scoring = ScoreEvent(input.scoring.rules, entries, runs);
    input.lanes = {LiveLane{1, QStringLiteral("17"), true}, LiveLane{2, QStringLiteral("18"), false}};
    input.lastRuns.assign(runs.end() - 10, runs.end());
    return input;
}

// What the UI thread does after a change once the event is scored: the
// event handed to the server's thread, which builds the snapshot.
void BM_PublishSnapshot300_UiThread(benchmark::State& state)
{
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
    const LiveInput input = BigEvent(entries, runs);
    LiveServer server;
    for (auto _ : state)
        server.PublishInput(input);
}
BENCHMARK(BM_PublishSnapshot300_UiThread)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The whole of the desk's part after a change: the event scored from the
// book's entries and runs, then handed over.
void BM_ScoreAndPublish300_UiThread(benchmark::State& state)
{
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
    LiveInput input = BigEvent(entries, runs);
    LiveServer server;
    for (auto _ : state) {
        input.scoring = ScoreEvent(input.scoring.rules, entries, runs);
        server.PublishInput(input);
    }
}
BENCHMARK(BM_ScoreAndPublish300_UiThread)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The server thread's part: the pages and the JSON built from the event.
void BM_BuildSnapshot300_ServerThread(benchmark::State& state)
{
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
    const LiveInput input = BigEvent(entries, runs);
    std::uint64_t version = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LiveSnapshot::Build(input, ++version));
}
BENCHMARK(BM_BuildSnapshot300_ServerThread)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
