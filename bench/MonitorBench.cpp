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

#include "DigitRow.h"
#include "TDigit.h"
#include "TFormMonitor2.h"

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

constexpr TColor DimColor = clDarkGrey;
constexpr TColor OnColor = clYellow;

QFont Bold(const char* family, int points)
{
    QFont font{QString::fromLatin1(family)};
    font.setPointSize(points);
    font.setBold(true);
    return font;
}

void SetTextColor(QLabel* label, TColor color)
{
    const QColor wanted = ToQColor(color);
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == wanted)
        return;
    palette.setColor(QPalette::WindowText, wanted);
    label->setPalette(palette);
}

// A lane frame at design size with the controls the window copies.
DigitRow BuildLaneFrame(QWidget* frame)
{
    constexpr int left[6] = {4, 52, 132, 180, 260, 308};
    frame->setFixedSize(374, 143);
    frame->setFont(Bold("Arial", 14));
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::black);
    frame->setPalette(palette);
    DigitRow row;
    for (int i = 0; i < 6; ++i) {
        auto* digit = new TDigit(frame);
        digit->setObjectName(QStringLiteral("Digit%1").arg(i + 3));
        digit->setGeometry(left[i], 43, 45, 89);
        digit->SetThickness(5);
        digit->SetColorOff(clBlack);
        digit->SetColorOn(i < 3 ? DimColor : OnColor);
        row.digits[std::size_t(i)] = digit;
    }
    auto separator = [frame](const char* name, const char* text, int x, TColor color) {
        auto* label = new QLabel(QString::fromLatin1(text), frame);
        label->setObjectName(QLatin1String(name));
        label->setGeometry(x, 70, 25, 81);
        label->setFont(Bold("Times New Roman", 48));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        SetTextColor(label, color);
        return label;
    };
    row.labMin = separator("LabMin", ".", 108, DimColor);
    row.labSec = separator("LabSec", ",", 236, OnColor);
    return row;
}

// What a lane writes into a row for one displayed time (leading zeros dimmed).
void WriteRow(const DigitRow& row, int ms)
{
    const int t = ms / 10;
    const int c = t % 100, s = (t / 100) % 60, m = (t / 6000) % 60;
    auto& d = row.digits;
    d[0]->SetValue(m / 10);
    d[0]->SetColorOn(m / 10 > 0 ? OnColor : DimColor);
    d[1]->SetValue(m % 10);
    d[1]->SetColorOn(m > 0 ? OnColor : DimColor);
    SetTextColor(row.labMin, d[1]->ColorOn());
    d[2]->SetValue(s / 10);
    d[2]->SetColorOn(s / 10 + m > 0 ? OnColor : DimColor);
    d[3]->SetValue(s % 10);
    d[4]->SetValue(c / 10);
    d[5]->SetValue(c % 10);
}

struct Lane
{
    DigitRow frame;
    DigitRow* mirror;
    int offsetMs; // running time when the measurement starts
};

void Refresh(const std::vector<Lane>& lanes, int elapsedMs)
{
    for (const Lane& lane : lanes) {
        WriteRow(lane.frame, lane.offsetMs + elapsedMs);
        WriteRow(*lane.mirror, lane.offsetMs + elapsedMs);
    }
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
    auto* frame1 = new QWidget(&mainWindow);
    auto* frame2 = new QWidget(&mainWindow);
    frame2->move(376, 0);
    std::vector<Lane> lanes{{BuildLaneFrame(frame1), nullptr, 61'230},
                            {BuildLaneFrame(frame2), nullptr, 8'470}};

    auto* window = new TFormMonitor2(frame1, frame2, &mainWindow);
    lanes[0].mirror = window->Row(0);
    lanes[1].mirror = window->Row(1);
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
        Refresh(lanes, -2000 + warm * 10);
        QApplication::processEvents();
    }
    for (int step = 0; step < steps; ++step) {
        const auto t0 = Clock::now();
        Refresh(lanes, step * 10);
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
                         [&] { Refresh(lanes, steps * 10 + int(running.elapsed())); });
        ticker.start(10);
        QTimer::singleShot(showSeconds * 1000, &app, &QApplication::quit);
        return app.exec();
    }
    return 0;
}
