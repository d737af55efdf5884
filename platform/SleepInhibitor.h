#pragma once

#include <QObject>
#include <QString>

// Asks the desktop not to suspend the machine or blank the screen. Both calls
// return at once (the UI thread, a START among it, never waits for the
// desktop) and never fail towards the caller: where the desktop offers no
// such service nothing happens.
class SleepInhibitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Keeps the desktop awake; reason is what the desktop may show. A call
    // while held changes nothing.
    virtual void Inhibit(const QString& reason) = 0;
    // Lets the desktop suspend and blank the screen again.
    virtual void Release() = 0;

Q_SIGNALS:
    // What the desktop answered, in German, for the journal: a hold taken or
    // given back, or (once) that the desktop offers none.
    void Reported(const QString& text);
};
