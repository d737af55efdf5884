#include "PosixSerialDevice.h"

#include "LineTermios.h"
#include "SerialPortPath.h"
#include "ShortSlices.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <utility>

namespace {

// The signal that ends a TIOCMIWAIT. Its handler is installed without
// SA_RESTART, so the interrupted ioctl returns EINTR instead of resuming.
int KickSignal()
{
    return SIGRTMIN + 5;
}

void IgnoreKick(int) {}

void InstallKickHandler()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = IgnoreKick;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        ::sigaction(KickSignal(), &action, nullptr);
    });
}

void UnblockKickInThisThread()
{
    thread_local bool unblocked = false;
    if (unblocked)
        return;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, KickSignal());
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    unblocked = true;
}

// The errors of a driver that has no such modem-line call (a
// pseudo-terminal, a bare USB adapter driver). Every other error means the
// device itself is failing or gone.
bool NoSuchCall(int error)
{
    return error == ENOTTY || error == EINVAL;
}

int ModemLineBits(std::uint32_t mask)
{
    int lines = 0;
    if (mask & EV_CTS)
        lines |= TIOCM_CTS;
    if (mask & EV_DSR)
        lines |= TIOCM_DSR;
    if (mask & EV_RING)
        lines |= TIOCM_RNG;
    if (mask & EV_RLSD)
        lines |= TIOCM_CD;
    return lines;
}

std::uint32_t CounterEvents(const LineCounters& now, const LineCounters& before)
{
    std::uint32_t events = 0;
    if (now.cts != before.cts)
        events |= EV_CTS;
    if (now.dsr != before.dsr)
        events |= EV_DSR;
    if (now.rng != before.rng)
        events |= EV_RING;
    if (now.dcd != before.dcd)
        events |= EV_RLSD;
    if (now.rx != before.rx)
        events |= EV_RXCHAR;
    if (now.brk != before.brk)
        events |= EV_BREAK;
    if (now.frame != before.frame || now.overrun != before.overrun || now.parity != before.parity
        || now.bufOverrun != before.bufOverrun)
        events |= EV_ERR;
    return events;
}

std::uint32_t LineEvents(int now, int before)
{
    const int changed = now ^ before;
    std::uint32_t events = 0;
    if (changed & TIOCM_CTS)
        events |= EV_CTS;
    if (changed & TIOCM_DSR)
        events |= EV_DSR;
    if (changed & TIOCM_RNG)
        events |= EV_RING;
    if (changed & TIOCM_CD)
        events |= EV_RLSD;
    return events;
}

constexpr std::uint32_t DataEvents = EV_RXCHAR | EV_BREAK | EV_ERR | EV_TXEMPTY;

// The lines (TIOCM_ bits) whose transition counters differ.
int CounterLines(const LineCounters& now, const LineCounters& before)
{
    return (now.cts != before.cts ? TIOCM_CTS : 0) | (now.dsr != before.dsr ? TIOCM_DSR : 0)
           | (now.rng != before.rng ? TIOCM_RNG : 0) | (now.dcd != before.dcd ? TIOCM_CD : 0);
}

std::uint32_t StatusWord(int lines)
{
    std::uint32_t status = 0;
    if (lines & TIOCM_CTS)
        status |= MS_CTS_ON;
    if (lines & TIOCM_DSR)
        status |= MS_DSR_ON;
    if (lines & TIOCM_RNG)
        status |= MS_RING_ON;
    if (lines & TIOCM_CD)
        status |= MS_RLSD_ON;
    return status;
}

std::uint32_t LineEventBits(int lines)
{
    return LineEvents(lines, 0);
}

// The later of two wake-ups: a stamp shared by changes must not be earlier
// than any of them.
void MergeWake(std::optional<TimeStamp>& into, const std::optional<TimeStamp>& other)
{
    if (other && (!into || other->us > into->us))
        into = other;
}

} // namespace

PosixSerialDevice::PosixSerialDevice(std::shared_ptr<ModemLineIo> io)
    : io_(std::move(io))
{
    InstallKickHandler();
}

PosixSerialDevice::~PosixSerialDevice()
{
    Close();
}

int PosixSerialDevice::Open(std::uint8_t port)
{
    Close();
    const std::string path = SerialPortPath(port);
    if (path.empty())
        return ENOENT;
    return OpenPath(path);
}

