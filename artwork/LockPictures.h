#pragma once

#include <QPixmap>

// The two 22 x 22 pictures of the STOPP barrier lock: 0 blocked (a red
// "no entry" sign), 1 armed (a green sign with a light beam).
QPixmap LockPicture(int state);
