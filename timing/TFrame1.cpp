#include "TFrame1.h"

#include "DeskFont.h"
#include "ProtocolModel.h"
#include "DrawnPicture.h"
#include "LaneTick.h"
#include "TDigit.h"

#include <QLabel>
#include <QSpinBox>

namespace {

constexpr int DigitLeft[6] = {4, 52, 132, 180, 260, 308};
constexpr int DigitTop = 43;
constexpr int SeparatorTop = 70;

QSpinBox* StartNumberEdit(QWidget* parent, const char* name, TColor textColor, int value)
{
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setRange(1, 9999);
    edit->setValue(value);
    QFont font = DeskFontPoints(18);
    edit->setFont(font);
    edit->setStyleSheet(QStringLiteral("QSpinBox { color: %1; background: #404040; border: 1px solid #606060; }")
                            .arg(ToQColor(textColor).name()));
    return edit;
}

} // namespace

TFrame1::TFrame1(int tag, const ::Clock& clock, QWidget* parent)
    : QFrame(parent)
    , tag_(tag)
    , clock_(clock)
{
    setObjectName(tag == 0 ? QStringLiteral("FrameT1") : QStringLiteral("FrameT2"));
    setFixedSize(374, 143);
    setFont(DeskFontPoints(14));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    BuildDigits();
    BuildPanel6();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(356, 43, 16, 89);
    Image1->setPixmap(DecorativeStrip(QSize(16, 89)));

    tick_ = LaneTick::Shared();
    connect(tick_.get(), &LaneTick::Tick, this, [this] {
        if (running_)
            ClockTimer();
    });
}

TFrame1::~TFrame1()
{
    if (running_)
        tick_->Leave();
}

void TFrame1::BuildDigits()
{
    for (int i = 0; i < 6; ++i) {
        auto* digit = new TDigit(this);
        digit->setObjectName(QStringLiteral("Digit%1").arg(i + 3));
        digit->setGeometry(DigitLeft[i], DigitTop, 45, 89);
        digit->SetThickness(5);
        digit->SetSeparation(1);
        digit->SetColorOff(clBlack);
        digit->SetColorOn(i < 3 ? DimColor : OnColor);
        Digits.digits[std::size_t(i)] = digit;
    }
    Digits.labMin = NewSeparatorLabel(this, "LabMin", QStringLiteral("."), DimColor);
    Digits.labMin->setGeometry(108, SeparatorTop, 25, 81);
    Digits.labSec = NewSeparatorLabel(this, "LabSec", QStringLiteral(","), OnColor);
    Digits.labSec->setGeometry(236, SeparatorTop, 25, 81);
}

void TFrame1::BuildPanel6()
{
    Panel6 = new QWidget(this);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setGeometry(0, 0, 374, 40);
    Panel6->setFont(DeskFontPoints(14));

    Label1 = new QLabel(QStringLiteral("Start-Nr.:"), Panel6);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(4, 4, 118, 32);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetLabelColor(Label1, clLime);

    editStartN1 = StartNumberEdit(Panel6, "editStartN1", clLime, tag_ == 0 ? 1 : 2);
    editStartN1->setGeometry(122, 4, 86, 32);

    Label2 = new QLabel(QStringLiteral("Bereit:"), Panel6);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(208, 4, 74, 32);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetLabelColor(Label2, clRed);

    editStartN2 = StartNumberEdit(Panel6, "editStartN2", clRed, tag_ == 0 ? 3 : 4);
    editStartN2->setGeometry(284, 4, 86, 32);

    connect(editStartN1, &QSpinBox::valueChanged, this, [this] { Q_EMIT StartNumberChange(this); });
    connect(editStartN2, &QSpinBox::valueChanged, this, [this] { Q_EMIT NextNumberChange(this); });
}

