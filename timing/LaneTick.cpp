#include "LaneTick.h"

LaneTick::LaneTick()
{
    timer_.setObjectName(QStringLiteral("LaneTick"));
    timer_.setInterval(IntervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &LaneTick::Tick);
}

std::shared_ptr<LaneTick> LaneTick::Shared()
{
    thread_local std::weak_ptr<LaneTick> shared;
    std::shared_ptr<LaneTick> tick = shared.lock();
    if (!tick) {
        tick.reset(new LaneTick);
        shared = tick;
    }
    return tick;
}

void LaneTick::Join()
{
    if (running_++ == 0)
        timer_.start();
}

void LaneTick::Leave()
{
    if (running_ > 0 && --running_ == 0)
        timer_.stop();
}
