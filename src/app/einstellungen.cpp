#include "einstellungen.h"

#include "kvxhard.h"

#include <cstdint>

using namespace config;

Einstellungen Einstellungen::lesen(const ProfileFile& ini)
{
    Einstellungen e;
    const QString karten = QString::fromLatin1(SectionKarten);
    for (int i = 0; i < KartenAnzahl; ++i) {
        const auto k = static_cast<Karte>(i);
        e.karten[k] = imBereich(k, ini.readInt(karten, QString::fromLatin1(Karten[k].key), Karten[k].defaultValue));
    }
    const QString taster = QString::fromLatin1(SectionTaster);
    for (int i = 0; i < 4; ++i)
        e.taster[i] = ini.readInt(taster, QString::fromLatin1(TasterKeys[i]), 0);
    e.hints = ini.readInt(QString::fromLatin1(SectionSonstiges), QString::fromLatin1(HintsKey), 1) == 1;
    return e;
}

int Einstellungen::elemente(Karte karte) const
{
    return Karten[karte].factor * karten[karte];
}

void Einstellungen::anwenden(Karte karte, TkvxHard& kvx) const
{
    const auto n = static_cast<std::uint16_t>(elemente(karte));
    switch (karte) {
    case Block: kvx.BlockAnzahl = n; break;
    case HBlock: kvx.HBlockAnzahl = n; break;
    case Melder: kvx.MelderAnzahl = n; break;
    case Weichen: kvx.WeichenAnzahl = n; break;
    case Signale: kvx.SignalAnzahl = n; break;
    case Taster1: kvx.Taster1Anzahl = n; break;
    case Taster2: kvx.Taster2Anzahl = n; break;
    default: break;
    }
    kvx.EinDatenBytes = static_cast<std::uint16_t>(einDatenBytes(
        kvx.MelderAnzahl, kvx.HBlockAnzahl, kvx.BlockAnzahl, kvx.Taster1Anzahl, kvx.Taster2Anzahl));
}

std::array<int, 4> Einstellungen::tasterPositionen() const
{
    std::array<int, 4> p{};
    for (int i = 0; i < 4; ++i)
        p[i] = TasterUmrechnen(taster[i]);
    return p;
}

QList<ProfileFile::Entry> Einstellungen::eintraege() const
{
    QList<ProfileFile::Entry> e;
    const QString karten = QString::fromLatin1(SectionKarten);
    for (int i = 0; i < KartenAnzahl; ++i)
        e.append({karten, QString::fromLatin1(Karten[i].key), QString::number(this->karten[i])});
    const QString taster = QString::fromLatin1(SectionTaster);
    for (int i = 0; i < 4; ++i)
        e.append({taster, QString::fromLatin1(TasterKeys[i]), QString::number(this->taster[i])});
    e.append({QString::fromLatin1(SectionSonstiges), QString::fromLatin1(HintsKey),
              hints ? QStringLiteral("1") : QStringLiteral("0")});
    return e;
}
