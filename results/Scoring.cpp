#include "Scoring.h"

#include "TimeText.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace {

constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::max();

// What a list is ranked by: the total, then the Zweitzeit (none ranks behind
// any), then the entry list's order, which only orders a shared place.
struct RankItem
{
    int id = 0;
    std::int64_t total = 0;
    std::int64_t second = kNoTime;
    int tieOrder = 0;
};

struct Ranked
{
    int id = 0;
    int place = 0;
    bool totalInMs = false;
    bool secondInMs = false;
    std::int64_t gapToLeader = 0;
    std::int64_t gapToAhead = 0;
    bool gapToLeaderInMs = false;
    bool gapToAheadInMs = false;
};

// A total as the list shows it: hundredths cut, unless thousandths decide.
std::int64_t ShownMs(std::int64_t ms, bool inMs)
{
    return inMs ? ms : ms - ms % 10;
}

// Thousandths are shown where times differ only in them: every time of a run
// of neighbours with the same hundredths and not all the same milliseconds.
template <typename Key>
std::vector<bool> ThousandthsDecide(const std::vector<RankItem>& items, Key key)
{
    std::vector<bool> inMs(items.size(), false);
    for (std::size_t begin = 0; begin < items.size();) {
        std::size_t end = begin + 1;
        bool differ = false;
        while (end < items.size() && key(items[end]) / 10 == key(items[begin]) / 10 &&
               key(items[end]) != kNoTime && key(items[begin]) != kNoTime) {
            differ = differ || key(items[end]) != key(items[begin]);
            ++end;
        }
        for (std::size_t i = begin; i < end; ++i)
            inMs[i] = differ;
        begin = end;
    }
    return inMs;
}

std::vector<Ranked> Rank(std::vector<RankItem> items)
{
    std::sort(items.begin(), items.end(), [](const RankItem& a, const RankItem& b) {
        if (a.total != b.total)
            return a.total < b.total;
        if (a.second != b.second)
            return a.second < b.second;
        return a.tieOrder < b.tieOrder;
    });
    const std::vector<bool> totalInMs = ThousandthsDecide(items, [](const RankItem& i) { return i.total; });
    // The Zweitzeit only matters among equal totals.
    std::vector<bool> secondInMs(items.size(), false);
    for (std::size_t begin = 0; begin < items.size();) {
        std::size_t end = begin + 1;
        while (end < items.size() && items[end].total == items[begin].total)
            ++end;
        const std::vector<RankItem> group(items.begin() + begin, items.begin() + end);
        const std::vector<bool> groupInMs = ThousandthsDecide(group, [](const RankItem& i) { return i.second; });
        std::copy(groupInMs.begin(), groupInMs.end(), secondInMs.begin() + begin);
        begin = end;
    }
    std::vector<Ranked> ranked(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        Ranked& r = ranked[i];
        r.id = items[i].id;
        const bool tied = i > 0 && items[i].total == items[i - 1].total && items[i].second == items[i - 1].second;
        r.place = tied ? ranked[i - 1].place : static_cast<int>(i) + 1;
        r.totalInMs = totalInMs[i];
        r.secondInMs = secondInMs[i];
        if (i == 0)
            continue;
        const std::int64_t shown = ShownMs(items[i].total, r.totalInMs);
        r.gapToLeader = shown - ShownMs(items[0].total, ranked[0].totalInMs);
        r.gapToLeaderInMs = r.totalInMs || ranked[0].totalInMs;
        r.gapToAhead = shown - ShownMs(items[i - 1].total, ranked[i - 1].totalInMs);
        r.gapToAheadInMs = r.totalInMs || ranked[i - 1].totalInMs;
    }
    return ranked;
}

