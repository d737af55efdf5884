// Serial line monitor figures:
// - latency from a line event to the start of its handler on the UI thread,
//   with the event loop idle (fake device, and the POSIX device on a
//   pseudo-terminal, where received bytes are the only events there are);
// - wake-ups per second of an open port on a quiet line, for each way the
//   POSIX device can wait;
// - how late the watchdog finds a line change that lands in the gap between
//   the worker's reading and its entry into the line wait, idle and with
//   every core kept busy;
// - how long Close takes right after Open.
#include "BenchSmoke.h"
#include "FakeSerialDevice.h"
#include "ModemLineIo.h"
#include "QuietLines.h"
#include "PosixSerialDevice.h"
#include "ScriptedModemLines.h"
#include "TComPort.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

extern "C" int openpty(int*, int*, char*, const void*, const void*);

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void PrintLatency(const char* what, std::vector<std::int64_t> ns)
{
    std::sort(ns.begin(), ns.end());
    const auto rank = [&ns](double p) {
        const std::size_t r = std::size_t(std::ceil(p * double(ns.size())));
        return double(ns[std::max<std::size_t>(r, 1) - 1]) / 1000.0;
    };
    const double mean = double(std::accumulate(ns.begin(), ns.end(), std::int64_t(0))) / double(ns.size()) / 1000.0;
    std::printf("%s: %zu events, median %.1f us, p99 %.1f us, min %.1f us, mean %.1f us, max %.1f us\n",
                what, ns.size(), rank(0.5), rank(0.99), double(ns.front()) / 1000.0, mean,
                double(ns.back()) / 1000.0);
}

// Runs the event loop until `done` quits it.
void RunLoop(QEventLoop& loop)
{
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
}

