// Accuracy of a light-barrier time stamp: from a line change raised by the
// scripted serial device to the tick taken by the lane's StartRun/StopRun,
// through the real main window (port worker, hand-over, LightBarrierInput,
// RunControl, TFrame1). Measured with an idle user interface and again while
// the user-interface thread keeps ranking a 10,000-row protocol. Both paths
// in one run: the old one (the tick read when the handler runs) and the new
// one (the edge stamp the serial worker took, which the lane records). The
// windows are created as the program creates them, so the event book records
// every run while the stamps are measured.
#include "BarrierRig.h"
#include "BenchSmoke.h"
#include "EventBook.h"
#include "LightBarrierInput.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Pairs of a finish edge (CTS) and a start edge (DSR) 2 ms apart, without
// waiting in between: while the user interface is busy both wait in the
// worker's queue, and each must keep its own time.
void DrivePairs(BarrierProgram& program, int pairs, int& missed, std::vector<std::int64_t>& stopErrors,
                std::vector<std::int64_t>& startErrors)
{
    TFormMain& form = program.Form();
    FakeSerialDevice& device = program.Device();
    StampingClock& clock = program.Stamps();
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

void RunPairs(BarrierProgram& program, const char* what, int pairs)
{
    int missed = 0;
    std::vector<std::int64_t> stopErrors;
    std::vector<std::int64_t> startErrors;
    RunBesideEventLoop([&] { DrivePairs(program, pairs, missed, stopErrors, startErrors); });
    std::printf("%s\n", what);
    PrintBarrier("  STOPP edges on CTS (edge stamp the lane records)", stopErrors, missed);
    PrintBarrier("  START edges on DSR (edge stamp the lane records)", startErrors, missed);
}

void Run(BarrierProgram& program, const char* what, int events, bool moveOn = true)
{
    BarrierFigures figures;
    RunBesideEventLoop([&] { figures = DriveBarrier(program, events, moveOn); });
    std::printf("%s\n", what);
    PrintBarrier("  old path (tick read when the handler runs)", figures.tickLatencies, figures.missed);
    PrintBarrier("  new path (edge stamp the lane records)    ", figures.edgeErrors, figures.missed);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int events = argc > 1 ? std::atoi(argv[1]) : BenchCount(10000, 50);

    BarrierProgram program;
    EventBook& book = program.Book();
    std::printf("event book: %s (%s)\n", book.IsOpen() ? "on" : "OFF", qPrintable(book.Path()));

    Run(program, "idle user interface", events);
    // Each start over a finished row first keeps a copy of the protocol on
    // the disk (synchronously, so a start is refused when it cannot).
    Run(program, "idle user interface, every start a restart over a result", std::max(4, events / 4), false);

    // Load: the user-interface thread ranks a 10,000-row protocol over and over.
    RankingLoad ranking;
    ranking.Start();
    Run(program, "user interface ranking 10,000 rows", events);
    RunPairs(program, "alternating CTS and DSR edges 2 ms apart, user interface ranking", events / 2);
    ranking.Stop();
    ranking.PrintAverage();
    // The runs must really have gone to the book, not only to the protocol.
    const bool written = book.WaitWritten(30000);
    std::size_t finished = 0;
    for (const RunRecord& run : book.Runs())
        finished += run.runTimeMs > 0 ? 1 : 0;
    std::printf("event book: %zu runs recorded during the benchmark, %s\n", finished,
                written ? "all written to the file" : "NOT all written");
    return book.IsOpen() && written && finished > 0 ? 0 : 1;
}
