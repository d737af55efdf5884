#include "LiveQrCode.h"

#include <qrencode.h>

#include <memory>

QImage LiveQrCode(const QString& text, int scale)
{
    // The lowest correction: a code on a screen is not smudged, and every
    // address with its port then fits the small 25-module code the main
    // window has room for.
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_L), &QRcode_free);
    if (!code || scale < 1)
        return {};
    constexpr int kQuiet = 4; // modules of white around the code, as readers need
    const int side = (code->width + 2 * kQuiet) * scale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        image.setPixel((x + kQuiet) * scale + dx, (y + kQuiet) * scale + dy, qRgb(0, 0, 0));
    return image;
}
