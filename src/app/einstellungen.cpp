#include "einstellungen.h"

#include "kvxhard.h"

#include <QStringList>

#include <cstdint>
#include <optional>

using namespace config;

namespace {
const char* const WebKey = "Web";   // [Sonstiges] Web=ADRESSE:PORT
}

Einstellungen Einstellungen::lesen(const ProfileFile& ini, QStringList* warnungen)
{
    Einstellungen e;
    const QString karten = QString::fromLatin1(SectionKarten);
    const QString fehlt = QStringLiteral("\n");   // no value read holds a line break
    for (int i = 0; i < KartenAnzahl; ++i) {
        const auto k = static_cast<Karte>(i);
        const QString schluessel = QString::fromLatin1(Karten[k].key);
        const QString wert = ini.readString(karten, schluessel, fehlt);
        const std::optional<int> zahl = wert == fehlt ? std::nullopt : ganzeZahl(wert);
        e.karten[k] = imBereich(k, zahl.value_or(Karten[k].defaultValue));
        if (wert == fehlt || !warnungen || (zahl && *zahl == e.karten[k]))
            continue;
        const QString was = zahl ? QStringLiteral("erlaubt sind %1 bis %2").arg(Karten[k].minimum).arg(Karten[k].maximum)
                                 : QStringLiteral("keine ganze Zahl");
        // One arg() for all: a "%1" in the value stays as written.
        warnungen->append(QStringLiteral("[%1] %2=%3: %4; es gilt %5.")
                              .arg(karten, schluessel, wert, was, QString::number(e.karten[k])));
    }
    const QString taster = QString::fromLatin1(SectionTaster);
    for (int i = 0; i < 4; ++i)
        e.taster[i] = ini.readInt(taster, QString::fromLatin1(TasterKeys[i]), 0);
    e.hints = ini.readInt(QString::fromLatin1(SectionSonstiges), QString::fromLatin1(HintsKey), 1) == 1;
    e.web = ini.readString(QString::fromLatin1(SectionSonstiges), QString::fromLatin1(WebKey), QString()).trimmed();
    e.port = ini.readString(QString::fromLatin1(SectionSonstiges), QString::fromLatin1(PortKey),
                            QString::fromLatin1(PortVorgabe));
    return e;
}

int Einstellungen::elemente(Karte karte) const
{
    return Karten[karte].factor * karten[karte];
}

void Einstellungen::anwenden(Karte karte, TkvxHard& kvx) const
{
    // All counts in one change under the card's lock, so that a cycle on
    // another thread never sees half of them.
    kvx::Anzahlen a = kvx.Anzahlen();
    const auto n = static_cast<std::uint16_t>(elemente(karte));
    switch (karte) {
    case Block: a.BlockAnzahl = n; break;
    case HBlock: a.HBlockAnzahl = n; break;
    case Melder: a.MelderAnzahl = n; break;
    case Weichen: a.WeichenAnzahl = n; break;
    case Signale: a.SignalAnzahl = n; break;
    case Taster1: a.Taster1Anzahl = n; break;
    case Taster2: a.Taster2Anzahl = n; break;
    default: break;
    }
    a.EinDatenBytes = static_cast<std::uint16_t>(
        einDatenBytes(a.MelderAnzahl, a.HBlockAnzahl, a.BlockAnzahl, a.Taster1Anzahl, a.Taster2Anzahl));
    kvx.AnzahlenSetzen(a);
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
    e.append({QString::fromLatin1(SectionSonstiges), QString::fromLatin1(WebKey), web});
    e.append({QString::fromLatin1(SectionSonstiges), QString::fromLatin1(PortKey), port});
    return e;
}
