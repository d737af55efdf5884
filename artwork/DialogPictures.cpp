#include "DialogPictures.h"

#include "DeskFont.h"

#include <QPainter>

QPixmap YesNoIconPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x10, 0x40, 0xA0), 1.5));
    painter.setBrush(QColor(0x30, 0x70, 0xD0));
    painter.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    painter.setFont(DeskFontPixels(22));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
    return picture;
}