void TFrame1::WriteRow(const DigitRow& row, int m, int s, int c)
{
    auto& d = row.digits;
    d[0]->SetValue(m / 10);
    d[0]->SetColorOn(m / 10 > 0 ? OnColor : DimColor);
    d[1]->SetValue(m % 10);
    d[1]->SetColorOn(m > 0 ? OnColor : DimColor);
    SetLabelColor(row.labMin, d[1]->ColorOn());
    d[2]->SetValue(s / 10);
    d[2]->SetColorOn(s / 10 + m > 0 ? OnColor : DimColor);
    d[3]->SetValue(s % 10);
    d[4]->SetValue(c / 10);
    d[5]->SetValue(c % 10);
}

void TFrame1::ShowDigits(int minutes, int seconds, int hundredths)
{
    WriteRow(Digits, minutes, seconds, hundredths);
    if (mirror_)
        WriteRow(*mirror_, minutes, seconds, hundredths);
}

void TFrame1::ShowTime(std::int32_t ms)
{
    // A negative time cannot come from the lanes; showing 0 beats garbage.
    const std::int32_t t = ms > 0 ? ms / 10 : 0;
    ShowDigits((t / 6000) % 60, (t / 100) % 60, t % 100);
}

void TFrame1::ClockTimer()
{
    // Always recomputed from the start tick, so late timer events never add up.
    ShowTime(TickDiff(clock_.TickCount(), StartTick));
}

void TFrame1::StartRun(std::optional<TimeStamp> edge)
{
    // The time stamp comes first: nothing may delay it.
    StartStamp = edge ? *edge : clock_.Stamp();
    StartTick = StartStamp.tick;
    ClockTime = LocalTimeOf(edge);
    if (!running_) {
        running_ = true;
        tick_->Join();
    }
    editStartN1->setEnabled(false);
    if (protocol_)
        protocol_->BeginRunRow(StartNumberText(), ClockTime.time());
}

void TFrame1::StopRun(std::optional<TimeStamp> edge)
{
    StopStamp = edge ? *edge : clock_.Stamp();
    StopTick = StopStamp.tick;
    if (running_) {
        running_ = false;
        tick_->Leave();
    }
    ClockTime = LocalTimeOf(edge);
    const std::int32_t runTime = TickDiff(StopTick, StartTick);
    ShowTime(runTime);
    if (protocol_)
        protocol_->FinishRunRow(StartNumberText(), ClockTime.time(), runTime);
}

// The clock time of an edge is the local time now minus the edge's age, so
// "Start" and "Stopp" name the moment the car passed, not the moment the
// screen got round to it.
QDateTime TFrame1::LocalTimeOf(const std::optional<TimeStamp>& edge) const
{
    return edge ? clock_.LocalTimeOf(*edge) : clock_.LocalNow();
}

void TFrame1::ResetRowColours(const DigitRow& row, bool wholeRow)
{
    for (std::size_t i = wholeRow ? 0 : 3; i < row.digits.size(); ++i)
        row.digits[i]->SetColorOn(OnColor);
    SetLabelColor(row.labSec, OnColor);
}

void TFrame1::ClearDisplay()
{
    ResetRowColours(Digits, true);
    if (mirror_)
        ResetRowColours(*mirror_, false);
    ShowTime(0);
}

void TFrame1::ClearResult()
{
    ClearDisplay();
    editStartN1->setEnabled(true);
    StopTick = StartTick;
    StopStamp = StartStamp;
    Q_EMIT ResultCleared(this);
}

void TFrame1::ResetLane()
{
    ClearDisplay();
    if (StopTick != 0) {
        editStartN1->setValue(editStartN2->value());
        editStartN2->setValue(editStartN2->value() + (runden_ ? 1 : 2));
    }
    editStartN1->setEnabled(true);
    StopTick = StartTick;
    StopStamp = StartStamp;
    Q_EMIT ResultCleared(this);
}

bool TFrame1::Running() const
{
    return running_;
}

QString TFrame1::StartNumberText() const
{
    return editStartN1->text();
}