void FakeDeviceLatency(int events)
{
    auto device = std::make_shared<FakeSerialDevice>();
    TComPort port(nullptr);
    port.SetDeviceFactory([device] { return device; });
    port.SetEvents({evCTS, evDSR});
    std::atomic<std::int64_t> raisedAt{0};
    std::vector<std::int64_t> latencies;
    latencies.reserve(std::size_t(events));
    std::binary_semaphore handled(0);
    int seen = 0;
    const int warmUp = 200;
    port.OnCTS = [&](TComPort*, const LineEvent&) {
        const std::int64_t start = NowNs();
        if (seen++ >= warmUp)
            latencies.push_back(start - raisedAt.load());
        handled.release();
    };
    port.Open();
    QEventLoop loop;
    std::thread raiser([&] {
        for (int i = 0; i < events + warmUp; ++i) {
            if (!device->WaitUntilWaiting(std::chrono::seconds(5)))
                break;
            raisedAt = NowNs();
            device->SetModemStatus(i % 2 == 0 ? MS_CTS_ON : 0);
            handled.acquire();
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    RunLoop(loop);
    raiser.join();
    port.Close();
    PrintLatency("fake device, line change -> OnCTS start", latencies);
}

struct Pty
{
    int master = -1;
    int slave = -1;
    std::string path;
    Pty()
    {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) < 0) {
            std::perror("openpty");
            std::exit(1);
        }
        path = name;
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
};

void PseudoTerminalLatency(int events)
{
    Pty pty;
    ::setenv("RAVOLT_COM9", pty.path.c_str(), 1);
    TComPort port(nullptr);
    port.SetPort(9);
    port.SetEvents({evRxChar});
    std::atomic<std::int64_t> writtenAt{0};
    std::vector<std::int64_t> latencies;
    std::binary_semaphore handled(0);
    port.OnRxChar = [&](TComPort*, std::int32_t) {
        latencies.push_back(NowNs() - writtenAt.load());
        handled.release();
    };
    port.Open();
    QEventLoop loop;
    std::thread writer([&] {
        // The bytes are never read, and a terminal queues about 4 KiB.
        for (int i = 0; i < events; ++i) {
            writtenAt = NowNs();
            if (::write(pty.master, "x", 1) != 1)
                break;
            if (!handled.try_acquire_for(std::chrono::seconds(5)))
                break;
            // Let the worker settle into its next wait.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    RunLoop(loop);
    writer.join();
    port.Close();
    ::unsetenv("RAVOLT_COM9");
    PrintLatency("POSIX device on a pseudo-terminal, byte written -> OnRxChar start", latencies);
}

// Modem lines of a driver that can read the lines but not wait for them.
class LinesWithoutWait final : public ModemLineIo
{
public:
    int GetLines(int, int& lines) override
    {
        lines = 0;
        return 0;
    }
    int SetLines(int, int, bool) override { return 0; }
    int GetCounters(int, LineCounters&) override { return ENOTTY; }
    int WaitLines(int, int) override { return ENOTTY; }
};

// Context switches of the worker thread, found by its name.
long WorkerSwitches()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + "/comm"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "TComThread")
            continue;
        QFile status(tasks.filePath(tid + "/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        long switches = 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.contains("ctxt_switches"))
                switches += line.split(':').value(1).trimmed().toLong();
        return switches;
    }
    return -1;
}

void IdleWakeUps(const char* what, std::shared_ptr<ModemLineIo> lines)
{
    Pty pty;
    ::setenv("RAVOLT_COM9", pty.path.c_str(), 1);
    std::shared_ptr<PosixSerialDevice> device;
    TComPort port(nullptr);
    port.SetPort(9);
    port.SetEvents({evCTS, evDSR});
    port.SetDeviceFactory([&] {
        device = std::make_shared<PosixSerialDevice>(lines);
        return device;
    });
    port.Open();
    // Let the worker reach its steady way of waiting first.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    const int seconds = BenchCount(2, 1);
    const std::uint64_t wakeUps = device->WakeUps();
    const std::uint64_t checks = device->WatchdogChecks();
    const long switches = WorkerSwitches();
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double wakeUpRate = double(device->WakeUps() - wakeUps) / seconds;
    const double switchRate = double(WorkerSwitches() - switches) / seconds;
    const double checkRate = double(device->WatchdogChecks() - checks) / seconds;
    const char* mode = device->CurrentWaitMode() == PosixSerialDevice::WaitMode::LineWait      ? "LineWait"
                       : device->CurrentWaitMode() == PosixSerialDevice::WaitMode::LinePolling ? "LinePolling"
                                                                                               : "DescriptorWait";
    port.Close();
    ::unsetenv("RAVOLT_COM9");
    std::printf("%s [%s]: %.1f wake-ups/s, %.1f worker context switches/s, %.2f watchdog checks/s (quiet line, "
                "%d s)\n",
                what, mode, wakeUpRate, switchRate, checkRate, seconds);
}

// A port on a pseudo-terminal whose modem lines are scripted.
struct ScriptedPort
{
    Pty pty;
    std::shared_ptr<ScriptedModemLines> lines = std::make_shared<ScriptedModemLines>(true, true);
    TComPort port{nullptr};
    ScriptedPort()
    {
        ::setenv("RAVOLT_COM9", pty.path.c_str(), 1);
        port.SetPort(9);
        port.SetEvents({evCTS, evDSR});
        port.SetDeviceFactory([this] { return std::make_shared<PosixSerialDevice>(lines); });
    }
    ~ScriptedPort()
    {
        port.Close();
        ::unsetenv("RAVOLT_COM9");
    }
};

// Threads that keep every core busy while they live.
struct Load
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    explicit Load(bool on)
    {
        for (unsigned i = 0; on && i < std::thread::hardware_concurrency(); ++i)
            threads.emplace_back([this] {
                while (!stop)
                    ;
            });
    }
    ~Load()
    {
        stop = true;
        for (std::thread& t : threads)
            t.join();
    }
};

// A CTS edge placed in the gap each time: the worker is woken by DSR, and
// CTS changes as its next wait begins, so only the watchdog can find it.
// Measured from the edge to the stamp the worker gives it.
void GapEdgeLatency(const char* what, int edges, bool busy)
{
    ScriptedPort rig;
    std::atomic<std::int64_t> gapAt{0};
    rig.lines->OnGapToggled = [&gapAt] { gapAt = NowNs(); };
    std::vector<std::int64_t> latencies;
    int late = 0;
    std::binary_semaphore found(0);
    rig.port.OnCTS = [&](TComPort*, const LineEvent& e) {
        latencies.push_back(e.stamp.us * 1000 - gapAt.load());
        late += e.late;
        found.release();
    };
    rig.port.Open();
    Load load(busy);
    QEventLoop loop;
    std::thread driver([&] {
        for (int i = 0; i < edges; ++i) {
            rig.lines->ToggleBeforeNextWait(TIOCM_CTS);
            rig.lines->Toggle(TIOCM_DSR);
            if (!found.try_acquire_for(std::chrono::seconds(5)))
                break;
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    RunLoop(loop);
    driver.join();
    rig.port.Close();
    PrintLatency(what, latencies);
    std::printf("  (%d of %zu marked late)\n", late, latencies.size());
}

void CloseAfterOpen(int rounds)
{
    ScriptedPort rig;
    std::vector<std::int64_t> closing;
    for (int i = 0; i < rounds; ++i) {
        rig.port.Open();
        const std::int64_t t0 = NowNs();
        rig.port.Close();
        closing.push_back(NowNs() - t0);
    }
    PrintLatency("Close right after Open (POSIX device, scripted line wait)", closing);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    FakeDeviceLatency(BenchCount(10000, 20));
    PseudoTerminalLatency(BenchCount(4000, 20));
    IdleWakeUps("driver with TIOCMIWAIT", std::make_shared<QuietLines>());
    IdleWakeUps("driver without TIOCMIWAIT (polling fallback)", std::make_shared<LinesWithoutWait>());
    IdleWakeUps("pseudo-terminal, no modem lines", ModemLineIo::Kernel());
    GapEdgeLatency("edge in the gap before the line wait -> its stamp, idle", BenchCount(500, 5), false);
    GapEdgeLatency("edge in the gap before the line wait -> its stamp, all cores busy", BenchCount(500, 5), true);
    CloseAfterOpen(BenchCount(500, 5));
    return 0;
}
