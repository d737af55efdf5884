#pragma once

#include <QPixmap>

// The yes/no dialog's question mark: white on a blue disc, 32 x 32 pixels.
QPixmap YesNoIconPicture();
