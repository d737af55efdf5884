#include "DeskView.h"
#include "BenchSmoke.h"
#include "BarrierPort.h"
#include "Clock.h"
#include "FakeSerialDevice.h"
#include "Journal.h"
#include "ProgramWindows.h"
#include "ProtocolBackup.h"
#include "ProtocolModel.h"
#include "StartNumberBackup.h"
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
#include <QTest>
#include <QTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

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
        seams.eventBookFolder = dir.filePath(QStringLiteral("Veranstaltungen"));
        seams.fallbackPort = port;
        form = CreateProgramWindows(TAppSettings{}, seams);
    }

    void FillProtocol(int runs)
    {
        ProtocolRows rows;
        rows.reserve(std::size_t(runs));
        for (int row = 1; row <= runs; ++row)
            rows.push_back({QString::number(1000 + row), QStringLiteral("10:00.00,00"), QStringLiteral("10:01.00,00"),
                            FormatRunTime(40000 + (row * 7919) % 80000), QStringLiteral("45,0"), QString()});
        form->Protocol()->ReplaceRows(rows);
        form->Runs()->RankProtocol();
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeSerialDevice> device = std::make_shared<FakeSerialDevice>();
    std::unique_ptr<TFormMain> form;
};

static double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// What the operator waits for after one STOPP with a protocol of the given
// size, in the shown window with the journal on: the command (lane stop, row,
// ranking, journal line), then the event loop's turn that hands the rows to
// the backup writer and repaints. The backup's disk write runs on its own
// thread, as does the start-number file; both are waited for outside the
// timing. Counters give the parts in ms.
void BM_StoppWith10000Rows(benchmark::State& state)
{
    Desk desk;
    desk.form->resize(1024, 700);
    desk.form->show();
    if (!QTest::qWaitForWindowExposed(desk.form.get())) {
        state.SkipWithError("window not shown");
        return;
    }
    desk.FillProtocol(int(state.range(0)));
    QCoreApplication::processEvents();
    desk.form->Backup()->WaitForWrites();
    double command = 0, after = 0, snapshot = 0, commandCpu = 0, afterCpu = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        desk.form->Widgets().mStart->trigger();
        QCoreApplication::processEvents();
        desk.form->Backup()->WaitForWrites();
        desk.form->StartNumbers()->WaitForWrites();

        const double cpu0 = ThreadCpuMs();
        timer.start();
        desk.form->Widgets().mStop->trigger();
        const qint64 commandNs = timer.nsecsElapsed();
        const double cpu1 = ThreadCpuMs();
        QCoreApplication::processEvents();
        const qint64 totalNs = timer.nsecsElapsed();
        commandCpu += cpu1 - cpu0;
        afterCpu += ThreadCpuMs() - cpu1;
        state.SetIterationTime(double(totalNs) / 1e9);
        command += double(commandNs) / 1e6;
        after += double(totalNs - commandNs) / 1e6;

        // One part of that turn alone: the rows the backup takes (shared).
        timer.start();
        benchmark::DoNotOptimize(desk.form->Protocol()->SharedRows());
        snapshot += double(timer.nsecsElapsed()) / 1e6;

        desk.form->Widgets().mReset->trigger();
        QCoreApplication::processEvents();
        desk.form->Backup()->WaitForWrites();
        desk.form->StartNumbers()->WaitForWrites();
    }
    const double n = double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["command_ms"] = command / n;
    state.counters["backup_and_repaint_ms"] = after / n;
    state.counters["of_it_rows_taken_ms"] = snapshot / n;
    // The UI thread's own CPU time: what the machine's load does not change.
    state.counters["command_cpu_ms"] = commandCpu / n;
    state.counters["backup_and_repaint_cpu_ms"] = afterCpu / n;
}
BENCHMARK(BM_StoppWith10000Rows)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(BenchRepetitions(9))->ReportAggregatesOnly(true);

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
    while (desk.form->ComPort()->Connected() && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    TimerCounter counter;
    counter.retryTimer = desk.form->Port()->RetryTimer();
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
