#include "TLbSpeedButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

TLbSpeedButton::TLbSpeedButton(QWidget* parent)
    : QWidget(parent)
{
    resize(100, 23);
    setCursor(Qt::PointingHandCursor);
}

void TLbSpeedButton::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
}

void TLbSpeedButton::SetColor(TColor color)
{
    color_ = color;
    update();
}

void TLbSpeedButton::SetLightColor(TColor color)
{
    lightColor_ = color;
    update();
}

void TLbSpeedButton::SetShadowColor(TColor color)
{
    shadowColor_ = color;
    update();
}

void TLbSpeedButton::SetFontColor(TColor color)
{
    fontColor_ = color;
    update();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(this, event->button());
    if (event->button() == Qt::LeftButton) {
        down_ = true;
        update();
    }
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasDown = down_;
    down_ = false;
    update();
    if (wasDown && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
}

void TLbSpeedButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        down_ = false;
        update();
    }
    QWidget::changeEvent(event);
}

void TLbSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const int offset = down_ ? 1 : 0;

    // Face: a vertical gradient from the light colour at the edges to the
    // face colour a quarter down, so an enabled button reads at a glance.
    QLinearGradient gradient(0, 0, 0, height());
    const QColor face = ToQColor(color_);
    const QColor light = ToQColor(lightColor_);
    gradient.setColorAt(0.0, light);
    gradient.setColorAt(0.25, face);
    gradient.setColorAt(1.0, light);
    QPainterPath path;
    path.addRoundedRect(box, 3, 3);
    painter.fillPath(path, gradient);
    if (shadowColor_ != clNone) {
        painter.setPen(QPen(ToQColor(shadowColor_), 1));
        painter.drawPath(path);
    }

    painter.setPen(ToQColor(isEnabled() ? fontColor_ : clGray));
    painter.setFont(font());
    painter.drawText(rect().translated(offset, offset), Qt::AlignCenter, caption_);
}
