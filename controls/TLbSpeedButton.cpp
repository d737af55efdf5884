#include "TLbSpeedButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int HotTrackSteps = 8;
constexpr int GradientBands = 32;
// The off-screen picture starts in this colour; what is still magenta when
// the face is done lets the parent show through (the rounded corners).
constexpr QRgb TransparentKey = 0xFFFF00FF;

int Blend(int from, int to, int num, int den)
{
    return int(std::lrint(from + double(num) * (to - from) / den));
}

QColor Blend(const QColor& from, const QColor& to, int num, int den)
{
    return QColor(Blend(from.red(), to.red(), num, den), Blend(from.green(), to.green(), num, den),
                  Blend(from.blue(), to.blue(), num, den));
}

// 32 horizontal bands from colour a at y0 to colour b at y1, between x0 and x1.
void Gradient(QPainter& painter, int x0, int x1, int y0, const QColor& a, int y1, const QColor& b)
{
    const int span = y1 - y0;
    for (int i = 0; i < GradientBands; ++i) {
        const int top = y0 + i * span / (GradientBands - 1);
        const int bottom = std::min(y1, top + span / (GradientBands - 1) + 1);
        if (bottom > top)
            painter.fillRect(QRect(x0, top, x1 - x0, bottom - top), Blend(a, b, i, GradientBands - 1));
    }
}

// A one-pixel outline of the rectangle from (left, top) to (right, bottom),
// right and bottom excluded; filled strips stay exact at any scale.
void Outline(QPainter& painter, int left, int top, int right, int bottom, const QColor& color)
{
    painter.fillRect(QRect(left, top, right - left, 1), color);
    painter.fillRect(QRect(left, bottom - 1, right - left, 1), color);
    painter.fillRect(QRect(left, top, 1, bottom - top), color);
    painter.fillRect(QRect(right - 1, top, 1, bottom - top), color);
}

void KeyOut(QImage& image, QRgb key)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(line, line + image.width(), key, QRgb(0));
    }
}

} // namespace

TLbSpeedButton::TLbSpeedButton(QWidget* parent)
    : QWidget(parent)
    , hotTrackFont_(parent ? parent->window()->font() : font())
{
    resize(100, 23);
}

void TLbSpeedButton::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
}

void TLbSpeedButton::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void TLbSpeedButton::SetStyle(TLbSpeedButtonStyle style)
{
    style_ = style;
    update();
}

void TLbSpeedButton::SetWordWrap(bool on)
{
    wordWrap_ = on;
    update();
}

void TLbSpeedButton::SetColor(TColor color)
{
    color_ = color;
    update();
}

void TLbSpeedButton::SetColorWhenDown(TColor color)
{
    colorWhenDown_ = color;
    update();
}

void TLbSpeedButton::SetHotTrackColor(TColor color)
{
    hotTrackColor_ = color;
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

void TLbSpeedButton::SetHotTrackFont(const QFont& font, TColor color)
{
    hotTrackFont_ = font;
    hotTrackFontColor_ = color;
    update();
}

void TLbSpeedButton::SetUseHotTrackFont(bool on)
{
    useHotTrackFont_ = on;
    update();
}

void TLbSpeedButton::SetGlyph(const QPixmap& glyph)
{
    glyph_ = glyph;
    if (!glyph_.isNull()) {
        QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
        KeyOut(image, reinterpret_cast<const QRgb*>(image.constScanLine(image.height() - 1))[0]);
        glyph_ = QPixmap::fromImage(image);
        glyph_.setDevicePixelRatio(glyph.devicePixelRatio());
    }
    update();
}

void TLbSpeedButton::SetNumGlyphs(int n)
{
    numGlyphs_ = std::max(1, n);
    update();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT MouseDown(event->button());
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
    if (wasDown && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Clicked();
}

void TLbSpeedButton::enterEvent(QEnterEvent*)
{
    if (isEnabled() && isVisible() && (!parentWidget() || parentWidget()->isVisible()))
        SetHover(true);
}

void TLbSpeedButton::leaveEvent(QEvent*)
{
    SetHover(false);
}

void TLbSpeedButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        down_ = false;
        // A disabled button ignores the pointer; one enabled under a
        // resting pointer tracks it at once.
        SetHover(isEnabled() && underMouse());
        update();
    }
    QWidget::changeEvent(event);
}

void TLbSpeedButton::SetHover(bool on)
{
    hovered_ = on;
    hotTrackStep_ = on ? HotTrackSteps : 0;
    update();
}

