#include "TSpinFloatEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace {

// The two halves of the up/down button. Holding a half down repeats the
// step, first after 400 ms, then every 100 ms.
class SpinButton : public QWidget
{
public:
    SpinButton(TSpinFloatEdit* edit)
        : QWidget(edit)
        , edit_(edit)
        , repeat_(new QTimer(this))
    {
        setObjectName(QStringLiteral("SpinButton"));
        setFixedSize(TSpinFloatEdit::ButtonWidth, TSpinFloatEdit::ButtonHeight);
        setCursor(Qt::ArrowCursor);
        QObject::connect(repeat_, &QTimer::timeout, this, [this] {
            repeat_->setInterval(100);
            StepPressed();
        });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int half = height() / 2;
        PaintHalf(painter, QRect(0, 0, width(), half), pressed_ == 1, QStyle::PE_IndicatorArrowUp);
        PaintHalf(painter, QRect(0, half, width(), height() - half), pressed_ == 2, QStyle::PE_IndicatorArrowDown);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !edit_->isEnabled())
            return;
        edit_->setFocus(Qt::MouseFocusReason);
        pressed_ = event->position().y() < height() / 2 ? 1 : 2;
        update();
        StepPressed();
        repeat_->start(400);
    }

    void mouseReleaseEvent(QMouseEvent*) override
    {
        repeat_->stop();
        pressed_ = 0;
        update();
    }

private:
    void StepPressed()
    {
        if (pressed_ == 1)
            edit_->UpClick();
        else if (pressed_ == 2)
            edit_->DownClick();
    }

    void PaintHalf(QPainter& painter, const QRect& rect, bool down, QStyle::PrimitiveElement arrow)
    {
        QStyleOption option;
        option.initFrom(this);
        option.rect = rect;
        option.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        if (!edit_->isEnabled())
            option.state &= ~QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        option.rect = rect.adjusted(3, 1, -3, -1);
        style()->drawPrimitive(arrow, &option, &painter, this);
    }

    TSpinFloatEdit* edit_;
    QTimer* repeat_;
    int pressed_ = 0; // 1 upper half, 2 lower half
};

} // namespace

TSpinFloatEdit::TSpinFloatEdit(QWidget* parent)
    : TCustomFloatEdit(parent)
    , button_(new SpinButton(this))
{
    // The text ends before the button.
    setTextMargins(0, 0, ButtonWidth, 0);
    setMinimumHeight(ButtonHeight + 4);
}

void TSpinFloatEdit::UpClick()
{
    Step(Direction::Up);
}

void TSpinFloatEdit::DownClick()
{
    Step(Direction::Down);
}

void TSpinFloatEdit::Step(Direction direction)
{
    if (isReadOnly()) {
        QApplication::beep();
        return;
    }
    if (const auto handler = OnComputedIncrement)
        handler(this, direction);
    else
        SetValue(Value() + (direction == Direction::Up ? increment_ : -increment_));
}

void TSpinFloatEdit::keyPressEvent(QKeyEvent* event)
{
    if (!editorEnabled_) {
        // Enter and Escape still reach the dialog's buttons.
        const int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            event->ignore();
        else
            event->accept();
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        Step(event->key() == Qt::Key_Up ? Direction::Up : Direction::Down);
        event->accept();
        return;
    }
    TCustomFloatEdit::keyPressEvent(event);
}

void TSpinFloatEdit::resizeEvent(QResizeEvent* event)
{
    TCustomFloatEdit::resizeEvent(event);
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    button_->move(width() - frame - ButtonWidth, (height() - ButtonHeight) / 2);
}
