#include "TFormMonitor2.h"

#include "DeskFont.h"
#include "TColor.h"
#include "TDigit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr TColor DimColor = clDarkGrey;

// Halves go to the even neighbour (the default floating-point rounding mode).
int RoundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

// A font's size in points, also when it was set in pixels.
double PointSize(const QFont& font, const QWidget* owner)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    return font.pixelSize() * 72.0 / owner->logicalDpiY();
}

QFont WithPointSize(QFont font, int points)
{
    // Qt refuses sizes below one point; a window that small shows nothing anyway.
    font.setPointSize(std::max(1, points));
    return font;
}

// A control's bounds in the coordinates of its lane frame.
QRect BoundsIn(const QWidget* child, const QWidget* frame)
{
    return QRect(child->mapTo(frame, QPoint(0, 0)), child->size());
}

QString StartCaption(int number)
{
    return QStringLiteral(" Start-Nr.:") + QString::number(number);
}

QString NextCaption(int number)
{
    return QStringLiteral("Bereit: ") + QString::number(number) + QLatin1Char(' ');
}

} // namespace

TFormMonitor2::TFormMonitor2(QWidget* laneFrame1, QWidget* laneFrame2, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , lane1_(laneFrame1)
    , lane2_(laneFrame2)
{
    setObjectName(QStringLiteral("FormMonitor2"));
    setWindowTitle(QStringLiteral("Monitor 2"));
    // Closing only hides the window; it must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setFont(DeskFontPoints(14));
    // Children inherit the cursor, so the pointer is hidden over every panel.
    setCursor(Qt::BlankCursor);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    PanelTimer = new QWidget(Panel1);
    PanelTimer->setObjectName(QStringLiteral("PanelTimer"));

    PanelTitle = new QLabel(QStringLiteral("* * *"), PanelTimer);
    PanelTitle->setObjectName(QStringLiteral("PanelTitle"));
    PanelTitle->setAlignment(Qt::AlignCenter);

    PanelLab1 = CaptionStrip("PanelLab1", LabStart1, "LabStart1", LabNext1, "LabNext1");
    PanelLab2 = CaptionStrip("PanelLab2", LabStart2, "LabStart2", LabNext2, "LabNext2");

    LabEntry1 = new QLabel(PanelTimer);
    LabEntry1->setObjectName(QStringLiteral("LabEntry1"));
    LabEntry2 = new QLabel(PanelTimer);
    LabEntry2->setObjectName(QStringLiteral("LabEntry2"));
    for (QLabel* label : {LabEntry1, LabEntry2}) {
        label->setAlignment(Qt::AlignCenter);
        SetLabelColor(label, clWhite);
    }

    LabCode = new QLabel(PanelTimer);
    LabCode->setObjectName(QStringLiteral("LabCode"));
    LabCodeText = new QLabel(PanelTimer);
    LabCodeText->setObjectName(QStringLiteral("LabCodeText"));
    LabCodeText->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetLabelColor(LabCodeText, clWhite);
    LabCode->hide();
    LabCodeText->hide();

    rows_[0] = BuildRow("", "LabMin", "LabSec");
    rows_[1] = BuildRow("a", "LabMin2", "LabSec2");
}

QWidget* TFormMonitor2::CaptionStrip(const char* name, QLabel*& start, const char* startName,
                                     QLabel*& next, const char* nextName)
{
    auto* strip = new QWidget(PanelTimer);
    strip->setObjectName(QLatin1String(name));
    start = new QLabel(strip);
    start->setObjectName(QLatin1String(startName));
    start->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetLabelColor(start, clLime);
    next = new QLabel(strip);
    next->setObjectName(QLatin1String(nextName));
    next->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetLabelColor(next, clRed);
    // The labels set no font of their own, so they always use the strip's.
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(start);
    layout->addStretch(1);
    layout->addWidget(next);
    return strip;
}

DigitRow TFormMonitor2::BuildRow(const char* digitSuffix, const char* labMinName,
                                 const char* labSecName)
{
    DigitRow row;
    // The separators are created first, so the opaque digits lie above them
    // and a digit's paint never has to redraw a label as well.
    row.labMin = NewSeparatorLabel(PanelTimer, labMinName, QStringLiteral("."), DimColor);
    row.labSec = NewSeparatorLabel(PanelTimer, labSecName, QStringLiteral(","), clYellow);
    for (std::size_t i = 0; i < row.digits.size(); ++i) {
        auto* digit = new TDigit(PanelTimer);
        digit->setObjectName(QStringLiteral("Digit%1%2").arg(i + 3).arg(QLatin1String(digitSuffix)));
        digit->resize(45, 89);
        digit->SetThickness(5);
        digit->SetSeparation(1);
        digit->SetColor(clBlack);
        digit->SetColorOff(clBlack);
        digit->SetColorOn(i < 3 ? DimColor : clYellow);
        row.digits[i] = digit;
    }
    return row;
}

DigitRow* TFormMonitor2::Row(int lane)
{
    if (lane < 0 || lane >= int(rows_.size()))
        return nullptr;
    return &rows_[std::size_t(lane)];
}

QString TFormMonitor2::Title() const
{
    return PanelTitle->text();
}

void TFormMonitor2::SetTitle(const QString& title)
{
    PanelTitle->setText(title);
    if (!cornerCode_.isNull())
        ArrangeCorner(PanelTitle->height(), PanelLab1->height());
}

void TFormMonitor2::SetStartNumber(int lane, int number)
{
    if (lane == 0)
        LabStart1->setText(StartCaption(number));
    else if (lane == 1 && !runden_)
        LabStart2->setText(StartCaption(number));
    PlaceEntry(lane);
}

void TFormMonitor2::SetNextNumber(int lane, int number)
{
    if (lane == 0)
        LabNext1->setText(NextCaption(number));
    else if (lane == 1 && !runden_)
        LabNext2->setText(NextCaption(number));
    PlaceEntry(lane);
}

void TFormMonitor2::SetEntry(int lane, const QString& name, const QString& className)
{
    if (lane < 0 || lane > 1)
        return;
    entryNames_[std::size_t(lane)] = name;
    entryClasses_[std::size_t(lane)] = className;
    PlaceEntry(lane);
}

QString TFormMonitor2::EntryText(int lane) const
{
    if (lane < 0 || lane > 1)
        return QString();
    const QString& className = entryClasses_[std::size_t(lane)];
    return entryNames_[std::size_t(lane)] + (className.isEmpty() ? QString() : QStringLiteral(", Klasse ") + className);
}

void TFormMonitor2::PlaceEntry(int lane)
{
    if (lane < 0 || lane > 1)
        return;
    QWidget* strip = lane == 0 ? PanelLab1 : PanelLab2;
    QLabel* start = lane == 0 ? LabStart1 : LabStart2;
    QLabel* next = lane == 0 ? LabNext1 : LabNext2;
    QLabel* entry = lane == 0 ? LabEntry1 : LabEntry2;
    // The room between the captions' texts, so the designed captions stay whole.
    const QFontMetrics metrics(strip->font());
    const int gap = metrics.horizontalAdvance(QStringLiteral("  "));
    const int left = strip->x() + metrics.horizontalAdvance(start->text()) + gap;
    const int right = strip->x() + strip->width() - metrics.horizontalAdvance(next->text()) - gap;
    const int room = std::max(0, right - left);
    const QString whole = EntryText(lane);
    const QString classPart = whole.mid(entryNames_[std::size_t(lane)].size());
    // A long name shrinks to two thirds of the captions' size, then is cut;
    // the class always stays.
    QFont font = strip->font();
    const int smallest = std::max(1, font.pointSize() * 2 / 3);
    while (font.pointSize() > smallest && QFontMetrics(font).horizontalAdvance(whole) > room)
        font.setPointSize(font.pointSize() - 1);
    const QFontMetrics fitted(font);
    const QString name = fitted.elidedText(entryNames_[std::size_t(lane)], Qt::ElideRight,
                                           std::max(0, room - fitted.horizontalAdvance(classPart)));
    entry->setFont(font);
    entry->setGeometry(left, strip->y(), room, strip->height());
    const bool shown = lane == 0 || !runden_;
    entry->setText(shown ? name + classPart : QString());
}

void TFormMonitor2::SetCornerCode(const QImage& code, const QString& text)
{
    if (code == cornerCode_ && text == cornerText_)
        return;
    cornerCode_ = code;
    cornerText_ = text;
    // Only the corner and the strips beside it move; the digits stay as they are.
    ArrangeCorner(PanelTitle->height(), PanelLab1->height());
    PlaceEntry(0);
}

void TFormMonitor2::ArrangeCorner(int titleHeight, int labHeight)
{
    const int W = width();
    const int margin = std::max(2, labHeight / 10);
    QFont small = PanelTitle->font();
    small.setPixelSize(std::max(8, labHeight / 3));
    const QFontMetrics metrics(small);
    // Whole pixels a module, or none at all: a blurred code is not read, and
    // a code too large for the corner would reach the digits.
    const int room = titleHeight + labHeight - 2 * margin;
    const int scale = cornerCode_.isNull() ? 0 : room / cornerCode_.height();
    const bool shown = scale > 0;
    int beside = 0; // the title's room lost on each side
    int captions = 0; // the upper captions' room lost on the right
    if (shown) {
        const QSize side = cornerCode_.size() * scale;
        LabCode->setPixmap(QPixmap::fromImage(cornerCode_.scaled(side, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
        LabCode->setGeometry(W - margin - side.width(), margin, side.width(), side.height());
        beside = side.width() + 2 * margin;
        // The text at the code's foot, left of it, in the upper captions' row.
        const int textWidth = cornerText_.isEmpty() ? 0 : metrics.horizontalAdvance(cornerText_) + margin;
        LabCodeText->setFont(small);
        LabCodeText->setText(cornerText_);
        LabCodeText->setGeometry(W - beside - textWidth, margin + side.height() - metrics.height(), textWidth,
                                 metrics.height());
        captions = beside + textWidth + margin;
    }
    LabCode->setVisible(shown);
    LabCodeText->setVisible(shown && !cornerText_.isEmpty());
    // The title stays centred. One too long for that takes the room left of
    // the corner and shrinks to two thirds of its size at most, so its start
    // is not lost under the corner.
    QFont titleFont = WithPointSize(PanelTitle->font(), PanelLab1->font().pointSize());
    QRect title(beside, 0, W - 2 * beside, titleHeight);
    const auto tooWide = [this, &titleFont, &title] {
        return QFontMetrics(titleFont).horizontalAdvance(PanelTitle->text()) > title.width();
    };
    if (shown && tooWide()) {
        title = QRect(0, 0, W - beside, titleHeight);
        const int smallest = std::max(1, titleFont.pointSize() * 2 / 3);
        while (titleFont.pointSize() > smallest && tooWide())
            titleFont.setPointSize(titleFont.pointSize() - 1);
    }
    PanelTitle->setFont(titleFont);
    PanelTitle->setGeometry(title);
    // The captions of the upper lane end before the corner.
    PanelLab1->setGeometry(0, titleHeight, W - captions, labHeight);
}

void TFormMonitor2::FormCreate(const QString& title, int monitor)
{
    SetTitle(title);
    monitor_ = monitor;
    PlaceOnMonitor();
}

void TFormMonitor2::RefreshCaptions()
{
    if (ReadStartNumbers) {
        const StartNumbers n = ReadStartNumbers();
        SetStartNumber(0, n.start1);
        SetNextNumber(0, n.next1);
        SetStartNumber(1, n.start2);
        SetNextNumber(1, n.next2);
    }
    if (runden_) {
        Q_EMIT BestTimeWanted();
        LabNext2->clear();
        LabStart2->setText(QStringLiteral("Best:"));
    }
    PlaceEntry(0);
    PlaceEntry(1);
}

void TFormMonitor2::ApplyMode()
{
    if (isVisible())
        PlaceOnMonitor();
    RefreshCaptions();
}

void TFormMonitor2::FormShow()
{
    PlaceOnMonitor();
    Q_EMIT IndicatorChanged(true);
    RefreshCaptions();
}

void TFormMonitor2::FormClose()
{
    Q_EMIT IndicatorChanged(false);
}

void TFormMonitor2::FormResize()
{
    ArrangeControls();
}

void TFormMonitor2::FormKeyDown(QKeyEvent* event)
{
    // On monitor 0 the window covers the operator's own screen: Esc is the
    // way out. On a spectator monitor a stray key must not switch it off.
    if (event->key() == Qt::Key_Escape && monitor_ == 0) {
        close();
        return;
    }
    event->ignore();
}

void TFormMonitor2::showEvent(QShowEvent* event)
{
    // Spontaneous show events come from the window system (a remap), not
    // from the operator switching the window on.
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TFormMonitor2::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TFormMonitor2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TFormMonitor2::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event);
}

QScreen* TFormMonitor2::TargetScreen() const
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return nullptr;
    // A monitor unplugged during the event must not leave the window nowhere.
    if (monitor_ < 0 || monitor_ >= screens.size())
        return screens.first();
    return screens.at(monitor_);
}

void TFormMonitor2::PlaceOnMonitor()
{
    if (QScreen* screen = TargetScreen()) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    // A frame without width (not laid out yet) gives no scale; keep the last one.
    if (lane1_->width() > 0) {
        scaleX_ = double(width()) / double(lane1_->width());
        scaleY_ = scaleX_ * 1.0;
    }
    ArrangeControls();
}

QRect TFormMonitor2::ScaleRect(const QRect& rect) const
{
    const int left = RoundHalfEven(rect.left() * scaleX_);
    const int top = RoundHalfEven(rect.top() * scaleY_);
    const int right = RoundHalfEven((rect.left() + rect.width()) * scaleX_);
    const int bottom = RoundHalfEven((rect.top() + rect.height()) * scaleY_);
    return QRect(left, top, right - left, bottom - top);
}

void TFormMonitor2::ArrangeDigits(const DigitRow& row, const QWidget* source, int rowTop, int h)
{
    for (std::size_t i = 0; i < row.digits.size(); ++i) {
        TDigit* digit = row.digits[i];
        const auto* from = source->findChild<const TDigit*>(QStringLiteral("Digit%1").arg(i + 3));
        if (!from)
            continue;
        digit->setGeometry(ScaleRect(BoundsIn(from, source)));
        // The digit accepts the thickness only if it fits this scaled size.
        digit->SetThickness(RoundHalfEven(from->Thickness() * scaleX_));
        digit->setGeometry(digit->x(), rowTop, digit->width(), h);
    }
}

bool TFormMonitor2::ScaleSeparator(QLabel* label, const QWidget* source, const char* sourceName)
{
    const auto* from = source->findChild<const QLabel*>(QLatin1String(sourceName));
    if (!from)
        return false;
    label->setGeometry(ScaleRect(BoundsIn(from, source)));
    const QFont sourceFont = from->font();
    label->setFont(WithPointSize(sourceFont, RoundHalfEven(PointSize(sourceFont, from) * scaleX_)));
    return true;
}

void TFormMonitor2::ArrangeControls()
{
    const int W = width();
    const int H = height();
    Panel1->setGeometry(0, 0, W, H);
    PanelTimer->setGeometry(0, 0, W, H);

    // The caption strips and the title take the lane frame's font, scaled.
    // The strip labels set no font of their own, so they follow their strip.
    const int captionPoints = RoundHalfEven(PointSize(lane1_->font(), lane1_) * scaleY_);
    PanelLab1->setFont(WithPointSize(PanelLab1->font(), captionPoints));
    const int labHeight = PanelLab1->fontInfo().pixelSize();
    PanelLab2->setFont(PanelLab1->font());
    const int lab2Height = labHeight;
    PanelTitle->setFont(WithPointSize(PanelTitle->font(), captionPoints));
    const int titleHeight = std::abs(RoundHalfEven(PanelTitle->fontInfo().pixelSize() * 1.15));

    const int h = (H - labHeight - 2 * lab2Height - titleHeight) / 2;
    const int upperTop = titleHeight + labHeight;
    const int lowerTop = H - h - lab2Height / 2;
    ArrangeDigits(rows_[0], lane1_, upperTop, h);
    ArrangeDigits(rows_[1], lane2_, lowerTop, h);

    ArrangeCorner(titleHeight, labHeight);
    PanelLab2->setGeometry(0, lowerTop - lab2Height, W, lab2Height);
    PlaceEntry(0);
    PlaceEntry(1);

    // The separators sit on the digits' baseline: 73 % of their height
    // reaches above the bottom of the row; the lower row repeats the offset.
    const DigitRow& upper = rows_[0];
    const DigitRow& lower = rows_[1];
    if (ScaleSeparator(upper.labMin, lane1_, "LabMin"))
        upper.labMin->move(upper.labMin->x(), upperTop + h - (upper.labMin->height() * 73) / 100);
    if (ScaleSeparator(upper.labSec, lane1_, "LabSec"))
        upper.labSec->move(upper.labSec->x(), upper.labMin->y());
    if (ScaleSeparator(lower.labMin, lane2_, "LabMin"))
        lower.labMin->move(lower.labMin->x(), lowerTop + (upper.labMin->y() - upperTop));
    if (ScaleSeparator(lower.labSec, lane2_, "LabSec"))
        lower.labSec->move(lower.labSec->x(), lowerTop + (upper.labSec->y() - upperTop));
}
