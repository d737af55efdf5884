#include "Scoring.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include "ScoringFixtures.h"

namespace {

// A list as "place Nr. total" lines, "o.W." and the reason for the unplaced.
QStringList Lines(const ScoringResult& result, const RankedList& list)
{
    QStringList lines;
    for (const Standing& s : list.placed) {
        const DriverResult& d = result.drivers[s.driver];
        lines.append(QStringLiteral("%1. Nr.%2 %3").arg(s.place).arg(d.entry.number).arg(ResultTimeText(*d.totalMs, s.totalInMs)));
    }
    for (const Standing& s : list.unplaced) {
        const DriverResult& d = result.drivers[s.driver];
        lines.append(QStringLiteral("o.W. Nr.%1 %2").arg(d.entry.number).arg(d.unplacedReason));
    }
    return lines;
}

EventRules Rules(ScoringRule rule, int scoredRuns, int bestN = 2)
{
    EventRules rules;
    rules.rule = rule;
    rules.scoredRuns = scoredRuns;
    rules.bestN = bestN;
    return rules;
}

} // namespace

TEST(Scoring, EachRuleRanksAndListsTheUnplacedWithTheirReason)
{
    const RunStatus ng = RunStatus::Invalid;
    const struct {
        const char* what;
        EventRules rules;
        std::vector<RunRecord> runs;
        QStringList expected;
    } cases[] = {
        {"sum of two runs with penalties (3 s a cone, 15 s a skipped task)",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 55120, 1), Timed(1, 2, 56000), Timed(2, 1, 57000), Timed(2, 2, 57500, 0, 1)},
         {"1. Nr.1 1.54,12", "2. Nr.2 2.09,50"}},
        {"best two of three: a DNF or n.g. run is dropped, too few valid runs place nobody",
         Rules(ScoringRule::SumOfBestN, 3, 2),
         {Timed(1, 1, 60000), Timed(1, 2, 58000), Timed(1, 3, 59000), Timed(2, 1, 57000), Timed(2, 2, 0, 0, 0, RunStatus::DNF),
          Timed(2, 3, 59500), Timed(3, 1, 50000), Timed(3, 2, 49000, 0, 0, ng), Timed(3, 3, 0, 0, 0, RunStatus::DNS)},
         {"1. Nr.2 1.56,50", "2. Nr.1 1.57,00", "o.W. Nr.3 nur 1 gültiger Wertungslauf, 2 zählen"}},
        {"best single run, penalties included",
         Rules(ScoringRule::BestTime, 2),
         {Timed(1, 1, 61000), Timed(1, 2, 59990, 1), Timed(2, 1, 0, 0, 0, RunStatus::DNF), Timed(2, 2, 60500), Timed(3, 1, 0, 0, 0, ng)},
         {"1. Nr.2 1.00,50", "2. Nr.1 1.01,00", "o.W. Nr.3 kein gültiger Wertungslauf"}},
        {"an n.g. run in a sum rule: too many skipped tasks, or marked with a reason",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 55000), Timed(1, 2, 56000, 0, 4), Timed(2, 1, 60000, 0, 0, ng, "Ziel verfehlt"), Timed(2, 2, 60000),
          Timed(3, 1, 70000), Timed(3, 2, 70000, 0, 3)},
         {"1. Nr.3 3.05,00", "o.W. Nr.1 Lauf 2 n.g.: 4 Aufgaben ausgelassen", "o.W. Nr.2 Lauf 1 n.g.: Ziel verfehlt"}},
        {"DNS, a missing run and no run at all",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 0, 0, 0, RunStatus::DNS), Timed(1, 2, 50000), Timed(2, 1, 50000), Timed(4, 1, 1000), Timed(4, 2, 1000)},
         {"1. Nr.4 2,00", "o.W. Nr.1 Lauf 1 DNS", "o.W. Nr.2 Lauf 2 fehlt", "o.W. Nr.3 kein Wertungslauf"}},
        {"equal sums: the faster second-best run ranks ahead",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 50000), Timed(1, 2, 52000), Timed(2, 1, 51000), Timed(2, 2, 51000)},
         {"1. Nr.2 1.42,00", "2. Nr.1 1.42,00"}},
        {"equal best runs: the second run decides, none ranks behind any",
         Rules(ScoringRule::BestTime, 2),
         {Timed(1, 1, 50000), Timed(1, 2, 0, 0, 0, ng), Timed(2, 1, 50000), Timed(2, 2, 53000), Timed(3, 1, 52000),
          Timed(3, 2, 50000)},
         {"1. Nr.3 50,00", "2. Nr.2 50,00", "3. Nr.1 50,00"}},
        {"a tie that remains shares the place; the next place is skipped",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 50000), Timed(1, 2, 52000), Timed(2, 1, 52000), Timed(2, 2, 50000), Timed(3, 1, 53000), Timed(3, 2, 53000)},
         {"1. Nr.1 1.42,00", "1. Nr.2 1.42,00", "3. Nr.3 1.46,00"}},
        {"a tie only milliseconds decide shows thousandths where they decide",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 50004), Timed(1, 2, 50000), Timed(2, 1, 50000), Timed(2, 2, 50001), Timed(3, 1, 50000), Timed(3, 2, 50019)},
         {"1. Nr.2 1.40,001", "2. Nr.1 1.40,004", "3. Nr.3 1.40,01"}},
        {"training runs and replaced runs never count; the re-run does",
         Rules(ScoringRule::SumOfAll, 2),
         {Timed(1, 1, 40000, 0, 0, RunStatus::Valid, {}, RunKind::Training), Timed(1, 1, 45000, 0, 0, RunStatus::Valid, {},
          RunKind::Scored, true), Timed(1, 1, 55000), Timed(1, 2, 56000), Timed(2, 1, 30000, 0, 0, RunStatus::Valid, {},
          RunKind::Training)},
         {"1. Nr.1 1.51,00", "o.W. Nr.2 kein Wertungslauf"}},
    };
    for (const auto& c : cases) {
        const std::vector<Entry> entries = {Driver(1, "A"), Driver(2, "A"), Driver(3, "A"), Driver(4, "A")};
        std::vector<Entry> used;
        for (const Entry& e : entries) {
            if (std::any_of(c.runs.begin(), c.runs.end(), [&](const RunRecord& r) { return r.number == e.number; }) ||
                QString::fromUtf8(c.what).contains(QStringLiteral("no run at all")))
                used.push_back(e);
        }
        const ScoringResult result = ScoreEvent(c.rules, used, c.runs);
        ASSERT_EQ(result.classes.size(), 1u) << c.what;
        EXPECT_EQ(Lines(result, result.classes[0]), c.expected) << c.what;
    }
}

