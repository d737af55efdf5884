#include "LockPictures.h"

#include "DrawnPicture.h"

#include <QPainter>

QPixmap LockPicture(int state)
{
    const bool armed = state == 1;
    return DrawnPicture(QSize(22, 22), [armed](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(armed ? QColor(0x00, 0xB0, 0x00) : QColor(0xE0, 0x00, 0x00));
        painter.drawEllipse(QRectF(1.5, 1.5, 19, 19));
        painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        if (armed) {
            // A beam between two posts: the barrier is live.
            painter.drawLine(QPointF(6, 7), QPointF(6, 15));
            painter.drawLine(QPointF(16, 7), QPointF(16, 15));
            painter.setPen(QPen(Qt::yellow, 2, Qt::DashLine));
            painter.drawLine(QPointF(7, 11), QPointF(15, 11));
        } else {
            painter.drawLine(QPointF(6, 11), QPointF(16, 11));
        }
    });
}
