#include "BarrierLogic.h"

#include <utility>

std::vector<BarrierEdgeNote> BarrierLogic::Decide(const LineEvent& event, BarrierRun& run)
{
    notes_.clear();
    run_ = &run;
    // One wait may report CTS and DSR together; the port then hands it over
    // for both, and the second report of that wait changes nothing.
    const bool again = event.sequence == edge_.sequence && event.stamp == edge_.stamp;
    edge_ = event;
    // Lockouts whose time was up at the edge are over, even if their timer
    // has not fired yet because the user interface was busy.
    for (Lockout which : {Lockout::Start, Lockout::Stop}) {
        if (Running(which) && !LockedOut(which, event.stamp.tick))
            End(which);
    }
    // A line that went and came back was first the other way round.
    if (event.returned != 0 && !again)
        Evaluate(event.modemStatus ^ event.returned, run);
    Evaluate(event.modemStatus, run);
    return std::move(notes_);
}

void BarrierLogic::Evaluate(std::uint32_t status, BarrierRun& run)
{
    status_ = status;
    if (status == lastStatus_) {
        Note(BarrierCommand::None, BarrierOutcome::Unchanged);
        return;
    }
    const bool startLine = status & MS_DSR_ON;
    const bool stopLine = (status & MS_CTS_ON) || (runden_ && startLine);
    lastStatus_ = status;

    const std::size_t notesBefore = notes_.size();
    if (alg_ == 0) {
        if (stopLine || startLine)
            Handle(stopLine, startLine, run);
    } else if (alg_ == 1) {
        if (!stopLine || !startLine)
            Handle(stopLine, startLine, run);
    }
    if (notes_.size() == notesBefore)
        Note(BarrierCommand::None, BarrierOutcome::NotByAlg);
}

void BarrierLogic::Handle(bool stopLine, bool startLine, BarrierRun& run)
{
    const std::uint32_t tick = edge_.stamp.tick;
    const bool stopLockedOut = LockedOut(Lockout::Stop, tick);
    if (runden_) {
        // One barrier serves both: it starts an idle lane 1 and stops a
        // running one; the STOPP lockout suppresses both.
        if (!stopLine)
            return;
        if (stopLockedOut) {
            Note(BarrierCommand::None, BarrierOutcome::LockedOut);
        } else if (run.StartAvailable()) {
            const BarrierOutcome outcome = Give(BarrierCommand::Start, run);
            StartLockout(Lockout::Start);
            Note(BarrierCommand::Start, outcome);
        } else if (armed_) {
            const BarrierOutcome outcome = Give(BarrierCommand::Stop, run);
            StartStopLockout();
            Note(BarrierCommand::Stop, outcome);
        } else {
            Note(BarrierCommand::Stop, BarrierOutcome::Blocked);
        }
        return;
    }
    if (stopLine) {
        if (stopLockedOut) {
            Note(BarrierCommand::Stop, BarrierOutcome::LockedOut);
        } else if (!armed_) {
            Note(BarrierCommand::Stop, BarrierOutcome::Blocked);
        } else {
            const BarrierOutcome outcome = Give(BarrierCommand::Stop, run);
            StartStopLockout();
            Note(BarrierCommand::Stop, outcome);
        }
    }
    if (startLine) {
        if (LockedOut(Lockout::Start, tick)) {
            Note(BarrierCommand::Start, BarrierOutcome::LockedOut);
        } else {
            const BarrierOutcome outcome = Give(BarrierCommand::Start, run);
            StartLockout(Lockout::Start);
            Note(BarrierCommand::Start, outcome);
        }
    }
}

BarrierOutcome BarrierLogic::Give(BarrierCommand command, BarrierRun& run)
{
    return run.Run(command, edge_.stamp) ? BarrierOutcome::Accepted : BarrierOutcome::Unavailable;
}

void BarrierLogic::StartStopLockout()
{
    if (stop_.running)
        return;
    if (waitStartMs_ > 0) {
        StartLockout(Lockout::Stop);
        // Blocked for the lockout; its end arms the barrier again.
        armed_ = false;
    }
}

// A lockout counts from the edge that started it.
void BarrierLogic::StartLockout(Lockout which)
{
    lockout(which) = {true, edge_.stamp.tick};
}

bool BarrierLogic::LockedOut(Lockout which, std::uint32_t tick) const
{
    return Running(which) && TickDiff(tick, From(which)) < Length(which);
}

int BarrierLogic::Expire(Lockout which, std::uint32_t now)
{
    if (!Running(which))
        return 0;
    // The clock decides, not the timer: a timer that fires early leaves
    // the rest of the lockout running.
    const int left = Length(which) - TickDiff(now, From(which));
    if (left > 0)
        return left;
    End(which);
    return 0;
}

void BarrierLogic::End(Lockout which)
{
    lockout(which).running = false;
    if (which == Lockout::Stop)
        armed_ = true;
}

void BarrierLogic::AllLanesStarted()
{
    if (waitStartMs_ == 0)
        armed_ = true;
}

void BarrierLogic::NoLaneRunning()
{
    if (waitStartMs_ == 0)
        armed_ = false;
}

void BarrierLogic::Note(BarrierCommand command, BarrierOutcome outcome)
{
    notes_.push_back({edge_.stamp, status_, edge_.late, command, outcome});
    run_->Judged(notes_.back());
}
