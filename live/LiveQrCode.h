#pragma once

#include <QImage>
#include <QString>

// The QR code of text (the server's address), black on white with the
// quiet zone around it, each module scale pixels wide; a null image when
// the text cannot be encoded. Any "http://a.b.c.d:port/" takes 25 modules.
QImage LiveQrCode(const QString& text, int scale);
