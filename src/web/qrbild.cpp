#include "qrbild.h"

#include <qrencode.h>

#include <memory>
#include <vector>

namespace {

constexpr int Rand = 4;

// The modules with the quiet zone, row by row; true: dark. Width 0 when
// the text does not fit.
struct Module {
    int breite = 0;
    std::vector<bool> dunkel;
    bool at(int x, int y) const { return dunkel[std::size_t(y * breite + x)]; }
};

Module module(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    Module m;
    if (!code)
        return m;
    m.breite = code->width + 2 * Rand;
    m.dunkel.assign(std::size_t(m.breite * m.breite), false);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            m.dunkel[std::size_t((y + Rand) * m.breite + x + Rand)] = code->data[y * code->width + x] & 1;
    return m;
}

}  // namespace

QImage qrBild(const QString& text, int punkte)
{
    const Module m = module(text);
    if (m.breite == 0 || punkte < 1)
        return {};
    QImage bild(m.breite * punkte, m.breite * punkte, QImage::Format_Mono);
    bild.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bild.fill(0);
    for (int y = 0; y < m.breite; ++y) {
        for (int x = 0; x < m.breite; ++x) {
            if (!m.at(x, y))
                continue;
            for (int dy = 0; dy < punkte; ++dy)
                for (int dx = 0; dx < punkte; ++dx)
                    bild.setPixel(x * punkte + dx, y * punkte + dy, 1);
        }
    }
    return bild;
}

QString qrText(const QString& text)
{
    const Module m = module(text);
    QString t;
    // A light module is a block; an odd last row has a dark one below it.
    for (int y = 0; y < m.breite; y += 2) {
        for (int x = 0; x < m.breite; ++x) {
            const bool oben = !m.at(x, y);
            const bool unten = y + 1 < m.breite && !m.at(x, y + 1);
            t += oben ? (unten ? u'\u2588' : u'\u2580') : (unten ? u'\u2584' : u' ');
        }
        t += u'\n';
    }
    return t;
}
