#include "DeskLogo.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QString First = QStringLiteral("Quin");
const QString Second = QStringLiteral("taro");
const QString Suffix = QStringLiteral(" timing");
constexpr int ShadowShift = 2;

QFont LogoFont(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

} // namespace

DeskLogo::DeskLogo(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ImageDE"));
    setCursor(Qt::PointingHandCursor);
}

QSize DeskLogo::sizeHint() const
{
    const QFontMetrics name(LogoFont(27));
    const QFontMetrics suffix(LogoFont(19));
    return QSize(name.horizontalAdvance(First + Second) + suffix.horizontalAdvance(Suffix) + ShadowShift + 2,
                 name.height() + ShadowShift);
}

void DeskLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont nameFont = LogoFont(27);
    const QFontMetrics name(nameFont);
    // Name and suffix share one baseline, centred in the bar.
    const int baseline = (height() - name.height() - ShadowShift) / 2 + name.ascent();
    int x = 0;
    painter.setFont(nameFont);
    for (const auto& [part, color] : {std::pair{First, QColor(0xFF, 0x00, 0x00)}, std::pair{Second, QColor(0x00, 0x80, 0x00)}}) {
        painter.setPen(Qt::black);
        painter.drawText(x + ShadowShift, baseline + ShadowShift, part);
        painter.setPen(color);
        painter.drawText(x, baseline, part);
        x += name.horizontalAdvance(part);
    }
    painter.setFont(LogoFont(19));
    painter.setPen(Qt::black);
    painter.drawText(x, baseline, Suffix);
}

void DeskLogo::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Clicked();
    QWidget::mouseReleaseEvent(event);
}
