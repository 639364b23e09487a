// From the answers of the powered blocks to findings. First the shift of a
// missing card (on the block chain or on an input line), found as the one
// that explains the most answers; then, with that shift undone, what is
// left: answers that went round to other blocks (one ring of swaps each, in
// the order --fehler applies them), blocks that stay silent, and answers an
// input stuck at rest kept from view.
#include "befundtext.h"

#include <algorithm>
#include <string>
#include <utility>

using verdrahtung::Art;
using verdrahtung::Element;
using verdrahtung::Kette;

namespace pruefung {

using namespace text;

namespace {

// One kind of powered element: blocks, or auxiliary blocks.
struct Sorte {
    Element ausgang, eingang;
    Kette linie;          // the input line
    int proKarte;         // per card, on the block chain and on the input line alike
    int anzahl;           // outputs powered: 1..anzahl
    int linienKarten;     // cards on the input line
    int mitAusgang;       // elements the block chain reaches
    std::vector<std::vector<int>> antwort;   // positions that rose, only those free at rest
    std::vector<std::uint8_t> frei;          // position free at rest, [p]
    std::string einzahl, mehrzahl;           // "Block", "Blöcke"
};

// A card missing on the block chain (outputs from it on land one card
// further, the last card's fall off the end) and on the input line (the
// elements behind it answer one card earlier, its own are lost); 0: none.
struct Versatz {
    int kette = 0, linie = 0;
};

// The element that output n reaches; 0 when it falls off the chain.
int element(const Sorte& s, const Versatz& v, int n)
{
    const int e = v.kette > 0 && n > (v.kette - 1) * s.proKarte ? n + s.proKarte : n;
    return e <= s.mitAusgang ? e : 0;
}

// The element whose answer arrives at position p.
int herkunft(const Sorte& s, const Versatz& v, int p)
{
    return v.linie > 0 && p > (v.linie - 1) * s.proKarte ? p + s.proKarte : p;
}

// An element no output reaches: its card is missing on the chain.
bool dunkel(const Sorte& s, const Versatz& v, int e)
{
    return v.kette > 0 && e > (v.kette - 1) * s.proKarte && e <= v.kette * s.proKarte;
}

bool verloren(const Sorte& s, const Versatz& v, int e)
{
    return v.linie > 0 && e > (v.linie - 1) * s.proKarte && e <= v.linie * s.proKarte;
}

// Outputs whose single answer is the one the shift predicts, less answers
// it cannot explain at all (from elements without power); bestaetigt: one
// of them answered away from its own number (the shift shows).
int treffer(const Sorte& s, const Versatz& v, bool& bestaetigt)
{
    int t = 0;
    bestaetigt = false;
    for (int n = 1; n <= s.anzahl; ++n) {
        const int e = element(s, v, n);
        const std::vector<int>& a = s.antwort[static_cast<std::size_t>(n)];
        for (const int p : a)
            if (e == 0 || dunkel(s, v, herkunft(s, v, p)))
                --t;
        if (e == 0 || a.size() != 1 || herkunft(s, v, a[0]) != e)
            continue;
        ++t;
        bestaetigt = bestaetigt || a[0] != n;
    }
    return t;
}

// The best shift on the input line, given the one on the chain.
Versatz besteLinie(const Sorte& s, int kette, int& besteTreffer)
{
    Versatz beste{kette, 0};
    bool bestaetigt = false;
    besteTreffer = treffer(s, beste, bestaetigt);
    for (int l = 1; l <= s.linienKarten; ++l) {
        const Versatz v{kette, l};
        const int t = treffer(s, v, bestaetigt);
        if (t > besteTreffer && bestaetigt) {
            beste = v;
            besteTreffer = t;
        }
    }
    return beste;
}

std::string liste(const std::vector<int>& n)
{
    std::string out;
    for (std::size_t i = 0; i < n.size(); ++i)
        out += (i == 0 ? "" : i + 1 == n.size() ? " und " : ", ") + zahl(n[i]);
    return out;
}

// The swaps that, applied from the healthy wiring in this order, give the
// ring: element ring[i]'s answer at ring[i + 1], the last's at the first.
std::vector<std::pair<int, int>> tausche(const std::vector<int>& ring)
{
    std::vector<std::pair<int, int>> stelle;   // position, whose answer it shows
    for (std::size_t i = 0; i < ring.size(); ++i)
        stelle.emplace_back(ring[(i + 1) % ring.size()], ring[i]);
    std::sort(stelle.begin(), stelle.end());
    std::vector<std::pair<int, int>> rueck;
    for (std::size_t i = 0; i < stelle.size(); ++i) {
        while (stelle[i].second != stelle[i].first) {
            const auto q = std::find_if(stelle.begin(), stelle.end(),
                                        [&](const auto& x) { return x.second == stelle[i].first; });
            std::swap(stelle[i].second, q->second);
            rueck.emplace_back(std::min(stelle[i].first, q->first), std::max(stelle[i].first, q->first));
        }
    }
    std::reverse(rueck.begin(), rueck.end());
    return rueck;
}

class Rest {
public:
    Rest(const Sorte& s, const Versatz& v, Ergebnis& e) : s_(s), e_(e)
    {
        const auto groesse = static_cast<std::size_t>(s.mitAusgang + 1);
        r_.assign(groesse, {});
        erreicht_.assign(groesse, 0);
        ungesehen_.assign(groesse, 0);
        for (int p = 1; p < static_cast<int>(s.frei.size()); ++p) {
            const int h = herkunft(s, v, p);
            if (!s.frei[static_cast<std::size_t>(p)] && h <= s.mitAusgang) {
                ungesehen_[static_cast<std::size_t>(h)] = 1;
                klemmt_.push_back(h);
            }
        }
        for (int n = 1; n <= s.mitAusgang; ++n)
            if (verloren(s, v, n))
                ungesehen_[static_cast<std::size_t>(n)] = 1;
        for (int n = 1; n <= s.anzahl; ++n) {
            const int el = element(s, v, n);
            if (el == 0)
                continue;
            erreicht_[static_cast<std::size_t>(el)] = 1;
            for (const int p : s.antwort[static_cast<std::size_t>(n)])
                r_[static_cast<std::size_t>(el)].push_back(herkunft(s, v, p));
        }
    }

