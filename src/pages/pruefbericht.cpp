#include "pruefbericht.h"

#include <algorithm>
#include <iterator>

namespace {

const QString Zeitformat = QStringLiteral("dd.MM.yyyy hh:mm:ss");

std::size_t index(Pruefbericht::Art art)
{
    return static_cast<std::size_t>(art);
}

}  // namespace

void Pruefbericht::geprueft(Art art, int nummer)
{
    if (eintragen(art, nummer))
        melden();
}

bool Pruefbericht::eintragen(Art art, int nummer)
{
    std::map<int, int>& b = geprueft_[index(art)];
    // The range starting after the number, and the one before it.
    auto nach = b.upper_bound(nummer);
    if (nach != b.begin()) {
        auto vor = std::prev(nach);
        if (vor->second >= nummer)
            return false;   // tested already
        if (vor->second == nummer - 1) {
            vor->second = nummer;
            if (nach != b.end() && nach->first == nummer + 1) {
                vor->second = nach->second;
                b.erase(nach);
            }
            return true;
        }
    }
    int ende = nummer;
    if (nach != b.end() && nach->first == nummer + 1) {
        ende = nach->second;
        b.erase(nach);
    }
    b.emplace(nummer, ende);
    return true;
}

bool Pruefbericht::umschalten(Art art, int nummer, int lage, const QDateTime& zeit)
{
    const auto gleich = [&](const Fehler& f) { return f.art == art && f.nummer == nummer && f.lage == lage; };
    const auto it = std::find_if(fehler_.begin(), fehler_.end(), gleich);
    const bool markiert = it == fehler_.end();
    if (markiert) {
        fehler_.push_back({art, nummer, lage, zeit});
        eintragen(art, nummer);
    } else {
        fehler_.erase(it);
    }
    melden();
    return markiert;
}

bool Pruefbericht::fehlerhaft(Art art, int nummer, int lage) const
{
    return std::any_of(fehler_.begin(), fehler_.end(), [&](const Fehler& f) {
        return f.art == art && f.nummer == nummer && f.lage == lage;
    });
}

std::vector<std::pair<int, int>> Pruefbericht::bereiche(Art art) const
{
    const std::map<int, int>& b = geprueft_[index(art)];
    return {b.begin(), b.end()};
}

void Pruefbericht::verdrahtungSetzen(const QString& pruefung, std::vector<Verdrahtung> befunde)
{
    if (std::find(verdrahtungGeprueft_.begin(), verdrahtungGeprueft_.end(), pruefung) == verdrahtungGeprueft_.end())
        verdrahtungGeprueft_.push_back(pruefung);
    std::erase_if(verdrahtung_, [&](const Verdrahtung& v) { return v.pruefung == pruefung; });
    for (Verdrahtung& v : befunde) {
        v.pruefung = pruefung;
        verdrahtung_.push_back(std::move(v));
    }
    melden();
}

namespace {

// The wiring findings as the file lists them: a fault that two checks found
// once, hints after the findings.
std::vector<const Pruefbericht::Verdrahtung*> verdrahtungsZeilen(const std::vector<Pruefbericht::Verdrahtung>& alle)
{
    std::vector<const Pruefbericht::Verdrahtung*> z;
    for (bool hinweise : {false, true})
        for (const Pruefbericht::Verdrahtung& v : alle)
            if ((v.fehler == Pruefbericht::Hinweis) == hinweise
                && std::none_of(z.begin(), z.end(), [&](const Pruefbericht::Verdrahtung* w) {
                       return w->fehler == v.fehler && w->satz == v.satz;
                   }))
                z.push_back(&v);
    return z;
}

}  // namespace

int Pruefbericht::verdrahtungsBefunde() const
{
    const auto z = verdrahtungsZeilen(verdrahtung_);
    return int(std::count_if(z.begin(), z.end(), [](const Verdrahtung* v) { return v->fehler != Hinweis; }));
}