QString RunReason(const QString& what, int run, const QString& reason)
{
    const QString text = QStringLiteral("Lauf %1 %2").arg(run).arg(what);
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

ScoredRun ScoreRun(const EventRules& rules, const RunRecord* record)
{
    ScoredRun run;
    if (!record)
        return run;
    run.runTimeMs = record->runTimeMs;
    run.cones = record->cones;
    run.skippedTasks = record->skippedTasks;
    run.reason = record->reason;
    switch (record->status) {
    case RunStatus::DNF:
        run.state = ScoredRun::State::DNF;
        return run;
    case RunStatus::DNS:
        run.state = ScoredRun::State::DNS;
        return run;
    case RunStatus::Invalid:
        run.state = ScoredRun::State::Invalid;
        return run;
    case RunStatus::Valid:
        break;
    }
    run.state = ScoredRun::State::Invalid;
    if (record->runTimeMs < 0 || record->cones < 0 || record->skippedTasks < 0) {
        // Only a damaged record brings these; it must never make a run faster.
        if (run.reason.isEmpty())
            run.reason = QStringLiteral("ungültige Zeit oder Strafe");
        return run;
    }
    if (record->skippedTasks > rules.skippedTasksAllowed) {
        if (run.reason.isEmpty())
            run.reason = QStringLiteral("%1 Aufgaben ausgelassen").arg(record->skippedTasks);
        return run;
    }
    run.state = ScoredRun::State::Valid;
    run.penaltyMs = (std::int64_t{record->cones} * rules.coneSeconds +
                     std::int64_t{record->skippedTasks} * rules.skippedTaskSeconds) * 1000;
    run.scoredMs = record->runTimeMs + run.penaltyMs;
    return run;
}

QString NotValidReason(const ScoredRun& run, int number)
{
    switch (run.state) {
    case ScoredRun::State::Missing: return QStringLiteral("Lauf %1 fehlt").arg(number);
    case ScoredRun::State::Invalid: return RunReason(QStringLiteral("n.g."), number, run.reason);
    case ScoredRun::State::DNF: return RunReason(QStringLiteral("DNF"), number, run.reason);
    case ScoredRun::State::DNS: return RunReason(QStringLiteral("DNS"), number, run.reason);
    case ScoredRun::State::Valid: break;
    }
    return QString();
}

QString TooFewValidRuns(int valid, int needed)
{
    if (valid == 0)
        return QStringLiteral("kein gültiger Wertungslauf");
    return QStringLiteral("nur %1 gültige%2 Wertungsl%3, %4 zählen")
        .arg(valid)
        .arg(valid == 1 ? QStringLiteral("r") : QString())
        .arg(valid == 1 ? QStringLiteral("auf") : QStringLiteral("äufe"))
        .arg(needed);
}

// The driver's total by the rule, or the reason there is none.
void TotalUp(const EventRules& rules, DriverResult& driver)
{
    std::vector<int> valid; // run indexes, fastest first
    for (int i = 0; i < static_cast<int>(driver.runs.size()); ++i) {
        if (driver.runs[i].state == ScoredRun::State::Valid)
            valid.push_back(i);
    }
    std::stable_sort(valid.begin(), valid.end(),
                     [&](int a, int b) { return driver.runs[a].scoredMs < driver.runs[b].scoredMs; });
    if (valid.size() >= 2) {
        driver.secondBestMs = driver.runs[valid[1]].scoredMs;
        driver.secondBestRun = valid[1] + 1;
    }
    int counting = 0;
    switch (rules.rule) {
    case ScoringRule::SumOfAll:
        counting = static_cast<int>(driver.runs.size());
        if (static_cast<int>(valid.size()) < counting) {
            const bool none = std::all_of(driver.runs.begin(), driver.runs.end(),
                                          [](const ScoredRun& r) { return r.state == ScoredRun::State::Missing; });
            if (none) {
                driver.unplacedReason = QStringLiteral("kein Wertungslauf");
                return;
            }
            for (int i = 0; i < static_cast<int>(driver.runs.size()); ++i) {
                if (driver.runs[i].state != ScoredRun::State::Valid) {
                    driver.unplacedReason = NotValidReason(driver.runs[i], i + 1);
                    return;
                }
            }
        }
        break;
    case ScoringRule::SumOfBestN:
        counting = std::clamp(rules.bestN, 1, static_cast<int>(driver.runs.size()));
        break;
    case ScoringRule::BestTime:
        counting = 1;
        break;
    }
    if (static_cast<int>(valid.size()) < counting) {
        driver.unplacedReason = TooFewValidRuns(static_cast<int>(valid.size()), counting);
        return;
    }
    std::int64_t total = 0;
    for (int i = 0; i < counting; ++i) {
        driver.runs[valid[i]].counts = true;
        total += driver.runs[valid[i]].scoredMs;
    }
    driver.totalMs = total;
}

RankedList RankDrivers(const std::vector<DriverResult>& drivers, const std::vector<int>& indexes)
{
    RankedList list;
    std::vector<RankItem> items;
    for (int index : indexes) {
        const DriverResult& d = drivers[index];
        if (d.totalMs)
            items.push_back({index, *d.totalMs, d.secondBestMs.value_or(kNoTime), index});
        else
            list.unplaced.push_back(Standing{.driver = index});
    }
    for (const Ranked& r : Rank(std::move(items))) {
        list.placed.push_back({r.id, r.place, r.totalInMs, r.secondInMs, r.gapToLeader, r.gapToAhead,
                               r.gapToLeaderInMs, r.gapToAheadInMs});
    }
    return list;
}

void FindFastest(ScoringResult& result)
{
    std::int64_t best = kNoTime;
    for (const DriverResult& d : result.drivers) {
        for (const ScoredRun& r : d.runs) {
            if (r.state == ScoredRun::State::Valid)
                best = std::min(best, r.scoredMs);
        }
    }
    if (best == kNoTime)
        return;
    for (int i = 0; i < static_cast<int>(result.drivers.size()); ++i) {
        const std::vector<ScoredRun>& runs = result.drivers[i].runs;
        for (int n = 0; n < static_cast<int>(runs.size()); ++n) {
            if (runs[n].state != ScoredRun::State::Valid || runs[n].scoredMs / 10 != best / 10)
                continue;
            if (runs[n].scoredMs != best) {
                result.fastestInMs = true;
            } else if (result.fastest.empty() || result.fastest.back().driver != i) {
                result.fastest.push_back({i, n + 1, best});
            }
        }
    }
}

// A team counts its best teamBestOf placed drivers of the overall result.
// Only the first kMaxTeamDrivers named for a team in the entry list belong to
// it; a later one is an error of the list and is shown, never counted.
void ScoreTeams(ScoringResult& result)
{
    const int bestOf = std::clamp(result.rules.teamBestOf, 1, kMaxTeamDrivers);
    std::vector<TeamResult> teams;
    QHash<QString, int> teamOf;
    for (int i = 0; i < static_cast<int>(result.drivers.size()); ++i) {
        const QString name = result.drivers[i].entry.team.trimmed();
        if (name.isEmpty())
            continue;
        auto it = teamOf.find(name);
        if (it == teamOf.end()) {
            it = teamOf.insert(name, static_cast<int>(teams.size()));
            TeamResult team;
            team.name = name;
            teams.push_back(std::move(team));
        }
        TeamResult& team = teams[*it];
        (team.members.size() < kMaxTeamDrivers ? team.members : team.beyondLimit).push_back(i);
    }
    std::vector<RankItem> items;
    for (int t = 0; t < static_cast<int>(teams.size()); ++t) {
        TeamResult& team = teams[t];
        std::vector<RankItem> placed;
        for (int m : team.members) {
            const DriverResult& d = result.drivers[m];
            if (d.totalMs)
                placed.push_back({m, *d.totalMs, d.secondBestMs.value_or(kNoTime), m});
        }
        std::sort(placed.begin(), placed.end(), [](const RankItem& a, const RankItem& b) {
            return std::tie(a.total, a.second, a.tieOrder) < std::tie(b.total, b.second, b.tieOrder);
        });
        if (static_cast<int>(placed.size()) < bestOf) {
            team.unplacedReason = QStringLiteral("nur %1 von %2 Fahrern gewertet").arg(placed.size()).arg(bestOf);
            continue;
        }
        std::int64_t total = 0;
        for (int i = 0; i < bestOf; ++i) {
            team.counted.push_back(placed[i].id);
            total += placed[i].total;
        }
        team.totalMs = total;
        items.push_back({t, total, kNoTime, t});
    }
    for (const Ranked& r : Rank(std::move(items))) {
        TeamResult team = teams[r.id];
        team.place = r.place;
        team.totalInMs = r.totalInMs;
        team.gapToLeaderMs = r.gapToLeader;
        team.gapToAheadMs = r.gapToAhead;
        team.gapToLeaderInMs = r.gapToLeaderInMs;
        team.gapToAheadInMs = r.gapToAheadInMs;
        result.teams.push_back(std::move(team));
    }
    for (TeamResult& team : teams) {
        if (!team.totalMs)
            result.teams.push_back(std::move(team));
    }
}

} // namespace