    void beurteilen()
    {
        const int m = s_.mitAusgang;
        std::vector<int>& ziel = ziel_;
        ziel.assign(static_cast<std::size_t>(m + 1), 0);
        std::vector<int> hinein(static_cast<std::size_t>(m + 1), 0);
        for (int n = 1; n <= m; ++n) {
            const std::vector<int>& a = r_[static_cast<std::size_t>(n)];
            if (!erreicht_[static_cast<std::size_t>(n)] || a.empty())
                continue;
            if (std::find(a.begin(), a.end(), n) != a.end()) {
                ++hinein[static_cast<std::size_t>(n)];
                if (a.size() > 1)
                    kurzschluss(n, a[0] == n ? a[1] : a[0]);
                continue;
            }
            ziel[static_cast<std::size_t>(n)] = a[0];
            if (a[0] <= m)
                ++hinein[static_cast<std::size_t>(a[0])];
        }
        // An answer that moved to another block: part of a ring when nobody
        // else answers there.
        const auto kante = [&](int n) {
            const int k = ziel[static_cast<std::size_t>(n)];
            return k >= 1 && k <= m && hinein[static_cast<std::size_t>(k)] == 1;
        };
        const auto ist = [&](const std::vector<std::uint8_t>& v, int n) { return v[static_cast<std::size_t>(n)] != 0; };
        std::vector<std::uint8_t> gesehen(static_cast<std::size_t>(m + 1), 0);
        int frei = 0;   // stuck inputs a silent block's answer may have gone to
        for (int n = 1; n <= m; ++n)
            if (ist(erreicht_, n) && ist(ungesehen_, n) && !stumm(n))
                ++frei;
        // Chains from a block nobody answers at, then rings.
        for (int runde = 0; runde < 2; ++runde) {
            for (int n = 1; n <= m; ++n) {
                if (ist(gesehen, n) || !kante(n) || (runde == 0 && hinein[static_cast<std::size_t>(n)] > 0))
                    continue;
                std::vector<int> weg{n};
                gesehen[static_cast<std::size_t>(n)] = 1;
                int k = ziel[static_cast<std::size_t>(n)];
                while (k != n && ist(erreicht_, k) && kante(k) && !ist(gesehen, k)) {
                    weg.push_back(k);
                    gesehen[static_cast<std::size_t>(k)] = 1;
                    k = ziel[static_cast<std::size_t>(k)];
                }
                if (k == n) {
                    ring(weg, Schluss::Ring);
                    continue;
                }
                if (ist(gesehen, k) || !stumm(k)) {
                    for (const int w : weg)
                        einseitig(w);
                    continue;
                }
                weg.push_back(k);
                gesehen[static_cast<std::size_t>(k)] = 1;
                if (ist(ungesehen_, n))
                    --frei;
                else if (ist(erreicht_, k))
                    ++stumme;
                ring(weg, !ist(erreicht_, k) ? Schluss::Dunkel : ist(ungesehen_, n) ? Schluss::Ungesehen : Schluss::Tot);
            }
        }
        for (int n = 1; n <= m; ++n)
            if (!gesehen[static_cast<std::size_t>(n)] && ziel[static_cast<std::size_t>(n)] != 0)
                einseitig(n);
        for (int n = 1; n <= m; ++n) {
            if (gesehen[static_cast<std::size_t>(n)] || !erreicht_[static_cast<std::size_t>(n)] || !stumm(n)
                || ungesehen_[static_cast<std::size_t>(n)])
                continue;
            if (frei > 0) {
                nichtGesehen_.push_back(n);
                continue;
            }
            ++stumme;
            e_.befunde.push_back(befund(Art::Tot, s_.ausgang, n,
                                        s_.einzahl + " " + zahl(n) + " meldet sich nicht: keine Last, Ausgang tot oder "
                                            "Belegtleitung unterbrochen?" + gefuehrtText(s_.ausgang)));
        }
        if (!nichtGesehen_.empty()) {
            std::sort(klemmt_.begin(), klemmt_.end());
            e_.hinweise.push_back((nichtGesehen_.size() == 1 ? s_.einzahl : s_.mehrzahl) + " " + liste(nichtGesehen_)
                                  + (nichtGesehen_.size() == 1 ? " meldet" : " melden")
                                  + " sich nicht, doch die Meldung kann auf einem Eingang liegen, der schon in Ruhe "
                                    "nicht frei war (" + liste(klemmt_) + "): nicht zu sehen, solange er das tut.");
        }
    }

