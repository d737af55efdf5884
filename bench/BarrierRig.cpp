#include "BarrierRig.h"

#include "EventBook.h"
#include "EventBookDesk.h"
#include "LightBarrierInput.h"
#include "ProgramWindows.h"
#include "TImage.h"

#include <QApplication>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint32_t StampingClock::TickCount() const
{
    return GetTickCount();
}

TimeStamp StampingClock::Stamp() const
{
    return Clock::System().Stamp();
}

QDateTime StampingClock::LocalNow() const
{
    stampNs.store(NowNs());
    stamps.fetch_add(1);
    return QDateTime::currentDateTime();
}

Percentiles PercentilesOf(std::vector<std::int64_t> ns)
{
    Percentiles p;
    if (ns.empty())
        return p;
    std::sort(ns.begin(), ns.end());
    const auto at = [&ns](double q) {
        const std::size_t r = std::size_t(std::ceil(q * double(ns.size())));
        return double(ns[std::max<std::size_t>(r, 1) - 1]) / 1000.0;
    };
    p.count = ns.size();
    p.median = at(0.5);
    p.p99 = at(0.99);
    p.max = double(ns.back()) / 1000.0;
    return p;
}

void PrintBarrier(const char* what, const std::vector<std::int64_t>& ns, int missed)
{
    const Percentiles p = PercentilesOf(ns);
    std::printf("%s: %zu barrier events, median %.1f us, p99 %.1f us, max %.1f us, missed %d\n", what, p.count,
                p.median, p.p99, p.max, missed);
    std::fflush(stdout);
}

BarrierProgram::BarrierProgram() : device_(std::make_shared<FakeSerialDevice>())
{
    TAppSettings settings;
    settings.Port = 1;
    MainWindowSeams seams;
    seams.clock = &clock_;
    auto device = device_;
    seams.serialDevice = [device] { return device; };
    store_ = std::make_unique<IniSettingsStore>(folder_.filePath(QStringLiteral("Ravolt.conf")));
    seams.settings = store_.get();
    seams.paths = StartupPaths::ForProgram(folder_.filePath(QStringLiteral("ravolt")), QStringLiteral("Ravolt"),
                                           folder_.path());
    seams.journalFolder = folder_.filePath(QStringLiteral("Journal"));
    seams.eventBookFolder = folder_.filePath(QStringLiteral("Veranstaltungen"));
    seams.probePorts = [] { return std::uint32_t(0); };
    program_ = CreateProgramWindows(settings, seams);
    program_->show();
    StampingClock* clock = &clock_;
    QObject::connect(program_->Barrier(), &LightBarrierInput::Edge, program_.get(),
                     [clock](const BarrierEdgeNote& note) {
                         // The edge's stamp counts whether or not a lane was free to take it.
                         if (note.outcome != BarrierOutcome::Accepted && note.outcome != BarrierOutcome::Unavailable)
                             return;
                         clock->edgeNs.store(note.stamp.us * 1000);
                         (note.command == BarrierCommand::Start ? clock->startEdgeNs : clock->stopEdgeNs)
                             .store(note.stamp.us * 1000);
                         clock->accepted.fetch_add(1);
                     });
}

BarrierProgram::~BarrierProgram() = default;

EventBook& BarrierProgram::Book()
{
    return *program_->findChild<EventBookDesk*>()->Book();
}

BarrierFigures DriveBarrier(BarrierProgram& program, int events, bool moveOn, const std::function<bool()>& more)
{
    TFormMain& form = program.Form();
    FakeSerialDevice& device = program.Device();
    StampingClock& clock = program.Stamps();
    BarrierFigures figures;
    figures.tickLatencies.reserve(std::size_t(events));
    figures.edgeErrors.reserve(std::size_t(events));
    for (int i = 0; i < events && (!more || more()); ++i) {
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
            ++figures.missed;
        else {
            figures.tickLatencies.push_back(clock.stampNs.load() - t0);
            figures.edgeErrors.push_back(clock.edgeNs.load() - t0);
        }
        device.WaitUntilWaiting(std::chrono::seconds(5));
        device.SetModemStatus(0);
        device.WaitUntilWaiting(std::chrono::seconds(5));
    }
    return figures;
}

void RunBesideEventLoop(const std::function<void()>& drive)
{
    std::thread driver([&drive] {
        drive();
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    driver.join();
}

RankingLoad::RankingLoad()
{
    grid_.ShowModel(&protocol_);
    QRandomGenerator random(7);
    for (int r = 1; r <= 10000; ++r) {
        const int ms = int(random.bounded(20000, 120000));
        rows_.push_back({QString::number(r), QStringLiteral("9:05.03,07"), QStringLiteral("9:06.03,07"),
                         QStringLiteral("%1,%2").arg(ms / 1000).arg((ms / 10) % 100, 2, 10, QLatin1Char('0')),
                         QStringLiteral("79,8"), QString()});
    }
    protocol_.ReplaceRows(rows_);
    QObject::connect(&busy_, &QTimer::timeout, &grid_, [this] {
        // New rows each time: a ranking of unchanged rows would only check them.
        protocol_.ReplaceRows(rows_);
        ranking_.start();
        protocol_.RankProtocol(QStringLiteral("1"), false);
        rankNs_ += ranking_.nsecsElapsed();
        ++ranks_;
    });
}

void RankingLoad::PrintAverage() const
{
    std::printf("(each ranking took %.1f ms on average, %d rankings)\n",
                ranks_ ? double(rankNs_) / ranks_ / 1e6 : 0.0, ranks_);
}
