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

QString qrText(const QString& text, QrArt art)
{
    const Module m = module(text);
    // Which modules are blocks: the dark ones, or for a dark terminal the light ones.
    const bool hell = art == QrArt::HellAufDunkel;
    const auto block = [&](int x, int y) { return y < m.breite && m.at(x, y) != hell; };
    QString t;
    // Below an odd last row is the terminal's background.
    for (int y = 0; y < m.breite; y += 2) {
        if (art == QrArt::Farbig)
            t += QStringLiteral("\x1b[30;47m");
        for (int x = 0; x < m.breite; ++x) {
            const bool oben = block(x, y);
            const bool unten = block(x, y + 1);
            t += oben ? (unten ? u'\u2588' : u'\u2580') : (unten ? u'\u2584' : u' ');
        }
        if (art == QrArt::Farbig)
            t += QStringLiteral("\x1b[0m");
        else
            while (t.endsWith(u' '))   // the background anyway; a log keeps no blanks at a line's end
                t.chop(1);
        t += u'\n';
    }
    return t;
}

QString qrAusgabe(const QString& text, bool terminal)
{
    if (terminal)
        return qrText(text, QrArt::Farbig);
    const QString hell = qrText(text, QrArt::DunkelAufHell);
    if (hell.isEmpty())
        return {};
    return QStringLiteral("QR-Code für ein helles Terminal:\n") + hell
           + QStringLiteral("QR-Code für ein dunkles Terminal:\n") + qrText(text, QrArt::HellAufDunkel);
}
