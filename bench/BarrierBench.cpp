// Accuracy of a light-barrier time stamp: from a line change raised by the
// scripted serial device to the tick taken by the lane's StartRun/StopRun,
// through the real main window (port worker, hand-over, LightBarrierInput,
// RunControl, TFrame1). Measured with an idle user interface and again while
// the user-interface thread keeps ranking a 10,000-row protocol. Both paths
// in one run: the old one (the tick read when the handler runs) and the new
// one (the edge stamp the serial worker took, which the lane records). The
// windows are created as the program creates them, so the event book records
// every run while the stamps are measured.
#include "BenchSmoke.h"
#include "Clock.h"
#include "EventBook.h"
#include "EventBookDesk.h"
#include "FakeSerialDevice.h"
#include "IniSettingsStore.h"
#include "LightBarrierInput.h"
#include "ProgramWindows.h"
#include "ProtocolModel.h"
#include "TAppSettings.h"
#include "TFormMain.h"
#include "TImage.h"
#include "TSortGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The system clock, noting when the tick was read. A lane reads the wall
// clock right after the tick of a start or stop (and never for the 10 ms
// display), so that read publishes the moment of the time stamp.
class StampingClock final : public Clock
{
public:
    std::uint32_t TickCount() const override
    {
        lastTickNs_ = NowNs();
        return GetTickCount();
    }
    TimeStamp Stamp() const override { return Clock::System().Stamp(); }
    QDateTime LocalNow() const override
    {
        stampNs.store(NowNs());
        stamps.fetch_add(1);
        return QDateTime::currentDateTime();
    }
    mutable std::atomic<std::int64_t> stampNs{0};
    // The edge's own stamp as the lane takes it (new path), also by command.
    std::atomic<std::int64_t> edgeNs{0};
    std::atomic<std::int64_t> startEdgeNs{0};
    std::atomic<std::int64_t> stopEdgeNs{0};
    std::atomic<int> accepted{0};
    mutable std::atomic<int> stamps{0};

private:
    mutable std::int64_t lastTickNs_ = 0;
};

void Print(const char* what, std::vector<std::int64_t> ns, int missed)
{
    std::sort(ns.begin(), ns.end());
    auto at = [&ns](double p) {
        const std::size_t r = std::size_t(std::ceil(p * double(ns.size())));
        return double(ns[std::max<std::size_t>(r, 1) - 1]) / 1000.0;
    };
    std::printf("%s: %zu barrier events, median %.1f us, p99 %.1f us, max %.1f us, missed %d\n", what,
                ns.size(), at(0.5), at(0.99), double(ns.back()) / 1000.0, missed);
    std::fflush(stdout);
}

