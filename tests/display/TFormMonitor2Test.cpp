#include "TFormMonitor2.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure messages for the Qt values compared below.
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr int DigitLeft[6] = {4, 52, 132, 180, 260, 308};

QFont Bold(const char* family, int points)
{
    QFont font{QString::fromLatin1(family)};
    font.setPointSize(points);
    font.setBold(true);
    return font;
}

// A lane frame at design size, reduced to what the window copies from it.
std::unique_ptr<QWidget> MakeLaneFrame()
{
    auto frame = std::make_unique<QWidget>();
    frame->resize(374, 143);
    frame->setFont(Bold("Arial", 14));
    for (int i = 0; i < 6; ++i) {
        auto* digit = new TDigit(frame.get());
        digit->setObjectName(QStringLiteral("Digit%1").arg(i + 3));
        digit->setGeometry(DigitLeft[i], 43, 45, 89);
        digit->SetThickness(5);
    }
    for (auto [name, left] : {std::pair{"LabMin", 108}, std::pair{"LabSec", 236}}) {
        auto* label = new QLabel(frame.get());
        label->setObjectName(QLatin1String(name));
        label->setGeometry(left, 70, 25, 81);
        label->setFont(Bold("Times New Roman", 48));
    }
    return frame;
}

QColor TextColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// The offscreen platform takes its screens from a file named when it starts,
// so a test that needs two monitors runs itself again in a child process
// configured with 1280 x 800 at (0,0) and 1024 x 768 at (1280,0).
void RunInTwoScreenProcess()
{
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("RAVOLT_TWO_SCREEN_CHILD"))
        << "the child process did not get two screens";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [
        {"name": "Operator", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "Spectators", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();

    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    env.insert(QStringLiteral("RAVOLT_TWO_SCREEN_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(QLatin1String(test->test_suite_name()),
                                                           QLatin1String(test->name()))});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
}

class MonitorWindow : public ::testing::Test
{
protected:
    std::unique_ptr<QWidget> lane1 = MakeLaneFrame();
    std::unique_ptr<QWidget> lane2 = MakeLaneFrame();
    TFormMonitor2 window{lane1.get(), lane2.get()};
    std::vector<bool> indicator;
    int bestTimeCalls = 0;

    void SetUp() override
    {
        QObject::connect(&window, &TFormMonitor2::IndicatorChanged, &window,
                         [this](bool shown) { indicator.push_back(shown); });
        QObject::connect(&window, &TFormMonitor2::BestTimeWanted, &window, [this] { ++bestTimeCalls; });
        window.ReadStartNumbers = [] { return TFormMonitor2::StartNumbers{5, 7, 6, 8}; };
    }
};

using MonitorWindowTwoScreens = MonitorWindow;

TEST_F(MonitorWindowTwoScreens, WorkedExampleOn1024x768)
{
    if (QGuiApplication::screens().size() < 2)
        return RunInTwoScreenProcess();
    const QScreen* spectators = QGuiApplication::screens().at(1);
    ASSERT_EQ(spectators->size(), QSize(1024, 768));
    window.FormCreate(QStringLiteral("Bergslalom"), 1);

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.screen(), spectators);
    EXPECT_EQ(window.geometry(), spectators->geometry());
    EXPECT_DOUBLE_EQ(window.ScaleX(), 1024.0 / 374.0);
    EXPECT_EQ(window.ScaleY(), window.ScaleX());
    EXPECT_EQ(window.PanelTitle->text(), QStringLiteral("Bergslalom"));

    // Strip heights come from Qt's pixel height of the scaled 38-point font.
    EXPECT_EQ(window.PanelLab1->font().pointSize(), 38);
    const int lab = window.PanelLab1->fontInfo().pixelSize();
    const int title = int(std::nearbyint(lab * 1.15));
    const int h = (768 - 3 * lab - title) / 2;
    const int upperTop = title + lab;
    const int lowerTop = 768 - h - lab / 2;
    EXPECT_EQ(window.PanelTitle->geometry(), QRect(0, 0, 1024, title));
    EXPECT_EQ(window.PanelLab1->geometry(), QRect(0, title, 1024, lab));
    EXPECT_EQ(window.PanelLab2->geometry(), QRect(0, lowerTop - lab, 1024, lab));
    EXPECT_EQ(window.PanelTitle->font().pointSize(), 38);

    const std::pair<int, int> spans[6] = {{11, 134}, {142, 266}, {361, 485},
                                          {493, 616}, {712, 835}, {843, 967}};
    for (int lane = 0; lane < 2; ++lane) {
        const DigitRow& row = *window.Row(lane);
        for (int i = 0; i < 6; ++i) {
            const TDigit* d = row.digits[std::size_t(i)];
            SCOPED_TRACE(d->objectName().toStdString());
            EXPECT_EQ(d->x(), spans[i].first);
            EXPECT_EQ(d->x() + d->width(), spans[i].second);
            EXPECT_EQ(d->y(), lane == 0 ? upperTop : lowerTop);
            EXPECT_EQ(d->height(), h);
            EXPECT_EQ(d->Thickness(), 14);
        }
        EXPECT_EQ(row.labMin->x(), 296);
        EXPECT_EQ(row.labMin->x() + row.labMin->width(), 364);
        EXPECT_EQ(row.labMin->height(), 221);
        EXPECT_EQ(row.labMin->font().pointSize(), 131);
        EXPECT_EQ(row.labSec->x(), 646);
        EXPECT_EQ(row.labSec->x() + row.labSec->width(), 715);
        EXPECT_EQ(row.labSec->font().pointSize(), 131);
    }
    const int sepTop = upperTop + h - 161;
    EXPECT_EQ(window.Row(0)->labMin->y(), sepTop);
    EXPECT_EQ(window.Row(0)->labSec->y(), sepTop);
    EXPECT_EQ(window.Row(1)->labMin->y(), lowerTop + (sepTop - upperTop));
    EXPECT_EQ(window.Row(1)->labSec->y(), lowerTop + (sepTop - upperTop));
}

