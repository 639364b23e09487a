#include "webbelegung.h"

#include "kvxhard.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <utility>

namespace {

// The groups in the order of the page's grids, and the number added in the
// "last changed" figure.
struct Gruppe {
    const char* name;
    bool taster;
    int basis;    // first entry in the image, minus 1
    int nummer;   // added to the element's number
};
constexpr std::array<Gruppe, 6> Gruppen{{
    {"Block", false, 0, 0},
    {"HBlock", false, 0, 200},
    {"Melder", false, 0, 0},
    {"Block-Taster", true, 0, 0},
    {"HBlock-Taster", true, kvx::TasterHBlockBasis, 0},
    {"Kette 1", true, kvx::TasterKette1Basis, 0},
}};

// The elements of group g, bounded by its image.
std::size_t anzahl(const kvx::Abbild& k, std::size_t g)
{
    const auto bis = [](int n, std::size_t platz) { return std::min(std::size_t(std::max(n, 0)), platz); };
    switch (g) {
    case 0: return bis(k.BlockAnzahl, k.BlockBelegt.size() - 1);
    case 1: return bis(k.HBlockAnzahl, k.HBlockBelegt.size() - 1);
    case 2: return bis(k.MelderAnzahl, k.MelderBelegt.size() - 1);
    case 3: return bis(2 * k.BlockAnzahl, k.TasterZustand.size() - 1);
    case 4: return bis(k.HBlockAnzahl, k.TasterZustand.size() - 1 - kvx::TasterHBlockBasis);
    default: return bis(k.Taster1Anzahl, k.TasterZustand.size() - 1 - kvx::TasterKette1Basis);
    }
}

const std::uint8_t* bild(const kvx::Abbild& k, std::size_t g)
{
    switch (g) {
    case 0: return k.BlockBelegt.data();
    case 1: return k.HBlockBelegt.data();
    case 2: return k.MelderBelegt.data();
    default: return k.TasterZustand.data() + Gruppen[g].basis;
    }
}

}  // namespace

bool WebBelegung::vergleichen(const kvx::Abbild& k)
{
    bool anders = !std::exchange(genommen_, true);
    for (std::size_t g = 0; g < Gruppen.size(); ++g) {
        const std::size_t n = anzahl(k, g);
        const std::uint8_t* b = bild(k, g);
        std::vector<std::uint8_t>& alt = bilder_[g];
        if (alt.size() != n) {   // laid out anew: no element counts as changed
            alt.assign(n, 0);
            for (std::size_t i = 0; i < n; ++i)
                alt[i] = b[i + 1] ? 1 : 0;
            letzte_[g] = 0;
            anders = true;
            continue;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t v = b[i + 1] ? 1 : 0;
            if (alt[i] != v) {
                alt[i] = v;
                letzte_[g] = int(i) + 1 + Gruppen[g].nummer;
                anders = true;
            }
        }
    }
    return anders;
}

QByteArray WebBelegung::nachricht() const
{
    QJsonArray gruppen;
    for (std::size_t g = 0; g < Gruppen.size(); ++g) {
        QByteArray bits(qsizetype(bilder_[g].size()), '0');
        for (std::size_t i = 0; i < bilder_[g].size(); ++i)
            if (bilder_[g][i])
                bits[qsizetype(i)] = '1';
        gruppen.append(QJsonObject{{QStringLiteral("name"), QString::fromLatin1(Gruppen[g].name)},
                                   {QStringLiteral("taster"), Gruppen[g].taster},
                                   {QStringLiteral("nummer"), Gruppen[g].nummer},
                                   {QStringLiteral("bits"), QString::fromLatin1(bits)},
                                   {QStringLiteral("letzter"), letzte_[g]}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("typ"), QStringLiteral("belegung")},
                                     {QStringLiteral("gruppen"), gruppen}})
        .toJson(QJsonDocument::Compact);
}