QColor TLbSpeedButton::FaceColor() const
{
    if (Pressed() && colorWhenDown_ != clNone)
        return ToQColor(colorWhenDown_);
    if (isEnabled() && hotTrackColor_ != clNone)
        return Blend(ToQColor(color_), ToQColor(hotTrackColor_), hotTrackStep_, HotTrackSteps);
    return ToQColor(color_);
}

int TLbSpeedButton::GlyphCellWidth() const
{
    return glyph_.isNull() ? 0 : glyph_.width() / numGlyphs_;
}

int TLbSpeedButton::GlyphCell() const
{
    if (!isEnabled())
        return numGlyphs_ > 1 ? 1 : 0;
    if (Pressed() && numGlyphs_ > 2)
        return 2;
    if (hovered_ && numGlyphs_ > 3)
        return 3;
    return 0;
}

void TLbSpeedButton::paintEvent(QPaintEvent*)
{
    const qreal dpr = devicePixelRatioF();
    QImage picture(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(dpr);
    picture.fill(TransparentKey);
    const QColor face = FaceColor();
    if (style_ == TLbSpeedButtonStyle::bsModern) {
        QPainter painter(&picture);
        PaintModernFace(painter, face);
    }
    KeyOut(picture, TransparentKey);

    // The smooth parts go on after the key is out, so their soft edges
    // blend with the parent instead of with magenta.
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (style_ == TLbSpeedButtonStyle::bsModern && shadowColor_ != clNone) {
        painter.setPen(QPen(ToQColor(shadowColor_), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 3, 3);
    }
    if (style_ == TLbSpeedButtonStyle::bsShape)
        PaintGlyph(painter);
    PaintCaption(painter);
    painter.end();

    QPainter(this).drawImage(0, 0, picture);
}

void TLbSpeedButton::PaintModernFace(QPainter& painter, const QColor& face) const
{
    const int w = width();
    const int h = height();
    const int o = Pressed() ? 1 : 0;
    const QColor light = ToQColor(lightColor_);
    Gradient(painter, 2, w - 2, 2, light, h / 4 + o, face);
    Gradient(painter, 2, w - 2, h / 4 + o, face, h - 1, light);
    const TColor inner = Pressed() ? shadowColor_ : clNone;
    Outline(painter, 1, 1, w - 1, h - 1, inner == clNone ? face : ToQColor(inner));
}

void TLbSpeedButton::PaintGlyph(QPainter& painter) const
{
    if (glyph_.isNull())
        return;
    const qreal dpr = glyph_.devicePixelRatio();
    const int cell = GlyphCellWidth();
    const QSizeF shown(cell / dpr, glyph_.height() / dpr);
    const QPointF at(int(width() - shown.width()) / 2, int(height() - shown.height()) / 2);
    painter.drawPixmap(QRectF(at, shown), glyph_, QRectF(GlyphCell() * cell, 0, cell, glyph_.height()));
}

void TLbSpeedButton::PaintCaption(QPainter& painter) const
{
    if (caption_.isEmpty())
        return;
    const bool hotFont = hovered_ && useHotTrackFont_;
    const QFont& captionFont = hotFont ? hotTrackFont_ : font();
    TColor color = hotFont ? hotTrackFontColor_ : fontColor_;
    if (style_ == TLbSpeedButtonStyle::bsModern && !isEnabled())
        color = clGray;
    const QFontMetrics metrics(captionFont);
    const int room = glyph_.isNull() ? width() - 8 : width() - int(GlyphCellWidth() / glyph_.devicePixelRatio()) - 12;
    QString text = caption_;
    while (!wordWrap_ && !text.isEmpty() && metrics.horizontalAdvance(text) > room)
        text.chop(1);

    const int o = Pressed() ? 1 : 0;
    const bool modern = style_ == TLbSpeedButtonStyle::bsModern;
    const Qt::Alignment align = modern ? (alignment_ & Qt::AlignHorizontal_Mask) : Qt::AlignHCenter;
    const int flags = int(align) | Qt::AlignTop | Qt::TextWordWrap;
    const int textHeight = metrics.boundingRect(QRect(0, 0, room, 10000), flags, text).height();
    const int top = (height() - textHeight) / 2 + o;
    const QRect box = modern ? QRect(o + 4, top, room, textHeight) : QRect(o, top, width() - o, height() - top);
    painter.setFont(captionFont);
    painter.setPen(ToQColor(color));
    painter.drawText(box, flags, text);
}
