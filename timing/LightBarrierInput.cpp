#include "LightBarrierInput.h"

#include "BarrierEdgeJournal.h"
#include "BarrierPort.h"
#include "JournalFeed.h"
#include "TComPort.h"

#include "LockPictures.h"
#include "TImage.h"

#include <QTimer>

#include <algorithm>

LightBarrierInput::LightBarrierInput(BarrierRun& run, TImage* imageLSstop, const Clock& clock, QObject* parent)
    : QObject(parent)
    , run_(run)
    , imageLSstop_(imageLSstop)
    , clock_(clock)
{
    TimerGesperrtStart = new QTimer(this);
    TimerGesperrtStart->setObjectName(QStringLiteral("TimerGesperrtStart"));
    TimerGesperrtStart->setInterval(StartLockoutMs);
    TimerGesperrtStop = new QTimer(this);
    TimerGesperrtStop->setObjectName(QStringLiteral("TimerGesperrtStop"));
    TimerGesperrtStop->setInterval(0);
    for (QTimer* timer : {TimerGesperrtStart, TimerGesperrtStop}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, timer] { TimerGesperrtTimer(timer); });
    }

    imageLSstop_->setToolTip(QStringLiteral("Blockieren LS STOPP (F12)"));
    imageLSstop_->SetTag(0);
    connect(imageLSstop_, &TImage::Clicked, this, &LightBarrierInput::ImageLSClick);
    ShowLockPicture();
}

namespace {

// The run control as the logic sees it, and each note told on the spot.
class Relay final : public BarrierRun
{
public:
    Relay(BarrierRun& run, LightBarrierInput& input)
        : run_(run)
        , input_(input)
    {
    }
    bool StartAvailable() const override { return run_.StartAvailable(); }
    bool Run(BarrierCommand command, const TimeStamp& edge) override { return run_.Run(command, edge); }
    void Judged(const BarrierEdgeNote& note) override { Q_EMIT input_.Edge(note); }

private:
    BarrierRun& run_;
    LightBarrierInput& input_;
};

} // namespace

void LightBarrierInput::ComPortHARD(const LineEvent& event)
{
    Relay relay(run_, *this);
    logic_.Decide(event, relay);
    Follow();
}

BarrierLogic::Lockout LightBarrierInput::Which(const QTimer* timer) const
{
    return timer == TimerGesperrtStart ? BarrierLogic::Lockout::Start : BarrierLogic::Lockout::Stop;
}

void LightBarrierInput::TimerGesperrtTimer(QTimer* timer)
{
    const int left = logic_.Expire(Which(timer), clock_.TickCount());
    if (left > 0)
        timer->start(left);
    else
        timer->stop();
    Follow();
}

void LightBarrierInput::Follow()
{
    FollowTimer(TimerGesperrtStart, startTimerFrom_);
    FollowTimer(TimerGesperrtStop, stopTimerFrom_);
    if (imageLSstop_->Tag() != int(logic_.Armed())) {
        imageLSstop_->SetTag(int(logic_.Armed()));
        ShowLockPicture();
    }
}

// A lockout counts from the edge that started it: its timer gets what is
// left of it now.
void LightBarrierInput::FollowTimer(QTimer* timer, std::uint32_t& from)
{
    const BarrierLogic::Lockout which = Which(timer);
    if (!logic_.Running(which)) {
        timer->stop();
        return;
    }
    if (timer->isActive() && from == logic_.From(which))
        return;
    from = logic_.From(which);
    const int left = logic_.Length(which) - TickDiff(clock_.TickCount(), from);
    timer->start(std::max(left, 0));
}

void LightBarrierInput::ImageLSClick()
{
    logic_.ToggleLock();
    Follow();
}

void LightBarrierInput::LockLSClick()
{
    ImageLSClick();
}

void LightBarrierInput::Listen(BarrierPort& port)
{
    port.Com().OnCTS = [this](TComPort*, const LineEvent& event) { ComPortHARD(event); };
    port.Com().OnDSR = [this](TComPort*, const LineEvent& event) { ComPortHARD(event); };
    connect(&port, &BarrierPort::Opened, this, &LightBarrierInput::ComPortOpen);
    connect(&port, &BarrierPort::Closed, this, &LightBarrierInput::ComPortClose);
}

void LightBarrierInput::ComPortOpen()
{
    imageLSstop_->show();
}

void LightBarrierInput::ComPortClose()
{
    imageLSstop_->hide();
}

void LightBarrierInput::ArmAfterLastStart()
{
    logic_.AllLanesStarted();
    Follow();
}

void LightBarrierInput::BlockAfterLastStop()
{
    logic_.NoLaneRunning();
    Follow();
}

void LightBarrierInput::ClearLockouts()
{
    for (BarrierLogic::Lockout which : {BarrierLogic::Lockout::Start, BarrierLogic::Lockout::Stop})
        logic_.Expire(which, logic_.From(which) + std::uint32_t(logic_.Length(which)));
    if (!logic_.Armed())
        logic_.ToggleLock();
    Follow();
}

void LightBarrierInput::SetWaitStart(int ms)
{
    logic_.SetWaitStart(ms);
    TimerGesperrtStop->setInterval(ms);
}

void LightBarrierInput::ShowLockPicture()
{
    imageLSstop_->setPixmap(LockPicture(imageLSstop_->Tag()));
    imageLSstop_->repaint();
}

void JournalBarrierEdges(LightBarrierInput& barrier, JournalFeed& journal)
{
    QObject::connect(&barrier, &LightBarrierInput::Edge, &barrier, [&journal](const BarrierEdgeNote& note) {
        if (note.outcome != BarrierOutcome::Unchanged)
            journal.Record(note.stamp.tick, BarrierEdgeText(note));
    });
}
