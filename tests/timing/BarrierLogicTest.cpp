#include "BarrierLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t CTS = MS_CTS_ON;
constexpr std::uint32_t DSR = MS_DSR_ON;

// The run control as the logic sees it: records each command with its tick.
struct FakeRun final : BarrierRun
{
    bool StartAvailable() const override { return startAvailable; }
    bool Run(BarrierCommand command, const TimeStamp& edge) override
    {
        given.push_back((command == BarrierCommand::Start ? "START@" : "STOPP@") + std::to_string(edge.tick));
        return enabled;
    }
    void Judged(const BarrierEdgeNote&) override { ++judged; }

    bool startAvailable = true;
    bool enabled = true;
    std::vector<std::string> given;
    int judged = 0;
};

std::string Text(const BarrierEdgeNote& note)
{
    static const char* const commands[] = {"-", "START", "STOPP"};
    static const char* const outcomes[] = {"ran", "unavailable", "locked out", "blocked", "not by Alg", "unchanged"};
    return std::string(commands[int(note.command)]) + ' ' + outcomes[int(note.outcome)];
}

struct Edge
{
    std::uint32_t tick;
    std::uint32_t status;
    std::uint32_t returned = 0;
};

struct Case
{
    const char* name;
    int alg;
    bool runden;
    bool armed;
    int waitStartMs;
    bool startAvailable;
    std::vector<Edge> edges;
    std::vector<std::string> notes;
    std::vector<std::string> given;
};

} // namespace

