#pragma once

#include "ModemLineIo.h"
#include "SerialDevice.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A serial device of this machine. The port number is mapped to a device
// path by SerialPortPath. The device is taken exclusively (TIOCEXCL and an
// flock, since TIOCEXCL does not stop root) and never becomes our
// controlling terminal.
//
// Waiting costs nothing while the line is quiet where the driver allows it:
// - LineWait: modem-line events only, and the driver has TIOCMIWAIT. The
//   worker sleeps in the driver; CancelWait interrupts it with a signal.
// - LinePolling: the driver can read the lines but not wait for them, or
//   data events are wanted too. The lines are read every millisecond.
// - DescriptorWait: no line can be read (a pseudo-terminal) or only data
//   events are wanted. The worker sleeps until data arrives, the device
//   hangs up or CancelWait is called.
// The driver's transition counters (TIOCGICOUNT), where present, make a
// change between two waits visible even when the line has changed back;
// such a line is reported as returned. Drivers without counters (pl2303,
// ch341) still compare each line's own counter in TIOCMIWAIT, so every
// watched line gets a wait of its own there: the worker waits for the first,
// one companion thread per further line for the others, and a wait that
// ends while its line reads as before tells which line went and came back.
// Where that cannot be told (a companion's line moved while the worker was
// reading) the pulse is not reported: the level, if it changed, still is.
//
// Stamps: a change that ended a sleep is stamped the moment the sleep ended,
// before the lines are read. A change found without such a sleep (between
// two waits, by the watchdog, by polling) is stamped after it was read and
// marked late, so a stamp is never earlier than its edge.
//
// TIOCMIWAIT only sees changes after it began, so a change that lands
// between the worker's last reading and its entry into the wait would be
// reported only with the next change. A watchdog thread closes that gap:
// while a line wait runs it compares the lines with the worker's last
// reading 1, 2, 4, ... ms after the wait began, the gaps doubling up to
// 8 s, and wakes the worker when they differ. Such a change is reported late
// (at most about 1 ms plus the time the watchdog and the worker need to be
// scheduled; both ask for short time slices); a quiet line costs one check
// in 8 s.
// A device that hangs up or vanishes ends the wait with Gone.
//
// Data events: EV_RXCHAR when the input queue or the receive counter grows,
// EV_BREAK and EV_ERR from the driver's counters, EV_TXEMPTY when the output
// queue runs empty. EV_RXFLAG never occurs: the Linux terminal layer has no
// event character. Queue sizes are the driver's own and cannot be set.
class PosixSerialDevice final : public SerialDevice
{
public:
    enum class WaitMode { LineWait, LinePolling, DescriptorWait };
    static constexpr int PollingIntervalMs = 1;

    explicit PosixSerialDevice(std::shared_ptr<ModemLineIo> io = ModemLineIo::Kernel());
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    int Open(std::uint8_t port) override;
    int Configure(const LineSettings& settings) override;
    void Close() override;
    void SetEventMask(std::uint32_t mask) override;
    void SetClock(const Clock& clock) override { clock_ = &clock; }
    WaitResult WaitEvent() override;
    void CancelWait() override;
    std::uint32_t ModemStatus() override;
    std::int32_t InQueCount() override;
    void Purge() override;

    // Whether the driver runs the line with low latency (an FTDI adapter
    // then sends line changes after 1 ms instead of its 16 ms timer).
    bool LowLatency() const { return lowLatency_; }
    // How the waits block at present.
    WaitMode CurrentWaitMode() const { return mode_.load(); }
    // How often a wait came back from sleeping in the kernel, for counting
    // wake-ups of a quiet line.
    std::uint64_t WakeUps() const { return wakeUps_.load(); }
    // How often the watchdog compared the lines during line waits.
    std::uint64_t WatchdogChecks() const { return watchdogChecks_.load(); }
    // The watchdog's delay before its check number n (from 0) of one wait.
    static std::chrono::milliseconds WatchdogDelay(int check);
    static constexpr std::chrono::milliseconds MaxWatchdogDelay{8000};