int PosixSerialDevice::OpenPath(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    struct stat st {};
    termios2 settings{};
    if (::fstat(fd, &st) < 0)
        error = errno;
    else if (!S_ISCHR(st.st_mode))
        error = ENOTTY;
    else if (::ioctl(fd, TCGETS2, &settings) < 0)
        error = errno;
    // The lock comes first: TIOCEXCL belongs to the device, not to this
    // descriptor, and must not be touched while another program holds it.
    else if (::flock(fd, LOCK_EX | LOCK_NB) < 0)
        error = errno == EWOULDBLOCK ? EBUSY : errno;
    else if (::ioctl(fd, TIOCEXCL) < 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        return error;
    }
    fd_ = fd;
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    cancelFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_event cancel{};
    cancel.events = EPOLLIN;
    cancel.data.fd = cancelFd_;
    if (epoll_ < 0 || cancelFd_ < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, cancelFd_, &cancel) < 0) {
        error = errno;
        Close();
        return error;
    }
    cancelled_ = false;
    watching_ = false;
    lineWaitWorks_ = true;
    gone_ = false;
    mask_ = 0;
    return 0;
}

int PosixSerialDevice::Configure(const LineSettings& settings)
{
    LineTermios line;
    if (const int error = MakeLineTermios(settings, line))
        return error;
    termios2 t{};
    t.c_iflag = line.iflag;
    t.c_oflag = line.oflag;
    t.c_cflag = line.cflag;
    t.c_lflag = line.lflag;
    t.c_cc[VSTART] = line.vstart;
    t.c_cc[VSTOP] = line.vstop;
    t.c_cc[VMIN] = line.vmin;
    t.c_cc[VTIME] = line.vtime;
    t.c_ispeed = line.speed;
    t.c_ospeed = line.speed;
    if (::ioctl(fd_, TCSETS2, &t) < 0)
        return errno;

    // DTR as configured; RTS on only under RTS/CTS handshake. A device
    // without modem lines still opens; the barriers just cannot use it.
    const int dtr = io_->SetLines(fd_, TIOCM_DTR, settings.enableDtr);
    if (dtr != 0 && !NoSuchCall(dtr))
        return dtr;
    const int rts = io_->SetLines(fd_, TIOCM_RTS, settings.flowControl == fcRtsCts);
    if (rts != 0 && !NoSuchCall(rts))
        return rts;
    AskForLowLatency();
    // Linux tty queues have a fixed size, so the queue sizes and the XON
    // limit are left to the driver.
    return 0;
}

void PosixSerialDevice::Close()
{
    if (fd_ < 0)
        return;
    StopCompanions();
    StopWatchdog();
    // Left as we found it, like the exclusive flag.
    if (restoreLatency_)
        io_->SetLowLatency(fd_, false);
    restoreLatency_ = false;
    lowLatency_ = false;
    // The exclusive flag outlives the descriptor; clear it so it never
    // outlives our use of the device. The flock ends with the descriptor.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    if (epoll_ >= 0)
        ::close(epoll_);
    if (cancelFd_ >= 0)
        ::close(cancelFd_);
    epoll_ = -1;
    cancelFd_ = -1;
}

// A refusal is no error: the line works, only with the driver's own latency.
void PosixSerialDevice::AskForLowLatency()
{
    bool on = false;
    if (io_->GetLowLatency(fd_, on) != 0)
        return;
    if (!on && io_->SetLowLatency(fd_, true) == 0) {
        restoreLatency_ = true;
        // Read back: a driver may take the call and ignore the flag.
        if (io_->GetLowLatency(fd_, on) != 0)
            on = false;
    }
    lowLatency_ = on;
}

void PosixSerialDevice::SetEventMask(std::uint32_t mask)
{
    mask_ = mask;
    ProbeLines();
    WatchDescriptor();
    mode_ = ChooseMode();
    ownLines_ = ModemLineBits(mask_);
    if (mode_ == WaitMode::LineWait) {
        StartWatchdog();
        if (!hasCounters_)
            StartCompanions();
    }
}

// Finds out which line reads the driver offers, and takes the state from
// which the next wait reports changes.
void PosixSerialDevice::ProbeLines()
{
    int error = io_->GetCounters(fd_, lastCounters_);
    hasCounters_ = error == 0;
    if (error != 0 && !NoSuchCall(error))
        gone_ = true;
    error = io_->GetLines(fd_, lastLines_);
    hasLines_ = error == 0;
    if (error != 0 && !NoSuchCall(error))
        gone_ = true;
    if (QueueCount(TIOCINQ, lastInQueue_) != 0)
        lastInQueue_ = 0;
    if (QueueCount(TIOCOUTQ, lastOutQueue_) != 0)
        lastOutQueue_ = 0;
}

