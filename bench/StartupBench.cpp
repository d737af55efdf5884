// Start-up of the program to a shown, idle main window with a 10,000-row
// backup beside it (median of several starts), and the shares of its parts
// measured alone: reading the settings, reading the backup file, ranking
// the rows, and creating the windows without a backup.
#include "BenchSmoke.h"
#include "IniSettingsStore.h"
#include "ProgramWindows.h"
#include "ProtocolFile.h"
#include "ProtocolModel.h"
#include "TAppSettings.h"
#include "TSortGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

ProtocolRows Rows(int count)
{
    ProtocolRows rows;
    rows.push_back({"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"});
    for (int r = 1; r <= count; ++r) {
        const int ms = 20000 + (r * 7919) % 100000;
        rows.push_back({QString::number(r), QStringLiteral("9:05.03,07"), QStringLiteral("9:06.03,07"),
                        QStringLiteral("%1,%2").arg(ms / 1000).arg((ms / 10) % 100, 2, 10, QLatin1Char('0')),
                        QStringLiteral("79,8"), QString()});
    }
    return rows;
}

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravolt"));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : BenchCount(11, 1);

    const QTemporaryDir folder;
    const QString programFile = folder.filePath(QStringLiteral("ravolt"));
    IniSettingsStore store(folder.filePath(QStringLiteral("ravolt.conf")));
    SaveSettings(store, TAppSettings{0, 0});
    MainWindowSeams seams;
    seams.settings = &store;
    seams.probePorts = [] { return std::uint32_t(0); };
    seams.paths = StartupPaths::ForProgram(programFile, QStringLiteral("Ravolt"), folder.path());
    seams.eventBookFolder = folder.filePath(QStringLiteral("Veranstaltungen"));
    const QString backup = seams.paths->BackupFileName;
    const ProtocolRows rows = Rows(10000);

    // Each start finds the same backup (or none): the file written at the
    // last exit is replaced before the next start, outside the figure, and
    // the exit itself is not part of it either.
    const auto startMs = [&](bool withBackup) {
        if (withBackup)
            SaveProtocolText(backup, rows);
        else
            QFile::remove(backup);
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<TFormMain> form = CreateProgramWindows(TAppSettings(), seams);
        form->show();
        QApplication::processEvents();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    const auto median = [runs](const std::function<double()>& once) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i)
            ms.push_back(once());
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    const double totalMs = median([&] { return startMs(true); });
    const double windowsMs = median([&] { return startMs(false); });

    const double settingsMs = MedianMs(runs, [&] { LoadSettings(IniSettingsStore(store.FilePath()), TAppSettings()); });
    SaveProtocolText(backup, rows);
    const double loadMs = MedianMs(runs, [&] { LoadProtocolText(backup); });
    const LoadedProtocol loaded = LoadProtocolText(backup);
    const double rankMs = MedianMs(runs, [&] {
        TSortGrid grid;
        ProtocolModel table;
        grid.ShowModel(&table);
        table.ReplaceRows(loaded.rows);
        table.RankProtocol(QStringLiteral("1"), false);
    });
    std::printf("start-up to a shown, idle main window with a 10,000-row backup: %.1f ms median of %d (target <= 250 ms)\n",
                totalMs, runs);
    std::printf("  settings read       %6.2f ms  %5.1f %%\n", settingsMs, 100 * settingsMs / totalMs);
    std::printf("  backup file read    %6.2f ms  %5.1f %%\n", loadMs, 100 * loadMs / totalMs);
    std::printf("  rows put and ranked %6.2f ms  %5.1f %%\n", rankMs, 100 * rankMs / totalMs);
    std::printf("  windows, no backup  %6.2f ms  %5.1f %%\n", windowsMs, 100 * windowsMs / totalMs);
    return 0;
}
