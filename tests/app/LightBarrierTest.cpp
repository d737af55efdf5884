#include "MainWindowRig.h"
#include "TImage.h"
#include "TComThread.h"
#include "TimeText.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t CTS = 0x10;
constexpr std::uint32_t DSR = 0x20;

TAppSettings WithPort(int alg = 0, int waitStart = 0, bool runden = false)
{
    TAppSettings s;
    s.Port = 1;
    s.Alg = alg;
    s.WaitStart = waitStart;
    s.Runden = runden;
    return s;
}

struct BarrierRig : MainWindowRig
{
    using MainWindowRig::MainWindowRig;
    LightBarrierInput& barrier() { return *form->Barrier(); }
    bool Armed() { return barrier().Armed(); }
    void EndStartLockout() { barrier().TimerGesperrtTimer(barrier().TimerGesperrtStart); }
    void EndStopLockout() { barrier().TimerGesperrtTimer(barrier().TimerGesperrtStop); }
    int Running() { return int(form->Widgets().FrameT1->Running()) + int(form->Widgets().FrameT2->Running()); }
};

} // namespace

TEST(LightBarrier, PortOpensWithTheBarrierLineSettings)
{
    BarrierRig rig(WithPort());
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.device->OpenedPort(), 1);
    EXPECT_EQ(rig.device->EventMask(), 0x0008u | 0x0010u) << "CTS and DSR only";
    const LineSettings line = rig.device->Settings();
    EXPECT_EQ(line.dataBits, 5);
    EXPECT_TRUE(rig.form->Widgets().ImageLSstop->isVisibleTo(rig.form.get()));
    EXPECT_FALSE(rig.Armed()) << "the STOPP barrier starts blocked";
}

TEST(LightBarrier, AlgEinStartsOnDsrAndIgnoresLinesGoingOff)
{
    BarrierRig rig(WithPort(0));
    ASSERT_TRUE(rig.Lines(DSR));
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
    EXPECT_TRUE(rig.barrier().TimerGesperrtStart->isActive());
    rig.EndStartLockout();
    ASSERT_TRUE(rig.Lines(0));
    EXPECT_EQ(rig.Running(), 1) << "DSR going off does nothing";

    rig.clock.Advance(5120);
    rig.form->Widgets().LockLS->trigger(); // the operator arms the STOPP barrier
    ASSERT_TRUE(rig.Lines(CTS));
    EXPECT_EQ(rig.Running(), 0);
    EXPECT_EQ(rig.RowOf("1").section('|', 3), "5,12|703,1|1");
}

TEST(LightBarrier, CtsWhileDsrIsOnStopsAndStartsAgain)
{
    BarrierRig rig(WithPort(0));
    ASSERT_TRUE(rig.Lines(DSR)); // car 1 starts
    rig.EndStartLockout();
    rig.form->Widgets().LockLS->trigger();
    rig.clock.Advance(3000);
    ASSERT_TRUE(rig.Lines(CTS | DSR)); // finish barrier while the start barrier is still broken
    EXPECT_FALSE(rig.form->Widgets().FrameT1->Running());
    EXPECT_TRUE(rig.form->Widgets().FrameT2->Running()) << "the start line is on and its lockout over: car 2 starts";
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "3,00");
}

TEST(LightBarrier, AlgAusActsOnLinesThatAreOff)
{
    BarrierRig rig(WithPort(1));
    ASSERT_TRUE(rig.Lines(CTS | DSR));
    EXPECT_EQ(rig.Running(), 0) << "both lines on: nothing";
    ASSERT_TRUE(rig.Lines(DSR)); // CTS went off, DSR on: the start line counts
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
    rig.clock.Advance(2500);
    rig.form->Widgets().LockLS->trigger();
    ASSERT_TRUE(rig.Lines(CTS)); // CTS alone on
    EXPECT_EQ(rig.Running(), 0);
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "2,50");
}

