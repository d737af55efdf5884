#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

// The 10 ms tick of the running lanes' displays. The lanes of one thread
// share a single timer, so both lanes change their digits in the same pass
// of the event loop and the window draws them in one update per tick; two
// timers of their own would wake the program twice as often, each time for
// one lane. The timer runs while any lane runs.
class LaneTick final : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 10;

    // The tick of this thread's lanes; it lives while a lane holds it.
    static std::shared_ptr<LaneTick> Shared();

    // A lane begins or ends running.
    void Join();
    void Leave();
    bool Active() const { return timer_.isActive(); }

Q_SIGNALS:
    void Tick();

private:
    LaneTick();

    QTimer timer_;
    int running_ = 0;
};
