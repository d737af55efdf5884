#pragma once

#include "BarrierEdgeNote.h"
#include "Clock.h"
#include "ComTypes.h"
#include "LineEvent.h"

#include <cstdint>
#include <vector>

// What the barrier needs of the run control while it judges an edge. It is
// asked in the middle of the judging: a command given for one line changes
// what the next line of the same edge finds.
class BarrierRun
{
public:
    virtual ~BarrierRun() = default;
    // Whether a START would run now (its command is enabled).
    virtual bool StartAvailable() const = 0;
    // Gives the command with the edge's stamp; false when it was disabled.
    virtual bool Run(BarrierCommand command, const TimeStamp& edge) = 0;
    // Told of each note as it is made, so that a record of the edges keeps
    // its place among the commands' own.
    virtual void Judged(const BarrierEdgeNote& note) { (void)note; }
};

// The rules that turn the CTS (finish) and DSR (start) line changes into
// START and STOPP, with no widget and no timer: repeated reports of one
// status are dropped, the evaluation rule (Alg) chooses whether a line counts
// when it goes on or off, a START lockout of 1 s and a STOPP lockout
// (WaitStart), both counted from the edge, suppress bouncing barriers, and
// the STOPP barrier lock keeps the finish barrier blocked while no car can be
// stopped by it. A line that went and came back before the worker could read
// it counts as a pulse.
class BarrierLogic
{
public:
    static constexpr std::uint32_t NoStatus = 0x55555555;
    static constexpr int StartLockoutMs = 1000;
    enum class Lockout { Start, Stop };

    // Judges one line event of the port, giving its commands to run; one
    // note per evaluated status and line, suppressed ones included.
    std::vector<BarrierEdgeNote> Decide(const LineEvent& event, BarrierRun& run);

    void SetAlg(int alg) { alg_ = alg; }
    int Alg() const { return alg_; }
    void SetRunden(bool on) { runden_ = on; }
    bool Runden() const { return runden_; }
    // STOPP lockout in milliseconds; 0 means none.
    void SetWaitStart(int ms) { waitStartMs_ = ms; }
    int WaitStart() const { return waitStartMs_; }
    std::uint32_t LastModemStatus() const { return lastStatus_; }

    // The STOPP barrier lock: armed, a finish edge stops a lane.
    bool Armed() const { return armed_; }
    // The operator's switch (F12, the lock picture).
    void ToggleLock() { armed_ = !armed_; }
    // The run control's news: both lanes run, or none does. Without a
    // STOPP lockout the lock follows them; with one the lockout does.
    void AllLanesStarted();
    void NoLaneRunning();

    bool Running(Lockout which) const { return lockout(which).running; }
    // The tick the lockout counts from.
    std::uint32_t From(Lockout which) const { return lockout(which).from; }
    int Length(Lockout which) const { return which == Lockout::Start ? StartLockoutMs : waitStartMs_; }
    // Whether the lockout covers the tick.
    bool LockedOut(Lockout which, std::uint32_t tick) const;
    // The milliseconds left of a running lockout at now; at 0 it is over
    // (the end of a STOPP lockout arms the barrier).
    int Expire(Lockout which, std::uint32_t now);

private:
    struct LockoutState
    {
        bool running = false;
        std::uint32_t from = 0;
    };
    LockoutState& lockout(Lockout which) { return which == Lockout::Start ? start_ : stop_; }
    const LockoutState& lockout(Lockout which) const { return which == Lockout::Start ? start_ : stop_; }

    void Evaluate(std::uint32_t status, BarrierRun& run);
    void Handle(bool stopLine, bool startLine, BarrierRun& run);
    BarrierOutcome Give(BarrierCommand command, BarrierRun& run);
    void StartLockout(Lockout which);
    void StartStopLockout();
    void End(Lockout which);
    void Note(BarrierCommand command, BarrierOutcome outcome);

    int alg_ = 0;
    bool runden_ = false;
    int waitStartMs_ = 0;
    bool armed_ = false;
    std::uint32_t lastStatus_ = NoStatus;
    LockoutState start_;
    LockoutState stop_;
    // The edge being judged: its stamp is the time of its commands and of
    // the lockouts it starts.
    LineEvent edge_;
    std::uint32_t status_ = 0;
    std::vector<BarrierEdgeNote> notes_;
    BarrierRun* run_ = nullptr;
};
