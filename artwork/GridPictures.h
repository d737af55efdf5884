#pragma once

#include <QPixmap>

// The sort direction's mark in a grid's header: a dark triangle pointing up
// (ascending) or down, 8 x 7 pixels.
QPixmap SortArrowPicture(bool up);
