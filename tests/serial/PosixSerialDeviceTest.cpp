#include "EComHandle.h"
#include "EComState.h"
#include "FakeClock.h"
#include "PosixSerialDevice.h"
#include "ScriptedModemLines.h"
#include "SerialTestSupport.h"
#include "TComPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <termios.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

constexpr std::uint8_t TestPort = 7;

// A port whose number leads to a pseudo-terminal, with POSIX devices whose
// modem-line calls go to `lines`.
QStringList Threads()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// Whether a thread that is not in `before` sleeps in epoll_wait with no
// timeout, as the kernel shows it: the number of the call, then its
// arguments (descriptor, events, count, timeout).
bool NewThreadSleepsWithoutTimeout(const QStringList& before)
{
    for (const QString& thread : Threads()) {
        if (before.contains(thread))
            continue;
        QFile call(QStringLiteral("/proc/self/task/%1/syscall").arg(thread));
        if (!call.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = call.readAll().trimmed().split(' ');
        if (fields.size() < 5 || (fields[0].toLong() != SYS_epoll_wait && fields[0].toLong() != SYS_epoll_pwait))
            continue;
        if (std::int32_t(fields[4].toULongLong(nullptr, 16)) == -1)
            return true;
    }
    return false;
}

struct PtyPortRig
{
    PseudoTerminal pty;
    ScopedPortPath path{TestPort, pty.SlavePath()};
    std::shared_ptr<ModemLineIo> lines;
    std::shared_ptr<PosixSerialDevice> device;
    std::vector<std::string> log;
    TComPort port{nullptr};

    explicit PtyPortRig(std::shared_ptr<ModemLineIo> modemLines = ModemLineIo::Kernel())
        : lines(std::move(modemLines))
    {
        port.SetPort(TestPort);
        port.SetDeviceFactory([this] {
            device = std::make_shared<PosixSerialDevice>(lines);
            return device;
        });
        port.OnCTS = [this](TComPort* p, const LineEvent&) { log.push_back("cts " + std::to_string(p->ModemStatus())); };
        port.OnDSR = [this](TComPort* p, const LineEvent&) { log.push_back("dsr " + std::to_string(p->ModemStatus())); };
        port.OnRxChar = [this](TComPort*, std::int32_t inQue) { log.push_back("rx " + std::to_string(inQue)); };
        port.OnClose = [this](TComPort*) { log.push_back("close"); };
    }
};

std::string OpenError(TComPort& port)
{
    try {
        port.Open();
    } catch (const EComHandle& e) {
        return e.what();
    } catch (const EComState& e) {
        return e.what();
    }
    return "opened";
}

} // namespace

TEST(PosixSerialDevice, AMissingOrNonTerminalDeviceRaisesEComHandle)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("not-a-tty").toStdString();
    ASSERT_EQ(::close(::creat(file.c_str(), 0600)), 0);
    PtyPortRig rig;
    {
        ScopedPortPath missing(TestPort, dir.filePath("ttyGone").toStdString());
        EXPECT_EQ(OpenError(rig.port), "Unable to open com port: 2");
    }
    {
        ScopedPortPath regular(TestPort, file);
        EXPECT_EQ(OpenError(rig.port), "Unable to open com port: 25");
    }
    {
        ScopedPortPath null(TestPort, "/dev/null");
        EXPECT_EQ(OpenError(rig.port), "Unable to open com port: 25");
    }
    EXPECT_FALSE(rig.port.Connected());
    rig.port.Open();
    EXPECT_TRUE(rig.port.Connected()) << "a later Open on a valid port works";
}

TEST(PosixSerialDevice, APortIsTakenExclusivelyUntilItCloses)
{
    PtyPortRig rig;
    rig.port.Open();
    EXPECT_TRUE(IsExclusive(rig.pty.Slave()));

    TComPort second(nullptr);
    second.SetPort(TestPort);
    EXPECT_EQ(OpenError(second), "Unable to open com port: 16");
    EXPECT_TRUE(IsExclusive(rig.pty.Slave())) << "the failed open leaves the holder's flag alone";

    rig.port.Close();
    EXPECT_FALSE(IsExclusive(rig.pty.Slave())) << "the flag must not outlive our use";
    EXPECT_EQ(OpenError(second), "opened");
}