bool Pruefbericht::leer() const
{
    return fehler_.empty() && verdrahtungGeprueft_.empty()
        && std::all_of(geprueft_.begin(), geprueft_.end(), [](const std::map<int, int>& b) { return b.empty(); });
}

void Pruefbericht::leeren()
{
    for (std::map<int, int>& b : geprueft_)
        b.clear();
    fehler_.clear();
    verdrahtungGeprueft_.clear();
    verdrahtung_.clear();
    melden();
}

QByteArray Pruefbericht::text(const Kopf& kopf) const
{
    QString t = QStringLiteral("Prüfbericht KVX-Test\n");
    t += QStringLiteral("Datum\t%1\n").arg(kopf.datum.toString(Zeitformat));
    t += QStringLiteral("Version\t%1\n").arg(kopf.version);
    for (const auto& [name, anzahl] : kopf.karten)
        t += QStringLiteral("Karten\t%1\t%2\n").arg(name).arg(anzahl);
    for (int a = 0; a < ArtAnzahl; ++a) {
        const Art art = static_cast<Art>(a);
        std::vector<Fehler> f;
        std::copy_if(fehler_.begin(), fehler_.end(), std::back_inserter(f),
                     [art](const Fehler& e) { return e.art == art; });
        std::sort(f.begin(), f.end(), [](const Fehler& x, const Fehler& y) {
            return std::pair(x.nummer, x.lage) < std::pair(y.nummer, y.lage);
        });
        const std::vector<std::pair<int, int>> b = bereiche(art);
        if (b.empty() && f.empty())
            continue;
        t += QLatin1Char('\n');
        for (const std::pair<int, int>& r : b)
            t += QStringLiteral("%1\t%2\tgeprüft\n").arg(artName(art), bereichText(r));
        for (const Fehler& e : f)
            t += QStringLiteral("%1\t%2\t%3\t%4\n")
                     .arg(artName(art))
                     .arg(e.nummer)
                     .arg(befund(e.lage), e.zeit.toString(Zeitformat));
    }
    if (!verdrahtungGeprueft_.empty()) {
        const QString art = QStringLiteral("Verdrahtung");
        t += QLatin1Char('\n');
        for (const QString& p : verdrahtungGeprueft_)
            t += QStringLiteral("%1\t%2\tgeprüft\n").arg(art, p);
        for (const Verdrahtung* v : verdrahtungsZeilen(verdrahtung_)) {
            QString satz = v->satz;
            satz.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            t += QStringLiteral("%1\t%2\t%3\t%4\n").arg(art, v->fehler, satz, v->zeit.toString(Zeitformat));
        }
    }
    return t.toUtf8();
}

QString Pruefbericht::artName(Art art)
{
    switch (art) {
    case Art::Led: return QStringLiteral("LED");
    case Art::Weiche: return QStringLiteral("Weiche");
    case Art::Signal: return QStringLiteral("Signal");
    case Art::Block: return QStringLiteral("Block");
    }
    return {};
}

QString Pruefbericht::seitenName(Art art)
{
    switch (art) {
    case Art::Led: return QStringLiteral("Leds");
    case Art::Weiche: return QStringLiteral("Weichen");
    case Art::Signal: return QStringLiteral("Signale");
    case Art::Block: return QStringLiteral("Fahren");
    }
    return {};
}

QString Pruefbericht::befund(int lage)
{
    switch (lage) {
    case Gerade: return QStringLiteral("gerade fehlerhaft");
    case Abzweigend: return QStringLiteral("abzweigend fehlerhaft");
    default: return QStringLiteral("fehlerhaft");
    }
}

QString Pruefbericht::bereichText(std::pair<int, int> bereich)
{
    return bereich.first == bereich.second ? QString::number(bereich.first)
                                           : QStringLiteral("%1-%2").arg(bereich.first).arg(bereich.second);
}

void Pruefbericht::melden() const
{
    if (geaendert)
        geaendert();
}
