#pragma once

#include "LiveSnapshot.h"

#include <random>
#include <vector>

// 300 drivers in eight classes, one training and three scored runs each
// (best two of three), two lanes on the track and the last ten runs.
inline LiveInput BigEvent(std::vector<Entry>& entries, std::vector<RunRecord>& runs)
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