    int stumme = 0;

private:
    bool stumm(int n) const { return r_[static_cast<std::size_t>(n)].empty(); }

    std::string name(int a, int b) const
    {
        return "tausch:" + std::string(verdrahtung::name(s_.ausgang)) + ":" + zahl(a) + ":" + zahl(b);
    }

    // How a chain of answers closes: a ring; through a dead line at the
    // first (the last is silent, nobody answers at the first); at a first
    // whose input is stuck; at a last that no output reaches.
    enum class Schluss { Ring, Tot, Ungesehen, Dunkel };

    // weg: each one's answer at the next.
    void ring(const std::vector<int>& weg, Schluss schluss)
    {
        const bool mitTot = schluss == Schluss::Tot;
        const bool offen = schluss != Schluss::Ring;
        const std::string& art = s_.einzahl;
        std::string satz = "Fahrstrom von " + art + " " + zahl(weg[0]) + " meldet als " + zahl(weg[1]) + " belegt";
        const std::size_t bis = offen ? weg.size() - 1 : weg.size();
        for (std::size_t i = 1; i < bis; ++i)
            satz += ", von " + zahl(weg[i]) + " als " + zahl(weg[(i + 1) % weg.size()]);
        const std::vector<std::pair<int, int>> t = tausche(weg);
        Befund b = befund(Art::Tausch, s_.ausgang, t[0].first, "", t[0].second);
        if (t.size() > 1 || mitTot) {
            for (const auto& [x, y] : t)
                b.name += (b.name.empty() ? "" : ",") + name(x, y);
            if (mitTot)
                b.name += ",tot:" + std::string(verdrahtung::name(s_.ausgang)) + ":" + zahl(weg[0]);
        }
        if (!offen && weg.size() == 2) {
            b.satz = art + " " + zahl(std::min(weg[0], weg[1])) + " und " + zahl(std::max(weg[0], weg[1]))
                     + " vertauscht: Fahrstrom von " + zahl(std::min(weg[0], weg[1])) + " meldet als "
                     + zahl(std::max(weg[0], weg[1])) + " belegt.";
        } else if (!offen) {
            b.satz = s_.mehrzahl + " " + liste(weg) + " reihum vertauscht: " + satz + ".";
        } else if (mitTot) {
            b.satz = satz + ", " + art + " " + zahl(weg.back()) + " meldet sich nicht: Leitungen "
                     + (weg.size() == 2 ? "von " + liste(weg) : "reihum") + " vertauscht, und auf " + zahl(weg[0])
                     + " keine Last, Ausgang tot oder Belegtleitung unterbrochen?";
        } else {
            b.satz = satz + "; "
                     + (schluss == Schluss::Dunkel
                            ? art + " " + zahl(weg.back()) + " selbst bekommt keinen Fahrstrom, den er melden könnte"
                            : "was " + art + " " + zahl(weg.back()) + " meldet, ist nicht zu sehen, der Eingang von "
                                  + zahl(weg[0]) + " war schon in Ruhe nicht frei")
                     + ": Leitungen " + (weg.size() == 2 ? "von " + liste(weg) : "von " + liste(weg) + " reihum")
                     + " vertauscht?";
        }
        if (t.size() > 1)
            b.satz += " Für --fehler gelten die Tausche in dieser Reihenfolge.";
        b.satz += gefuehrtText(s_.ausgang);
        e_.befunde.push_back(std::move(b));
    }

