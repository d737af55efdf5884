#pragma once

#include <QObject>

class BarrierPort;
class JournalFeed;
class RunControl;
class SleepInhibitor;

// Keeps the laptop awake while the desk times: while a lane runs or the
// barrier port is open, the desktop is asked not to suspend or blank the
// screen; once neither holds, it is let go. What the desktop answers goes
// to the journal. The asking never waits for the desktop.
class DeskAwake : public QObject
{
    Q_OBJECT
public:
    explicit DeskAwake(SleepInhibitor& inhibitor, QObject* parent = nullptr);
    // Lets the desktop go, should a lane still run.
    ~DeskAwake() override;

    // Follows the lanes through the run control's signals and the port's
    // opening and closing.
    void Follow(const RunControl& runs, const BarrierPort& port);
    // Where the desktop's answers go; none once lifetime (the journal's
    // object, if given) is destroyed.
    void SetJournal(JournalFeed* journal, QObject* lifetime = nullptr);

    void SetLaneRunning(bool running);
    void SetPortOpen(bool open);
    bool Held() const { return held_; }

    static QString Reason();

private:
    void Update();

    SleepInhibitor& inhibitor_;
    JournalFeed* journal_ = nullptr;
    bool laneRunning_ = false;
    bool portOpen_ = false;
    bool held_ = false;
};
