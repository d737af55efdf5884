// The event book on the UI thread: recording a finished run (median and
// 99th percentile of the call, which only queues the write), the commit
// the writer thread waits for with full sync (median per run, recorded one
// at a time), and opening a book of 300 drivers with 4 runs each (median).
#include "BenchSmoke.h"
#include "EventBook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

RunControl::FinishedRun Finished(int number, int i)
{
    RunControl::FinishedRun run;
    run.lane = 1 + i % 2;
    run.startNumber = QString::number(number);
    run.startTick = std::uint32_t(i) * 1000;
    run.stopTick = run.startTick + 61234;
    run.runTimeMs = 61234;
    run.startClock = QStringLiteral("10:00.00,00");
    run.stopClock = QStringLiteral("10:01.01,23");
    run.source = RunControl::CommandSource::Barrier;
    return run;
}

double Percentile(std::vector<double> ms, double p)
{
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, std::size_t(double(ms.size()) * p))];
}

// A book of drivers × runs, with entries, a cone on every fourth run; its path.
QString BuildBook(const QTemporaryDir& dir, int drivers, int runs)
{
    const QString path = dir.filePath(QStringLiteral("gross.ravolt"));
    EventBook book;
    EventRules rules;
    rules.title = QStringLiteral("Bench");
    if (!book.CreateAt(path, rules).ok)
        return QString();
    QVector<Entry> entries;
    for (int n = 1; n <= drivers; ++n) {
        entries.push_back({n, QStringLiteral("Name %1").arg(n), QStringLiteral("Vorname"), QStringLiteral("Golf GTI"),
                           QStringLiteral("G%1").arg(n % 8), QStringLiteral("MSC Tal"), QString(), n});
    }
    book.ReplaceEntries(entries);
    int i = 0;
    for (int r = 0; r < runs; ++r) {
        for (int n = 1; n <= drivers; ++n) {
            book.RecordRun(Finished(n, ++i));
            if (i % 4 == 0)
                book.SetPenalty(book.Runs().back().id, 1, 0, RunStatus::Valid, QString());
        }
    }
    return book.Close() ? path : QString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QTemporaryDir dir;
    const int records = BenchCount(2000, 20);

    {
        EventBook book;
        if (!book.CreateAt(dir.filePath(QStringLiteral("record.ravolt")), EventRules{}).ok)
            return 1;
        std::vector<double> call;
        for (int i = 0; i < records; ++i) {
            QElapsedTimer timer;
            timer.start();
            book.RecordRun(Finished(1 + i % 300, i));
            call.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        QElapsedTimer drain;
        drain.start();
        book.WaitWritten(60000);
        std::printf("record a run (UI thread): median %.4f ms, p99 %.4f ms over %d runs; writer drained the rest "
                    "in %.1f ms\n",
                    Percentile(call, 0.5), Percentile(call, 0.99), records, double(drain.nsecsElapsed()) / 1e6);

        std::vector<double> commit;
        for (int i = 0; i < BenchCount(200, 5); ++i) {
            QElapsedTimer timer;
            timer.start();
            book.RecordRun(Finished(1 + i % 300, i));
            book.WaitWritten(60000);
            commit.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("one run to the disk (writer thread, full sync): median %.3f ms, p90 %.3f ms\n",
                    Percentile(commit, 0.5), Percentile(commit, 0.9));
    }

    const int drivers = BenchCount(300, 30);
    const QString path = BuildBook(dir, drivers, 4);
    if (path.isEmpty())
        return 1;
    std::vector<double> open;
    std::size_t runs = 0;
    for (int i = 0; i < BenchCount(11, 1); ++i) {
        EventBook book;
        QElapsedTimer timer;
        timer.start();
        if (!book.Open(path).ok)
            return 1;
        open.push_back(double(timer.nsecsElapsed()) / 1e6);
        runs = book.Runs().size();
    }
    std::printf("open a book of %d drivers, %zu runs: median %.2f ms (goal <= 100 ms)\n", drivers, runs,
                Percentile(open, 0.5));
    return 0;
}