TEST(LightBarrier, StartLockoutSuppressesABouncingStartBarrier)
{
    BarrierRig rig(WithPort(0));
    ASSERT_TRUE(rig.Lines(DSR));
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(500);
    ASSERT_TRUE(rig.Lines(DSR)); // 0.5 s later, lockout still running
    EXPECT_EQ(rig.Running(), 1);
    EXPECT_EQ(rig.grid().RowCount(), 2);

    ASSERT_TRUE(rig.Lines(0));
    rig.EndStartLockout(); // 1 s passed
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(DSR)); // 1.5 s after the first pulse
    EXPECT_EQ(rig.Running(), 2) << "the second car starts on lane 2";
    EXPECT_TRUE(rig.Armed()) << "two cars on the track arm the finish barrier";
}

TEST(LightBarrier, StopLockoutBlocksAndRearmsTheFinishBarrier)
{
    BarrierRig rig(WithPort(0, 2000));
    ASSERT_TRUE(rig.Lines(DSR));
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(1000); // the START lockout counts from its edge
    ASSERT_TRUE(rig.Lines(DSR));
    ASSERT_EQ(rig.Running(), 2);
    EXPECT_FALSE(rig.Armed()) << "with a lockout the operator arms the barrier once";
    rig.form->Widgets().LockLS->trigger();

    rig.clock.Advance(4000);
    ASSERT_TRUE(rig.Lines(CTS));
    EXPECT_EQ(rig.Running(), 1);
    EXPECT_FALSE(rig.Armed());
    EXPECT_TRUE(rig.barrier().TimerGesperrtStop->isActive());
    EXPECT_EQ(rig.barrier().TimerGesperrtStop->interval(), 2000);

    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(CTS)); // 1 s later: ignored
    EXPECT_EQ(rig.Running(), 1);

    rig.EndStopLockout(); // fired early: the clock says 1 s of 2 s
    EXPECT_FALSE(rig.Armed());
    EXPECT_EQ(rig.barrier().TimerGesperrtStop->interval(), 1000) << "the rest of the lockout";
    rig.clock.Advance(1000);
    rig.EndStopLockout();
    EXPECT_TRUE(rig.Armed()) << "the lockout's end arms the barrier again";
    ASSERT_TRUE(rig.Lines(0));
    ASSERT_TRUE(rig.Lines(CTS));
    EXPECT_EQ(rig.Running(), 0);
}

TEST(LightBarrier, RundenModeOneBarrierStartsAndStopsWhenArmed)
{
    BarrierRig rig(WithPort(0, 0, true));
    ASSERT_TRUE(rig.Lines(DSR));
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
    ASSERT_TRUE(rig.Lines(0));
    rig.clock.Advance(30000);
    ASSERT_TRUE(rig.Lines(DSR));
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running()) << "blocked: the next pulse does not stop";

    ASSERT_TRUE(rig.Lines(0));
    rig.form->Widgets().LockLS->trigger();
    rig.clock.Advance(1000);
    ASSERT_TRUE(rig.Lines(CTS)); // in Runden mode CTS counts as well
    EXPECT_FALSE(rig.form->Widgets().FrameT1->Running());
    EXPECT_FALSE(rig.Armed()) << "after the STOPP the barrier is blocked again";
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "31,00");
}