// The device descriptor always reports a hang-up; data events add arrival
// of input and room in the output, edge-triggered so that unread input
// wakes the worker once, not for ever.
void PosixSerialDevice::WatchDescriptor()
{
    epoll_event watch{};
    watch.events = EPOLLET;
    if (mask_ & (EV_RXCHAR | EV_BREAK | EV_ERR))
        watch.events |= EPOLLIN;
    if (mask_ & EV_TXEMPTY)
        watch.events |= EPOLLOUT;
    watch.data.fd = fd_;
    if (::epoll_ctl(epoll_, watching_ ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd_, &watch) == 0)
        watching_ = true;
}

PosixSerialDevice::WaitMode PosixSerialDevice::ChooseMode() const
{
    const bool lineEvents = mask_ & EV_MODEM_LINES;
    if (!lineEvents || !(hasCounters_ || hasLines_))
        return WaitMode::DescriptorWait;
    if (lineWaitWorks_ && !(mask_ & DataEvents))
        return WaitMode::LineWait;
    return WaitMode::LinePolling;
}

WaitResult PosixSerialDevice::WaitEvent()
{
    UnblockKickInThisThread();
    for (;;) {
        if (cancelled_)
            return {WaitResult::Kind::Stopped, 0};
        if (gone_)
            return {WaitResult::Kind::Gone, 0};
        // What woke the worker is taken before the lines are read, so every
        // change it stands for is in the reading. A companion's wait ends
        // either before this reading or after it, never in between.
        // A kick from here on makes the next sleep return at once.
        recheck_ = false;
        std::unique_lock companions(companionMutex_, std::defer_lock);
        if (!companions_.empty())
            companions.lock();
        const Wake wake = TakeWake();
        const Sample sample = Collect(wake.lines);
        if (companions.owns_lock()) {
            ++readings_;
            for (const auto& c : companions_)
                if (c->inWait)
                    c->levelSeen |= sample.levelLines;
            companions.unlock();
            companionChanged_.notify_all();
        }
        if (sample.gone) {
            gone_ = true;
            continue;
        }
        if (sample.events != 0) {
            WaitResult result{WaitResult::Kind::Events, sample.events};
            result.modemStatus = sample.modemStatus;
            result.returned = sample.returned;
            // Found without a sleep that it ended: stamped now, after the
            // reading that found it, never before the change itself.
            // The sleep's stamp holds only for a change that surely ended
            // it: one line, and the one its wait watched. Two lines moved
            // under one wait, one of them may have moved after the stamp.
            const int moved = sample.movedLines;
            const bool named = (moved & ~wake.lines) == 0 && (moved & (moved - 1)) == 0;
            const bool slept = wake.at && (named || moved == 0);
            result.woke = slept ? wake.at : StampNow();
            result.late = !slept;
            return result;
        }

        const WaitMode mode = ChooseMode();
        mode_ = mode;
        Block block = Block::Again;
        if (mode == WaitMode::LineWait)
            block = SleepInLineWait();
        else
            block = SleepInDescriptorWait(mode == WaitMode::LinePolling ? PollingIntervalMs : -1);
        if (block == Block::Gone)
            gone_ = true;
    }
}

std::optional<TimeStamp> PosixSerialDevice::StampNow() const
{
    return clock_ ? std::optional(clock_->Stamp()) : std::nullopt;
}

// The caller holds companionMutex_ where there are companions.
PosixSerialDevice::Wake PosixSerialDevice::TakeWake()
{
    Wake wake = std::exchange(ownWake_, {});
    if (!companions_.empty()) {
        const Wake other = std::exchange(companionWake_, {});
        wake.lines |= other.lines;
        MergeWake(wake.at, other.at);
    }
    return wake;
}

