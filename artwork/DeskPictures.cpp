#include "DeskPictures.h"

#include "DeskFont.h"
#include "DrawnPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace {

enum class Look { Normal, Disabled, Pressed, Hovered };

// Disabled pictures keep their shapes in light grey; hovered ones glow.
QColor Shade(const QColor& color, Look look)
{
    switch (look) {
    case Look::Disabled: {
        const int grey = 150 + qGray(color.rgb()) / 3;
        return QColor(grey, grey, grey);
    }
    case Look::Hovered:
        return color.lighter(125);
    case Look::Pressed:
        return color.darker(120);
    case Look::Normal:
        break;
    }
    return color;
}

// One cell of a top-bar picture: a round badge with a symbol, drawn at
// (x, 0) in a 32 x 32 cell; pressed sinks by a pixel.
void TopBarCell(QPainter& painter, TopBarPicture picture, Look look, int x)
{
    const qreal sink = look == Look::Pressed ? 1 : 0;
    const QRectF badge(x + 3 + sink, 3 + sink, 26, 26);
    const QColor base = picture == TopBarPicture::Help       ? QColor(0x20, 0x60, 0xD0)
                        : picture == TopBarPicture::Settings ? QColor(0x50, 0x50, 0x58)
                                                             : QColor(0x00, 0x90, 0x40);
    QRadialGradient glow(badge.center() - QPointF(4, 5), 18);
    glow.setColorAt(0, Shade(base.lighter(170), look));
    glow.setColorAt(1, Shade(base, look));
    painter.setPen(QPen(Shade(QColor(0x10, 0x10, 0x10), look), 1));
    painter.setBrush(glow);
    painter.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));

    painter.setPen(Shade(Qt::white, look));
    if (picture == TopBarPicture::Settings) {
        // A cog: eight teeth round a hub with a hole.
        const QPointF c = badge.center();
        painter.save();
        painter.translate(c);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Shade(Qt::white, look));
        for (int i = 0; i < 8; ++i) {
            painter.drawRect(QRectF(-2, -10, 4, 5));
            painter.rotate(45);
        }
        QPainterPath hub;
        hub.addEllipse(QPointF(0, 0), 6.5, 6.5);
        hub.addEllipse(QPointF(0, 0), 2.5, 2.5);
        painter.drawPath(hub);
        painter.restore();
        return;
    }
    painter.setFont(DeskFontPixels(picture == TopBarPicture::Help ? 20 : 19));
    const QString symbol = picture == TopBarPicture::Help ? QStringLiteral("?") : QStringLiteral("i");
    painter.drawText(badge, Qt::AlignCenter, symbol);
}

void ProtocolPaint(QPainter& painter, ProtocolPicture picture, Look look)
{
    const auto c = [look](QColor color) { return Shade(color, look); };
    const QPen outline(c(QColor(0x20, 0x20, 0x20)), 1);
    painter.setPen(outline);
    switch (picture) {
    case ProtocolPicture::Save:
        painter.setBrush(c(QColor(0x30, 0x50, 0xA0)));
        painter.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
        painter.setBrush(c(Qt::white));
        painter.drawRect(QRectF(6.5, 3.5, 11, 7));
        painter.setBrush(c(QColor(0x90, 0x90, 0x90)));
        painter.drawRect(QRectF(7.5, 14.5, 9, 6));
        break;
    case ProtocolPicture::Load: {
        painter.setBrush(c(QColor(0xD0, 0xA0, 0x30)));
        painter.drawRect(QRectF(2.5, 6.5, 18, 13));
        painter.drawRect(QRectF(2.5, 4.5, 7, 2));
        painter.setBrush(c(QColor(0xF0, 0xC8, 0x50)));
        const QPointF flap[] = {{5.5, 10.5}, {22.5, 10.5}, {19.5, 19.5}, {2.5, 19.5}};
        painter.drawPolygon(flap, 4);
        break;
    }
    case ProtocolPicture::Workbook:
        painter.setBrush(c(Qt::white));
        painter.drawRect(QRectF(3.5, 3.5, 17, 17));
        painter.fillRect(QRectF(4, 4, 16, 4), c(QColor(0x10, 0x80, 0x40)));
        painter.setPen(QPen(c(QColor(0x10, 0x80, 0x40)), 1));
        for (qreal y : {11.5, 14.5, 17.5})
            painter.drawLine(QPointF(4, y), QPointF(20, y));
        for (qreal x : {9.5, 14.5})
            painter.drawLine(QPointF(x, 8), QPointF(x, 20));
        break;
    case ProtocolPicture::Document: {
        painter.setBrush(c(Qt::white));
        const QPointF page[] = {{5.5, 2.5}, {15.5, 2.5}, {19.5, 6.5}, {19.5, 21.5}, {5.5, 21.5}};
        painter.drawPolygon(page, 5);
        painter.setPen(QPen(c(QColor(0x20, 0x50, 0xB0)), 2));
        for (qreal y : {9.0, 13.0, 17.0})
            painter.drawLine(QPointF(8, y), QPointF(17, y));
        break;
    }
    case ProtocolPicture::WebPage:
        painter.setBrush(c(QColor(0x40, 0x90, 0xE0)));
        painter.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(c(Qt::white), 1));
        painter.drawEllipse(QRectF(7.5, 3, 9, 18));
        painter.drawLine(QPointF(12, 3), QPointF(12, 21));
        painter.drawLine(QPointF(3, 12), QPointF(21, 12));
        break;
    case ProtocolPicture::Print:
        painter.setBrush(c(Qt::white));
        painter.drawRect(QRectF(6.5, 2.5, 11, 8));
        painter.setBrush(c(QColor(0x70, 0x70, 0x78)));
        painter.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        painter.setBrush(c(Qt::white));
        painter.drawRect(QRectF(6.5, 15.5, 11, 6));
        painter.fillRect(QRectF(18, 11, 2, 2), c(QColor(0x00, 0xD0, 0x00)));
        break;
    case ProtocolPicture::Clear:
        painter.setBrush(c(QColor(0xC0, 0xC0, 0xC8)));
        painter.drawRect(QRectF(5.5, 7.5, 13, 14));
        painter.drawRect(QRectF(3.5, 4.5, 17, 3));
        painter.drawRect(QRectF(9.5, 2.5, 5, 2));
        painter.setPen(QPen(c(QColor(0xD0, 0x00, 0x00)), 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(8.5, 10.5), QPointF(15.5, 18.5));
        painter.drawLine(QPointF(15.5, 10.5), QPointF(8.5, 18.5));
        break;
    }
}

} // namespace

QPixmap TopBarGlyph(TopBarPicture picture)
{
    // Cell order of the picture strip.
    constexpr Look cells[] = {Look::Normal, Look::Disabled, Look::Pressed, Look::Hovered};
    return DrawnPicture(QSize(4 * 32, 32), [picture, &cells](QPainter& painter) {
        for (int i = 0; i < 4; ++i)
            TopBarCell(painter, picture, cells[i], i * 32);
    });
}

QIcon ProtocolIcon(ProtocolPicture picture)
{
    QIcon icon;
    for (const auto& [mode, look] : {std::pair{QIcon::Normal, Look::Normal}, std::pair{QIcon::Disabled, Look::Disabled}})
        icon.addPixmap(DrawnPicture(QSize(24, 24), [picture, look](QPainter& p) { ProtocolPaint(p, picture, look); }), mode);
    return icon;
}
