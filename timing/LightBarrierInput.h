#pragma once

#include "BarrierLogic.h"
#include "Clock.h"
#include "LineEvent.h"

#include <QObject>
#include <cstdint>

class QTimer;
class TImage;

// The light barriers on the user interface: hands each line event of the
// port to BarrierLogic, which gives START and STOPP to the run control,
// shows the STOPP barrier lock in its picture (the picture and its tag
// follow the logic's state), ends the lockouts with timers, and tells of
// every judged edge.
class BarrierPort;

class LightBarrierInput : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t NoStatus = BarrierLogic::NoStatus;
    static constexpr int StartLockoutMs = BarrierLogic::StartLockoutMs;

    // run takes the commands; imageLSstop shows the lock (tag 0 blocked,
    // 1 armed). The clock measures the lockouts.
    LightBarrierInput(BarrierRun& run, TImage* imageLSstop, const Clock& clock, QObject* parent = nullptr);

    // A line event of the port, with the lines and stamp of its wait.
    // The port's line events come to ComPortHARD; its opening and closing
    // show or hide the lock indicator.
    void Listen(BarrierPort& port);
    void ComPortHARD(const LineEvent& event);
    void TimerGesperrtTimer(QTimer* timer);
    void ImageLSClick();
    void LockLSClick();
    void ComPortOpen();
    void ComPortClose();

    // The run control's news: arm the STOPP barrier when both lanes run,
    // block it when none does (only while there is no STOPP lockout).
    void ArmAfterLastStart();
    void BlockAfterLastStop();
    // Ends both lockouts at once and arms the barrier: a benchmark's reset
    // between edges.
    void ClearLockouts();

    void SetAlg(int alg) { logic_.SetAlg(alg); }
    int Alg() const { return logic_.Alg(); }
    void SetRunden(bool on) { logic_.SetRunden(on); }
    // STOPP lockout in milliseconds; 0 means none.
    void SetWaitStart(int ms);
    int WaitStart() const { return logic_.WaitStart(); }
    bool Armed() const { return logic_.Armed(); }
    std::uint32_t LastModemStatus() const { return logic_.LastModemStatus(); }

    QTimer* TimerGesperrtStart;
    QTimer* TimerGesperrtStop;

Q_SIGNALS:
    // Every judged edge, suppressed ones included.
    void Edge(const BarrierEdgeNote& note);

private:
    BarrierLogic::Lockout Which(const QTimer* timer) const;
    // The timers and the picture follow the logic.
    void Follow();
    void FollowTimer(QTimer* timer, std::uint32_t& from);
    void ShowLockPicture();

    BarrierRun& run_;
    TImage* imageLSstop_;
    const Clock& clock_;
    BarrierLogic logic_;
    // The start tick each running timer was set for.
    std::uint32_t startTimerFrom_ = 0;
    std::uint32_t stopTimerFrom_ = 0;
};

class JournalFeed;

// Every edge the port reported, suppressed ones too, goes to the journal at
// the edge's tick; a second report of the same lines is no edge.
void JournalBarrierEdges(LightBarrierInput& barrier, JournalFeed& journal);
