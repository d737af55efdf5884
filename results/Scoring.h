#pragma once

#include "EventTypes.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Scoring of an event: a plain function of the rules, the entry list and the
// recorded runs. Every time is in milliseconds; texts are made from the
// result (ResultTimeText), never the other way round.

// One scored run of a driver ("Lauf n"), as it counts.
struct ScoredRun
{
    enum class State { Missing, Valid, Invalid, DNF, DNS };
    State state = State::Missing;
    std::int32_t runTimeMs = 0;   // as timed
    std::int64_t penaltyMs = 0;   // cones and skipped tasks
    std::int64_t scoredMs = 0;    // time plus penalties, when Valid
    int cones = 0;
    int skippedTasks = 0;
    QString reason;               // why n.g., DNF or DNS
    bool counts = false;          // part of the driver's total
};

// A driver's result: the entry and one ScoredRun per scored run of the event.
struct DriverResult
{
    Entry entry;
    std::vector<ScoredRun> runs;           // runs[i] is "Lauf i+1"
    std::optional<std::int64_t> totalMs;   // none: "ohne Wertung"
    QString unplacedReason;
    std::optional<std::int64_t> secondBestMs; // the "Zweitzeit" that breaks a tie
    int secondBestRun = 0;                  // its run number (1-based), 0 when none
};

// A driver's line in a ranked list. Gaps are differences of the totals as
// shown, so the list adds up when checked by hand.
struct Standing
{
    int driver = 0;                  // index into ScoringResult::drivers
    int place = 0;                   // 0: without a place
    bool totalInMs = false;          // total shown with thousandths: they decide
    bool secondBestInMs = false;     // the Zweitzeit's run shown with thousandths: it decided
    std::int64_t gapToLeaderMs = 0;
    std::int64_t gapToAheadMs = 0;
    bool gapToLeaderInMs = false;
    bool gapToAheadInMs = false;
};

struct RankedList
{
    QString className;               // empty for the overall result
    std::vector<Standing> placed;    // by place
    std::vector<Standing> unplaced;  // "ohne Wertung", in entry-list order
};

struct TeamResult
{
    QString name;
    std::vector<int> members;        // driver indexes in entry-list order, at most kMaxTeamDrivers
    std::vector<int> beyondLimit;    // drivers named for the team beyond that: they never count
    std::vector<int> counted;        // the best teamBestOf placed members, fastest first
    std::optional<std::int64_t> totalMs;
    QString unplacedReason;
    int place = 0;
    bool totalInMs = false;
    std::int64_t gapToLeaderMs = 0;
    std::int64_t gapToAheadMs = 0;
    bool gapToLeaderInMs = false;
    bool gapToAheadInMs = false;
};

// The fastest valid scored run of the day, penalties included.
struct FastestRun
{
    int driver = 0;   // index into ScoringResult::drivers
    int run = 0;      // its run number, 1-based
    std::int64_t scoredMs = 0;
};

struct ScoringResult
{
    EventRules rules;
    std::vector<DriverResult> drivers;   // entry-list order
    std::vector<RankedList> classes;     // ordered by each class's first entry
    RankedList overall;
    std::vector<FastestRun> fastest;     // "Tagesbestzeit": more than one only on an exact tie
    bool fastestInMs = false;
    std::vector<TeamResult> teams;       // placed by place, then the unplaced
    std::vector<int> unknownNumbers;     // numbers with runs but no entry, ascending
};

constexpr int kMaxTeamDrivers = 5;

ScoringResult ScoreEvent(const EventRules& rules, const std::vector<Entry>& entries,
                         const std::vector<RunRecord>& runs);

// "1.05,12" as the protocol writes a run time; with thousandths "1.05,123".
QString ResultTimeText(std::int64_t ms, bool thousandths);
// "+0,45", "+1.02,30"; with thousandths "+0,003".
QString GapText(std::int64_t ms, bool thousandths);
// "Müller, Hans", or the name alone.
QString DriverName(const Entry& entry);
