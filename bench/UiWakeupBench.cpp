// How often the program wakes and how much of a core it uses, with the main
// window shown on an X server (a private Xvfb): idle with the barrier port
// open, with both lanes running, and with the spectator window shown too
// (on a second screen).
// Wake-ups are the context switches of the user-interface thread (and of
// the whole program) per second; CPU is the program's user and system time
// over the wall time.
//
//   bench_ui_wakeups [SECONDS]
//
// The idle figure is taken after the port's first 20 s, when its watchdog
// has reached its slowest pace, over three times SECONDS.
// It skips (and says why) where no Xvfb or no X platform plug-in exists.
#include "DeskView.h"
#include "BenchSmoke.h"
#include "DisplayServerOptions.h"
#include "IniSettingsStore.h"
#include "ModemLineIo.h"
#include "QuietLines.h"
#include "PosixSerialDevice.h"
#include "TAppSettings.h"
#include "TFormMain.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int openpty(int*, int*, char*, const void*, const void*);

namespace {

// An X server of the benchmark's own; it picks a free display number.
class PrivateXvfb
{
public:
    bool Start(std::string& why)
    {
        int fds[2];
        if (::pipe(fds) != 0) {
            why = "no pipe";
            return false;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            // The server goes with the benchmark, however that ends.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const std::string fd = std::to_string(fds[1]);
            // The operator's screen and, beside it, the spectators' one.
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "+xinerama", "-screen", "0", "1280x800x24", "-screen",
                     "1", "1920x1080x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string display;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            display += c;
        ::close(fds[0]);
        if (display.empty()) {
            why = "Xvfb could not be started";
            Stop();
            return false;
        }
        qputenv("DISPLAY", QByteArray(":") + display.c_str());
        return true;
    }
    void Stop()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    ~PrivateXvfb() { Stop(); }

private:
    pid_t pid_ = -1;
};

long Switches(const QString& statusPath)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    long switches = 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.contains("ctxt_switches"))
            switches += line.split(':').value(1).trimmed().toLong();
    return switches;
}

struct Reading
{
    long uiSwitches = 0;
    long allSwitches = 0;
    double cpuSeconds = 0;
    std::chrono::steady_clock::time_point at;
};

Reading Read()
{
    Reading r;
    r.uiSwitches = Switches(QStringLiteral("/proc/self/task/%1/status").arg(::getpid()));
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    r.allSwitches = usage.ru_nvcsw + usage.ru_nivcsw;
    r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.at = std::chrono::steady_clock::now();
    return r;
}

void RunFor(int ms)
{
    // A real event loop sleeps between events, as the program's does.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Measure(const char* what, int settleMs, int seconds)
{
    RunFor(settleMs);
    const Reading before = Read();
    RunFor(seconds * 1000);
    const Reading after = Read();
    const double wall = std::chrono::duration<double>(after.at - before.at).count();
    std::printf("%-44s %7.1f wake-ups/s UI thread, %7.1f wake-ups/s program, CPU %5.2f %% of a core\n", what,
                double(after.uiSwitches - before.uiSwitches) / wall,
                double(after.allSwitches - before.allSwitches) / wall,
                100.0 * (after.cpuSeconds - before.cpuSeconds) / wall);
    std::fflush(stdout);
}

// A lane's digits drawn and sent to the server at once, as each tick's
// update does: the median and the slowest of 200.
void MeasureRepaint(QWidget& lane)
{
    std::vector<double> us;
    for (int i = 0; i < 200; ++i) {
        const auto start = std::chrono::steady_clock::now();
        lane.repaint();
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(us.begin(), us.end());
    std::printf("%-44s median %7.1f us, max %7.1f us\n", "repaint of one lane", us[us.size() / 2], us.back());
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : BenchCount(10, 1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QString xcb = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqxcb.so");
    if (!QFile::exists(xcb)) {
        std::printf("skipped: no X platform plug-in (%s)\n", qPrintable(xcb));
        return 0;
    }
    PrivateXvfb xvfb;
    std::string why;
    if (!xvfb.Start(why)) {
        std::printf("skipped: %s\n", why.c_str());
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // As the program does; RAVOLT_BENCH_MITSHM=1 measures shared memory.
    if (!qEnvironmentVariableIsSet("RAVOLT_BENCH_MITSHM"))
        PreferSocketPictureTransfer();
    int argcApp = 1;
    QApplication app(argcApp, argv);

    // The barrier port on a pseudo-terminal whose line wait sleeps, as a
    // quiet adapter's does.
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) < 0) {
        std::printf("skipped: no pseudo-terminal\n");
        return 0;
    }
    qputenv("RAVOLT_COM1", name);

    const QTemporaryDir folder;
    IniSettingsStore store(folder.filePath(QStringLiteral("Ravolt.conf")));
    TAppSettings settings;
    settings.Port = 1;
    settings.Monitor = 1;
    MainWindowSeams seams;
    seams.serialDevice = [] { return std::make_shared<PosixSerialDevice>(std::make_shared<QuietLines>()); };
    seams.settings = &store;
    seams.paths = StartupPaths::ForProgram(folder.filePath(QStringLiteral("ravolt")), QStringLiteral("Ravolt"),
                                           folder.path());
    seams.journalFolder = folder.filePath(QStringLiteral("Journal"));
    seams.eventBookFolder = folder.filePath(QStringLiteral("Veranstaltungen"));
    seams.probePorts = [] { return std::uint32_t(0); };
    {
        TFormMain form(settings, seams);
        form.CreateSpectatorWindow();
        form.show();

        std::printf("main window under Xvfb (%s), %d s each:\n", qgetenv("DISPLAY").constData(), seconds);
        Measure("idle, barrier port open", BenchCount(20000, 200), 3 * seconds);
        form.Widgets().mStart->trigger();
        form.Widgets().mStart->trigger();
        if (!form.Widgets().FrameT1->Running() || !form.Widgets().FrameT2->Running())
            std::printf("(not both lanes are running)\n");
        Measure("both lanes running", 1000, seconds);
        MeasureRepaint(*form.Widgets().FrameT1);
        form.ImageTVAusClick();
        Measure("both lanes running, spectator window shown", 1000, seconds);
        form.FormMonitor2()->close();
    }
    ::close(master);
    ::close(slave);
    return 0;
}