    // Whether the device at path is a free serial line with modem lines.
    // It is opened, checked and closed; no setting is changed.
    static bool IsSerialLine(const std::string& path, ModemLineIo& io);

private:
    enum class Block { Again, Gone };
    // What ended the worker's last sleep: the lines whose own waits
    // returned, and when the first such wait returned.
    struct Wake
    {
        int lines = 0;
        std::optional<TimeStamp> at;
    };
    struct Companion;
    struct Sample
    {
        int levelLines = 0; // watched lines (TIOCM_) that read otherwise than before
        int movedLines = 0; // watched lines that changed at all
        bool gone = false;
        std::uint32_t events = 0;
        std::uint32_t modemStatus = 0;
        std::uint32_t returned = 0;
    };
    // The worker's last reading, which the watchdog compares with.
    struct Baseline
    {
        bool counters = false;
        LineCounters lineCounters;
        int lines = 0;
        int watched = 0;
    };

    int OpenPath(const std::string& path);
    void ProbeLines();
    void WatchDescriptor();
    WaitMode ChooseMode() const;
    Wake TakeWake();
    Sample Collect(int wokenLines);
    std::optional<TimeStamp> StampNow() const;
    void StartCompanions();
    void StopCompanions();
    void WaitForLine(Companion& self);
    Block SleepInLineWait();
    Block SleepInDescriptorWait(int timeoutMs);
    void LeaveLineWait();
    int QueueCount(unsigned long request, int& count) const;
    void StartWatchdog();
    void StopWatchdog();
    void WatchLineWaits();
    bool LinesMoved(const Baseline& baseline);
    void Kick();
    void AskForLowLatency();

    std::shared_ptr<ModemLineIo> io_;
    int fd_ = -1;
    int epoll_ = -1;
    int cancelFd_ = -1;
    bool watching_ = false;
    bool lowLatency_ = false;
    bool restoreLatency_ = false; // the flag was off before we set it

    // Set up on the user-interface thread before the worker starts; then
    // used by the worker only.
    std::uint32_t mask_ = 0;
    bool hasCounters_ = false;
    bool hasLines_ = false;
    bool lineWaitWorks_ = true;
    bool gone_ = false;
    LineCounters lastCounters_;
    int lastLines_ = 0;
    int lastInQueue_ = 0;
    int lastOutQueue_ = 0;
    Wake ownWake_;      // the worker's own line wait ended by a change
    int ownLines_ = 0;  // the lines the worker's own line wait watches

    std::atomic<bool> cancelled_{false};
    std::atomic<bool> inLineWait_{false};
    std::uint64_t lineWaitSerial_ = 0; // counts the line waits, under lineWaitMutex_
    std::mutex lineWaitMutex_;
    std::condition_variable lineWaitLeft_;
    pthread_t waiter_{};

    std::thread watchdog_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool watchStop_ = false;
    bool lineWaitRunning_ = false;
    std::uint64_t lineWaitNumber_ = 0;
    Baseline baseline_;
    std::atomic<bool> recheck_{false};
    std::atomic<std::uint64_t> watchdogChecks_{0};

    // Companion waits, one per watched line beyond the worker's own, where
    // the driver has no counters. The worker's reading of the lines and the
    // companions' bookkeeping share companionMutex_, so a companion's wait
    // ended either before a reading (the reading saw its change) or after.
    struct Companion
    {
        int line = 0;
        std::thread thread;
        pthread_t self{};
        bool inWait = false;
        int levelSeen = 0; // lines a reading found changed during the wait
    };
    std::vector<std::unique_ptr<Companion>> companions_;
    std::mutex companionMutex_;
    std::condition_variable companionChanged_;
    bool companionStop_ = false;
    std::uint64_t readings_ = 0; // completed readings of the lines
    Wake companionWake_;

    std::atomic<WaitMode> mode_{WaitMode::DescriptorWait};
    const Clock* clock_ = nullptr;
    std::atomic<std::uint64_t> wakeUps_{0};
};
