#include "beispielsatz.h"

#include "dateiorte.h"
#include "schaltliste.h"
#include "strecke.h"
#include "streckepage.h"

#include <algorithm>

QString beispielsatzLaden(StreckePage& seite, const QString& programmPfad)
{
    const Dateiorte orte(programmPfad);
    QString fehler = seite.liste->standardLaden(orte.standardOrdner(QStringLiteral(".DMA")));
    if (fehler.isEmpty())
        fehler = seite.standardLaden(orte.standardOrdner(QStringLiteral(".DST")));
    if (fehler.isEmpty())
        return {};
    const QStringList gesucht = orte.standardSuche();
    if (gesucht.size() > 1)
        fehler += QStringLiteral("\nDer Beispielsatz QJ wurde gesucht in: %1").arg(gesucht.join(QStringLiteral(", ")));
    return fehler;
}

Nachladen beispielsatzNachladen(StreckePage& seite, const QString& programmPfad)
{
    if (const std::shared_ptr<const fahrt::StreckenTabellen> t = seite.tabellen();
        t && std::any_of(t->strecke.begin(), t->strecke.begin() + fahrt::RingZeilen,
                         [](const auto& zeile) { return zeile[fahrt::SpalteBlock - 1].zahl > 0; }))
        return {};
    Nachladen n;
    n.fehler = beispielsatzLaden(seite, programmPfad);
    if (n.fehler.isEmpty())
        n.status = QStringLiteral(" Die Streckentabelle war leer: Beispielsatz QJ neu geladen.");
    return n;
}
