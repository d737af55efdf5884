#include "BenchSmoke.h"
#include "BigLiveEvent.h"
#include "LiveServer.h"
#include "LiveSnapshot.h"

#include <benchmark/benchmark.h>

namespace {

// What the UI thread does after a change once the event is scored: the
// event handed to the builder thread, which builds the snapshot.
void BM_PublishSnapshot300_UiThread(benchmark::State& state)
{
    BenchEvent event = BigEvent();
    const LiveInput input = BigLiveEvent(event);
    LiveServer server;
    for (auto _ : state)
        server.PublishInput(input);
}
BENCHMARK(BM_PublishSnapshot300_UiThread)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The whole of the desk's part after a change: the event scored from the
// book's entries and runs, then handed over.
void BM_ScoreAndPublish300_UiThread(benchmark::State& state)
{
    BenchEvent event = BigEvent();
    LiveInput input = BigLiveEvent(event);
    LiveServer server;
    for (auto _ : state) {
        input.scoring = ScoreEvent(event.rules, event.entries, event.runs);
        server.PublishInput(input);
    }
}
BENCHMARK(BM_ScoreAndPublish300_UiThread)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The builder thread's part: the pages and the JSON built from the event.
void BM_BuildSnapshot300_BuilderThread(benchmark::State& state)
{
    BenchEvent event = BigEvent();
    const LiveInput input = BigLiveEvent(event);
    std::uint64_t version = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LiveSnapshot::Build(input, ++version));
}
BENCHMARK(BM_BuildSnapshot300_BuilderThread)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