ScoringResult ScoreEvent(const EventRules& rules, const std::vector<Entry>& entries,
                         const std::vector<RunRecord>& runs)
{
    ScoringResult result;
    result.rules = rules;
    const int scoredRuns = std::max(1, rules.scoredRuns);

    std::vector<const Entry*> ordered;
    for (const Entry& e : entries)
        ordered.push_back(&e);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Entry* a, const Entry* b) {
        return std::tie(a->order, a->number) < std::tie(b->order, b->number);
    });
    QHash<int, int> driverOf;
    for (const Entry* e : ordered) {
        // A number twice in the list (the import refuses that) counts once.
        if (driverOf.contains(e->number))
            continue;
        driverOf.insert(e->number, static_cast<int>(result.drivers.size()));
        DriverResult driver;
        driver.entry = *e;
        result.drivers.push_back(std::move(driver));
    }

    // The run that stands for each scored run: not replaced, the latest record.
    std::vector<std::vector<const RunRecord*>> slots(result.drivers.size(),
                                                     std::vector<const RunRecord*>(scoredRuns, nullptr));
    std::set<int> unknown;
    for (const RunRecord& run : runs) {
        if (run.kind != RunKind::Scored || run.replaced)
            continue;
        const auto driver = driverOf.constFind(run.number);
        if (driver == driverOf.constEnd()) {
            unknown.insert(run.number);
            continue;
        }
        if (run.index < 1 || run.index > scoredRuns)
            continue;
        const RunRecord*& slot = slots[*driver][run.index - 1];
        if (!slot || slot->id < run.id)
            slot = &run;
    }
    result.unknownNumbers.assign(unknown.begin(), unknown.end());

    std::vector<int> all;
    std::map<int, std::vector<int>> classMembers; // by the class's first entry
    QHash<QString, int> classFirst;
    for (int i = 0; i < static_cast<int>(result.drivers.size()); ++i) {
        DriverResult& d = result.drivers[i];
        for (const RunRecord* record : slots[i])
            d.runs.push_back(ScoreRun(rules, record));
        TotalUp(rules, d);
        all.push_back(i);
        const int first = classFirst.value(d.entry.className, i);
        classFirst.insert(d.entry.className, first);
        classMembers[first].push_back(i);
    }
    for (const auto& [first, members] : classMembers) {
        RankedList list = RankDrivers(result.drivers, members);
        list.className = result.drivers[first].entry.className;
        result.classes.push_back(std::move(list));
    }
    result.overall = RankDrivers(result.drivers, all);
    FindFastest(result);
    if (rules.teams)
        ScoreTeams(result);
    return result;
}

QString ResultTimeText(std::int64_t ms, bool thousandths)
{
    const std::int64_t capped = std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max());
    const QString text = FormatRunTime(static_cast<std::int32_t>(capped));
    return thousandths ? text + QString::number(capped % 10) : text;
}

QString GapText(std::int64_t ms, bool thousandths)
{
    return QStringLiteral("+") + ResultTimeText(ms, thousandths);
}

QString DriverName(const Entry& entry)
{
    if (entry.firstName.isEmpty())
        return entry.name;
    if (entry.name.isEmpty())
        return entry.firstName;
    return entry.name + QStringLiteral(", ") + entry.firstName;
}