// Drives `events` barrier pulses from a thread of its own, alternating the
// start and the finish barrier, and returns the latencies. With moveOn the
// lanes are moved on before each start (F7), as an operator does between
// runs; without, every start from the second on restarts over a result.
std::vector<std::int64_t> Drive(TFormMain& form, FakeSerialDevice& device, StampingClock& clock, int events,
                                int& missed, std::vector<std::int64_t>& edgeErrors, bool moveOn)
{
    std::vector<std::int64_t> latencies;
    latencies.reserve(std::size_t(events));
    for (int i = 0; i < events; ++i) {
        // Not measured: end the lockouts and arm the finish barrier, so every
        // pulse is one the program acts on.
        const bool starts = i % 2 == 0;
        QMetaObject::invokeMethod(
            &form,
            [&form, moveOn, starts] {
                if (moveOn && starts)
                    form.Widgets().mReset->trigger();
                form.Barrier()->ClearLockouts();
            },
            Qt::BlockingQueuedConnection);
        const std::uint32_t line = starts ? 0x20u : 0x10u; // DSR starts, CTS stops
        device.WaitUntilWaiting(std::chrono::seconds(5));
        const int before = clock.stamps.load();
        const std::int64_t edgeBefore = clock.edgeNs.load();
        const std::int64_t t0 = NowNs();
        device.SetModemStatus(line);
        const std::int64_t deadline = t0 + 2'000'000'000;
        // Short sleeps, not a spinning wait: on two cores a spinning driver
        // would take the worker's core while the user interface ranks.
        while ((clock.stamps.load() == before || clock.edgeNs.load() == edgeBefore) && NowNs() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (clock.stamps.load() == before)
            ++missed;
        else {
            latencies.push_back(clock.stampNs.load() - t0);
            edgeErrors.push_back(clock.edgeNs.load() - t0);
        }
        device.WaitUntilWaiting(std::chrono::seconds(5));
        device.SetModemStatus(0);
        device.WaitUntilWaiting(std::chrono::seconds(5));
    }
    return latencies;
}

// Pairs of a finish edge (CTS) and a start edge (DSR) 2 ms apart, without
// waiting in between: while the user interface is busy both wait in the
// worker's queue, and each must keep its own time.
void DrivePairs(TFormMain& form, FakeSerialDevice& device, StampingClock& clock, int pairs, int& missed,
                std::vector<std::int64_t>& stopErrors, std::vector<std::int64_t>& startErrors)
{
    for (int i = 0; i < pairs; ++i) {
        QMetaObject::invokeMethod(
            &form,
            [&form] {
                form.Barrier()->ClearLockouts();
            },
            Qt::BlockingQueuedConnection);
        device.WaitUntilWaiting(std::chrono::seconds(5));
        const int before = clock.accepted.load();
        const std::int64_t stopAt = NowNs();
        device.SetModemStatus(MS_CTS_ON);
        while (NowNs() < stopAt + 2'000'000)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const std::int64_t startAt = NowNs();
        device.SetModemStatus(MS_CTS_ON | MS_DSR_ON);
        const std::int64_t deadline = startAt + 2'000'000'000;
        while (clock.accepted.load() < before + 2 && NowNs() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (clock.accepted.load() < before + 2) {
            ++missed;
        } else {
            stopErrors.push_back(clock.stopEdgeNs.load() - stopAt);
            startErrors.push_back(clock.startEdgeNs.load() - startAt);
        }
        device.WaitUntilWaiting(std::chrono::seconds(5));
        device.SetModemStatus(0);
        device.WaitUntilWaiting(std::chrono::seconds(5));
    }
}

void RunPairs(TFormMain& form, FakeSerialDevice& device, StampingClock& clock, const char* what, int pairs)
{
    int missed = 0;
    std::vector<std::int64_t> stopErrors;
    std::vector<std::int64_t> startErrors;
    std::thread driver([&] {
        DrivePairs(form, device, clock, pairs, missed, stopErrors, startErrors);
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    driver.join();
    std::printf("%s\n", what);
    Print("  STOPP edges on CTS (edge stamp the lane records)", stopErrors, missed);
    Print("  START edges on DSR (edge stamp the lane records)", startErrors, missed);
}

void Run(TFormMain& form, FakeSerialDevice& device, StampingClock& clock, const char* what, int events,
         bool moveOn = true)
{
    int missed = 0;
    std::vector<std::int64_t> latencies;
    std::vector<std::int64_t> edgeErrors;
    std::thread driver([&] {
        latencies = Drive(form, device, clock, events, missed, edgeErrors, moveOn);
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    driver.join();
    std::printf("%s\n", what);
    Print("  old path (tick read when the handler runs)", latencies, missed);
    Print("  new path (edge stamp the lane records)    ", edgeErrors, missed);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int events = argc > 1 ? std::atoi(argv[1]) : BenchCount(10000, 50);

    StampingClock clock;
    auto device = std::make_shared<FakeSerialDevice>();
    TAppSettings settings;
    settings.Port = 1;
    MainWindowSeams seams;
    seams.clock = &clock;
    seams.serialDevice = [device] { return device; };
    // Settings, backup and journal in a folder of the run's own; no port is
    // probed.
    const QTemporaryDir folder;
    IniSettingsStore store(folder.filePath(QStringLiteral("Ravolt.conf")));
    seams.settings = &store;
    seams.paths = StartupPaths::ForProgram(folder.filePath(QStringLiteral("ravolt")), QStringLiteral("Ravolt"),
                                           folder.path());
    seams.journalFolder = folder.filePath(QStringLiteral("Journal"));
    seams.eventBookFolder = folder.filePath(QStringLiteral("Veranstaltungen"));
    seams.probePorts = [] { return std::uint32_t(0); };
    const std::unique_ptr<TFormMain> program = CreateProgramWindows(settings, seams);
    TFormMain& form = *program;
    form.show();
    EventBook& book = *form.findChild<EventBookDesk*>()->Book();
    std::printf("event book: %s (%s)\n", book.IsOpen() ? "on" : "OFF", qPrintable(book.Path()));
    QObject::connect(form.Barrier(), &LightBarrierInput::Edge, &form, [&clock](const BarrierEdgeNote& note) {
        // The edge's stamp counts whether or not a lane was free to take it.
        if (note.outcome != BarrierOutcome::Accepted && note.outcome != BarrierOutcome::Unavailable)
            return;
        clock.edgeNs.store(note.stamp.us * 1000);
        (note.command == BarrierCommand::Start ? clock.startEdgeNs : clock.stopEdgeNs).store(note.stamp.us * 1000);
        clock.accepted.fetch_add(1);
    });

    Run(form, *device, clock, "idle user interface", events);
    // Each start over a finished row first keeps a copy of the protocol on
    // the disk (synchronously, so a start is refused when it cannot).
    Run(form, *device, clock, "idle user interface, every start a restart over a result", std::max(4, events / 4),
        false);

    // Load: the user-interface thread ranks a 10,000-row protocol over and over.
    TSortGrid grid;
    ProtocolModel protocol;
    grid.ShowModel(&protocol);
    QRandomGenerator random(7);
    ProtocolRows rows;
    for (int r = 1; r <= 10000; ++r) {
        const int ms = int(random.bounded(20000, 120000));
        rows.push_back({QString::number(r), QStringLiteral("9:05.03,07"), QStringLiteral("9:06.03,07"),
                        QStringLiteral("%1,%2").arg(ms / 1000).arg((ms / 10) % 100, 2, 10, QLatin1Char('0')),
                        QStringLiteral("79,8"), QString()});
    }
    protocol.ReplaceRows(rows);
    QElapsedTimer ranking;
    qint64 rankNs = 0;
    int ranks = 0;
    QTimer busy;
    QObject::connect(&busy, &QTimer::timeout, &grid, [&] {
        // New rows each time: a ranking of unchanged rows would only check them.
        protocol.ReplaceRows(rows);
        ranking.start();
        protocol.RankProtocol(QStringLiteral("1"), false);
        rankNs += ranking.nsecsElapsed();
        ++ranks;
    });
    busy.start(0);
    Run(form, *device, clock, "user interface ranking 10,000 rows", events);
    RunPairs(form, *device, clock, "alternating CTS and DSR edges 2 ms apart, user interface ranking", events / 2);
    busy.stop();
    std::printf("(each ranking took %.1f ms on average, %d rankings)\n", double(rankNs) / ranks / 1e6, ranks);
    // The runs must really have gone to the book, not only to the protocol.
    const bool written = book.WaitWritten(30000);
    std::size_t finished = 0;
    for (const RunRecord& run : book.Runs())
        finished += run.runTimeMs > 0 ? 1 : 0;
    std::printf("event book: %zu runs recorded during the benchmark, %s\n", finished,
                written ? "all written to the file" : "NOT all written");
    return book.IsOpen() && written && finished > 0 ? 0 : 1;
}