TEST(PosixSerialDevice, LineSettingsReachTheTerminal)
{
    PtyPortRig rig;
    rig.port.SetBaudRate(br19200);
    rig.port.SetFlowControl(fcRtsCts);
    rig.port.SetStopBits(sbTwoStopBits);
    rig.port.Open();
    ReadBackTermios t = ReadTermios(rig.pty.Master());
    EXPECT_EQ(t.speed, 19200u);
    EXPECT_EQ(t.cflag & CBAUD, unsigned(B19200));
    EXPECT_TRUE(t.cflag & CRTSCTS);
    EXPECT_TRUE(t.cflag & CSTOPB);
    EXPECT_EQ(t.cflag & (CLOCAL | CREAD | HUPCL), unsigned(CLOCAL | CREAD | HUPCL));
    EXPECT_EQ(t.iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(t.lflag, 0u) << "raw input: no echo, no line editing, no signals";
    EXPECT_EQ(t.oflag, 0u);
    EXPECT_EQ(t.vstart, 17);
    EXPECT_EQ(t.vstop, 19);
    EXPECT_EQ(t.vmin, 0);
    EXPECT_EQ(t.vtime, 0);

    rig.port.SetBaudRate(brUser);
    rig.port.SetBaudRateUser(31250);
    rig.port.SetFlowControl(fcXonXoff);
    rig.port.SetStopBits(sbOneStopBit);
    rig.port.Open();
    t = ReadTermios(rig.pty.Master());
    EXPECT_EQ(t.speed, 31250u);
    EXPECT_FALSE(t.cflag & CRTSCTS);
    EXPECT_FALSE(t.cflag & CSTOPB);
    EXPECT_EQ(t.iflag & (IXON | IXOFF), unsigned(IXON | IXOFF));
}

TEST(PosixSerialDevice, AnUnusableSpeedRaisesEComStateAndFreesTheDevice)
{
    PtyPortRig rig;
    rig.port.SetBaudRate(brUser);
    rig.port.SetBaudRateUser(0);
    EXPECT_EQ(OpenError(rig.port), "Unable to set com state: 22");
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_FALSE(IsExclusive(rig.pty.Slave()));
    rig.port.SetBaudRate(br9600);
    EXPECT_EQ(OpenError(rig.port), "opened");
}

TEST(PosixSerialDevice, ReceivedBytesRaiseRxCharWithTheQueueCount)
{
    PtyPortRig rig;
    rig.port.SetEvents({evRxChar});
    rig.port.Open();
    EXPECT_EQ(rig.device->CurrentWaitMode(), PosixSerialDevice::WaitMode::DescriptorWait);
    EXPECT_EQ(rig.port.ModemStatus(), 0u) << "a pseudo-terminal has no modem lines";
    rig.pty.Write("abc");
    ASSERT_EVENTUALLY(!rig.log.empty());
    ASSERT_EVENTUALLY(rig.port.InQueCount() == 3);
    const std::size_t reports = rig.log.size();
    rig.pty.Write("de");
    ASSERT_EVENTUALLY(rig.log.size() > reports);
    EXPECT_EQ(rig.log.back(), "rx 5");
    rig.port.Close();
    EXPECT_EQ(rig.port.InQueCount(), 0);
}

TEST(PosixSerialDevice, ADeviceWithoutModemLinesNeitherSpinsNorBlocksClose)
{
    PtyPortRig rig;
    rig.port.SetEvents({evCTS, evDSR});
    const QStringList before = Threads();
    rig.port.Open();
    EXPECT_EQ(rig.device->CurrentWaitMode(), PosixSerialDevice::WaitMode::DescriptorWait);
    // The worker's first sleep has no timeout: it never wakes to poll.
    ASSERT_EVENTUALLY(NewThreadSleepsWithoutTimeout(before));
    EXPECT_EQ(rig.device->WakeUps(), 0u);
    rig.port.Close();
    EXPECT_THAT(rig.log, ElementsAre("close"));
}

TEST(PosixSerialDevice, AHungUpTerminalClosesThePortOnTheUiThread)
{
    PtyPortRig rig;
    QThread* closedOn = nullptr;
    rig.port.OnClose = [&](TComPort*) { closedOn = QThread::currentThread(); };
    rig.port.SetEvents({evCTS, evDSR});
    rig.port.Open();
    rig.pty.HangUp();
    ASSERT_EVENTUALLY(!rig.port.Connected());
    EXPECT_EQ(closedOn, QCoreApplication::instance()->thread());
}

TEST(PosixSerialDevice, ChangesBetweenReadingAndWaitingAreFoundByTheWatchdog)
{
    // Changes that land after the worker's last reading but before its line
    // wait began: the wait alone would not see them. Found on the first
    // check, they are at most WatchdogDelay(0) plus a kick late.
    struct Case
    {
        bool counters;
        int times;
        std::string expected;
    };
    for (const Case& c : {Case{true, 1, "cts 16 0 late"}, Case{true, 2, "cts 0 16 late"},
                          Case{false, 1, "cts 16 0 late"}}) {
        SCOPED_TRACE(c.expected + (c.counters ? " with counters" : " without counters"));
        auto lines = std::make_shared<ScriptedModemLines>(true, c.counters);
        PtyPortRig rig(lines);
        rig.port.SetEvents({evCTS, evDSR});
        rig.port.OnCTS = [&](TComPort*, const LineEvent& e) {
            rig.log.push_back("cts " + std::to_string(e.modemStatus) + " " + std::to_string(e.returned)
                              + (e.late ? " late" : ""));
        };
        lines->ToggleBeforeNextWait(TIOCM_CTS, c.times);
        rig.port.Open();
        ASSERT_EVENTUALLY(!rig.log.empty());
        EXPECT_EQ(rig.log.front(), c.expected);
    }
}

TEST(PosixSerialDevice, WatchdogChecksEarlyThenSleepsLongerOnAQuietLine)
{
    const std::vector<std::pair<int, int>> delays = {{0, 1},     {1, 2},     {9, 512},   {10, 1024},
                                                     {12, 4096}, {13, 8000}, {60, 8000}, {1000, 8000}};
    for (const auto& [check, ms] : delays)
        EXPECT_EQ(PosixSerialDevice::WatchdogDelay(check).count(), ms) << check;
}

TEST(PosixSerialDevice, WithoutCountersEachLineWaitsAloneSoAPulseNamesItsLine)
{
    // pl2303 and ch341: no counters to read, but each line's wait sees only
    // its own line, so a pulse of one barrier never reads as both.
    struct Case
    {
        int line;
        std::string expected;
    };
    for (const Case& c : {Case{TIOCM_DSR, "dsr 32"}, Case{TIOCM_CTS, "cts 16"}}) {
        SCOPED_TRACE(c.expected);
        auto lines = std::make_shared<ScriptedModemLines>(true, false);
        PtyPortRig rig(lines);
        rig.port.SetEvents({evCTS, evDSR});
        rig.port.OnCTS = [&](TComPort*, const LineEvent& event) { rig.log.push_back("cts " + std::to_string(event.returned)); };
        rig.port.OnDSR = [&](TComPort*, const LineEvent& event) { rig.log.push_back("dsr " + std::to_string(event.returned)); };
        rig.port.Open();
        ASSERT_EVENTUALLY(lines->LineWaitsNow() == 2);
        lines->Pulse(c.line);
        ASSERT_EVENTUALLY(!rig.log.empty());
        rig.port.Close();
        EXPECT_THAT(rig.log, ElementsAre(c.expected, "close"));
    }
}

TEST(PosixSerialDevice, AChangeFoundWithoutSleepingIsStampedAfterItWasReadAndMarkedLate)
{
    // CTS wakes the worker; DSR changes 5 ms later, right before one of the
    // worker's readings: the one after the wake (both lines in one reading,
    // so the wake cannot say which came after it), or the one after the CTS
    // report, before the worker sleeps again.
    struct Case
    {
        bool counters;
        int readingOfDsr;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {true, 2, {"cts +0", "dsr +5 late"}},
        {false, 2, {"cts +0", "dsr +5 late"}},
        {true, 1, {"cts +5 late", "dsr +5 late"}},
        {false, 1, {"cts +5 late", "dsr +5 late"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.counters ? "with counters, reading " : "without counters, reading ")
                     + std::to_string(c.readingOfDsr));
        FakeClock clock;
        auto lines = std::make_shared<ScriptedModemLines>(true, c.counters);
        std::atomic<int> readsToEdge{0};
        lines->OnGetLines = [&] {
            // Only the worker's readings count: the watchdog reads the lines
            // too, at moments of its own (often, on a loaded machine).
            if (QThread::currentThread()->objectName() != QLatin1String("TComThread"))
                return;
            if (readsToEdge > 0 && --readsToEdge == 0) {
                clock.tick += 5;
                lines->Toggle(TIOCM_DSR);
            }
        };
        PtyPortRig rig(lines);
        rig.port.SetClock(clock);
        rig.port.SetEvents({evCTS, evDSR});
        std::vector<std::string> stamps;
        const auto note = [&](const char* line) {
            return [&, line](TComPort*, const LineEvent& e) {
                stamps.push_back(line + std::to_string(e.stamp.tick - 1000) + (e.late ? " late" : ""));
            };
        };
        rig.port.OnCTS = note("cts +");
        rig.port.OnDSR = note("dsr +");
        rig.port.Open();
        ASSERT_EVENTUALLY(lines->LineWaitsNow() == (c.counters ? 1 : 2));
        readsToEdge = c.readingOfDsr;
        lines->Toggle(TIOCM_CTS);
        ASSERT_EVENTUALLY(stamps.size() == 2);
        EXPECT_EQ(stamps, c.expected);
    }
}

TEST(PosixSerialDevice, AWaitIsStampedWhenItEndsNotAfterTheLinesAreRead)
{
    FakeClock clock;
    std::atomic<bool> slowReads{false};
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    // Each read of the lines takes 5 ms, the way a slow adapter answers.
    lines->OnGetLines = [&] {
        if (slowReads)
            clock.tick += 5;
    };
    PtyPortRig rig(lines);
    rig.port.SetClock(clock);
    rig.port.SetEvents({evCTS, evDSR});
    std::vector<std::uint32_t> ticks;
    rig.port.OnCTS = [&](TComPort*, const LineEvent& event) { ticks.push_back(event.stamp.tick); };
    rig.port.Open();
    ASSERT_EVENTUALLY(lines->LineWaitsStarted() == 1);
    slowReads = true;
    const std::uint32_t edge = clock.tick;
    lines->Toggle(TIOCM_CTS);
    ASSERT_EVENTUALLY(!ticks.empty());
    EXPECT_EQ(ticks.front(), edge);
}

TEST(PosixSerialDevice, OpeningAndClosingAtOnceNeverLeavesAWaitBehind)
{
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    PtyPortRig rig(lines);
    rig.port.SetEvents({evCTS, evDSR});
    // Close lands before, during or after the worker enters its wait; each
    // must end it.
    for (int i = 0; i < 100; ++i) {
        rig.port.Open();
        rig.port.Close();
    }
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "close"), 100);
}

