// The results server under the phones of a crowd, and timing beside it, in
// one run: 200 clients (a child process) poll the server once a second for
// 60 s over 127.0.0.1 the way the page's script does, while the UI thread
// publishes a changed 300-driver event every 2 s and keeps ranking a
// 10,000-row protocol, and a driver thread raises barrier edges through the
// whole program. Prints the response times and the barrier stamp error.
//   bench_live_polling [CLIENTS [SECONDS [CHANGE_MS]]]  (CHANGE_MS 0: no changes)
#include "BarrierRig.h"
#include "BenchSmoke.h"
#include "BigLiveEvent.h"
#include "LiveServer.h"
#include "PollingClients.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// The child: waits for the server's port, polls, hands the figures back.
[[noreturn]] void Child(int fromParent, int toParent, PollPlan plan)
{
    if (::read(fromParent, &plan.port, sizeof plan.port) != sizeof plan.port || plan.port == 0)
        ::_exit(1);
    const PollFigures figures = RunPollingClients(plan);
    ::_exit(WriteFigures(toParent, figures) ? 0 : 1);
}

// What the desk does on the UI thread after a finished run: score the
// event, hand it to the builder's thread.
class Publisher
{
public:
    explicit Publisher(LiveServer& server) : server_(server), event_(BigEvent()), input_(BigLiveEvent(event_)) {}

    void Change()
    {
        QElapsedTimer took;
        took.start();
        // The next driver's last run gets a new time, as if it had just finished.
        RunRecord& run = event_.runs[std::size_t(changes_ * 4 + 3) % event_.runs.size()];
        run.runTimeMs = 48000 + std::int32_t((changes_ * 7919) % 27000);
        input_.scoring = ScoreEvent(event_.rules, event_.entries, event_.runs);
        input_.lastRuns.insert(input_.lastRuns.begin(), run);
        input_.lastRuns.resize(10);
        input_.lanes[0].running = !input_.lanes[0].running;
        server_.PublishInput(input_);
        uiNs_.push_back(took.nsecsElapsed());
        ++changes_;
    }
    int Changes() const { return changes_; }
    const std::vector<std::int64_t>& UiNs() const { return uiNs_; }

private:
    LiveServer& server_;
    BenchEvent event_;
    LiveInput input_;
    int changes_ = 0;
    std::vector<std::int64_t> uiNs_;
};

// CPU seconds the threads of this process of that name have used (the
// program's own results server is one, idle here).
double ThreadCpuSeconds(const QString& name)
{
    double seconds = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        QFile stat(tasks.filePath(task + QStringLiteral("/stat")));
        if (!comm.open(QIODevice::ReadOnly) || QString::fromUtf8(comm.readAll()).trimmed() != name ||
            !stat.open(QIODevice::ReadOnly))
            continue;
        // After the name in parentheses come the state (field 3) ... utime and stime (14, 15).
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            seconds += double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
    }
    return seconds;
}

double LoadAverage()
{
    double load = 0;
    return ::getloadavg(&load, 1) == 1 ? load : -1;
}

void PrintMs(const char* what, const std::vector<std::int64_t>& ns)
{
    const Percentiles p = PercentilesOf(ns);
    std::printf("%s: %zu, p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", what, p.count, p.median / 1000.0,
                p.p99 / 1000.0, p.max / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    PollPlan plan;
    plan.clients = argc > 1 ? std::atoi(argv[1]) : BenchCount(200, 5);
    plan.seconds = argc > 2 ? std::atoi(argv[2]) : BenchCount(60, 3);
    const int changeMs = argc > 3 ? std::atoi(argv[3]) : BenchCount(2000, 500);

    // The child is forked before any thread exists, and never touches Qt.
    int down[2];
    int up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0)
        return 2;
    const pid_t child = ::fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        ::close(down[1]);
        ::close(up[0]);
        Child(down[0], up[1], plan);
    }
    ::close(down[0]);
    ::close(up[1]);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BarrierProgram program;
    const double loadBefore = LoadAverage();

    LiveServer server;
    const LiveServer::Result started = server.Start(QHostAddress::LocalHost, 0);
    if (!started.ok) {
        std::printf("results server: %s\n", qPrintable(started.message));
        const std::uint16_t none = 0;
        (void)!::write(down[1], &none, sizeof none);
        ::waitpid(child, nullptr, 0);
        return 1;
    }
    Publisher publisher(server);
    publisher.Change();
    QTimer changes;
    QObject::connect(&changes, &QTimer::timeout, &changes, [&publisher] { publisher.Change(); });

    RankingLoad ranking;
    ranking.Start();
    if (changeMs > 0)
        changes.start(changeMs);

    // The clients start; the barrier is driven for as long as they poll.
    std::atomic<bool> polling{true};
    PollFigures figures;
    bool received = false;
    std::thread reader([&] {
        received = ReadFigures(up[0], figures);
        polling = false;
    });
    (void)!::write(down[1], &started.port, sizeof started.port);
    BarrierFigures barrier;
    RunBesideEventLoop([&] { barrier = DriveBarrier(program, 1'000'000, true, [&] { return polling.load(); }); });
    reader.join();
    changes.stop();
    ranking.Stop();
    const double serverCpu = ThreadCpuSeconds(QStringLiteral("LiveServer"));
    const double builderCpu = ThreadCpuSeconds(QStringLiteral("LiveBuilder"));
    int status = 0;
    rusage clients{};
    ::wait4(child, &status, 0, &clients);

    std::printf("results server: %d clients polling every 1 s for %d s over 127.0.0.1 (paths in turn:", plan.clients,
                plan.seconds);
    for (const std::string& path : PollPaths())
        std::printf(" %s", path.c_str());
    if (changeMs > 0)
        std::printf("), a changed 300-driver event every %.1f s\n", changeMs / 1000.0);
    else
        std::printf("), a 300-driver event that does not change\n");
    if (!received) {
        std::printf("  the clients gave no figures (child status %d)\n", status);
        return 1;
    }
    PrintMs("  response time (request to last byte), all answers", figures.AllNs());
    PrintMs("    200 (a change, with the page part or JSON)", figures.okNs);
    PrintMs("    304 (unchanged)", figures.notModifiedNs);
    std::printf("  errors: %d%s%s, connections opened: %d\n", figures.errors,
                figures.firstError.empty() ? "" : ", first: ", figures.firstError.c_str(), figures.connects);
    std::printf("  CPU: the server's thread %.2f s, the snapshot builder's thread %.2f s, the clients (child "
                "process) %.2f s, over %d s\n",
                serverCpu, builderCpu,
                double(clients.ru_utime.tv_sec + clients.ru_stime.tv_sec) +
                    double(clients.ru_utime.tv_usec + clients.ru_stime.tv_usec) / 1e6,
                plan.seconds);
    PrintMs("  UI thread per change (score the event + hand-over), changes", publisher.UiNs());
    std::printf("barrier beside it, user interface ranking 10,000 rows\n");
    PrintBarrier("  edge stamp the lane records (stamp error)", barrier.edgeErrors, barrier.missed);
    const Percentiles stamp = PercentilesOf(barrier.edgeErrors);
    std::printf("  stamp error p99 %.3f ms: %s the 0.25 ms target\n", stamp.p99 / 1000.0,
                stamp.p99 <= 250.0 ? "within" : "OVER");
    ranking.PrintAverage();
    std::printf("machine load (1-minute average) %.1f before, %.1f after, on %ld cores: above the cores, "
                "every figure here is mostly the machine's\n",
                loadBefore, LoadAverage(), ::sysconf(_SC_NPROCESSORS_ONLN));
    return 0;
}
