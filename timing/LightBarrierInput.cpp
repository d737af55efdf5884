#include "LightBarrierInput.h"

#include "LockPictures.h"
#include "TImage.h"
#include "TLbSpeedButton.h"

#include <QAction>
#include <QTimer>

LightBarrierInput::LightBarrierInput(QAction* mStart, QAction* mStop, TLbSpeedButton* bSTART,
                                     TImage* imageLSstop, QObject* parent)
    : QObject(parent)
    , mStart_(mStart)
    , mStop_(mStop)
    , bSTART_(bSTART)
    , imageLSstop_(imageLSstop)
{
    TimerGesperrtStart = new QTimer(this);
    TimerGesperrtStart->setObjectName(QStringLiteral("TimerGesperrtStart"));
    TimerGesperrtStart->setInterval(1000);
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

void LightBarrierInput::ComPortHARD()
{
    const std::uint32_t status = ReadModemStatus ? ReadModemStatus() : 0;
    // One wait may report CTS and DSR together; the second report then sees
    // the same status and is dropped here.
    if (status == LastModemStatus)
        return;
    const bool startLine = status & DsrOn;
    const bool stopLine = (status & CtsOn) || (runden_ && startLine);
    LastModemStatus = status;

    if (alg_ == 0) {
        if (stopLine || startLine)
            HandleBarrierEvent(stopLine, startLine);
    } else if (alg_ == 1) {
        if (!stopLine || !startLine)
            HandleBarrierEvent(stopLine, startLine);
    }
}

void LightBarrierInput::HandleBarrierEvent(bool stopLine, bool startLine)
{
    if (runden_) {
        // One barrier serves both: it starts an idle lane 1 and stops a
        // running one; the STOPP lockout suppresses both.
        if (!stopLine || TimerGesperrtStop->isActive())
            return;
        if (bSTART_->isEnabled()) {
            mStart_->trigger();
            TimerGesperrtStart->start();
        } else if (Armed()) {
            mStop_->trigger();
            StartStopLockout();
        }
        return;
    }
    if (stopLine && !TimerGesperrtStop->isActive() && Armed()) {
        mStop_->trigger();
        StartStopLockout();
    }
    if (startLine && !TimerGesperrtStart->isActive()) {
        mStart_->trigger();
        TimerGesperrtStart->start();
    }
}

void LightBarrierInput::StartStopLockout()
{
    if (TimerGesperrtStop->isActive())
        return;
    if (TimerGesperrtStop->interval() > 0)
        TimerGesperrtStop->start();
    if (TimerGesperrtStop->isActive() && Armed())
        ImageLSClick();
}

void LightBarrierInput::TimerGesperrtTimer(QTimer* timer)
{
    timer->stop();
    if (timer == TimerGesperrtStop && !Armed())
        ImageLSClick();
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
    if (TimerGesperrtStop->interval() == 0 && !Armed())
        ImageLSClick();
}

void LightBarrierInput::BlockAfterLastStop()
{
    if (TimerGesperrtStop->interval() == 0 && Armed())
        ImageLSClick();
}

void LightBarrierInput::SetWaitStart(int ms)
{
    TimerGesperrtStop->setInterval(ms);
}

int LightBarrierInput::WaitStart() const
{
    return TimerGesperrtStop->interval();
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
