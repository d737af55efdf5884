#pragma once

#include "ModemLineIo.h"

#include <functional>
#include <mutex>
#include <set>

// Modem lines played by the test, for exercising the POSIX device's waiting
// on a pseudo-terminal, which has no modem lines of its own. Each kind of
// call can be switched off to play a driver that lacks it. WaitLines blocks
// like TIOCMIWAIT: until a watched line changes after the call began, and a
// signal to the waiting thread ends it with EINTR.
class ScriptedModemLines final : public ModemLineIo
{
public:
    ScriptedModemLines(bool hasLineWait, bool hasCounters, bool hasLines = true);
    ~ScriptedModemLines() override;

    // A line (TIOCM_ bit) changes state once.
    void Toggle(int line);
    // The line goes and comes back at once, faster than anyone can read it.
    void Pulse(int line);
    // The line changes `times` times just before the next line wait takes
    // its starting point: after the worker's last reading, before the wait.
    void ToggleBeforeNextWait(int line, int times = 1);
    // The adapter is pulled: every call fails with EIO from now on.
    void Vanish();
    int Lines() const;
    int LineWaitsStarted() const;
    // Line waits blocked right now (several threads may wait at once).
    int LineWaitsNow() const;
    int LineReads() const;

    // The driver's low-latency flag; a driver may refuse to set it (EPERM).
    bool lowLatency = false;
    bool refuseLowLatency = false;

    // Runs, under the lines' lock, when the changes asked for by
    // ToggleBeforeNextWait have been made: the moment of a gap edge.
    std::function<void()> OnGapToggled;

    // Runs in every read of the lines, outside the lock: a read that takes
    // its time (a USB round trip) is played by moving a clock here.
    std::function<void()> OnGetLines;

    int GetLines(int fd, int& lines) override;
    int SetLines(int fd, int lines, bool on) override;
    int GetCounters(int fd, LineCounters& counters) override;
    int WaitLines(int fd, int lines) override;
    int GetLowLatency(int fd, bool& on) override;
    int SetLowLatency(int fd, bool on) override;

private:
    void Wake();
    void ToggleLocked(int line);

    const bool hasLineWait_;
    const bool hasCounters_;
    const bool hasLines_;
    std::set<int> waitFds_;
    mutable std::mutex mutex_;
    int lines_ = 0;
    LineCounters counters_;
    bool vanished_ = false;
    int lineWaits_ = 0;
    int lineReads_ = 0;
    int gapLine_ = 0;
    int gapTimes_ = 0;
};