TEST_F(MonitorWindowTwoScreens, ACornerCodeTakesTheTopRightCornerAndNeverADigit)
{
    if (QGuiApplication::screens().size() < 2)
        return RunInTwoScreenProcess();
    window.FormCreate(QStringLiteral("Bergslalom"), 1);
    window.SetStartNumber(0, 12);
    window.SetNextNumber(0, 13);
    const QRect title = window.PanelTitle->geometry();
    const QRect lab1 = window.PanelLab1->geometry();
    QList<QRect> digits;
    for (int lane = 0; lane < 2; ++lane)
        for (const TDigit* d : window.Row(lane)->digits)
            digits << d->geometry();

    // A code of 25 modules with its light border of 4, one pixel a module.
    const auto code = [](int side) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 4; y < side - 4; ++y)
            for (int x = 4; x < side - 4; ++x)
                if ((x + y) % 3 == 0)
                    image.setPixel(x, y, qRgb(0, 0, 0));
        return image;
    };
    const QString address = QStringLiteral("http://192.168.1.20:8080/");
    window.SetCornerCode(code(33), address);
    ASSERT_TRUE(window.LabCode->isVisibleTo(&window));
    const QRect corner = window.LabCode->geometry().united(window.LabCodeText->geometry());
    EXPECT_EQ(window.LabCodeText->text(), address);
    EXPECT_GE(window.LabCode->width(), 3 * 33) << "at least three pixels a module on 1024 x 768";
    EXPECT_EQ(window.LabCode->width() % 33, 0) << "whole pixels a module";
    EXPECT_LE(corner.right(), 1023);
    EXPECT_LE(corner.bottom(), lab1.bottom()) << "within the title and the upper captions";
    for (const QRect& d : digits)
        EXPECT_FALSE(d.intersects(corner));
    QList<QRect> after;
    for (int lane = 0; lane < 2; ++lane)
        for (const TDigit* d : window.Row(lane)->digits)
            after << d->geometry();
    EXPECT_EQ(after, digits) << "the digits stay where they were";
    // The captions end before the corner; the title stays centred.
    EXPECT_LT(window.PanelLab1->geometry().right(), corner.left());
    EXPECT_LT(window.LabEntry1->geometry().right(), corner.left());
    EXPECT_EQ(window.PanelTitle->geometry().center().x(), title.center().x());
    EXPECT_LT(window.PanelTitle->geometry().right(), window.LabCode->x());

    // A long title keeps its start: it moves left of the corner and shrinks to fit.
    window.SetTitle(QStringLiteral("Großer Preis von Oberdorf – Bergslalom 2026"));
    const QLabel& longTitle = *window.PanelTitle;
    EXPECT_EQ(longTitle.x(), 0);
    EXPECT_LT(longTitle.geometry().right(), window.LabCode->x());
    EXPECT_LE(QFontMetrics(longTitle.font()).horizontalAdvance(longTitle.text()), longTitle.width());
    window.SetTitle(QStringLiteral("Bergslalom"));

    // Too large for the corner: not shown rather than over the digits.
    window.SetCornerCode(code(400), address);
    EXPECT_FALSE(window.LabCode->isVisibleTo(&window));
    EXPECT_FALSE(window.LabCodeText->isVisibleTo(&window));

    window.SetCornerCode(QImage(), QString());
    EXPECT_FALSE(window.LabCode->isVisibleTo(&window));
    EXPECT_EQ(window.PanelTitle->geometry(), title);
    EXPECT_EQ(window.PanelLab1->geometry(), lab1);
}

