#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>

// The plain values of the event book: what the event's rules are, who
// starts, and each timed run with its penalties. Storage, scoring, import
// and the windows all speak in these; none of them needs a widget.

enum class ScoringRule { SumOfAll, SumOfBestN, BestTime };

struct EventRules
{
    QString title;
    QDate date;
    QString venue;
    int trainingRuns = 1;          // 0..2
    int scoredRuns = 2;            // 1..5
    ScoringRule rule = ScoringRule::SumOfAll;
    int bestN = 2;                 // the N of SumOfBestN, 1..scoredRuns
    int coneSeconds = 3;           // per moved or knocked cone
    int skippedTaskSeconds = 15;   // per skipped task or gate
    int skippedTasksAllowed = 3;   // more than this in one run: not scored
    bool teams = false;
    int teamBestOf = 3;            // a team's result: its best this many drivers
};

struct Entry
{
    int number = 0; // start number, 1..9999, unique in an event
    QString name;
    QString firstName;
    QString car;
    QString className;
    QString club;
    QString team;
    int order = 0; // position in the entry list; classes are ordered by their first entry
};

enum class RunKind { Training, Scored };
// Invalid is "n.g." (nicht gewertet): too many skipped tasks, a missed
// finish gate or a disqualification; the reason says which.
enum class RunStatus { Valid, Invalid, DNF, DNS };

struct RunRecord
{
    std::int64_t id = 0;
    int number = 0;
    int lane = 0;
    std::uint32_t startTick = 0;
    std::uint32_t stopTick = 0;
    std::int32_t runTimeMs = 0;
    QString startClock;
    QString stopClock;
    QString source;       // "Taste", "Knopf", "Lichtschranke", "Hand" (typed in)
    RunKind kind = RunKind::Scored;
    int index = 1;        // the driver's n-th run of its kind, from 1
    RunStatus status = RunStatus::Valid;
    int cones = 0;
    int skippedTasks = 0;
    QString reason;       // why a run is n.g., DNF or DNS, for the lists
    bool replaced = false; // a restart over it replaced it: kept, never scored
    QDateTime recorded;
    // An accident (UNFALL) voided it: kept, never scored (replaced is set
    // too), the re-run takes its place.
    bool voided = false;
    // The protocol row this run wrote: its Nr. text as typed (the number
    // may be 0 when that text is no start number) and startClock.
    QString rowNumber;
};

QString RunStatusText(RunStatus status);
QString ScoringRuleText(ScoringRule rule);