TEST(Scoring, GapsAreDifferencesOfTheShownTotals)
{
    // 1.40,001 and 1.40,004 differ in thousandths only; 1.40,01 is shown in
    // hundredths, so its gap to the one ahead is 1.40,010 - 1.40,004.
    const ScoringResult result =
        ScoreEvent(Rules(ScoringRule::SumOfAll, 2), {Driver(1, "A"), Driver(2, "A"), Driver(3, "A"), Driver(4, "A")},
                   {Timed(1, 1, 50004), Timed(1, 2, 50000), Timed(2, 1, 50000), Timed(2, 2, 50001), Timed(3, 1, 50000),
                    Timed(3, 2, 50019), Timed(4, 1, 50500), Timed(4, 2, 50459)});
    QStringList gaps;
    for (const Standing& s : result.classes[0].placed)
        gaps.append(GapText(s.gapToLeaderMs, s.gapToLeaderInMs) + QStringLiteral(" ") +
                    GapText(s.gapToAheadMs, s.gapToAheadInMs));
    EXPECT_EQ(gaps, QStringList({"+0,00 +0,00", "+0,003 +0,003", "+0,009 +0,006", "+0,949 +0,94"}));
}

TEST(Scoring, EqualSumsDecidedByThousandthsOfTheSecondBestRunMarkThatRun)
{
    const ScoringResult result = ScoreEvent(Rules(ScoringRule::SumOfAll, 2), {Driver(1, "A"), Driver(2, "A")},
                                            {Timed(1, 1, 50000), Timed(1, 2, 50004), Timed(2, 1, 50001), Timed(2, 2, 50003)});
    const std::vector<Standing>& placed = result.classes[0].placed;
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(result.drivers[placed[0].driver].entry.number, 2);
    EXPECT_EQ(placed[1].place, 2);
    EXPECT_FALSE(placed[0].totalInMs);
    EXPECT_TRUE(placed[0].secondBestInMs);
    EXPECT_TRUE(placed[1].secondBestInMs);
    EXPECT_EQ(result.drivers[placed[0].driver].secondBestRun, 2);
}