TEST_F(MonitorWindowTwoScreens, NewMonitorAppliesAtOnceAndAVanishedOneFallsBackToMonitor0)
{
    if (QGuiApplication::screens().size() < 2)
        return RunInTwoScreenProcess();
    const QList<QScreen*> screens = QGuiApplication::screens();
    window.FormCreate(QStringLiteral("* * *"), 0);
    EXPECT_EQ(window.geometry(), screens.at(0)->geometry());

    window.SetMonitor(1); // the settings dialog, window hidden
    window.PlaceOnMonitor();
    EXPECT_EQ(window.screen(), screens.at(1));
    EXPECT_EQ(window.geometry(), screens.at(1)->geometry());

    window.SetMonitor(2); // that monitor was unplugged
    window.show();
    EXPECT_EQ(window.screen(), screens.at(0));
    EXPECT_EQ(window.geometry(), screens.at(0)->geometry());
    EXPECT_DOUBLE_EQ(window.ScaleX(), screens.at(0)->geometry().width() / 374.0);
}

TEST_F(MonitorWindow, ShowRefreshesCaptionsAndCloseOnlyHides)
{
    window.FormCreate(QStringLiteral("* * *"), 0);
    EXPECT_TRUE(indicator.empty());
    window.show();
    EXPECT_EQ(window.geometry(), QGuiApplication::screens().at(0)->geometry());
    EXPECT_EQ(indicator, std::vector<bool>{true});
    EXPECT_EQ(window.LabStart1->text(), QStringLiteral(" Start-Nr.:5"));
    EXPECT_EQ(window.LabNext1->text(), QStringLiteral("Bereit: 7 "));
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral(" Start-Nr.:6"));
    EXPECT_EQ(window.LabNext2->text(), QStringLiteral("Bereit: 8 "));
    EXPECT_EQ(bestTimeCalls, 0);

    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
    window.show(); // never destroyed: it can be switched on again
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MonitorWindow, StartNumberChangesWhileHiddenAreShown)
{
    window.ReadStartNumbers = nullptr;
    window.SetNextNumber(0, 7);
    window.SetStartNumber(0, 11);
    window.SetStartNumber(1, 12);
    window.SetNextNumber(1, 14);
    window.SetNextNumber(2, 99); // no such lane
    window.show();
    EXPECT_EQ(window.LabNext1->text(), QStringLiteral("Bereit: 7 "));
    EXPECT_EQ(window.LabStart1->text(), QStringLiteral(" Start-Nr.:11"));
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral(" Start-Nr.:12"));
    EXPECT_EQ(window.LabNext2->text(), QStringLiteral("Bereit: 14 "));
}

TEST_F(MonitorWindow, RundenModeLabelsTheLowerRowAsBestTime)
{
    window.FormCreate(QStringLiteral("* * *"), 0);
    const double scale = window.ScaleX();
    lane1->resize(187, 143); // a re-placement would double the scale

    window.SetRunden(true);
    window.ApplyMode(); // hidden: captions and best time, nothing else
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral("Best:"));
    EXPECT_EQ(window.LabNext2->text(), QString());
    EXPECT_EQ(window.LabStart1->text(), QStringLiteral(" Start-Nr.:5"));
    EXPECT_EQ(bestTimeCalls, 1);
    EXPECT_TRUE(indicator.empty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ScaleX(), scale);

    window.SetStartNumber(1, 9);
    window.SetNextNumber(1, 10);
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral("Best:"));
    EXPECT_EQ(window.LabNext2->text(), QString());

    window.show();
    EXPECT_EQ(bestTimeCalls, 2);
    EXPECT_EQ(window.ScaleX(), 2 * scale);
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral("Best:"));

    window.SetRunden(false);
    window.ApplyMode();
    EXPECT_EQ(window.LabStart2->text(), QStringLiteral(" Start-Nr.:6"));
    EXPECT_EQ(window.LabNext2->text(), QStringLiteral("Bereit: 8 "));
    EXPECT_EQ(bestTimeCalls, 2);
}

