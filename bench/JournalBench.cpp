#include "BenchSmoke.h"
#include "BarrierPortWatch.h"
#include "Clock.h"
#include "FakeSerialDevice.h"
#include "Journal.h"
#include "ProgramWindows.h"
#include "ProtocolModel.h"
#include "RunControl.h"
#include "StartupPaths.h"
#include "TFormMain.h"
#include "TSortGrid.h"
#include "TimeText.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRuns = 10000;

// The program's windows in a folder of their own (backup, settings and
// journal never touch the user's files).
struct Desk
{
    explicit Desk(std::uint8_t port = 0)
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("Ravolt"));
        MainWindowSeams seams;
        seams.serialDevice = [d = device] { return d; };
        seams.paths = StartupPaths::ForProgram(dir.filePath(QStringLiteral("ravolt")), QStringLiteral("Ravolt"),
                                               dir.filePath(QStringLiteral("data")));
        seams.probePorts = [] { return std::uint32_t(0); };
        seams.journalFolder = dir.filePath(QStringLiteral("Journal"));
        seams.fallbackPort = port;
        form = CreateProgramWindows(TAppSettings{}, seams);
    }

    void FillProtocol()
    {
        TSortGrid& grid = *form->SortGrid1;
        grid.SetRowCount(kRuns + 1);
        for (int row = 1; row <= kRuns; ++row) {
            grid.SetCells(0, row, QString::number(1000 + row));
            grid.SetCells(1, row, QStringLiteral("10:00.00,00"));
            grid.SetCells(2, row, QStringLiteral("10:01.00,00"));
            grid.SetCells(3, row, FormatRunTime(40000 + (row * 7919) % 80000));
            grid.SetCells(4, row, QStringLiteral("45,0"));
        }
        form->Runs()->RankProtocol();
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeSerialDevice> device = std::make_shared<FakeSerialDevice>();
    std::unique_ptr<TFormMain> form;
};

// One STOPP on the UI thread with a 10,000-row protocol (lane stop, row,
// ranking, journal line), arg 1 with the journal, 0 without.
void BM_StoppWith10000Rows(benchmark::State& state)
{
    Desk desk;
    desk.FillProtocol();
    if (state.range(0) == 0)
        desk.form->Runs()->SetJournal(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        desk.form->mStart->trigger();
        state.ResumeTiming();
        desk.form->mStop->trigger();
        state.PauseTiming();
        desk.form->mReset->trigger();
        // The backup coalesces a command's changes until the event loop runs.
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StoppWith10000Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

// The journal's own share of a STOPP: one line appended and flushed.
void BM_JournalLine(benchmark::State& state)
{
    QTemporaryDir dir;
    Journal journal(dir.filePath(QStringLiteral("Journal")), Clock::System());
    for (auto _ : state)
        journal.Record(12345, QStringLiteral("STOPP Bahn 1, Nr. 7 (Lichtschranke): Stopp 9:06.08,39, Zeit 1.05,12, km/h 55,3"));
}
BENCHMARK(BM_JournalLine)->Unit(benchmark::kMicrosecond)->Repetitions(BenchRepetitions(5))->ReportAggregatesOnly(true);

// How often the idle program wakes while its barrier adapter is lost:
// every timer event of the application counted over three seconds.
class TimerCounter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer) {
            ++all;
            if (watched == retryTimer)
                ++retries;
        }
        return false;
    }
    QObject* retryTimer = nullptr;
    int all = 0;
    int retries = 0;
};

void BM_IdleWakeupsWithLostAdapter(benchmark::State& state)
{
    Desk desk(5);
    desk.device->Unplug();
    QElapsedTimer wait;
    wait.start();
    while (desk.form->ComPort->Connected() && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    TimerCounter counter;
    counter.retryTimer = desk.form->PortWatch()->RetryTimer();
    QCoreApplication::instance()->installEventFilter(&counter);
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer elapsed;
        elapsed.start();
        // A real event loop sleeps between events; processEvents with a
        // time limit would poll and keep the core busy.
        QEventLoop loop;
        QTimer::singleShot(BenchCount(3000, 300), &loop, &QEventLoop::quit);
        loop.exec();
        seconds += elapsed.elapsed() / 1000.0;
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
    // The loop's own end is no wake-up of the program.
    state.counters["timer_wakeups_per_s"] = (counter.all - 1) / seconds;
    state.counters["retry_wakeups_per_s"] = counter.retries / seconds;
}
BENCHMARK(BM_IdleWakeupsWithLostAdapter)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
