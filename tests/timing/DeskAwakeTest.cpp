#include "DeskAwake.h"
#include "RecordingJournal.h"
#include "RecordingSleepInhibitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

enum Step { LaneOn, LaneOff, PortOn, PortOff };

void Apply(DeskAwake& awake, Step step)
{
    switch (step) {
    case LaneOn: awake.SetLaneRunning(true); break;
    case LaneOff: awake.SetLaneRunning(false); break;
    case PortOn: awake.SetPortOpen(true); break;
    case PortOff: awake.SetPortOpen(false); break;
    }
}

} // namespace

TEST(DeskAwake, HoldsTheDesktopWhileALaneRunsOrThePortIsOpenAndOnlyThen)
{
    const QString in = QStringLiteral("Inhibit Zeitnahme läuft");
    const QString out = QStringLiteral("Release");
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        QStringList calls;
        bool held;
    };
    const Case cases[] = {
        {"nothing happens", {}, {}, false},
        {"a lane runs", {LaneOn}, {in}, true},
        {"a run ends", {LaneOn, LaneOff}, {in, out}, false},
        {"the port opens and closes", {PortOn, PortOff}, {in, out}, false},
        {"a run while the port is open asks nothing more", {PortOn, LaneOn, LaneOff}, {in}, true},
        {"the port closes while a lane runs", {LaneOn, PortOn, PortOff}, {in}, true},
        {"both end", {LaneOn, PortOn, PortOff, LaneOff}, {in, out}, false},
        {"repeated news change nothing", {LaneOn, LaneOn, LaneOff, LaneOff, PortOff}, {in, out}, false},
        {"a second day", {PortOn, PortOff, LaneOn, LaneOff}, {in, out, in, out}, false},
    };
    // The end of the desk lets go of what it holds (with a lane running too).
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSleepInhibitor inhibitor;
        {
            DeskAwake awake(inhibitor);
            for (Step step : c.steps)
                Apply(awake, step);
            EXPECT_EQ(inhibitor.calls, c.calls);
            EXPECT_EQ(awake.Held(), c.held);
        }
        EXPECT_FALSE(inhibitor.Held());
    }
}

TEST(DeskAwake, JournalsTheDesktopsAnswersUntilTheJournalIsGone)
{
    RecordingSleepInhibitor inhibitor;
    RecordingJournal journal;
    auto lifetime = std::make_unique<QObject>();
    DeskAwake awake(inhibitor);
    awake.SetJournal(&journal, lifetime.get());
    Q_EMIT inhibitor.Reported(QStringLiteral("Desktop: Sperre gegen Bildschirmschoner erhalten"));
    EXPECT_EQ(journal.lines, QStringList{QStringLiteral("Desktop: Sperre gegen Bildschirmschoner erhalten")});
    lifetime.reset();
    Q_EMIT inhibitor.Reported(QStringLiteral("Desktop: Sperre gegen Bildschirmschoner aufgehoben"));
    EXPECT_EQ(journal.lines.size(), 1);
}
