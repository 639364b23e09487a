#include "qrbild.h"

#include <qrencode.h>

#include <memory>

QImage qrBild(const QString& text, int punkte)
{
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code || punkte < 1)
        return {};
    constexpr int Rand = 4;
    const int module = code->width + 2 * Rand;
    QImage bild(module * punkte, module * punkte, QImage::Format_Mono);
    bild.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bild.fill(0);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1))
                continue;
            for (int dy = 0; dy < punkte; ++dy)
                for (int dx = 0; dx < punkte; ++dx)
                    bild.setPixel((x + Rand) * punkte + dx, (y + Rand) * punkte + dy, 1);
        }
    }
    return bild;
}
