#pragma once

#include "BenchEvent.h"
#include "LiveSnapshot.h"

// The 300-driver event as the results server gets it: scored, two lanes on
// the track and the last ten runs.
inline LiveInput BigLiveEvent(BenchEvent& event)
{
    event.rules.title = QStringLiteral("Slalom am Berg");
    event.rules.date = QDate(2026, 9, 12);
    LiveInput input;
    input.scoring = ScoreEvent(event.rules, event.entries, event.runs);
    input.lanes = {LiveLane{1, QStringLiteral("17"), true}, LiveLane{2, QStringLiteral("18"), false}};
    input.lastRuns.assign(event.runs.rbegin(), event.runs.rbegin() + 10);
    return input;
}