// Compares the device with the state of the last report. Several changes of
// one line give one event bit.
PosixSerialDevice::Sample PosixSerialDevice::Collect(int wokenLines)
{
    Sample sample;
    std::uint32_t events = 0;
    const int watched = ModemLineBits(mask_);
    int moved = 0; // lines whose counters moved
    const bool readLines = hasLines_ && (mask_ & EV_MODEM_LINES);
    int linesNow = 0;
    int linesError = 0;
    if (hasCounters_ && (mask_ & (EV_MODEM_LINES | EV_RXCHAR | EV_BREAK | EV_ERR))) {
        LineCounters now;
        int error = io_->GetCounters(fd_, now);
        // The lines are read between two readings of the counters that agree,
        // so a change is in both or in neither: one landing between the two
        // reads would otherwise look like a line that went and came back.
        for (int tries = 0; error == 0 && readLines && tries < 4; ++tries) {
            linesError = io_->GetLines(fd_, linesNow);
            LineCounters after;
            error = io_->GetCounters(fd_, after);
            if (linesError != 0 || error != 0 || after == now)
                break;
            now = after;
        }
        if (error == 0) {
            events |= CounterEvents(now, lastCounters_);
            moved = CounterLines(now, lastCounters_) & watched;
            lastCounters_ = now;
        } else if (NoSuchCall(error)) {
            hasCounters_ = false;
            if (readLines)
                linesError = io_->GetLines(fd_, linesNow);
        } else {
            sample.gone = true;
            return sample;
        }
    } else if (readLines) {
        linesError = io_->GetLines(fd_, linesNow);
    }
    if (readLines) {
        const int now = linesNow;
        const int error = linesError;
        if (error == 0) {
            int returned = moved & ~(now ^ lastLines_);
            events |= LineEvents(now, lastLines_);
            if (!hasCounters_) {
                // A line whose own wait saw a change that is gone again by now.
                returned = wokenLines & watched & ~(now ^ lastLines_);
                events |= LineEventBits(returned);
            }
            sample.levelLines = (now ^ lastLines_) & watched;
            sample.movedLines = sample.levelLines | moved | returned;
            sample.modemStatus = StatusWord(now);
            sample.returned = StatusWord(returned);
            lastLines_ = now;
        } else if (NoSuchCall(error)) {
            hasLines_ = false;
        } else {
            sample.gone = true;
            return sample;
        }
    }
    if (mask_ & EV_RXCHAR) {
        int now = 0;
        const int error = QueueCount(TIOCINQ, now);
        if (error != 0 && !NoSuchCall(error)) {
            sample.gone = true;
            return sample;
        }
        if (now > lastInQueue_)
            events |= EV_RXCHAR;
        lastInQueue_ = now;
    }
    if (mask_ & EV_TXEMPTY) {
        int now = 0;
        if (QueueCount(TIOCOUTQ, now) == 0) {
            if (lastOutQueue_ > 0 && now == 0)
                events |= EV_TXEMPTY;
            lastOutQueue_ = now;
        }
    }
    sample.events = events & mask_;
    return sample;
}

PosixSerialDevice::Block PosixSerialDevice::SleepInLineWait()
{
    const int watched = ModemLineBits(mask_);
    {
        std::lock_guard lock(lineWaitMutex_);
        waiter_ = ::pthread_self();
        inLineWait_ = true;
        ++lineWaitSerial_;
    }
    {
        std::lock_guard lock(watchMutex_);
        baseline_ = {hasCounters_, lastCounters_, lastLines_, watched};
        lineWaitRunning_ = true;
        ++lineWaitNumber_;
    }
    watchWake_.notify_all();
    // CancelWait and the watchdog set their flag before they look for a
    // waiter, so either they see this wait and interrupt it, or the wait
    // sees the flag here.
    if (cancelled_ || recheck_) {
        LeaveLineWait();
        return Block::Again;
    }
    const int error = io_->WaitLines(fd_, ownLines_);
    // The stamp of a change that ended the sleep comes first.
    if (error == 0)
        ownWake_ = {ownLines_, StampNow()};
    LeaveLineWait();
    ++wakeUps_;
    if (error == 0)
        return Block::Again;
    if (error == EINTR)
        return Block::Again;
    if (NoSuchCall(error)) {
        lineWaitWorks_ = false;
        return Block::Again;
    }
    return Block::Gone;
}

void PosixSerialDevice::LeaveLineWait()
{
    {
        std::lock_guard lock(lineWaitMutex_);
        inLineWait_ = false;
    }
    lineWaitLeft_.notify_all();
    {
        std::lock_guard lock(watchMutex_);
        lineWaitRunning_ = false;
    }
    watchWake_.notify_all();
}

