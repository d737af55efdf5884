#include "LightBarrierInput.h"

#include "ComTypes.h"
#include "LockPictures.h"
#include "TImage.h"
#include "TLbSpeedButton.h"

#include <QAction>
#include <QTimer>

#include <algorithm>

LightBarrierInput::LightBarrierInput(QAction* mStart, QAction* mStop, TLbSpeedButton* bSTART,
                                     TImage* imageLSstop, const Clock& clock, QObject* parent)
    : QObject(parent)
    , mStart_(mStart)
    , mStop_(mStop)
    , bSTART_(bSTART)
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
    imageLSstop_->OnClick = [this](TImage*) { ImageLSClick(); };
    ShowLockPicture();
}

void LightBarrierInput::ComPortHARD(const LineEvent& event)
{
    // One wait may report CTS and DSR together; the port then raises both
    // events, and the second report of that wait changes nothing.
    const bool again = event.sequence == edge_.sequence && event.stamp == edge_.stamp;
    edge_ = event;
    // Lockouts whose time was up at the edge are over, even if their timer
    // has not fired yet because the user interface was busy.
    EndLockoutsBefore(event.stamp.tick);
    // A line that went and came back was first the other way round.
    if (event.returned != 0 && !again)
        Evaluate(event.modemStatus ^ event.returned);
    Evaluate(event.modemStatus);
}

void LightBarrierInput::Evaluate(std::uint32_t status)
{
    edgeStatus_ = status;
    if (status == LastModemStatus) {
        Note(BarrierCommand::None, BarrierOutcome::Unchanged);
        return;
    }
    const bool startLine = status & MS_DSR_ON;
    const bool stopLine = (status & MS_CTS_ON) || (runden_ && startLine);
    LastModemStatus = status;

    const int notesBefore = notes_;
    if (alg_ == 0) {
        if (stopLine || startLine)
            HandleBarrierEvent(stopLine, startLine);
    } else if (alg_ == 1) {
        if (!stopLine || !startLine)
            HandleBarrierEvent(stopLine, startLine);
    }
    if (notes_ == notesBefore)
        Note(BarrierCommand::None, BarrierOutcome::NotByAlg);
}

void LightBarrierInput::HandleBarrierEvent(bool stopLine, bool startLine)
{
    const std::uint32_t tick = edge_.stamp.tick;
    const bool stopLockedOut = LockedOut(TimerGesperrtStop, tick);
    if (runden_) {
        // One barrier serves both: it starts an idle lane 1 and stops a
        // running one; the STOPP lockout suppresses both.
        if (!stopLine)
            return;
        if (stopLockedOut) {
            Note(BarrierCommand::None, BarrierOutcome::LockedOut);
        } else if (bSTART_->isEnabled()) {
            const bool ran = Trigger(mStart_);
            StartLockout(TimerGesperrtStart);
            Note(BarrierCommand::Start, Ran(ran));
        } else if (Armed()) {
            const bool ran = Trigger(mStop_);
            StartStopLockout();
            Note(BarrierCommand::Stop, Ran(ran));
        } else {
            Note(BarrierCommand::Stop, BarrierOutcome::Blocked);
        }
        return;
    }
    if (stopLine) {
        if (stopLockedOut) {
            Note(BarrierCommand::Stop, BarrierOutcome::LockedOut);
        } else if (!Armed()) {
            Note(BarrierCommand::Stop, BarrierOutcome::Blocked);
        } else {
            const bool ran = Trigger(mStop_);
            StartStopLockout();
            Note(BarrierCommand::Stop, Ran(ran));
        }
    }
    if (startLine) {
        if (LockedOut(TimerGesperrtStart, tick)) {
            Note(BarrierCommand::Start, BarrierOutcome::LockedOut);
        } else {
            const bool ran = Trigger(mStart_);
            StartLockout(TimerGesperrtStart);
            Note(BarrierCommand::Start, Ran(ran));
        }
    }
}

bool LightBarrierInput::Trigger(QAction* command)
{
    // Asked before: a START that fills the second lane disables itself.
    const bool enabled = command->isEnabled();
    if (TriggerCommand)
        TriggerCommand(command, edge_.stamp);
    else
        command->trigger();
    return enabled;
}

BarrierOutcome LightBarrierInput::Ran(bool ran)
{
    return ran ? BarrierOutcome::Accepted : BarrierOutcome::Unavailable;
}

void LightBarrierInput::StartStopLockout()
{
    if (TimerGesperrtStop->isActive())
        return;
    if (waitStartMs_ > 0)
        StartLockout(TimerGesperrtStop);
    if (TimerGesperrtStop->isActive() && Armed())
        ImageLSClick();
}

// A lockout counts from the edge that started it: its timer gets what is
// left of it now.
void LightBarrierInput::StartLockout(QTimer* timer)
{
    const std::uint32_t from = edge_.stamp.tick;
    LockoutFrom(timer) = from;
    const int left = LockoutLength(timer) - TickDiff(clock_.TickCount(), from);
    timer->start(std::max(left, 0));
}

bool LightBarrierInput::LockedOut(const QTimer* timer, std::uint32_t tick) const
{
    const std::uint32_t from = timer == TimerGesperrtStart ? startLockoutFrom_ : stopLockoutFrom_;
    return timer->isActive() && TickDiff(tick, from) < LockoutLength(timer);
}

void LightBarrierInput::EndLockoutsBefore(std::uint32_t tick)
{
    for (QTimer* timer : {TimerGesperrtStart, TimerGesperrtStop}) {
        if (timer->isActive() && !LockedOut(timer, tick))
            TimerGesperrtTimer(timer);
    }
}

void LightBarrierInput::TimerGesperrtTimer(QTimer* timer)
{
    // The clock decides, not the timer: a timer that fires early (or a
    // caller that fires it) leaves the rest of the lockout running.
    const int left = LockoutLength(timer) - TickDiff(clock_.TickCount(), LockoutFrom(timer));
    if (left > 0) {
        timer->start(left);
        return;
    }
    timer->stop();
    if (timer == TimerGesperrtStop && !Armed())
        ImageLSClick();
}

int LightBarrierInput::LockoutLength(const QTimer* timer) const
{
    return timer == TimerGesperrtStart ? StartLockoutMs : waitStartMs_;
}

std::uint32_t& LightBarrierInput::LockoutFrom(const QTimer* timer)
{
    return timer == TimerGesperrtStart ? startLockoutFrom_ : stopLockoutFrom_;
}

void LightBarrierInput::Note(BarrierCommand command, BarrierOutcome outcome)
{
    ++notes_;
    if (OnEdge)
        OnEdge({edge_.stamp, edgeStatus_, edge_.late, command, outcome});
}

void LightBarrierInput::ImageLSClick()
{
    imageLSstop_->SetTag(1 - imageLSstop_->Tag());
    ShowLockPicture();
}

void LightBarrierInput::LockLSClick()
{
    ImageLSClick();
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
    if (waitStartMs_ == 0 && !Armed())
        ImageLSClick();
}

void LightBarrierInput::BlockAfterLastStop()
{
    if (waitStartMs_ == 0 && Armed())
        ImageLSClick();
}

void LightBarrierInput::SetWaitStart(int ms)
{
    waitStartMs_ = ms;
    TimerGesperrtStop->setInterval(ms);
}

bool LightBarrierInput::Armed() const
{
    return imageLSstop_->Tag() == 1;
}

void LightBarrierInput::ShowLockPicture()
{
    imageLSstop_->setPixmap(LockPicture(imageLSstop_->Tag()));
    imageLSstop_->repaint();
}