TEST(PosixSerialDevice, ADriverWithoutLineWaitIsPolled)
{
    auto lines = std::make_shared<ScriptedModemLines>(false, false);
    PtyPortRig rig(lines);
    rig.port.SetEvents({evCTS, evDSR});
    rig.port.Open();
    ASSERT_EVENTUALLY(lines->LineReads() > 2);
    EXPECT_EQ(rig.device->CurrentWaitMode(), PosixSerialDevice::WaitMode::LinePolling);
    lines->Toggle(TIOCM_DSR);
    ASSERT_EVENTUALLY(!rig.log.empty());
    EXPECT_EQ(rig.log.front(), "dsr 32");
    rig.port.Close();
    EXPECT_EQ(rig.log.back(), "close");
}

TEST(PosixSerialDevice, DataEventsWithLineEventsArePolledEvenWithALineWait)
{
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    PtyPortRig rig(lines);
    rig.port.SetEvents({evCTS, evRxChar});
    rig.port.Open();
    EXPECT_EQ(rig.device->CurrentWaitMode(), PosixSerialDevice::WaitMode::LinePolling);
    rig.pty.Write("x");
    lines->Toggle(TIOCM_CTS);
    ASSERT_EVENTUALLY(std::count(rig.log.begin(), rig.log.end(), "cts 16") == 1
                      && std::count(rig.log.begin(), rig.log.end(), "rx 1") == 1);
    EXPECT_EQ(lines->LineWaitsStarted(), 0);
}

