#include "pruefung.h"
#include "fuehrung.h"

#include "kvxhard.h"
#include "tempo.h"

#include <algorithm>

using verdrahtung::Element;

namespace pruefung {

int eingangsIndex(Element e)
{
    for (int i = 0; i < EingangsArten; ++i)
        if (Eingaenge[i] == e)
            return i;
    return -1;
}

int Umfang::anzahl(Element e) const
{
    switch (e) {
    case Element::Block:
    case Element::BlockBelegt: return bloecke;
    case Element::HBlock:
    case Element::HBlockBelegt:
    case Element::HBlockTaster: return hBloecke;
    case Element::Melder: return melder;
    case Element::BlockTaster: return 2 * bloecke;
    case Element::Taster1: return taster1;
    default: return 0;
    }
}

int Umfang::hBloeckeMitAusgang() const
{
    return std::min(hBloecke, 2 * bloecke);
}

Umfang umfangVon(const TkvxHard& kvx)
{
    const kvx::Anzahlen a = kvx.Anzahlen();
    Umfang u;
    u.bloecke = std::min<int>(a.BlockAnzahl, kvx::MaxBlocks / 2);   // two buttons each within 1..200
    u.hBloecke = std::min<int>(a.HBlockAnzahl, kvx::MaxHBlocks);
    u.melder = std::min<int>(a.MelderAnzahl, kvx::MaxMelder);
    u.taster1 = std::min<int>(a.Taster1Anzahl, kvx::MaxTaster - kvx::TasterKette1Basis);
    return u;
}

Ruhe RuheBild::von(Element e, int n) const
{
    const int i = eingangsIndex(e);
    if (i < 0 || n < 1 || n >= static_cast<int>(zustand[i].size()))
        return Ruhe::Frei;
    return static_cast<Ruhe>(zustand[i][static_cast<std::size_t>(n)]);
}

int schritte(const Umfang& u, const Zeiten& z, bool mitBloecken)
{
    int n = z.ruheZyklen;
    if (mitBloecken)
        n += (u.bloecke + u.hBloeckeMitAusgang()) * (z.einZyklen + z.ausZyklen);
    return n;
}

namespace {

// The inputs of one cycle, element n of kind i at [i][n].
struct Lesung {
    std::vector<std::uint8_t> wert[EingangsArten];
};

class Lauf {
public:
    Lauf(TkvxHard& kvx, Steuerung& s, const Zeiten& z) : kvx_(kvx), s_(s), z_(z), u_(umfangVon(kvx))
    {
        for (int i = 0; i < EingangsArten; ++i)
            jetzt_.wert[i].assign(static_cast<std::size_t>(u_.anzahl(Eingaenge[i]) + 1), 0);
    }

    const Umfang& umfang() const { return u_; }
    const Lesung& jetzt() const { return jetzt_; }

    // One cycle: keep-alive pulse, one read of every input, the rest of the
    // period asleep. False once stopped.
    bool zyklus()
    {
        if (s_.stop.load())
            return false;
        const auto beginn = std::chrono::steady_clock::now();
        fahrt::sntPuls(kvx_);
        lesen();
        s_.erledigt.fetch_add(1);
        const auto verbraucht = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - beginn);
        if (verbraucht < z_.periode)
            fahrt::schlafen(z_.periode - verbraucht);
        return !s_.stop.load();
    }

private:
    void lesen()
    {
        int b = 0, h = 0, m = 0, e2 = 0, bt = 0, ht = 0, t1 = 0;
        std::lock_guard sperre(kvx_.lock());
        // Both decoders read the inputs anew; the images are read under the
        // same lock, so the cycle sees one piece.
        kvx_.MelderLesen(b, h, m, e2);
        kvx_.TasterLesen(bt, ht, t1);
        auto nehmen = [this](Element e, auto quelle) {
            std::vector<std::uint8_t>& w = jetzt_.wert[eingangsIndex(e)];
            for (std::size_t n = 1; n < w.size(); ++n)
                w[n] = quelle(static_cast<int>(n)) ? 1 : 0;
        };
        nehmen(Element::BlockBelegt, [this](int n) { return kvx_.BlockBelegt[static_cast<std::size_t>(n)]; });
        nehmen(Element::HBlockBelegt, [this](int n) { return kvx_.HBlockBelegt[static_cast<std::size_t>(n)]; });
        nehmen(Element::Melder, [this](int n) { return kvx_.MelderBelegt[static_cast<std::size_t>(n)]; });
        nehmen(Element::BlockTaster, [this](int n) { return kvx_.TasterZustand[static_cast<std::size_t>(n)]; });
        nehmen(Element::HBlockTaster, [this](int n) {
            return kvx_.TasterZustand[static_cast<std::size_t>(kvx::TasterHBlockBasis + n)];
        });
        nehmen(Element::Taster1, [this](int n) {
            return kvx_.TasterZustand[static_cast<std::size_t>(kvx::TasterKette1Basis + n)];
        });
    }

