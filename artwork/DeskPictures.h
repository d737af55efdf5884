#pragma once

#include <QIcon>
#include <QPixmap>

// The top-bar buttons' pictures.
enum class TopBarPicture { Help, Settings, Info };

// A strip of four 32 x 32 cells for a picture button: normal, disabled,
// pressed, hovered. The bottom-left pixel is transparent.
QPixmap TopBarGlyph(TopBarPicture picture);

// The protocol buttons' pictures.
enum class ProtocolPicture { Save, Load, Workbook, Document, WebPage, Print, Clear };

// A 24 x 24 picture in colour for the enabled button and in grey for the
// disabled one.
QIcon ProtocolIcon(ProtocolPicture picture);