    // An answer at a block that others answer at too: no swap explains it.
    void einseitig(int n)
    {
        const int k = ziel_[static_cast<std::size_t>(n)];
        Befund b = befund(Art::Tausch, s_.ausgang, n,
                          "Fahrstrom von " + s_.einzahl + " " + zahl(n) + " meldet als " + zahl(k)
                              + " belegt, wo auch anderes meldet: Fahrstrom- oder Belegtleitungen von " + zahl(n)
                              + " und " + zahl(k) + " verbunden oder vertauscht?" + gefuehrtText(s_.ausgang),
                          k);
        b.name = "meldetals:" + std::string(verdrahtung::name(s_.ausgang)) + ":" + zahl(n) + ":" + zahl(k);
        e_.befunde.push_back(std::move(b));
    }

    void kurzschluss(int n, int k)
    {
        Befund b = befund(Art::Tausch, s_.ausgang, n,
                          "Fahrstrom von " + s_.einzahl + " " + zahl(n) + " meldet als " + zahl(n) + " und als "
                              + zahl(k) + " belegt: Leitungen von " + zahl(n) + " und " + zahl(k) + " verbunden?"
                              + gefuehrtText(s_.ausgang),
                          k);
        b.name = "kurzschluss:" + std::string(verdrahtung::name(s_.ausgang)) + ":" + zahl(std::min(n, k)) + ":"
                 + zahl(std::max(n, k));
        e_.befunde.push_back(std::move(b));
    }