    TkvxHard& kvx_;
    Steuerung& s_;
    const Zeiten& z_;
    Umfang u_;
    Lesung jetzt_;
};

// The rest cycles: each input free throughout, occupied throughout, or changing.
bool ruheLaufen(Lauf& lauf, const Zeiten& z, RuheBild& bild)
{
    bild.umfang = lauf.umfang();
    std::vector<int> einsen[EingangsArten];
    for (int i = 0; i < EingangsArten; ++i) {
        const std::size_t n = lauf.jetzt().wert[i].size();
        einsen[i].assign(n, 0);
        bild.zustand[i].assign(n, static_cast<std::uint8_t>(Ruhe::Frei));
    }
    int zyklen = 0;
    while (zyklen < std::max(z.ruheZyklen, 1)) {
        if (!lauf.zyklus())
            return false;
        ++zyklen;
        for (int i = 0; i < EingangsArten; ++i)
            for (std::size_t n = 1; n < einsen[i].size(); ++n)
                einsen[i][n] += lauf.jetzt().wert[i][n];
    }
    for (int i = 0; i < EingangsArten; ++i)
        for (std::size_t n = 1; n < einsen[i].size(); ++n)
            bild.zustand[i][n] = static_cast<std::uint8_t>(einsen[i][n] == 0        ? Ruhe::Frei
                                                           : einsen[i][n] == zyklen ? Ruhe::Belegt
                                                                                    : Ruhe::Wechselnd);
    return true;
}

// One element powered: the occupancies of its kind that were free before and
// are occupied at the end of the powered cycles. aus() switches it off again.
bool antwortLesen(Lauf& lauf, const Zeiten& z, Element eingang, const std::function<void(bool)>& schalten,
                  std::vector<int>& antwort)
{
    const std::vector<std::uint8_t> vorher = lauf.jetzt().wert[eingangsIndex(eingang)];
    schalten(true);
    bool weiter = true;
    for (int i = 0; weiter && i < std::max(z.einZyklen, 1); ++i)
        weiter = lauf.zyklus();
    const std::vector<std::uint8_t>& nachher = lauf.jetzt().wert[eingangsIndex(eingang)];
    schalten(false);
    if (!weiter)
        return false;
    for (std::size_t n = 1; n < nachher.size(); ++n)
        if (nachher[n] && !vorher[n])
            antwort.push_back(static_cast<int>(n));
    for (int i = 0; weiter && i < std::max(z.ausZyklen, 1); ++i)
        weiter = lauf.zyklus();
    return weiter;
}

bool bloeckeLaufen(TkvxHard& kvx, Lauf& lauf, const Zeiten& z, BlockBild& bild)
{
    const Umfang& u = lauf.umfang();
    bild.block.assign(static_cast<std::size_t>(u.bloecke + 1), {});
    bild.hBlock.assign(static_cast<std::size_t>(u.hBloecke + 1), {});
    bild.hBloeckeGeprueft = 0;
    // The lowest step forward; never two at once: each goes off before the next.
    for (int b = 1; b <= u.bloecke; ++b) {
        const auto nr = static_cast<std::uint8_t>(b);
        const auto schalten = [&kvx, nr](bool an) { kvx.BlockSetzen(nr, an ? 1 : 0, 1, an ? 1 : 0); };
        if (!antwortLesen(lauf, z, Element::BlockBelegt, schalten, bild.block[static_cast<std::size_t>(b)]))
            return false;
    }
    for (int h = 1; h <= u.hBloeckeMitAusgang(); ++h) {
        const auto nr = static_cast<std::uint8_t>(h);
        const auto schalten = [&kvx, nr](bool an) { kvx.HBlockSetzen(nr, an ? 1 : 0); };
        if (!antwortLesen(lauf, z, Element::HBlockBelegt, schalten, bild.hBlock[static_cast<std::size_t>(h)]))
            return false;
        bild.hBloeckeGeprueft = h;
    }
    return true;
}

void anhaengen(Ergebnis& in, Ergebnis&& dazu)
{
    for (Befund& b : dazu.befunde)
        if (std::find(in.befunde.begin(), in.befunde.end(), b) == in.befunde.end())
            in.befunde.push_back(std::move(b));
    for (std::string& h : dazu.hinweise)
        in.hinweise.push_back(std::move(h));
    in.bloeckeStumm = in.bloeckeStumm || dazu.bloeckeStumm;
}

}  // namespace

