#include "BenchEvent.h"
#include "BenchSmoke.h"
#include "ResultLists.h"

#include <benchmark/benchmark.h>

namespace {

// One cone more or less on the n-th change's run.
void ChangeOnePenalty(BenchEvent& event, std::size_t n)
{
    RunRecord& changed = event.runs[(n * 37) % event.runs.size()];
    changed.cones = (changed.cones + 1) % 3;
}

// One penalty changed, then the whole event scored again, as the results
// window does after every change.
void BM_RescoreAfterOnePenalty(benchmark::State& state)
{
    BenchEvent event = BigEvent();
    std::size_t n = 0;
    for (auto _ : state) {
        ChangeOnePenalty(event, n++);
        benchmark::DoNotOptimize(ScoreEvent(event.rules, event.entries, event.runs));
    }
}
BENCHMARK(BM_RescoreAfterOnePenalty)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The same, and the class and overall lists built from the new result.
void BM_RescoreAndBuildLists(benchmark::State& state)
{
    BenchEvent event = BigEvent();
    std::size_t n = 0;
    for (auto _ : state) {
        ChangeOnePenalty(event, n++);
        const ResultLists lists(ScoreEvent(event.rules, event.entries, event.runs), Posting{});
        benchmark::DoNotOptimize(lists.Pages({ResultList::Classes, ResultList::Overall, ResultList::Teams}));
    }
}
BENCHMARK(BM_RescoreAndBuildLists)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
