#include "strecke.h"

#include "echtzeit.h"

#include <algorithm>
#include <utility>

namespace fahrt {

namespace {

using Sperre = std::lock_guard<std::mutex>;

// Auxiliary block numbers reach the block chain in 8 bits.
constexpr int HBlockKette = 255;

bool gueltigeZeile(int zeile)
{
    return zeile >= 1 && zeile <= RingZeilen;
}

}  // namespace

// ---------------------------------------------------------------- the rules

int nachbar(int zeile, bool vorwaerts)
{
    if (vorwaerts)
        return zeile >= RingZeilen ? 1 : zeile + 1;
    return zeile <= 1 ? RingZeilen : zeile - 1;
}

Paar startPaar(bool vorwaerts)
{
    return {1, nachbar(1, vorwaerts)};
}

Paar naechstesPaar(Paar p, bool vorwaerts)
{
    const int a = nachbar(p.a, vorwaerts);
    return {a, nachbar(a, vorwaerts)};
}

std::optional<LedAdresse> ledAdresse(int code)
{
    if (code < 0 || code >= 3000)
        return std::nullopt;
    const int nr = code % 1000;
    if (nr < 1 || nr > kvx::MaxLeds)
        return std::nullopt;
    return LedAdresse{code / 1000 + 1, nr};
}

namespace {

// A block-type number (block 1..200, auxiliary block 200 + h) above its count.
std::optional<Ueberzaehlig> blockTypUeber(int n, const kvx::Anzahlen& a)
{
    using Art = Ueberzaehlig::Art;
    if (n <= HBlockBasis)
        return n > a.BlockAnzahl ? std::optional(Ueberzaehlig{Art::Block, n, a.BlockAnzahl, 0}) : std::nullopt;
    if (n - HBlockBasis > a.HBlockAnzahl)
        return Ueberzaehlig{Art::HBlock, n, a.HBlockAnzahl, 0};
    return std::nullopt;
}

std::optional<Ueberzaehlig> ledUeber(const Zelle& code, const std::array<int, 3>& ledAnzahl)
{
    if (!code.gueltig)
        return std::nullopt;
    const std::optional<LedAdresse> led = ledAdresse(code.zahl);
    if (!led)
        return std::nullopt;
    const int anzahl = ledAnzahl[static_cast<std::size_t>(led->kette - 1)];
    if (led->nr <= anzahl)
        return std::nullopt;
    return Ueberzaehlig{Ueberzaehlig::Art::Led, (led->kette - 1) * 1000 + led->nr, anzahl, led->kette};
}

}  // namespace

std::optional<Ueberzaehlig> ersteUeberzaehlige(const StreckenTabellen& t, const kvx::Anzahlen& anzahlen,
                                               const std::array<int, 3>& ledAnzahl)
{
    const auto genannt = [](const Zelle& z) { return z.gueltig && z.zahl > 0; };
    for (const auto& zeile : t.strecke) {
        for (int s = 1; s <= StreckenSpalten; ++s) {
            const Zelle& z = zeile[static_cast<std::size_t>(s - 1)];
            if (!genannt(z))
                continue;
            if (s == SpalteBlock || s == SpalteHBlock) {
                if (auto u = blockTypUeber(z.zahl, anzahlen))
                    return u;
            } else if (z.zahl > anzahlen.MelderAnzahl) {
                return Ueberzaehlig{Ueberzaehlig::Art::Melder, z.zahl, anzahlen.MelderAnzahl, 0};
            }
        }
    }
    for (const LedZuordnung& r : t.ledBlock) {
        if (!genannt(r.element))
            continue;
        if (auto u = blockTypUeber(r.element.zahl, anzahlen))
            return u;
        if (auto u = ledUeber(r.code, ledAnzahl))
            return u;
    }
    for (const LedZuordnung& r : t.ledMelder) {
        if (!genannt(r.element))
            continue;
        if (r.element.zahl > anzahlen.MelderAnzahl)
            return Ueberzaehlig{Ueberzaehlig::Art::Melder, r.element.zahl, anzahlen.MelderAnzahl, 0};
        if (auto u = ledUeber(r.code, ledAnzahl))
            return u;
    }
    return std::nullopt;
}

// --------------------------------------------------------------- page state

StreckenSeite::StreckenSeite()
    : stand_{true, 0, false, {}, std::make_shared<const StreckenTabellen>()}
{
}

void StreckenSeite::tabellenSetzen(std::shared_ptr<const StreckenTabellen> tabellen)
{
    if (!tabellen)
        tabellen = std::make_shared<const StreckenTabellen>();
    Sperre s(lock_);
    stand_.tabellen = std::move(tabellen);
}

void StreckenSeite::tempoSetzen(int tempo)
{
    Sperre s(lock_);
    stand_.tempo = tempo;
}

void StreckenSeite::richtungSetzen(bool vorwaerts)
{
    Sperre s(lock_);
    stand_.vorwaerts = vorwaerts;
}

void StreckenSeite::startSetzen(bool start)
{
    Sperre s(lock_);
    stand_.start = start;
}

void StreckenSeite::ledAnzahlSetzen(const std::array<int, 3>& anzahl)
{
    Sperre s(lock_);
    stand_.ledAnzahl = anzahl;
}

void StreckenSeite::lesen(StreckenStand& ziel) const
{
    Sperre s(lock_);
    ziel = stand_;
}

bool StreckenSeite::start() const
{
    Sperre s(lock_);
    return stand_.start;
}

bool StreckenSeite::vorwaerts() const
{
    Sperre s(lock_);
    return stand_.vorwaerts;
}

// ------------------------------------------------------------------ reports

StreckenBericht::StreckenBericht(std::function<void()> wecken)
    : wecken_(std::move(wecken))
{
}

// Wakes the window for the first report after a fetch; l is released first.
void StreckenBericht::gemeldet(std::unique_lock<std::mutex>& l)
{
    const bool wecken = !std::exchange(geweckt_, true);
    l.unlock();
    if (wecken && wecken_)
        wecken_();
}

void StreckenBericht::zyklen(int proSekunde)
{
    std::unique_lock l(lock_);
    offen_.zyklen = proSekunde;
    gemeldet(l);
}

void StreckenBericht::paar(Paar p)
{
    std::unique_lock l(lock_);
    offen_.paar = p;
    gemeldet(l);
}

void StreckenBericht::markierung(const Markierung& m)
{
    std::unique_lock l(lock_);
    offen_.markierung = m;
    gemeldet(l);
}

void StreckenBericht::ende(std::optional<std::string> fehler)
{
    {
        Sperre s(lock_);
        offen_.ende = true;
        offen_.fehler = std::move(fehler);
        geweckt_ = true;
    }
    // The end always wakes the window: it must not wait for a later look.
    if (wecken_)
        wecken_();
}

StreckenNachricht StreckenBericht::abholen()
{
    Sperre s(lock_);
    geweckt_ = false;
    return std::exchange(offen_, StreckenNachricht{});
}

bool StreckenBericht::beendet() const
{
    Sperre s(lock_);
    return offen_.ende;
}

void StreckenBericht::verwerfen()
{
    Sperre s(lock_);
    geweckt_ = false;
    offen_ = StreckenNachricht{};
}

// ------------------------------------------------------------------ the run

StreckenLauf::StreckenLauf(TkvxHard& kvx, const StreckenSeite& seite, StreckenMelder& melder)
    : kvx_(kvx), seite_(seite), melder_(melder)
{
}

void StreckenLauf::anfang()
{
    vorwaerts_ = seite_.vorwaerts();
    paar_ = startPaar(vorwaerts_);
    melder_.paar(paar_);
    zaehler_ = ZyklusZaehler();
    melder_.zyklen(0);
    laufBeginnen(kvx_);
}

bool StreckenLauf::zyklus()
{
    sntPuls(kvx_);
    if (const auto n = zaehler_.zyklus())
        melder_.zyklen(*n);
    seite_.lesen(stand_);
    anzahlen_ = kvx_.Anzahlen();

    {
        // Input cycle, marking and LEDs in one piece: a switching pass on
        // another thread never comes between the images and their write-out.
        std::lock_guard<std::recursive_mutex> karte(kvx_.lock());
        int b = 0, h = 0, m = 0, e = 0;
        kvx_.MelderLesen(b, h, m, e);
        if (!markieren() || !ledsSetzen())
            return false;
        kvx_.LedKetteSchreiben(1, kvx_.Led1Zustand.data(), stand_.ledAnzahl[0]);
        kvx_.LedKetteSchreiben(2, kvx_.Led2Zustand.data(), stand_.ledAnzahl[1]);
        kvx_.LedKetteSchreiben(3, kvx_.Led3Zustand.data(), stand_.ledAnzahl[2]);
    }
    melder_.markierung(markierung_);

    // Stepping: only when the first row is free, at most one row a cycle.
    if (!zeileBelegt(paar_.a)) {
        paar_ = naechstesPaar(paar_, vorwaerts_);
        melder_.paar(paar_);
    }
    paarLesen();

    // The first row's block and auxiliary block, left behind, go off; while
    // the route is free nothing is switched off.
    if (!streckeFrei_) {
        if (vorigerABlock_ > 0 && vorigerABlock_ != aBlock_)
            blockAus(vorigerABlock_);
        if (vorigerAHBlock_ > 0 && vorigerAHBlock_ != aHBlock_)
            hBlockAus(vorigerAHBlock_);
    }
    vorigerABlock_ = aBlock_;
    vorigerAHBlock_ = aHBlock_;

    // A new direction applies from here on. The second row is always the one
    // the train runs into next, so it turns with the direction.
    const bool vorwaerts = seite_.vorwaerts();
    if (vorwaerts != vorwaerts_) {
        vorwaerts_ = vorwaerts;
        paar_.b = nachbar(paar_.a, vorwaerts_);
        melder_.paar(paar_);
        paarLesen();
    }
    stand_.start = seite_.start();

    // Whatever this run powered and is no longer the pair's (a table edited,
    // cleared or loaded, the direction reversed, the pair moved on over a
    // free route) goes off: after a cycle only the pair is powered.
    for (int& b : bloeckeAn_) {
        if (b > 0 && b != aBlock_ && b != bBlock_)
            blockAus(b);
    }
    for (int& h : hBloeckeAn_) {
        if (h > 0 && h != aHBlock_ && h != bHBlock_)
            hBlockAus(h);
    }

    if (!streckeFrei_) {
        const std::uint8_t an = stand_.start ? 1 : 0;
        if (aHBlock_ > 0)
            kvx_.HBlockSetzen(static_cast<std::uint8_t>(aHBlock_), an);
        if (bHBlock_ > 0)
            kvx_.HBlockSetzen(static_cast<std::uint8_t>(bHBlock_), an);
        hBloeckeAn_ = stand_.start ? std::array{aHBlock_, bHBlock_} : std::array{0, 0};
    }
    bloeckeSenden(vorwaerts_);
    bloeckeAn_ = stand_.tempo > 0 ? std::array{aBlock_, bBlock_} : std::array{0, 0};
    return true;
}

void StreckenLauf::blockAus(int block)
{
    kvx_.BlockSetzen(static_cast<std::uint8_t>(block), 0, vorwaerts_ ? 1 : 0, 0);
    std::replace(bloeckeAn_.begin(), bloeckeAn_.end(), block, 0);
}

void StreckenLauf::hBlockAus(int hblock)
{
    kvx_.HBlockSetzen(static_cast<std::uint8_t>(hblock), 0);
    std::replace(hBloeckeAn_.begin(), hBloeckeAn_.end(), hblock, 0);
}

// Every numbered cell of rows 1..20 occupied or free by its element; the
// route is free when none is occupied.
bool StreckenLauf::markieren()
{
    const StreckenTabellen& t = *stand_.tabellen;
    streckeFrei_ = true;
    for (int z = 0; z < StreckenZeilen; ++z) {
        for (int s = 0; s < StreckenSpalten; ++s) {
            const Zelle& zelle = t.strecke[z][s];
            if (!zelle.gueltig) {
                fehler_ = zelle.text;
                return false;
            }
            Marke& marke = markierung_[z][s];
            const std::optional<bool> b = zelle.zahl > 0 ? belegt(s + 1, zelle.zahl) : std::nullopt;
            if (!b) {
                marke = Marke::Keine;
                continue;
            }
            marke = *b ? Marke::Belegt : Marke::Frei;
            if (*b)
                streckeFrei_ = false;
        }
    }
    return true;
}

bool StreckenLauf::ledsSetzen()
{
    kvx_.Led1Zustand.fill(0);
    kvx_.Led2Zustand.fill(0);
    kvx_.Led3Zustand.fill(0);
    const StreckenTabellen& t = *stand_.tabellen;
    return ledZeilen(t.ledBlock, false) && ledZeilen(t.ledMelder, true);
}

// Lights the LED of every row whose element is occupied; the code is read
// only for such a row.
bool StreckenLauf::ledZeilen(const std::vector<LedZuordnung>& zeilen, bool melder)
{
    for (const LedZuordnung& z : zeilen) {
        if (!z.element.gueltig) {
            fehler_ = z.element.text;
            return false;
        }
        if (z.element.zahl <= 0)
            continue;
        const std::optional<bool> b = melder ? belegt(2, z.element.zahl) : blockTypBelegt(z.element.zahl);
        if (!b || !*b)
            continue;
        if (!z.code.gueltig) {
            fehler_ = z.code.text;
            return false;
        }
        if (const auto led = ledAdresse(z.code.zahl)) {
            auto& bild = led->kette == 1 ? kvx_.Led1Zustand : led->kette == 2 ? kvx_.Led2Zustand : kvx_.Led3Zustand;
            bild[static_cast<std::size_t>(led->nr)] = 1;
        }
    }
    return true;
}

std::optional<bool> StreckenLauf::blockTypBelegt(int zahl) const
{
    if (zahl >= 1 && zahl <= kvx::MaxBlocks) {
        if (zahl > anzahlen_.BlockAnzahl)
            return std::nullopt;
        return kvx_.BlockBelegt[static_cast<std::size_t>(zahl)] == 1;
    }
    if (zahl > HBlockBasis && zahl <= HBlockBasis + kvx::MaxHBlocks)
        return kvx_.HBlockBelegt[static_cast<std::size_t>(zahl - HBlockBasis)] == 1;
    return std::nullopt;
}

std::optional<bool> StreckenLauf::belegt(int spalte, int zahl) const
{
    if (spalte == SpalteHBlock || spalte == SpalteBlock)
        return blockTypBelegt(zahl);
    if (zahl >= 1 && zahl <= kvx::MaxMelder)
        return kvx_.MelderBelegt[static_cast<std::size_t>(zahl)] == 1;
    return std::nullopt;
}

bool StreckenLauf::zeileBelegt(int zeile) const
{
    if (!gueltigeZeile(zeile))
        return false;
    const auto& z = markierung_[static_cast<std::size_t>(zeile - 1)];
    return std::any_of(z.begin(), z.end(), [](Marke m) { return m == Marke::Belegt; });
}

int StreckenLauf::zahl(int zeile, int spalte) const
{
    if (!gueltigeZeile(zeile))
        return 0;
    return stand_.tabellen->strecke[static_cast<std::size_t>(zeile - 1)][static_cast<std::size_t>(spalte - 1)].zahl;
}

int StreckenLauf::blockVon(int zeile) const
{
    const int n = zahl(zeile, SpalteBlock);
    return n >= 1 && n <= std::min<int>(anzahlen_.BlockAnzahl, kvx::MaxBlocks) ? n : 0;
}

int StreckenLauf::hBlockVon(int zeile) const
{
    const int n = zahl(zeile, SpalteHBlock);
    return n > HBlockBasis && n <= HBlockBasis + HBlockKette ? n - HBlockBasis : 0;
}

void StreckenLauf::paarLesen()
{
    aHBlock_ = hBlockVon(paar_.a);
    aBlock_ = blockVon(paar_.a);
    bHBlock_ = hBlockVon(paar_.b);
    bBlock_ = blockVon(paar_.b);
}

// Every cycle: both blocks of the pair, each slot first to the first row's
// block, then to the second's.
void StreckenLauf::bloeckeSenden(bool vorwaerts)
{
    const auto d = static_cast<std::uint8_t>(vorwaerts ? 1 : 0);
    const auto senden = [&](int block, std::uint8_t stufe) {
        if (block > 0)
            kvx_.BlockSetzen(static_cast<std::uint8_t>(block), stufe > 0 ? 1 : 0, d, stufe);
    };
    if (stand_.tempo <= 0) {
        senden(aBlock_, 0);
        senden(bBlock_, 0);
        return;
    }
    for (const std::uint8_t stufe : tempoSlots(stand_.tempo)) {
        senden(aBlock_, stufe);
        senden(bBlock_, stufe);
    }
}

std::optional<std::string> kvxGO(TkvxHard& kvx, const StreckenSeite& seite, StreckenMelder& melder)
{
    StreckenLauf lauf(kvx, seite, melder);
    lauf.anfang();
    do {
        if (!lauf.zyklus())
            return lauf.fehler();
    } while (lauf.start());
    return std::nullopt;
}

// --------------------------------------------------------------- the thread

StreckenThread::~StreckenThread()
{
    anhalten();
}

bool StreckenThread::starten(TkvxHard& kvx, StreckenSeite& seite, StreckenBericht& bericht)
{
    if (thread_.joinable())
        return false;
    seite_ = &seite;
    seite.startSetzen(true);
    thread_ = std::thread([&kvx, &seite, &bericht] {
        echtzeit::anfordern();   // the thread pulses the supply line
        bericht.ende(kvxGO(kvx, seite, bericht));
    });
    return true;
}

bool StreckenThread::anhalten()
{
    if (!thread_.joinable())
        return false;
    seite_->startSetzen(false);
    thread_.join();
    return true;
}

void StreckenThread::warten()
{
    if (thread_.joinable())
        thread_.join();
}

}  // namespace fahrt
