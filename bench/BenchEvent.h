#pragma once

#include "Scoring.h"

#include <random>
#include <vector>

constexpr int kDrivers = 300;

struct BenchEvent
{
    EventRules rules;
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
};

// 300 drivers in eight classes and twelve teams, one training run and three
// scored runs each (best two of three), a cone here and there.
inline BenchEvent BigEvent()
{
    BenchEvent event;
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
