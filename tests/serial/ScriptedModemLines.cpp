#include "ScriptedModemLines.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

bool WatchedLineChanged(const LineCounters& before, const LineCounters& now, int lines)
{
    return ((lines & TIOCM_CTS) && before.cts != now.cts) || ((lines & TIOCM_DSR) && before.dsr != now.dsr)
           || ((lines & TIOCM_RNG) && before.rng != now.rng) || ((lines & TIOCM_CD) && before.dcd != now.dcd);
}

} // namespace

ScriptedModemLines::ScriptedModemLines(bool hasLineWait, bool hasCounters, bool hasLines)
    : hasLineWait_(hasLineWait)
    , hasCounters_(hasCounters)
    , hasLines_(hasLines)
{
}

ScriptedModemLines::~ScriptedModemLines() = default;

void ScriptedModemLines::Toggle(int line)
{
    std::lock_guard lock(mutex_);
    ToggleLocked(line);
    Wake();
}

void ScriptedModemLines::Pulse(int line)
{
    std::lock_guard lock(mutex_);
    ToggleLocked(line);
    ToggleLocked(line);
    Wake();
}

void ScriptedModemLines::ToggleBeforeNextWait(int line, int times)
{
    std::lock_guard lock(mutex_);
    gapLine_ = line;
    gapTimes_ = times;
}

void ScriptedModemLines::ToggleLocked(int line)
{
    lines_ ^= line;
    if (line & TIOCM_CTS)
        ++counters_.cts;
    if (line & TIOCM_DSR)
        ++counters_.dsr;
    if (line & TIOCM_RNG)
        ++counters_.rng;
    if (line & TIOCM_CD)
        ++counters_.dcd;
}

void ScriptedModemLines::Vanish()
{
    std::lock_guard lock(mutex_);
    vanished_ = true;
    Wake();
}

void ScriptedModemLines::Wake()
{
    const std::uint64_t one = 1;
    for (const int fd : waitFds_)
        [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

int ScriptedModemLines::Lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

int ScriptedModemLines::LineWaitsStarted() const
{
    std::lock_guard lock(mutex_);
    return lineWaits_;
}

int ScriptedModemLines::LineWaitsNow() const
{
    std::lock_guard lock(mutex_);
    return int(waitFds_.size());
}

int ScriptedModemLines::LineReads() const
{
    std::lock_guard lock(mutex_);
    return lineReads_;
}

int ScriptedModemLines::GetLines(int, int& lines)
{
    if (OnGetLines)
        OnGetLines();
    std::lock_guard lock(mutex_);
    if (vanished_)
        return EIO;
    if (!hasLines_)
        return ENOTTY;
    ++lineReads_;
    lines = lines_;
    return 0;
}

int ScriptedModemLines::SetLines(int, int lines, bool on)
{
    std::lock_guard lock(mutex_);
    if (vanished_)
        return EIO;
    if (!hasLines_)
        return ENOTTY;
    lines_ = on ? lines_ | lines : lines_ & ~lines;
    return 0;
}

int ScriptedModemLines::GetCounters(int, LineCounters& counters)
{
    std::lock_guard lock(mutex_);
    if (vanished_)
        return EIO;
    if (!hasCounters_)
        return ENOTTY;
    counters = counters_;
    return 0;
}

int ScriptedModemLines::WaitLines(int, int lines)
{
    std::unique_lock lock(mutex_);
    if (!hasLineWait_)
        return ENOTTY;
    ++lineWaits_;
    if (gapTimes_ > 0) {
        for (; gapTimes_ > 0; --gapTimes_)
            ToggleLocked(gapLine_);
        if (OnGapToggled)
            OnGapToggled();
    }
    const LineCounters atStart = counters_;
    // Each wait has a wake-up of its own: several threads may wait at once.
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    waitFds_.insert(wakeFd);
    int result = 0;
    for (;;) {
        if (vanished_) {
            result = EIO;
            break;
        }
        if (WatchedLineChanged(atStart, counters_, lines))
            break;
        lock.unlock();
        pollfd wake{wakeFd, POLLIN, 0};
        const int ready = ::poll(&wake, 1, -1);
        const int error = errno;
        lock.lock();
        if (ready < 0 && error == EINTR) {
            result = EINTR;
            break;
        }
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wakeFd, &count, sizeof count);
    }
    waitFds_.erase(wakeFd);
    ::close(wakeFd);
    return result;
}

int ScriptedModemLines::GetLowLatency(int, bool& on)
{
    std::lock_guard lock(mutex_);
    on = lowLatency;
    return 0;
}

int ScriptedModemLines::SetLowLatency(int, bool on)
{
    std::lock_guard lock(mutex_);
    if (refuseLowLatency)
        return EPERM;
    lowLatency = on;
    return 0;
}
