#pragma once

#include <QFont>

// The desk's one typeface, Arial, bold unless asked otherwise: in points
// where a text follows the screen's resolution, in pixels where it must fit
// a picture or a panel of fixed size.
QFont DeskFontPoints(int points, bool bold = true);
QFont DeskFontPixels(int pixels, bool bold = true);
