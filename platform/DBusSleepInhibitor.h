#pragma once

#include "SleepInhibitor.h"

#include <QThread>

class DBusInhibitWorker;

// The freedesktop inhibit interfaces on the session bus:
// org.freedesktop.ScreenSaver against blanking and
// org.freedesktop.PowerManagement.Inhibit against suspend. Every bus call
// runs on a thread of its own, in order, so a slow or hung desktop delays
// nothing but the next bus call. No session bus, a missing service or a
// failed call is reported once and otherwise ignored.
class DBusSleepInhibitor final : public SleepInhibitor
{
    Q_OBJECT
public:
    // busAddress empty: the user's session bus (never started on demand).
    explicit DBusSleepInhibitor(const QString& application, const QString& busAddress = QString(),
                                QObject* parent = nullptr);
    // Gives back what is held, waiting at most for the bus calls' time-outs.
    ~DBusSleepInhibitor() override;

    void Inhibit(const QString& reason) override;
    void Release() override;

private:
    QThread thread_;
    DBusInhibitWorker* worker_;
};