std::chrono::milliseconds PosixSerialDevice::WatchdogDelay(int check)
{
    // Early checks catch a change in the gap before the wait began; later
    // ones only guard against a worker that was held up on its way in, so
    // a quiet line lets the watchdog sleep ever longer, up to MaxWatchdogDelay.
    return std::min(std::chrono::milliseconds(check < 14 ? 1 << check : MaxWatchdogDelay.count()), MaxWatchdogDelay);
}

void PosixSerialDevice::StartWatchdog()
{
    if (watchdog_.joinable())
        return;
    {
        std::lock_guard lock(watchMutex_);
        watchStop_ = false;
        lineWaitRunning_ = false;
    }
    watchdog_ = std::thread([this] {
        // Its checks bound how late a change in the gap is found.
        AskForShortSlices();
        WatchLineWaits();
    });
}

void PosixSerialDevice::StopWatchdog()
{
    if (!watchdog_.joinable())
        return;
    {
        std::lock_guard lock(watchMutex_);
        watchStop_ = true;
    }
    watchWake_.notify_all();
    watchdog_.join();
}

void PosixSerialDevice::WatchLineWaits()
{
    std::unique_lock lock(watchMutex_);
    std::uint64_t watched = 0;
    while (!watchStop_) {
        watchWake_.wait(lock, [&] { return watchStop_ || (lineWaitRunning_ && lineWaitNumber_ != watched); });
        if (watchStop_)
            break;
        watched = lineWaitNumber_;
        const Baseline baseline = baseline_;
        for (int check = 0;; ++check) {
            const bool over = watchWake_.wait_for(lock, WatchdogDelay(check), [&] {
                return watchStop_ || !lineWaitRunning_ || lineWaitNumber_ != watched;
            });
            if (over)
                break;
            lock.unlock();
            ++watchdogChecks_;
            const bool moved = LinesMoved(baseline);
            if (moved)
                Kick();
            lock.lock();
            if (moved)
                break;
        }
    }
}

// A failing read counts as moved: the worker then finds out what is wrong.
bool PosixSerialDevice::LinesMoved(const Baseline& baseline)
{
    if (baseline.counters) {
        LineCounters now;
        return io_->GetCounters(fd_, now) != 0 || (CounterLines(now, baseline.lineCounters) & baseline.watched);
    }
    int now = 0;
    return io_->GetLines(fd_, now) != 0 || ((now ^ baseline.lines) & baseline.watched);
}

void PosixSerialDevice::Kick()
{
    recheck_ = true;
    // As in CancelWait: a signal just before the waiter enters the driver
    // is lost, so keep interrupting until it has left. A wait begun since
    // read the lines after the flag was set: it is left alone.
    std::unique_lock lock(lineWaitMutex_);
    const std::uint64_t serial = lineWaitSerial_;
    while (inLineWait_ && lineWaitSerial_ == serial) {
        ::pthread_kill(waiter_, KickSignal());
        lineWaitLeft_.wait_for(lock, std::chrono::microseconds(100),
                               [&] { return !inLineWait_ || lineWaitSerial_ != serial; });
    }
}

PosixSerialDevice::Block PosixSerialDevice::SleepInDescriptorWait(int timeoutMs)
{
    epoll_event ready[2];
    const int n = ::epoll_wait(epoll_, ready, 2, timeoutMs);
    ++wakeUps_;
    if (n < 0)
        return errno == EINTR ? Block::Again : Block::Gone;
    for (int i = 0; i < n; ++i) {
        if (ready[i].data.fd != fd_)
            continue;
        if (ready[i].events & (EPOLLHUP | EPOLLERR))
            return Block::Gone;
        // Data woke the sleep; a timed-out poll of the lines did not.
        ownWake_.at = StampNow();
    }
    return Block::Again;
}

void PosixSerialDevice::StartCompanions()
{
    const int watched = ModemLineBits(mask_);
    // The worker keeps the lowest line; every further one gets a companion.
    ownLines_ = watched & -watched;
    {
        std::lock_guard lock(companionMutex_);
        companionStop_ = false;
        companionWake_ = {};
        readings_ = 0;
    }
    for (int line = watched & ~ownLines_; line != 0; line &= line - 1) {
        auto companion = std::make_unique<Companion>();
        companion->line = line & -line;
        Companion* c = companion.get();
        companions_.push_back(std::move(companion));
        c->thread = std::thread([this, c] {
            AskForShortSlices();
            UnblockKickInThisThread();
            WaitForLine(*c);
        });
    }
}

