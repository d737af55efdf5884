#pragma once

#include "LiveSnapshot.h"

#include <QStringList>

#include <algorithm>

// A club slalom as the pages show it: twelve drivers in three classes, one
// training and two scored runs each, driven in start-list order. `finished`
// runs are done; the next driver is on the track.
inline LiveInput DemoEvent(int finished)
{
    static const char* const people[][5] = {
        {"Müller", "Jürgen", "Kompakt 1.8 16V", "G3", "MSC Hügelland"},
        {"Schäfer", "Anja", "Kleinwagen 1.3", "G3", "AC Talsperre"},
        {"Weiß", "Björn", "Kleinwagen ST", "G3", "MSC Hügelland"},
        {"Groß", "Käthe", "Kompakt RS", "G3", "RG Oberstädten"},
        {"Köhler", "Sören", "Limousine 1.8", "G4", "AC Talsperre"},
        {"Bäcker", "Lena", "Kompakt Typ R", "G4", "MSC Hügelland"},
        {"Öztürk", "Deniz", "Limousine Allrad", "G4", "RG Oberstädten"},
        {"Fuchs", "Ralf", "Kleinwagen GTI", "G4", "AC Talsperre"},
        {"Lindström", "Maja", "Roadster 1.6", "F9", "RG Oberstädten"},
        {"Krämer", "Uwe", "Coupé 2.5", "F9", "MSC Hügelland"},
        {"Schulze-Brück", "Theresa", "Roadster 1.8", "F9", "AC Talsperre"},
        {"Nowak", "Paweł", "Coupé 2.0", "F9", "RG Oberstädten"},
    };
    LiveInput input;
    EventRules rules;
    rules.title = QStringLiteral("42. Clubslalom am Kirchberg");
    rules.date = QDate(2026, 9, 12);
    rules.venue = QStringLiteral("Flugplatz Kirchberg");
    rules.trainingRuns = 1;
    rules.scoredRuns = 2;
    std::vector<Entry> entries;
    for (int d = 0; d < 12; ++d) {
        Entry e;
        e.number = d + 1;
        e.name = QString::fromUtf8(people[d][0]);
        e.firstName = QString::fromUtf8(people[d][1]);
        e.car = QString::fromUtf8(people[d][2]);
        e.className = QString::fromUtf8(people[d][3]);
        e.club = QString::fromUtf8(people[d][4]);
        e.order = d + 1;
        entries.push_back(e);
    }
    std::vector<RunRecord> runs;
    for (int i = 0; i < std::min(finished, 36); ++i) {
        RunRecord r;
        r.id = i + 1;
        r.number = i % 12 + 1;
        r.lane = i % 2 + 1;
        r.kind = i < 12 ? RunKind::Training : RunKind::Scored;
        r.index = i < 12 ? 1 : i / 12;
        r.runTimeMs = 52000 + (i * 7919) % 9000;
        r.cones = i % 5 == 3 ? 1 : 0;
        if (i % 11 == 7)
            r.status = RunStatus::DNF;
        runs.push_back(r);
    }
    input.scoring = ScoreEvent(rules, entries, runs);
    const int next = finished % 12 + 1;
    input.lanes = {LiveLane{finished % 2 + 1, QString::number(next), true}};
    if (finished > 0)
        input.lanes.push_back(LiveLane{(finished - 1) % 2 + 1, QString::number((finished - 1) % 12 + 1), false});
    for (auto run = runs.rbegin(); run != runs.rend() && input.lastRuns.size() < 10; ++run)
        input.lastRuns.push_back(*run);
    return input;
}