// line sequence x Alg x Runden x armed x lockout -> what each edge becomes
TEST(BarrierLogic, DecidesEachEdgeByItsLinesRulesAndLockouts)
{
    const Case cases[] = {
        {"Alg 0 starts on DSR coming on, not going off", 0, false, false, 0, true,
         {{1000, DSR}, {1500, 0}}, {"START ran", "- not by Alg"}, {"START@1000"}},
        {"a blocked finish barrier stops nothing", 0, false, false, 0, true,
         {{1000, CTS}}, {"STOPP blocked"}, {}},
        {"an armed finish barrier stops", 0, false, true, 0, true,
         {{1000, CTS}}, {"STOPP ran"}, {"STOPP@1000"}},
        {"both lines: STOPP first, then START", 0, false, true, 0, true,
         {{1000, CTS | DSR}}, {"STOPP ran", "START ran"}, {"STOPP@1000", "START@1000"}},
        {"the same status twice is one edge", 0, false, false, 0, true,
         {{1000, DSR}, {1200, DSR}}, {"START ran", "- unchanged"}, {"START@1000"}},
        {"the START lockout counts 1 s from its edge", 0, false, false, 0, true,
         {{1000, DSR}, {1100, 0}, {1999, DSR}, {2000, 0}, {2000, DSR}},
         {"START ran", "- not by Alg", "START locked out", "- not by Alg", "START ran"},
         {"START@1000", "START@2000"}},
        {"a disabled START still starts its lockout", 0, false, false, 0, false,
         {{1000, DSR}, {1100, 0}, {1500, DSR}}, {"START ran", "- not by Alg", "START locked out"}, {"START@1000"}},
        {"the STOPP lockout blocks, and its end arms again", 0, false, true, 2000, true,
         {{1000, CTS}, {1100, 0}, {2999, CTS}, {3000, 0}, {3000, CTS}},
         {"STOPP ran", "- not by Alg", "STOPP locked out", "- not by Alg", "STOPP ran"},
         {"STOPP@1000", "STOPP@3000"}},
        {"Alg 1 acts on a line alone", 1, false, true, 0, true,
         {{1000, CTS}, {1100, DSR}}, {"STOPP ran", "START ran"}, {"STOPP@1000", "START@1100"}},
        {"Alg 1 ignores both lines on and both off", 1, false, true, 0, true,
         {{1000, CTS | DSR}, {1100, 0}}, {"- not by Alg", "- not by Alg"}, {}},
        {"Alg other than 0 and 1 asks for nothing", 2, false, true, 0, true,
         {{1000, DSR}}, {"- not by Alg"}, {}},
        {"Runden: one barrier starts an idle lane", 0, true, false, 0, true,
         {{1000, DSR}}, {"START ran"}, {"START@1000"}},
        {"Runden: and stops a running one when armed", 0, true, true, 0, false,
         {{1000, CTS}}, {"STOPP ran"}, {"STOPP@1000"}},
        {"Runden: blocked, it stops nothing", 0, true, false, 0, false,
         {{1000, DSR}}, {"STOPP blocked"}, {}},
        {"Runden: the STOPP lockout suppresses both", 0, true, true, 5000, false,
         {{1000, CTS}, {1100, 0}, {2000, CTS}}, {"STOPP ran", "- not by Alg", "- locked out"}, {"STOPP@1000"}},
        {"a pulse counts: DSR went and came back", 0, false, false, 0, true,
         {{1000, 0, DSR}}, {"START ran", "- not by Alg"}, {"START@1000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BarrierLogic logic;
        logic.SetAlg(c.alg);
        logic.SetRunden(c.runden);
        logic.SetWaitStart(c.waitStartMs);
        if (c.armed)
            logic.ToggleLock();
        FakeRun run;
        run.startAvailable = c.startAvailable;
        std::vector<std::string> notes;
        std::uint64_t sequence = 0;
        for (const Edge& e : c.edges) {
            LineEvent event;
            event.modemStatus = e.status;
            event.returned = e.returned;
            event.stamp = {std::int64_t(e.tick) * 1000, e.tick};
            event.sequence = ++sequence;
            for (const BarrierEdgeNote& note : logic.Decide(event, run)) {
                EXPECT_EQ(note.stamp.tick, e.tick);
                notes.push_back(Text(note));
            }
        }
        EXPECT_EQ(notes, c.notes);
        EXPECT_EQ(run.given, c.given);
        EXPECT_EQ(run.judged, int(notes.size())) << "each note is told as it is made";
    }
}

TEST(BarrierLogic, TheSecondReportOfOneWaitChangesNothing)
{
    BarrierLogic logic;
    FakeRun run;
    LineEvent event;
    event.modemStatus = 0;
    event.returned = DSR;
    event.stamp = {1'000'000, 1000};
    event.sequence = 7;
    logic.Decide(event, run);
    const std::vector<BarrierEdgeNote> again = logic.Decide(event, run);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(Text(again[0]), "- unchanged") << "the pulse is not judged twice";
    EXPECT_EQ(run.given, std::vector<std::string>{"START@1000"});
}

TEST(BarrierLogic, LockFollowsTheLanesOnlyWithoutStoppLockout)
{
    BarrierLogic logic;
    logic.AllLanesStarted();
    EXPECT_TRUE(logic.Armed());
    logic.NoLaneRunning();
    EXPECT_FALSE(logic.Armed());

    logic.SetWaitStart(2000);
    logic.AllLanesStarted();
    EXPECT_FALSE(logic.Armed()) << "with a lockout the operator arms";
    logic.ToggleLock();
    logic.NoLaneRunning();
    EXPECT_TRUE(logic.Armed());
}

TEST(BarrierLogic, ALockoutEndsByTheClockNotByItsTimer)
{
    BarrierLogic logic;
    logic.SetWaitStart(2000);
    logic.ToggleLock();
    FakeRun run;
    LineEvent event;
    event.modemStatus = CTS;
    event.stamp = {1'000'000, 1000};
    event.sequence = 1;
    logic.Decide(event, run);
    ASSERT_TRUE(logic.Running(BarrierLogic::Lockout::Stop));
    EXPECT_FALSE(logic.Armed());
    EXPECT_EQ(logic.Expire(BarrierLogic::Lockout::Stop, 2000), 1000) << "an early timer leaves the rest";
    EXPECT_TRUE(logic.Running(BarrierLogic::Lockout::Stop));
    EXPECT_EQ(logic.Expire(BarrierLogic::Lockout::Stop, 3000), 0);
    EXPECT_FALSE(logic.Running(BarrierLogic::Lockout::Stop));
    EXPECT_TRUE(logic.Armed()) << "the lockout's end arms the barrier";
    EXPECT_EQ(logic.Expire(BarrierLogic::Lockout::Start, 0xFFFFFFFFu), 0) << "no start lockout ran";
}
