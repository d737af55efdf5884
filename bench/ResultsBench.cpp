#include "BenchSmoke.h"
#include "ResultLists.h"
#include "Scoring.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kDrivers = 300;

struct Event
{
    EventRules rules;
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
};

// 300 drivers in eight classes and twelve teams, one training run and three
// scored runs each (best two of three), a cone here and there.
Event BigEvent()
{
    Event event;
    event.rules.scoredRuns = 3;
    event.rules.rule = ScoringRule::SumOfBestN;
    event.rules.bestN = 2;
    event.rules.teams = true;
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> ms(48000, 75000);
    std::uniform_int_distribution<int> cones(0, 9);
    std::int64_t id = 1;
    for (int d = 0; d < kDrivers; ++d) {
        Entry e;
        e.number = d + 1;
        e.name = QStringLiteral("Fahrer %1").arg(d + 1);
        e.className = QStringLiteral("K%1").arg(d % 8);
        e.team = d % 2 ? QStringLiteral("Team %1").arg(d % 12) : QString();
        e.order = d;
        event.entries.push_back(e);
        for (int k = 0; k < 4; ++k) {
            RunRecord r;
            r.id = id++;
            r.number = e.number;
            r.kind = k == 0 ? RunKind::Training : RunKind::Scored;
            r.index = k == 0 ? 1 : k;
            r.runTimeMs = ms(random);
            r.cones = cones(random) == 0 ? 1 : 0;
            event.runs.push_back(r);
        }
    }
    return event;
}

// One cone more or less on the n-th change's run.
void ChangeOnePenalty(Event& event, std::size_t n)
{
    RunRecord& changed = event.runs[(n * 37) % event.runs.size()];
    changed.cones = (changed.cones + 1) % 3;
}

// One penalty changed, then the whole event scored again, as the results
// window does after every change.
void BM_RescoreAfterOnePenalty(benchmark::State& state)
{
    Event event = BigEvent();
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
    Event event = BigEvent();
    std::size_t n = 0;
    for (auto _ : state) {
        ChangeOnePenalty(event, n++);
        const ResultLists lists(ScoreEvent(event.rules, event.entries, event.runs), Posting{});
        benchmark::DoNotOptimize(lists.Pages({ResultList::Classes, ResultList::Overall, ResultList::Teams}));
    }
}
BENCHMARK(BM_RescoreAndBuildLists)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

} // namespace