TEST(LightBarrier, OneWaitReportingCtsAndDsrIsActedOnOnce)
{
    BarrierRig rig(WithPort(0));
    int triggers = 0; // START commands given, whether or not a lane was free
    QObject::connect(rig.form->Barrier(), &LightBarrierInput::Edge, rig.form.get(), [&](const BarrierEdgeNote& note) {
        triggers += note.command == BarrierCommand::Start &&
                    (note.outcome == BarrierOutcome::Accepted || note.outcome == BarrierOutcome::Unavailable);
    });
    ASSERT_TRUE(rig.device->WaitUntilWaiting(std::chrono::seconds(5)));
    rig.device->SetModemStatus(CTS | DSR); // one change of both lines: two events, one status
    ASSERT_TRUE(WaitFor([&] { return rig.barrier().LastModemStatus() == (CTS | DSR); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
    EXPECT_EQ(rig.Running(), 1);
}

TEST(LightBarrier, WithoutAPortTheIndicatorStillToggles)
{
    BarrierRig rig; // Port 0
    EXPECT_FALSE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.device->OpenCount(), 0);
    EXPECT_TRUE(rig.form->Widgets().ImageLSstop->isVisibleTo(rig.form.get()));
    EXPECT_FALSE(rig.Armed());
    rig.form->Widgets().LockLS->trigger();
    EXPECT_TRUE(rig.Armed());
    Q_EMIT rig.form->Widgets().ImageLSstop->Clicked();
    EXPECT_FALSE(rig.Armed());
    rig.Start(); // the manual commands work
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
}

TEST(LightBarrier, AMissingPortIsSwallowedAndAPulledAdapterHidesTheIndicator)
{
    TAppSettings s = WithPort();
    MainWindowRig failing(s);
    failing.device->FailOpen(2);
    failing.form->ComPort()->Close();
    EXPECT_THROW(failing.form->ComPort()->Open(), std::exception);
    EXPECT_FALSE(failing.form->ComPort()->Connected());

    BarrierRig rig(s);
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    rig.device->Unplug();
    ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort()->Connected(); }));
    EXPECT_FALSE(rig.form->Widgets().ImageLSstop->isVisibleTo(rig.form.get()));
}

// Line changes while the user interface serves nothing: each is stamped by
// the worker with the fake clock's tick at the change; then the clock moves
// on (the user interface is busy) before anything is served.
TEST(LightBarrier, EdgesServedLateKeepTheirOwnTimes)
{
    struct Step
    {
        std::uint32_t status;
        std::uint32_t busyAfterMs;
    };
    struct Case
    {
        const char* what;
        std::vector<Step> steps;
        std::uint32_t startTick1; // lane 1's StartTick relative to the first edge
        int running;
    };
    const std::vector<Case> cases = {
        {"a START edge served 20 ms late", {{DSR, 20}}, 0, 1},
        {"a 1 ms pulse while the user interface is busy 10 ms", {{DSR, 1}, {0, 9}}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BarrierRig rig(WithPort(0));
        const std::uint32_t first = rig.clock.tick;
        const QDateTime firstLocal = rig.clock.now;
        std::size_t queued = 0;
        for (const Step& step : c.steps) {
            ASSERT_TRUE(rig.device->WaitUntilWaiting(std::chrono::seconds(5)));
            rig.device->SetModemStatus(step.status);
            ASSERT_TRUE(rig.form->ComPort()->Worker()->WaitForHandOver(std::chrono::seconds(5), ++queued));
            rig.clock.Advance(step.busyAfterMs);
        }
        ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort()->Worker()->HandOverPending(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(rig.Running(), c.running);
        EXPECT_EQ(rig.form->Widgets().FrameT1->StartTick, first + c.startTick1);
        EXPECT_EQ(rig.Cell(1, 1), FormatClockTime(firstLocal.time())) << "the clock text is the edge's";
    }
}

TEST(LightBarrier, StoppAndStartEdgesTwoMsApartWhileBusyGiveBothEdgeTimes)
{
    BarrierRig rig(WithPort(0));
    rig.Start(); // car 1 by hand
    rig.form->Widgets().LockLS->trigger();
    rig.clock.Advance(5000);
    const std::uint32_t stopEdge = rig.clock.tick;
    std::size_t queued = 0;
    for (const auto& [status, after] : {std::pair{CTS, 1u}, std::pair{0u, 1u}, std::pair{DSR, 7u}}) {
        ASSERT_TRUE(rig.device->WaitUntilWaiting(std::chrono::seconds(5)));
        rig.device->SetModemStatus(status);
        ASSERT_TRUE(rig.form->ComPort()->Worker()->WaitForHandOver(std::chrono::seconds(5), ++queued));
        rig.clock.Advance(after);
    }
    ASSERT_TRUE(WaitFor([&] { return !rig.form->ComPort()->Worker()->HandOverPending(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.form->Widgets().FrameT1->StopTick, stopEdge);
    EXPECT_EQ(rig.form->Widgets().FrameT2->StartTick, stopEdge + 2);
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "5,00");
    EXPECT_TRUE(rig.form->Widgets().FrameT2->Running());
}
