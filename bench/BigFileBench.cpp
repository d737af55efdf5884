// A foreign file as big as the reader takes (one line of just under 8 MB)
// and one far beyond it (50 MB), read as a protocol: time and peak memory
// of the read, then the time of a backup write of what was read, and the
// start-up of the program with the big file as its backup. Each figure is
// the median of several runs; the peak memory is the growth of the
// process's high-water mark over the first read.
#include "BenchSmoke.h"
#include "ProgramWindows.h"
#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "ProtocolModel.h"
#include "TAppSettings.h"
#include "TFormMain.h"
#include "TSortGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void WriteSingleLine(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QByteArray chunk(1024 * 1024, 'x');
    for (qint64 left = bytes; left > 0; left -= chunk.size())
        file.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravolt"));
    const int runs = BenchCount(7, 1);

    const QTemporaryDir folder;
    const QString atBound = folder.filePath(QStringLiteral("bound.txt"));
    const QString beyond = folder.filePath(QStringLiteral("beyond.txt"));
    WriteSingleLine(atBound, MaxProtocolFileBytes - 16);
    WriteSingleLine(beyond, 50 * 1024 * 1024);

    const long peakBefore = PeakKiB();
    const LoadedProtocol loaded = LoadProtocolText(atBound);
    const long peakGrowth = PeakKiB() - peakBefore;
    const double readMs = MedianMs(runs, [&] { LoadProtocolText(atBound); });
    const double refuseMs = MedianMs(runs, [&] { LoadProtocolText(beyond); });

    TSortGrid grid;
    ProtocolModel table;
        grid.ShowModel(&table);
    table.ReplaceRows(loaded.rows);
    ProtocolBackup backup(folder.filePath(QStringLiteral("Ravolt-Sicherungsdatei.txt")), [&] { return table.Rows(); });
    const double backupMs = MedianMs(runs, [&] { backup.WriteNow(); });

    const QString programFile = folder.filePath(QStringLiteral("program/ravolt"));
    MainWindowSeams seams;
    seams.probePorts = [] { return std::uint32_t(0); };
    seams.journalFolder = folder.filePath(QStringLiteral("Journal"));
    seams.eventBookFolder = folder.filePath(QStringLiteral("Veranstaltungen"));
    seams.paths = StartupPaths::ForProgram(programFile, QStringLiteral("Ravolt"), folder.filePath(QStringLiteral("data")));
    const double startMs = MedianMs(runs, [&] {
        QFile::remove(seams.paths->BackupFileName);
        QFile::copy(atBound, seams.paths->BackupFileName);
        std::unique_ptr<TFormMain> form = CreateProgramWindows(TAppSettings(), seams);
        form->show();
        QApplication::processEvents();
    });

    std::printf("one line of %lld bytes (the bound is %lld): read %.1f ms median of %d, peak memory +%ld KiB, "
                "%d field cut at %d characters\n",
                MaxProtocolFileBytes - 16, MaxProtocolFileBytes, readMs, runs, peakGrowth, loaded.cutFields,
                MaxProtocolFieldLength);
    const QByteArray refusal = LoadProtocolText(beyond).error.toUtf8();
    std::printf("one line of 50 MB: refused in %.3f ms (\"%s\")\n", refuseMs, refusal.constData());
    std::printf("backup write of what was read: %.2f ms\n", backupMs);
    std::printf("start-up with the big file as the backup (kept as a snapshot first): %.1f ms\n", startMs);
    return 0;
}
