#pragma once

#include <QPixmap>

// The spectator-window switch: a dark screen (off) and a lit screen showing
// digits (on), 30 x 22 pixels.
QPixmap TvPicture(bool on);
