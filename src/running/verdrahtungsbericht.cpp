#include "verdrahtungsbericht.h"

namespace pruefung {

std::vector<Pruefbericht::Verdrahtung> berichtsZeilen(const Ergebnis& e, const QDateTime& zeit)
{
    std::vector<Pruefbericht::Verdrahtung> z;
    for (const Befund& b : e.befunde)
        z.push_back({QString(), QString::fromStdString(b.text()), QString::fromStdString(b.satz),
                     zeit});
    for (const std::string& h : e.hinweise)
        z.push_back({QString(), Pruefbericht::Hinweis, QString::fromStdString(h), zeit});
    return z;
}

void eintragen(Pruefbericht& bericht, const Ergebnis& e, bool mitBloecken, const QDateTime& zeit)
{
    // The block check always begins with the rest: both names, one set of lines.
    if (mitBloecken)
        bericht.verdrahtungSetzen(RuheName, {});
    bericht.verdrahtungSetzen(mitBloecken ? BloeckeName : RuheName, berichtsZeilen(e, zeit));
}

}  // namespace pruefung
