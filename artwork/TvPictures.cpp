#include "TvPictures.h"

#include "DeskFont.h"
#include "DrawnPicture.h"

#include <QPainter>

QPixmap TvPicture(bool on)
{
    return DrawnPicture(QSize(30, 22), [on](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(0x30, 0x30, 0x30));
        painter.drawRoundedRect(QRectF(1.5, 1.5, 27, 16), 2, 2);
        painter.drawLine(QPointF(10, 20.5), QPointF(20, 20.5));
        painter.fillRect(QRectF(4, 4, 22, 11), on ? Qt::black : QColor(0x55, 0x55, 0x55));
        if (on) {
            painter.setFont(DeskFontPixels(10));
            painter.setPen(Qt::yellow);
            painter.drawText(QRectF(4, 4, 22, 11), Qt::AlignCenter, QStringLiteral("0,00"));
        }
    });
}