    const Sorte& s_;
    Ergebnis& e_;
    std::vector<std::vector<int>> r_;        // by element: the elements whose answers came
    std::vector<std::uint8_t> erreicht_;     // an output reaches it
    std::vector<std::uint8_t> ungesehen_;    // its answer cannot be seen (input stuck at rest, card lost)
    std::vector<int> klemmt_;                // elements whose input was not free at rest
    std::vector<int> nichtGesehen_;
    std::vector<int> ziel_;                  // by element: where its single answer went, 0: none or its own
};

void fehltBefund(Ergebnis& e, const Sorte& s, bool kette, int karte, int karten)
{
    const int pk = s.proKarte;
    const int ab = kette ? (karte - 1) * pk + 1 : karte * pk + 1;
    const int stumm = kette ? karten : karte;
    e.befunde.push_back(kettenBefund(
        Art::Fehlt, kette ? Kette::Block : s.linie, karte,
        "Fahrstrom der " + s.mehrzahl + " ab " + zahl(ab) + " meldet eine Karte " + (kette ? "weiter" : "früher") + ", "
            + s.mehrzahl + " " + zahl((stumm - 1) * pk + 1) + " bis " + zahl(stumm * pk) + " gar nicht: Karte "
            + zahl(karte) + " fehlt in der "
            + (kette ? std::string("Blockkette") : s.linie == Kette::BlockEin ? "Eingangsleitung der Blockkarten"
                                                                               : "Eingangsleitung der Hilfsblockkarten")
            + " (Nachbarn direkt verbunden)?"));
}

}  // namespace

Ergebnis bloeckeAuswerten(const RuheBild& ruhe, const BlockBild& bild)
{
    Ergebnis e;
    const Umfang& u = ruhe.umfang;
    Sorte bloecke{Element::Block, Element::BlockBelegt, Kette::BlockEin, 2,
                  std::min<int>(u.bloecke, static_cast<int>(bild.block.size()) - 1), kartenZahl(u.bloecke, 2),
                  u.bloecke, bild.block, {}, "Block", "Blöcke"};
    Sorte hBloecke{Element::HBlock, Element::HBlockBelegt, Kette::HBlockEin, 4,
                   std::min<int>(bild.hBloeckeGeprueft, static_cast<int>(bild.hBlock.size()) - 1),
                   kartenZahl(u.hBloecke, 4), u.hBloeckeMitAusgang(), bild.hBlock, {}, "Hilfsblock", "Hilfsblöcke"};
    int antworten = 0;
    for (Sorte* s : {&bloecke, &hBloecke}) {
        s->anzahl = std::max(s->anzahl, 0);
        s->antwort.resize(static_cast<std::size_t>(std::max(s->anzahl, s->mitAusgang) + 1));
        s->frei.assign(static_cast<std::size_t>(u.anzahl(s->eingang) + 1), 1);
        for (int p = 1; p < static_cast<int>(s->frei.size()); ++p)
            s->frei[static_cast<std::size_t>(p)] = ruhe.von(s->eingang, p) == Ruhe::Frei ? 1 : 0;
        // An input that was not free at rest says nothing about who powers it.
        for (int n = 1; n <= s->anzahl; ++n) {
            std::vector<int>& an = s->antwort[static_cast<std::size_t>(n)];
            an.erase(std::remove_if(an.begin(), an.end(), [&](int k) { return ruhe.von(s->eingang, k) != Ruhe::Frei; }),
                     an.end());
            if (!an.empty())
                ++antworten;
        }
    }
    if (antworten == 0) {
        e.bloeckeStumm = true;
        e.hinweise.push_back("Kein Block und kein Hilfsblock meldet sich belegt: ohne Last (Lok, Wagen mit "
                             "Widerstandsachse oder Prüflast) auf den Gleisen sieht die Blockprüfung nichts. Stehen "
                             "Lasten darauf, kommt der Fahrstrom nicht an oder seine Meldung nicht zurück: fehlt eine "
                             "Blockkarte, oder ist die Blockkette oder die Eingangsleitung der Blockkarten nicht "
                             "angeschlossen?");
        return e;
    }

    // The missing card that explains the most answers, on the block chain
    // (it moves the auxiliary blocks with the blocks) or on an input line.
    int beste = 0;
    Versatz vb = besteLinie(bloecke, 0, beste);
    for (int k = 1; k <= bloecke.linienKarten; ++k) {
        int t = 0;
        bool bestaetigt = false;
        treffer(bloecke, {k, 0}, bestaetigt);
        if (!bestaetigt)
            continue;
        const Versatz v = besteLinie(bloecke, k, t);
        if (t > beste) {
            beste = t;
            vb = v;
        }
    }
    int hTreffer = 0;
    const Versatz vh = besteLinie(hBloecke, vb.kette, hTreffer);
    if (vb.kette > 0)
        fehltBefund(e, bloecke, true, vb.kette, bloecke.linienKarten);
    if (vb.linie > 0)
        fehltBefund(e, bloecke, false, vb.linie, bloecke.linienKarten);
    if (vh.linie > 0)
        fehltBefund(e, hBloecke, false, vh.linie, hBloecke.linienKarten);

    Rest rb(bloecke, vb, e);
    rb.beurteilen();
    Rest rh(hBloecke, vh, e);
    rh.beurteilen();
    if (rb.stumme + rh.stumme > 0)
        e.hinweise.push_back("Blöcke ohne Last melden sich nicht: eine Lok oder Prüflast auf jedem Block "
                             "unterscheidet einen leeren Block von einem toten Ausgang.");
    if (u.hBloecke > u.hBloeckeMitAusgang())
        e.hinweise.push_back("Die Hilfsblöcke " + zahl(200 + u.hBloeckeMitAusgang() + 1) + " bis "
                             + zahl(200 + u.hBloecke) + " (hblock:" + zahl(u.hBloeckeMitAusgang() + 1) + " bis "
                             + zahl(u.hBloecke) + ") erreicht die Blockkette nicht (zwei je Block): nicht geprüft.");
    return e;
}

}  // namespace pruefung
