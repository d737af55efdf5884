#include "FakeClock.h"
#include "LaneTick.h"
#include "QtPrinters.h"
#include "ProtocolModel.h"
#include "TDigit.h"
#include "TFrame1.h"
#include "TSortGrid.h"

#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// A lane with a protocol grid beside it, as on the main window.
struct LaneRig
{
    explicit LaneRig(int tag = 0)
        : lane(tag, clock)
    {
        grid.ShowModel(&protocol);
        lane.SetProtocol(&protocol);
    }

    QString Shown() const
    {
        const auto& d = lane.Digits.digits;
        return QStringLiteral("%1%2.%3%4,%5%6")
            .arg(d[0]->Value()).arg(d[1]->Value()).arg(d[2]->Value())
            .arg(d[3]->Value()).arg(d[4]->Value()).arg(d[5]->Value());
    }
    // Which of the first three digits and the point are lit, as "L" or "d".
    QString Lit() const
    {
        const auto& d = lane.Digits.digits;
        auto c = [](TColor color) { return color == TFrame1::OnColor ? QChar('L') : QChar('d'); };
        return QString() + c(d[0]->ColorOn()) + c(d[1]->ColorOn()) + c(LabelColor(lane.Digits.labMin)) +
               c(d[2]->ColorOn());
    }

    FakeClock clock;
    TSortGrid grid;
    TFrame1 lane;
    ProtocolModel protocol;
};

// A stand-in for the spectator window's row of one lane.
struct MirrorRow
{
    MirrorRow()
    {
        for (auto& d : digits)
            d = new TDigit(&parent);
        row.digits = {digits[0], digits[1], digits[2], digits[3], digits[4], digits[5]};
        row.labMin = new QLabel(&parent);
        row.labSec = new QLabel(&parent);
    }
    QWidget parent;
    TDigit* digits[6];
    DigitRow row;
};

} // namespace

TEST(TFrame1, DesignLayoutAndStartNumbers)
{
    LaneRig lane1(0);
    LaneRig lane2(1);
    EXPECT_EQ(lane1.lane.size(), QSize(374, 143));
    EXPECT_EQ(lane1.lane.objectName(), "FrameT1");
    EXPECT_EQ(lane2.lane.objectName(), "FrameT2");
    const int left[6] = {4, 52, 132, 180, 260, 308};
    for (int i = 0; i < 6; ++i) {
        auto* digit = lane1.lane.findChild<TDigit*>(QStringLiteral("Digit%1").arg(i + 3));
        ASSERT_NE(digit, nullptr);
        EXPECT_EQ(digit->geometry(), QRect(left[i], 43, 45, 89));
        EXPECT_EQ(digit->Thickness(), 5);
    }
    EXPECT_EQ(lane1.lane.findChild<QLabel*>("LabMin")->geometry(), QRect(108, 70, 25, 81));
    EXPECT_EQ(lane1.lane.findChild<QLabel*>("LabSec")->geometry(), QRect(236, 70, 25, 81));
    EXPECT_EQ(lane1.lane.editStartN1->value(), 1);
    EXPECT_EQ(lane1.lane.editStartN2->value(), 3);
    EXPECT_EQ(lane2.lane.editStartN1->value(), 2);
    EXPECT_EQ(lane2.lane.editStartN2->value(), 4);
    EXPECT_EQ(lane1.lane.editStartN1->maximum(), 9999);
}

TEST(TFrame1, ShowTimeDimsLeadingZeros)
{
    LaneRig rig;
    struct Case { std::int32_t ms; const char* shown; const char* lit; };
    const Case cases[] = {
        {0, "00.00,00", "dddd"},
        {9990, "00.09,99", "dddd"},
        {10000, "00.10,00", "dddL"},
        {59990, "00.59,99", "dddL"},
        {60000, "01.00,00", "dLLL"}, // seconds tens 0, lit because of the minutes
        {600000, "10.00,00", "LLLL"},
        {3599990, "59.59,99", "LLLL"},
        {3660000, "01.00,00", "dLLL"}, // no hour digit: 61 minutes wrap
    };
    for (const Case& c : cases) {
        rig.lane.ShowTime(c.ms);
        EXPECT_EQ(rig.Shown(), c.shown) << c.ms;
        // minutes tens, minutes units, point, seconds tens
        EXPECT_EQ(rig.Lit(), c.lit) << c.ms;
    }
}