void eingabenLaufen(TkvxHard& kvx, Steuerung& steuerung, const Zeiten& zeiten, Element element,
                    const std::function<bool(const std::vector<int>&)>& zyklus)
{
    const int i = eingangsIndex(element);
    if (i < 0)
        return;
    Lauf lauf(kvx, steuerung, zeiten);
    steuerung.erledigt = 0;
    steuerung.schritte = 0;
    fahrt::laufBeginnen(kvx);
    kvx.AlleBloeckeAus();
    if (!lauf.zyklus())
        return;
    std::vector<std::uint8_t> vorher = lauf.jetzt().wert[i];
    std::vector<int> neu;
    while (lauf.zyklus()) {
        const std::vector<std::uint8_t>& jetzt = lauf.jetzt().wert[i];
        neu.clear();
        for (std::size_t n = 1; n < jetzt.size(); ++n)
            if (jetzt[n] && !vorher[n])
                neu.push_back(static_cast<int>(n));
        vorher = jetzt;
        if (!zyklus(neu))
            break;
    }
    kvx.AlleBloeckeAus();
}

Ergebnis pruefen(TkvxHard& kvx, Steuerung& steuerung, const Zeiten& zeiten, bool mitBloecken, RuheBild* ruheBild,
                 BlockBild* blockBild)
{
    Lauf lauf(kvx, steuerung, zeiten);
    steuerung.erledigt = 0;
    steuerung.schritte = schritte(lauf.umfang(), zeiten, mitBloecken);
    fahrt::laufBeginnen(kvx);
    kvx.AlleBloeckeAus();

    Ergebnis e;
    RuheBild ruhe;
    BlockBild bloecke;
    bool fertig = ruheLaufen(lauf, zeiten, ruhe);
    if (fertig)
        e = ruheAuswerten(ruhe);
    const bool dauerstrom = std::any_of(e.befunde.begin(), e.befunde.end(), [](const Befund& b) {
        return b.fehler.art == verdrahtung::Art::Bruch && b.fehler.kette == verdrahtung::Kette::Block;
    });
    if (fertig && dauerstrom) {
        // Power that no output switches off: only the supply can. Nothing
        // more gets power, the keep-alive line stays low.
        kvx.AlleBloeckeAus();
        kvx.SntAus();
        steuerung.schritte = steuerung.erledigt.load();
        e.netzteilAus = true;
        e.hinweise.push_back(std::string("Die Prüfung endete nach der Ruhe, das Netzteil ist aus: Blöcke mit dauernd "
                                         "Fahrstrom lassen sich nicht abschalten")
                             + (mitBloecken ? ", darum wurde kein Block einzeln eingeschaltet" : "")
                             + ". Erst die Blockkette prüfen (oder die Züge abräumen), dann noch einmal prüfen.");
        if (ruheBild)
            *ruheBild = std::move(ruhe);
        return e;
    }
    if (fertig && mitBloecken)
        fertig = bloeckeLaufen(kvx, lauf, zeiten, bloecke);
    kvx.AlleBloeckeAus();
    if (!fertig) {
        Ergebnis abbruch;
        abbruch.abgebrochen = true;
        return abbruch;
    }
    if (mitBloecken) {
        Ergebnis b = bloeckeAuswerten(ruhe, bloecke);
        std::vector<verdrahtung::Fehler> fehlend;
        for (const Befund& f : b.befunde)
            if (f.fehler.art == verdrahtung::Art::Fehlt && verdrahtung::istEingang(f.fehler.kette))
                fehlend.push_back(f.fehler);
        if (!fehlend.empty())
            e = ruheAuswerten(ruhe, fehlend);
        anhaengen(e, std::move(b));
    }
    if (ruheBild)
        *ruheBild = std::move(ruhe);
    if (blockBild)
        *blockBild = std::move(bloecke);
    return e;
}

}  // namespace pruefung
