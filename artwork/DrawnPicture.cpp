#include "DrawnPicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <cmath>

QPixmap DrawnPicture(QSize size, const std::function<void(QPainter&)>& draw)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr)));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

QPixmap DecorativeStrip(QSize size)
{
    return DrawnPicture(size, [size](QPainter& painter) {
        const bool upright = size.height() >= size.width();
        const int across = upright ? size.width() : size.height();
        const int along = upright ? size.height() : size.width();
        QLinearGradient gradient(0, 0, upright ? across : 0, upright ? 0 : across);
        gradient.setColorAt(0.0, QColor(0x20, 0x20, 0x20));
        gradient.setColorAt(0.5, QColor(0x60, 0x60, 0x60));
        gradient.setColorAt(1.0, QColor(0x20, 0x20, 0x20));
        painter.fillRect(QRect(QPoint(0, 0), size), gradient);
        // Filled one-pixel marks stay exact at any scale.
        for (int at = 6; at < along; at += 12) {
            const QRect mark = upright ? QRect(3, at, across - 6, 1) : QRect(at, 3, 1, across - 6);
            painter.fillRect(mark, QColor(0xFF, 0xD0, 0x00));
        }
    });
}
