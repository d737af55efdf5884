#include "EventBook.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

// Records run i for start number i (every third with a cone) and prints
// "confirmed i" once the book has it on the disk, until it is killed.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    EventBook book;
    const EventBook::Result opened = QFileInfo::exists(path) ? book.Open(path) : book.CreateAt(path, EventRules{});
    if (!opened.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.message));
        return 1;
    }
    for (int i = 1; i <= 100000; ++i) {
        RunControl::FinishedRun run;
        run.lane = 1 + i % 2;
        run.startNumber = QString::number(i);
        run.startTick = std::uint32_t(i * 1000);
        run.stopTick = run.startTick + std::uint32_t(60000 + i);
        run.runTimeMs = 60000 + i;
        book.RecordRun(run);
        if (i % 3 == 0)
            book.SetPenalty(book.Runs().back().id, 1, 0, RunStatus::Valid, QString());
        if (!book.WaitWritten())
            return 1;
        std::printf("confirmed %d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
