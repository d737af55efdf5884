#include "TColor.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor color)
{
    if (color == clBtnFace)
        return QGuiApplication::palette().color(QPalette::Button);
    if (color == clBtnShadow)
        return QGuiApplication::palette().color(QPalette::Dark);
    if (color == clNone)
        return QColor(Qt::transparent);
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
