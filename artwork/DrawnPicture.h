#pragma once

#include <QPixmap>
#include <functional>

class QPainter;

// A picture drawn by code in logical pixels at the highest scale of the
// screens, so it stays sharp at 200 % as at 100 %. It starts transparent.
QPixmap DrawnPicture(QSize size, const std::function<void(QPainter&)>& draw);

// The desk's decorative strip: dark metal with yellow marks across it, laid
// along the longer side of size.
QPixmap DecorativeStrip(QSize size);
