// One display refresh of both running lanes with the spectator window shown
// at 1920 x 1080: each lane writes its six frame digits and its six window
// digits as the lane does every 10 ms (only changed values and colours
// repaint), then the event loop runs whatever painting was left pending.
// Prints median and tail figures per refresh.
//
//   bench_monitor [--steps N] [--show SECONDS]
//
// Without a platform chosen (or plain "offscreen") it runs offscreen with an
// operator screen of 1280 x 800 and a spectator screen of 1920 x 1080. With
// --show the windows stay up and the lanes keep running for that many
// seconds afterwards, for looking at them (for example under Xvfb).

#include "Clock.h"
#include "TDigit.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

// The tick counter of the lanes, moved by the benchmark in 10 ms steps.
class StepClock final : public Clock
{
public:
    std::uint32_t TickCount() const override { return tick; }
    TimeStamp Stamp() const override { return {std::int64_t(tick) * 1000, tick}; }
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
    std::uint32_t tick = 100'000;
};

// The 10 ms display refresh of both running lanes: each writes its frame
// digits and its row of the spectator window.
void Refresh(StepClock& clock, TFrame1& lane1, TFrame1& lane2, int elapsedMs)
{
    clock.tick = std::uint32_t(100'000 + elapsedMs);
    lane1.ClockTimer();
    lane2.ClockTimer();
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

void Print(const char* what, const std::vector<double>& us)
{
    std::printf("  %-26s median %7.1f us  p90 %7.1f us  p99 %7.1f us  max %7.1f us\n", what,
                Percentile(us, 0.5), Percentile(us, 0.9), Percentile(us, 0.99),
                *std::max_element(us.begin(), us.end()));
}

} // namespace

int main(int argc, char** argv)
{
    int steps = 6000;
    int showSeconds = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option(argv[i]);
        if (option == "--steps")
            steps = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--show")
            showSeconds = std::max(0, std::atoi(argv[i + 1]));
    }

    QTemporaryDir dir;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((platform.isEmpty() || platform == "offscreen") && dir.isValid()) {
        QFile config(dir.filePath(QStringLiteral("screens.json")));
        if (config.open(QIODevice::WriteOnly)) {
            config.write(R"({"screens": [
                {"name": "Operator", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96},
                {"name": "Spectators", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]})");
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        }
    }
    QApplication app(argc, argv);

    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Ravolt"));
    mainWindow.resize(754, 488);
    StepClock clock;
    auto* frame1 = new TFrame1(0, clock, &mainWindow);
    auto* frame2 = new TFrame1(1, clock, &mainWindow);
    frame2->move(376, 0);
    // Running for 1:01.23 and 0:08.47 when the measurement starts.
    frame1->StartTick = clock.tick - 61'230;
    frame2->StartTick = clock.tick - 8'470;

    auto* window = new TFormMonitor2(frame1, frame2, &mainWindow);
    frame1->SetMirror(window->Row(0));
    frame2->SetMirror(window->Row(1));
    window->ReadStartNumbers = [] { return TFormMonitor2::StartNumbers{17, 19, 18, 20}; };
    const int monitor = QGuiApplication::screens().size() > 1 ? 1 : 0;
    window->FormCreate(QStringLiteral("Bergslalom Ravolt 2026"), monitor);
    mainWindow.show();
    window->show();
    QApplication::processEvents();

    const TDigit* big = window->Row(0)->digits[0];
    std::printf("spectator window %d x %d on screen \"%s\" (%s); window digit %d x %d, thickness %d\n",
                window->width(), window->height(), qPrintable(window->screen()->name()),
                qPrintable(QGuiApplication::platformName()), big->width(), big->height(), big->Thickness());

    using Clock = std::chrono::steady_clock;
    auto micros = [](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); };
    std::vector<double> writes, pending, total;
    writes.reserve(std::size_t(steps));
    for (int warm = 0; warm < 200; ++warm) {
        Refresh(clock, *frame1, *frame2, -2000 + warm * 10);
        QApplication::processEvents();
    }
    for (int step = 0; step < steps; ++step) {
        const auto t0 = Clock::now();
        Refresh(clock, *frame1, *frame2, step * 10);
        const auto t1 = Clock::now();
        QApplication::processEvents();
        const auto t2 = Clock::now();
        writes.push_back(micros(t1 - t0));
        pending.push_back(micros(t2 - t1));
        total.push_back(micros(t2 - t0));
    }
    std::printf("one refresh of both running lanes (12 window + 12 frame digits), %d steps of 10 ms:\n",
                steps);
    Print("writes (immediate repaints)", writes);
    Print("pending paints afterwards", pending);
    Print("refresh total", total);

    if (showSeconds > 0) {
        QElapsedTimer running;
        running.start();
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, &ticker,
                         [&] { Refresh(clock, *frame1, *frame2, steps * 10 + int(running.elapsed())); });
        ticker.start(10);
        QTimer::singleShot(showSeconds * 1000, &app, &QApplication::quit);
        return app.exec();
    }
    return 0;
}
