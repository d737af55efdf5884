#include "FakeClock.h"
#include "ProtocolModel.h"
#include "RunControl.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"

#include <QAction>
#include <QSpinBox>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// The run control with its lanes, protocol and commands, and no window.
struct RunRig
{
    RunRig()
        : lane1(0, clock)
        , lane2(1, clock)
    {
        lane1.SetProtocol(&protocol);
        lane2.SetProtocol(&protocol);
        lane2.editStartN1->setValue(2);
        RunControlParts p;
        p.frameT1 = &lane1;
        p.frameT2 = &lane2;
        p.protocol = &protocol;
        p.mStart = &start;
        p.mStop = &stop;
        p.mReset = &reset;
        p.mAvaria = &avaria;
        p.bSTART = &bStart;
        p.bSTOP = &bStop;
        p.bRESET = &bReset;
        p.bAVARIA = &bAvaria;
        runs = std::make_unique<RunControl>(p);
    }

    FakeClock clock;
    TFrame1 lane1;
    TFrame1 lane2;
    ProtocolModel protocol;
    QAction start, stop, reset, avaria;
    TLbSpeedButton bStart, bStop, bReset, bAvaria;
    std::unique_ptr<RunControl> runs;
};

TimeStamp At(std::uint32_t tick)
{
    return {std::int64_t(tick) * 1000, tick};
}

} // namespace

TEST(RunControlAlone, ADisabledCommandReturnsAtOnce)
{
    RunRig rig;
    const int reads = rig.clock.tickReads;
    EXPECT_FALSE(rig.runs->Stop(RunControl::CommandSource::Barrier, At(900))) << "no lane runs";
    EXPECT_EQ(rig.clock.tickReads, reads) << "nothing was stamped";
    EXPECT_TRUE(rig.runs->StartAvailable());

    ASSERT_TRUE(rig.runs->Run(BarrierCommand::Start, At(900)));
    ASSERT_TRUE(rig.runs->Run(BarrierCommand::Start, At(950)));
    EXPECT_FALSE(rig.runs->StartAvailable());
    EXPECT_FALSE(rig.runs->Run(BarrierCommand::Start, At(990))) << "two cars on the track";
    EXPECT_EQ(rig.lane2.StartTick, 950u) << "the refused START took nothing";
}

TEST(RunControlAlone, TheBarrierEdgeIsTheLanesTimeAndTheFinishedRunIsTold)
{
    RunRig rig;
    QSignalSpy allStarted(rig.runs.get(), &RunControl::AllLanesStarted);
    QSignalSpy noneRuns(rig.runs.get(), &RunControl::NoLaneRunning);
    QSignalSpy started(rig.runs.get(), &RunControl::RunStarted);
    std::vector<RunControl::FinishedRun> finished;
    QObject::connect(rig.runs.get(), &RunControl::RunFinished, rig.runs.get(),
                     [&](const RunControl::FinishedRun& run) { finished.push_back(run); });

    rig.clock.tick = 5000;
    ASSERT_TRUE(rig.runs->Run(BarrierCommand::Start, At(4990)));
    EXPECT_EQ(rig.lane1.StartTick, 4990u) << "the edge's tick, not the clock's";
    EXPECT_EQ(allStarted.count(), 0);
    ASSERT_TRUE(rig.runs->Start(RunControl::CommandSource::Key));
    EXPECT_EQ(rig.lane2.StartTick, 5000u) << "a key reads the clock";
    EXPECT_EQ(allStarted.count(), 1);
    ASSERT_EQ(started.count(), 2);
    EXPECT_EQ(started[0], (QVariantList{1, QStringLiteral("1")}));
    EXPECT_EQ(started[1].at(0).toInt(), 2) << "each START names the lane it set running";

    ASSERT_TRUE(rig.runs->Run(BarrierCommand::Stop, At(50110)));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].lane, 1);
    EXPECT_EQ(finished[0].startNumber, "1");
    EXPECT_EQ(finished[0].startTick, 4990u);
    EXPECT_EQ(finished[0].stopTick, 50110u);
    EXPECT_EQ(finished[0].runTimeMs, 45120);
    EXPECT_FALSE(finished[0].startClock.isEmpty());
    EXPECT_FALSE(finished[0].stopClock.isEmpty());
    EXPECT_EQ(finished[0].source, RunControl::CommandSource::Barrier);
    EXPECT_EQ(noneRuns.count(), 0) << "lane 2 still runs";

    rig.clock.tick = 60000;
    ASSERT_TRUE(rig.runs->Stop(RunControl::CommandSource::Button));
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[1].lane, 2);
    EXPECT_EQ(finished[1].runTimeMs, 55000);
    EXPECT_EQ(finished[1].source, RunControl::CommandSource::Button);
    EXPECT_EQ(noneRuns.count(), 1);
}
