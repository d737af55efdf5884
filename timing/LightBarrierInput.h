#pragma once

#include "Clock.h"
#include "LineEvent.h"

#include <QObject>
#include <cstdint>
#include <functional>

class QAction;
class QTimer;
class TImage;
class TLbSpeedButton;

// What became of one evaluated barrier edge.
enum class BarrierOutcome {
    Accepted,    // the command was triggered and ran
    Unavailable, // the command was triggered but is disabled (no lane free or running)
    LockedOut,   // inside the START or STOPP lockout
    Blocked,     // the STOPP barrier lock is blocked
    NotByAlg,    // the evaluation rule Alg asks for nothing
    Unchanged,   // the same status as the previous report
};
enum class BarrierCommand { None, Start, Stop };

// One evaluated edge, for whoever keeps a record of the barriers.
struct BarrierEdgeNote
{
    TimeStamp stamp;
    std::uint32_t status = 0; // the modem-status word evaluated
    bool late = false;        // the serial watchdog found the change
    BarrierCommand command = BarrierCommand::None;
    BarrierOutcome outcome = BarrierOutcome::Unchanged;
};

// Turns the serial port's CTS (finish) and DSR (start) line changes into the
// START and STOPP commands. Each change is judged by the lines and the time
// the serial worker captured when it happened, not when the user interface
// gets round to it: repeated reports of one status are dropped, the
// evaluation rule (Alg) chooses whether a line counts when it goes on or off,
// a START lockout of 1 s and a STOPP lockout (WaitStart), both counted from
// the edge, suppress bouncing barriers, and the STOPP barrier lock keeps the
// finish barrier blocked while no car can be stopped by it. A line that went
// and came back before the worker could read it counts as a pulse.
class LightBarrierInput : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t NoStatus = 0x55555555;
    static constexpr int StartLockoutMs = 1000;

    // imageLSstop is the lock indicator; its tag holds the state
    // (0 blocked, 1 armed). The clock measures the lockouts.
    LightBarrierInput(QAction* mStart, QAction* mStop, TLbSpeedButton* bSTART, TImage* imageLSstop,
                      const Clock& clock, QObject* parent = nullptr);

    // Triggers a command with the edge's stamp; the run control sets it.
    // Unset, the action is triggered plainly.
    std::function<void(QAction* command, const TimeStamp& edge)> TriggerCommand;
    // Told of every evaluated edge, suppressed ones included.
    std::function<void(const BarrierEdgeNote& note)> OnEdge;

    // A line event of the port, with the lines and stamp of its wait.
    void ComPortHARD(const LineEvent& event);
    void HandleBarrierEvent(bool stopLine, bool startLine);
    void StartStopLockout();
    void TimerGesperrtTimer(QTimer* timer);
    void ImageLSClick();
    void LockLSClick();
    void ComPortOpen();
    void ComPortClose();

    // The run control's calls: arm the STOPP barrier when both lanes run,
    // block it when none does (only while there is no STOPP lockout).
    void ArmAfterLastStart();
    void BlockAfterLastStop();

    void SetAlg(int alg) { alg_ = alg; }
    int Alg() const { return alg_; }
    void SetRunden(bool on) { runden_ = on; }
    // STOPP lockout in milliseconds; 0 means none.
    void SetWaitStart(int ms);
    int WaitStart() const { return waitStartMs_; }
    bool Armed() const;
    // Whether a lockout covers the given tick (it counts from its edge).
    bool LockedOut(const QTimer* timer, std::uint32_t tick) const;

    std::uint32_t LastModemStatus = NoStatus;
    QTimer* TimerGesperrtStart;
    QTimer* TimerGesperrtStop;

private:
    void Evaluate(std::uint32_t status);
    // Whether the command was enabled, so that it ran.
    bool Trigger(QAction* command);
    static BarrierOutcome Ran(bool ran);
    void StartLockout(QTimer* timer);
    void EndLockoutsBefore(std::uint32_t tick);
    int LockoutLength(const QTimer* timer) const;
    std::uint32_t& LockoutFrom(const QTimer* timer);
    void Note(BarrierCommand command, BarrierOutcome outcome);
    void ShowLockPicture();

    QAction* mStart_;
    QAction* mStop_;
    TLbSpeedButton* bSTART_;
    TImage* imageLSstop_;
    const Clock& clock_;
    int alg_ = 0;
    bool runden_ = false;
    int waitStartMs_ = 0;
    std::uint32_t startLockoutFrom_ = 0;
    std::uint32_t stopLockoutFrom_ = 0;
    // The edge being evaluated: its stamp is the time of its commands and
    // of the lockouts it starts.
    LineEvent edge_;
    std::uint32_t edgeStatus_ = 0;
    int notes_ = 0;
    std::uint64_t lastSequence_ = 0;
};