TEST(PosixSerialDevice, DtrAndRtsFollowTheSettings)
{
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    PtyPortRig rig(lines);
    rig.port.SetFlowControl(fcRtsCts);
    rig.port.Open();
    EXPECT_EQ(lines->Lines() & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR | TIOCM_RTS);

    rig.port.SetEnableDTR(false);
    rig.port.SetFlowControl(fcXonXoff);
    rig.port.Open();
    EXPECT_EQ(lines->Lines() & (TIOCM_DTR | TIOCM_RTS), 0);

    rig.port.SetEnableDTR(true);
    rig.port.SetFlowControl(fcNone);
    rig.port.Open();
    EXPECT_EQ(lines->Lines() & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
}

TEST(PosixSerialDevice, ABarrierPortAsksForLowLatencyAndLeavesTheFlagAsItFoundIt)
{
    struct Case
    {
        bool before, refuse, whileOpen, afterClose;
    };
    for (const Case& c : {Case{false, false, true, false}, Case{true, false, true, true},
                          Case{false, true, false, false}}) {
        SCOPED_TRACE(std::to_string(c.before) + std::to_string(c.refuse));
        auto lines = std::make_shared<ScriptedModemLines>(true, true);
        lines->lowLatency = c.before;
        lines->refuseLowLatency = c.refuse;
        PtyPortRig rig(lines);
        rig.port.SetEvents({evCTS, evDSR});
        rig.port.Open(); // a refusal is no error
        EXPECT_EQ(rig.device->LowLatency(), c.whileOpen);
        EXPECT_EQ(lines->lowLatency, c.whileOpen);
        rig.port.Close();
        EXPECT_EQ(lines->lowLatency, c.afterClose);
    }
}

TEST(PosixSerialDevice, ModemStatusUsesTheStatusWordLayout)
{
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    PtyPortRig rig(lines);
    rig.port.SetEvents({});
    rig.port.Open();
    EXPECT_EQ(rig.port.ModemStatus(), 0u) << "DTR and RTS are outputs, not reported";
    lines->Toggle(TIOCM_CTS);
    EXPECT_EQ(rig.port.ModemStatus(), MS_CTS_ON);
    lines->Toggle(TIOCM_DSR | TIOCM_RNG | TIOCM_CD);
    EXPECT_EQ(rig.port.ModemStatus(), MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
    lines->Vanish();
    EXPECT_EQ(rig.port.ModemStatus(), 0u) << "an unreadable device reads as 0";
}

TEST(PosixSerialDevice, AVanishedAdapterEndsTheLineWaitAndClosesThePort)
{
    auto lines = std::make_shared<ScriptedModemLines>(true, true);
    PtyPortRig rig(lines);
    rig.port.SetEvents({evCTS, evDSR});
    rig.port.Open();
    ASSERT_EVENTUALLY(lines->LineWaitsStarted() == 1);
    lines->Vanish();
    ASSERT_EVENTUALLY(!rig.port.Connected());
    EXPECT_THAT(rig.log, ElementsAre("close"));
}