TEST(Scoring, ClassesFollowTheEntryListAndTheOverallResultRanksEveryone)
{
    std::vector<Entry> entries = {Driver(5, "G3", 2), Driver(7, "F9", 1), Driver(3, "G3", 3), Driver(9, "F9", 4)};
    const ScoringResult result = ScoreEvent(Rules(ScoringRule::BestTime, 1), entries,
                                            {Timed(5, 1, 51000), Timed(7, 1, 52000), Timed(3, 1, 50500), Timed(9, 1, 50000),
                                             Timed(11, 1, 40000)});
    ASSERT_EQ(result.classes.size(), 2u);
    EXPECT_EQ(result.classes[0].className, "F9");
    EXPECT_EQ(Lines(result, result.classes[0]), QStringList({"1. Nr.9 50,00", "2. Nr.7 52,00"}));
    EXPECT_EQ(Lines(result, result.classes[1]), QStringList({"1. Nr.3 50,50", "2. Nr.5 51,00"}));
    EXPECT_EQ(Lines(result, result.overall),
              QStringList({"1. Nr.9 50,00", "2. Nr.3 50,50", "3. Nr.5 51,00", "4. Nr.7 52,00"}));
    EXPECT_EQ(result.unknownNumbers, std::vector<int>({11}));
}

TEST(Scoring, FastestRunOfTheDayCountsPenaltiesAndAnyValidRun)
{
    // Nr. 1 is unplaced (n.g. in run 2), yet its run 1 is the day's fastest
    // valid run; Nr. 2's 48,00 became 51,00 with a cone.
    const ScoringResult result =
        ScoreEvent(Rules(ScoringRule::SumOfAll, 2), {Driver(1, "A"), Driver(2, "B")},
                   {Timed(1, 1, 49999), Timed(1, 2, 0, 0, 0, RunStatus::Invalid), Timed(2, 1, 48000, 1), Timed(2, 2, 50005)});
    ASSERT_EQ(result.fastest.size(), 1u);
    EXPECT_EQ(result.drivers[result.fastest[0].driver].entry.number, 1);
    EXPECT_EQ(result.fastest[0].run, 1);
    EXPECT_EQ(ResultTimeText(result.fastest[0].scoredMs, result.fastestInMs), "49,99");
}

TEST(Scoring, TeamsSumTheirBestDriversAndNeverCountASixth)
{
    EventRules rules = Rules(ScoringRule::BestTime, 1);
    rules.teams = true;
    rules.teamBestOf = 2;
    std::vector<Entry> entries;
    std::vector<RunRecord> runs;
    // Team "Nord" names six drivers; the sixth is the fastest and does not count.
    for (int n = 1; n <= 6; ++n) {
        entries.push_back(Driver(n, "A", n, "Nord"));
        runs.push_back(Timed(n, 1, n == 6 ? 40000 : 50000 + n * 1000));
    }
    entries.push_back(Driver(10, "A", 10, "Süd"));
    entries.push_back(Driver(11, "A", 11, "Süd"));
    runs.push_back(Timed(10, 1, 50000));
    runs.push_back(Timed(11, 1, 0, 0, 0, RunStatus::DNF));
    entries.push_back(Driver(20, "B", 20, "West"));
    entries.push_back(Driver(21, "B", 21, "West"));
    runs.push_back(Timed(20, 1, 51500));
    runs.push_back(Timed(21, 1, 51501));

    const ScoringResult result = ScoreEvent(rules, entries, runs);
    ASSERT_EQ(result.teams.size(), 3u);
    EXPECT_EQ(result.teams[0].name, "Nord");
    EXPECT_EQ(*result.teams[0].totalMs, 51000 + 52000);
    EXPECT_EQ(result.teams[0].beyondLimit.size(), 1u);
    EXPECT_EQ(result.teams[1].name, "West");
    EXPECT_EQ(result.teams[1].place, 2);
    EXPECT_EQ(*result.teams[1].totalMs, 103001);
    EXPECT_EQ(GapText(result.teams[1].gapToLeaderMs, result.teams[1].gapToLeaderInMs), "+0,001");
    EXPECT_EQ(result.teams[2].name, "Süd");
    EXPECT_EQ(result.teams[2].place, 0);
    EXPECT_EQ(result.teams[2].unplacedReason, "nur 1 von 2 Fahrern gewertet");
}

TEST(Scoring, TimeTextsCutHundredthsAndAddThousandthsOnlyWhenAsked)
{
    const struct {
        std::int64_t ms;
        bool inMs;
        const char* time;
        const char* gap;
    } cases[] = {
        {65129, false, "1.05,12", "+1.05,12"},
        {65129, true, "1.05,129", "+1.05,129"},
        {450, false, "0,45", "+0,45"},
        {3, true, "0,003", "+0,003"},
        {3600000, false, "1:00.00,00", "+1:00.00,00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResultTimeText(c.ms, c.inMs), c.time);
        EXPECT_EQ(GapText(c.ms, c.inMs), c.gap);
    }
}