TEST_F(MonitorWindow, EscClosesOnlyOnMonitor0)
{
    window.FormCreate(QStringLiteral("* * *"), 1); // falls back to the only screen
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());

    window.SetMonitor(0);
    QTest::keyClick(&window, Qt::Key_Q);
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(indicator, (std::vector<bool>{true, false}));
}

TEST_F(MonitorWindow, RowsHoldTheirOwnLanesControls)
{
    for (int lane = 0; lane < 2; ++lane) {
        const DigitRow* row = window.Row(lane);
        ASSERT_NE(row, nullptr);
        const QString suffix = lane == 0 ? QString() : QStringLiteral("a");
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(row->digits[std::size_t(i)],
                      window.findChild<TDigit*>(QStringLiteral("Digit%1%2").arg(i + 3).arg(suffix)));
        EXPECT_EQ(row->labMin->objectName(), lane == 0 ? "LabMin" : "LabMin2");
        EXPECT_EQ(row->labSec->objectName(), lane == 0 ? "LabSec" : "LabSec2");
    }
    EXPECT_EQ(window.Row(2), nullptr);
    EXPECT_EQ(window.Row(-1), nullptr);
}

TEST_F(MonitorWindow, IsABlackBorderlessTopWindowWithoutPointer)
{
    const auto flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    EXPECT_EQ(window.windowFlags() & flags, flags);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(TextColor(window.LabStart1), QColor(0, 255, 0));
    EXPECT_EQ(TextColor(window.LabNext2), QColor(255, 0, 0));
    const auto children = window.findChildren<QWidget*>();
    // The designed 25 controls, the two lanes' driver labels, the corner code and its text.
    EXPECT_EQ(children.size(), 29);
    EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("LabEntry1")), nullptr);
    EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("LabEntry2")), nullptr);
    EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("LabCode")), nullptr);
    EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("LabCodeText")), nullptr);
    for (const QWidget* child : children) {
        EXPECT_FALSE(child->objectName().isEmpty());
        EXPECT_EQ(child->cursor().shape(), Qt::BlankCursor) << child->objectName().toStdString();
    }
}

TEST_F(MonitorWindow, ResizeRearrangesWithTheCurrentScale)
{
    window.FormCreate(QStringLiteral("* * *"), 0);
    window.show();
    const double scale = window.ScaleX();
    window.resize(window.width(), 500);
    const int lab = window.PanelLab1->height();
    const int h = (500 - 3 * lab - window.PanelTitle->height()) / 2;
    EXPECT_EQ(window.ScaleX(), scale);
    EXPECT_EQ(window.Row(1)->digits[0]->height(), h);
    EXPECT_EQ(window.Row(1)->digits[0]->y(), 500 - h - lab / 2);
    EXPECT_EQ(window.PanelTimer->size(), QSize(window.width(), 500));
}

TEST_F(MonitorWindow, ScaleRectRoundsCornersHalfToEven)
{
    lane1->resize(2 * window.screen()->geometry().width(), 143);
    window.FormCreate(QStringLiteral("* * *"), 0);
    ASSERT_EQ(window.ScaleX(), 0.5);
    // Corners 0.5, 1.5, 1.5, 2.5 round to 0, 2, 2, 2; the size is not scaled.
    EXPECT_EQ(window.ScaleRect(QRect(1, 3, 2, 2)), QRect(0, 2, 2, 0));
    EXPECT_EQ(window.ScaleRect(QRect(5, 7, 0, 0)), QRect(2, 4, 0, 0));
}

TEST_F(MonitorWindow, UnusableSourcesLeaveTheLayoutStanding)
{
    window.FormCreate(QStringLiteral("* * *"), 0);
    const double scale = window.ScaleX();
    const QRect labSec = window.Row(0)->labSec->geometry();
    delete lane1->findChild<QLabel*>(QStringLiteral("LabSec"));
    lane1->resize(0, 143); // would divide by zero
    window.PlaceOnMonitor();
    EXPECT_EQ(window.ScaleX(), scale);
    EXPECT_EQ(window.Row(0)->labSec->geometry(), labSec);
    EXPECT_EQ(window.Row(0)->labMin->font().pointSize(), int(std::nearbyint(48 * scale)));
    EXPECT_EQ(window.Row(0)->digits[5]->Thickness(), int(std::nearbyint(5 * scale)));
}

} // namespace