TEST(TFrame1, SecondsUnitsCommaAndHundredthsStayLit)
{
    LaneRig rig;
    rig.lane.ShowTime(0);
    const auto& d = rig.lane.Digits.digits;
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(d[std::size_t(i)]->ColorOn(), TFrame1::OnColor);
    EXPECT_EQ(LabelColor(rig.lane.Digits.labSec), TFrame1::OnColor);
}

TEST(TFrame1, StartTakesTheTickBeforeAnythingElse)
{
    // Reading the wall clock costs time; it must not leak into the tick.
    FakeClock slow;
    slow.nowCostMs = 7;
    slow.tick = 5000;
    TSortGrid grid;
    ProtocolModel protocol;
    grid.ShowModel(&protocol);
    TFrame1 lane(0, slow);
    lane.SetProtocol(&protocol);

    lane.StartRun();
    EXPECT_EQ(lane.StartTick, 5000u);
    EXPECT_EQ(slow.tickReads, 1);
    EXPECT_TRUE(lane.Running());
    EXPECT_FALSE(lane.editStartN1->isEnabled());
    EXPECT_EQ(grid.Cells(0, 1), "1");
    EXPECT_EQ(grid.Cells(1, 1), "9:05.03,07");

    slow.tick = 17340;
    lane.StopRun();
    EXPECT_EQ(lane.StopTick, 17340u) << "the stop tick is read before the wall clock";
    EXPECT_FALSE(lane.Running());
    EXPECT_EQ(grid.Cells(3, 1), "12,34");
}

TEST(TFrame1, RunningDisplayFollowsTheTickCounter)
{
    LaneRig rig;
    rig.lane.StartRun();
    rig.clock.Advance(65120);
    rig.lane.ClockTimer();
    EXPECT_EQ(rig.Shown(), "01.05,12");
    rig.clock.Advance(5);
    rig.lane.ClockTimer();
    EXPECT_EQ(rig.Shown(), "01.05,12") << "hundredths are truncated";
}

TEST(TFrame1, RunTimeIsCorrectAcrossAWrapOfTheTickCounter)
{
    LaneRig rig;
    rig.clock.tick = 0xFFFFFF00u;
    rig.lane.StartRun();
    rig.clock.tick = 0x00000F00u; // 4096 ms later, after the wrap
    rig.lane.StopRun();
    EXPECT_EQ(rig.Shown(), "00.04,09");
    EXPECT_EQ(rig.grid.Cells(3, 1), "4,09");
}

TEST(TFrame1, StartAndStopInOneTickGiveZero)
{
    LaneRig rig;
    rig.lane.StartRun();
    rig.lane.StopRun();
    EXPECT_EQ(rig.Shown(), "00.00,00");
    EXPECT_EQ(rig.grid.Cells(3, 1), "0,00");
    EXPECT_EQ(rig.grid.Cells(4, 1), "") << "no speed for a zero run time";
}

TEST(TFrame1, ResetMovesStartNumbersOnOnlyAfterAStop)
{
    LaneRig rig;
    rig.lane.ResetLane();
    EXPECT_EQ(rig.lane.editStartN1->value(), 1) << "never stopped: numbers kept";
    EXPECT_EQ(rig.lane.editStartN2->value(), 3);

    rig.lane.StartRun();
    rig.clock.Advance(5000);
    rig.lane.StopRun();
    EXPECT_TRUE(rig.lane.ShowsResult());
    rig.lane.ResetLane();
    EXPECT_EQ(rig.lane.editStartN1->value(), 3);
    EXPECT_EQ(rig.lane.editStartN2->value(), 5);
    EXPECT_TRUE(rig.lane.editStartN1->isEnabled());
    EXPECT_FALSE(rig.lane.ShowsResult());
    EXPECT_EQ(rig.Shown(), "00.00,00");

    rig.lane.SetRunden(true);
    rig.lane.StartRun();
    rig.clock.Advance(5000);
    rig.lane.StopRun();
    rig.lane.ResetLane();
    EXPECT_EQ(rig.lane.editStartN1->value(), 5);
    EXPECT_EQ(rig.lane.editStartN2->value(), 6) << "Runden mode steps by one";
}