// A companion's loop: waits for its line's own counter to move, stamps that,
// and wakes the worker. It waits again only once the worker has read the
// lines since, so each of its waits begins after a reading. When it ends,
// its line surely went and came back if it reads as before at the next
// reading, unless a reading during the wait saw that line change: then its
// change may be that one, already reported, and a pulse cannot be told.
void PosixSerialDevice::WaitForLine(Companion& self)
{
    std::unique_lock lock(companionMutex_);
    self.self = ::pthread_self();
    // The readings counted when the wait last ended; the first wait waits
    // for the worker's first reading.
    std::uint64_t seen = 0;
    for (;;) {
        companionChanged_.wait(lock, [&] { return companionStop_ || readings_ != seen; });
        if (companionStop_)
            break;
        self.inWait = true;
        self.levelSeen = 0;
        lock.unlock();
        const int error = io_->WaitLines(fd_, self.line);
        const std::optional<TimeStamp> at = error == 0 ? StampNow() : std::nullopt;
        lock.lock();
        self.inWait = false;
        companionChanged_.notify_all();
        if (error == EINTR) {
            if (companionStop_)
                break;
            // Interrupted, not moved: wait again at once.
            continue;
        }
        if (error != 0)
            break; // the worker's own wait finds out what is wrong
        seen = readings_;
        if (!(self.levelSeen & self.line)) {
            companionWake_.lines |= self.line;
            MergeWake(companionWake_.at, at);
        }
        lock.unlock();
        Kick();
        lock.lock();
    }
}

void PosixSerialDevice::StopCompanions()
{
    if (companions_.empty())
        return;
    {
        std::unique_lock lock(companionMutex_);
        companionStop_ = true;
        companionChanged_.notify_all();
        // As in CancelWait: a signal just before a wait begins is lost.
        for (;;) {
            bool waiting = false;
            for (const auto& c : companions_) {
                if (c->inWait) {
                    waiting = true;
                    ::pthread_kill(c->self, KickSignal());
                }
            }
            if (!waiting)
                break;
            companionChanged_.wait_for(lock, std::chrono::microseconds(100));
        }
    }
    for (const auto& c : companions_)
        c->thread.join();
    companions_.clear();
}

void PosixSerialDevice::CancelWait()
{
    cancelled_ = true;
    if (cancelFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(cancelFd_, &one, sizeof one);
    }
    // A signal that arrives just before the waiter enters the driver is
    // lost, so keep interrupting until the waiter has left; soon, since
    // Close waits for it (a millisecond per lost signal added up to several).
    std::unique_lock lock(lineWaitMutex_);
    while (inLineWait_) {
        ::pthread_kill(waiter_, KickSignal());
        lineWaitLeft_.wait_for(lock, std::chrono::microseconds(100), [this] { return !inLineWait_; });
    }
}

std::uint32_t PosixSerialDevice::ModemStatus()
{
    int lines = 0;
    if (fd_ < 0 || io_->GetLines(fd_, lines) != 0)
        return 0;
    return StatusWord(lines);
}

// Linux keeps no sticky line-error state that reading could clear: errors
// are counted by the driver and reported by the waits.
std::int32_t PosixSerialDevice::InQueCount()
{
    int count = 0;
    if (fd_ < 0 || QueueCount(TIOCINQ, count) != 0)
        return 0;
    return count;
}

void PosixSerialDevice::Purge()
{
    if (fd_ >= 0)
        ::ioctl(fd_, TCFLSH, TCIFLUSH);
}

int PosixSerialDevice::QueueCount(unsigned long request, int& count) const
{
    return ::ioctl(fd_, request, &count) < 0 ? errno : 0;
}

bool PosixSerialDevice::IsSerialLine(const std::string& path, ModemLineIo& io)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    termios2 settings{};
    int lines = 0;
    // A missing UART opens, but its modem lines answer EIO; a
    // pseudo-terminal has none. Neither can carry light barriers.
    const bool serial = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode)
                        && ::flock(fd, LOCK_EX | LOCK_NB) == 0
                        && ::ioctl(fd, TCGETS2, &settings) == 0
                        && io.GetLines(fd, lines) == 0;
    ::close(fd);
    return serial;
}
