#include "GridPictures.h"

#include <QPainter>

QPixmap SortArrowPicture(bool up)
{
    QPixmap pixmap(8, 7);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x40, 0x40, 0x40));
    const QPolygon triangle = up ? QPolygon({QPoint(0, 6), QPoint(7, 6), QPoint(4, 0), QPoint(3, 0)})
                                 : QPolygon({QPoint(0, 0), QPoint(7, 0), QPoint(4, 6), QPoint(3, 6)});
    painter.drawPolygon(triangle);
    return pixmap;
}