TEST(TFrame1, ResetAtTheTopStartNumberStaysInRange)
{
    LaneRig rig;
    rig.lane.editStartN2->setValue(9999);
    rig.lane.StartRun();
    rig.clock.Advance(1000);
    rig.lane.StopRun();
    rig.lane.ResetLane();
    EXPECT_EQ(rig.lane.editStartN1->value(), 9999);
    EXPECT_EQ(rig.lane.editStartN2->value(), 9999);
}

TEST(TFrame1, MirrorRowRepeatsValuesAndColours)
{
    LaneRig rig(1);
    MirrorRow mirror;
    rig.lane.SetMirror(&mirror.row);
    rig.lane.ShowTime(65120);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(mirror.row.digits[i]->Value(), rig.lane.Digits.digits[i]->Value());
        EXPECT_EQ(mirror.row.digits[i]->ColorOn(), rig.lane.Digits.digits[i]->ColorOn());
    }
    EXPECT_EQ(LabelColor(mirror.row.labMin), TFrame1::OnColor);

    mirror.digits[4]->SetColorOn(clRed);
    SetLabelColor(mirror.row.labSec, clRed);
    rig.lane.ResetLane();
    EXPECT_EQ(mirror.digits[4]->ColorOn(), TFrame1::OnColor);
    EXPECT_EQ(LabelColor(mirror.row.labSec), TFrame1::OnColor);
    EXPECT_EQ(LabelColor(mirror.row.labMin), TFrame1::DimColor);
}

TEST(TFrame1, StartNumberChangesAreReported)
{
    LaneRig rig;
    int current = 0, next = 0;
    QObject::connect(&rig.lane, &TFrame1::StartNumberChange, &rig.lane, [&](TFrame1*) { ++current; });
    QObject::connect(&rig.lane, &TFrame1::NextNumberChange, &rig.lane, [&](TFrame1*) { ++next; });
    rig.lane.editStartN2->setValue(7);
    EXPECT_EQ(next, 1);
    rig.lane.editStartN1->setValue(5);
    EXPECT_EQ(current, 1);
}

namespace {

// Counts the paints of the digits it watches and the windows' update passes.
struct PaintCounter : QObject
{
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        else if (event->type() == QEvent::UpdateRequest)
            ++updates[watched];
        return false;
    }
    std::map<QObject*, int> paints;
    std::map<QObject*, int> updates;
};

} // namespace

TEST(TFrame1, BothLanesShareOneTickAndEachWindowIsDrawnOncePerTick)
{
    FakeClock clock;
    QWidget window;
    TFrame1 lane1(0, clock, &window);
    TFrame1 lane2(1, clock, &window);
    lane2.move(0, 150);
    MirrorRow spectator;
    for (int i = 0; i < 6; ++i)
        spectator.digits[i]->move(20 * i, 0);
    lane1.SetMirror(&spectator.row);
    window.show();
    spectator.parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&spectator.parent));

    const auto tick = LaneTick::Shared();
    lane1.StartRun();
    lane2.StartRun();
    EXPECT_TRUE(tick->Active()) << "one tick for both lanes";
    clock.Advance(10); // 00.00,01, and the spectator row takes the lanes' colours
    Q_EMIT tick->Tick();
    QCoreApplication::processEvents();

    PaintCounter counter;
    std::vector<TDigit*> digits;
    for (TFrame1* lane : {&lane1, &lane2})
        digits.insert(digits.end(), lane->Digits.digits.begin(), lane->Digits.digits.end());
    digits.insert(digits.end(), std::begin(spectator.digits), std::end(spectator.digits));
    for (TDigit* d : digits)
        d->installEventFilter(&counter);
    window.installEventFilter(&counter);
    spectator.parent.installEventFilter(&counter);

    clock.Advance(1224); // 00.01,23: the last three digits of each row change
    Q_EMIT tick->Tick();
    EXPECT_TRUE(counter.paints.empty()) << "nothing is drawn inside the tick itself";
    EXPECT_EQ(lane2.Digits.digits[5]->Value(), 3) << "both lanes took the tick";
    QCoreApplication::processEvents();

    EXPECT_EQ(counter.updates[&window], 1) << "both lanes' digits in one update";
    EXPECT_EQ(counter.updates[&spectator.parent], 1);
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(counter.paints[digits[i]], i % 6 >= 3 ? 1 : 0) << "digit " << i;

    lane1.StopRun();
    EXPECT_TRUE(tick->Active()) << "lane 2 still runs";
    lane2.StopRun();
    EXPECT_FALSE(tick->Active());
}
