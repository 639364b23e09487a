#include "fernsteuerung.h"

#include "kvxhard.h"
#include "pause.h"

#include <QAction>
#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QSlider>
#include <QTabWidget>

#include <thread>

namespace fernsteuerung {

namespace {

// A held up or down button: steps when first seen, then again only once the
// repeat delay has run out.
bool wiederholen(int taste, int& letzterTaster, int& tasterZaehler)
{
    if (letzterTaster != taste) {
        letzterTaster = taste;
        tasterZaehler = 0;
        return true;
    }
    ++tasterZaehler;
    return tasterZaehler > Wiederholverzug;
}

// A right or left button: fires only on a new press.
bool einmal(int taste, int& letzterTaster)
{
    if (letzterTaster == taste)
        return false;
    letzterTaster = taste;
    return true;
}

}  // namespace

Taktraster::Uhr::time_point Taktraster::flanke(Uhr::time_point jetzt)
{
    if (!raster_) {
        raster_ = jetzt;
        return jetzt;
    }
    const Uhr::time_point soll = *raster_ + periode_;
    if (soll >= jetzt && soll - jetzt <= Warten) {
        raster_ = soll;
        return soll;
    }
    const bool gestoert = jetzt > soll + Nachlauf && jetzt <= soll + Abriss;
    raster_ = gestoert ? soll : jetzt;
    return jetzt;
}

Aktion schritt(const Taster& taster, int& letzterTaster, int& tasterZaehler,
               const std::function<bool(int)>& gedrueckt)
{
    if (!taster.zugeordnet())
        return Aktion::Keine;
    const auto an = [&](int k) { return k >= 1 && k <= kvx::MaxTaster && gedrueckt(k); };
    if (an(taster.oben))
        return wiederholen(taster.oben, letzterTaster, tasterZaehler) ? Aktion::Hoch : Aktion::Keine;
    if (an(taster.unten))
        return wiederholen(taster.unten, letzterTaster, tasterZaehler) ? Aktion::Runter : Aktion::Keine;
    if (an(taster.rechts))
        return einmal(taster.rechts, letzterTaster) ? Aktion::Erste : Aktion::Keine;
    if (an(taster.links))
        return einmal(taster.links, letzterTaster) ? Aktion::Zweite : Aktion::Keine;
    letzterTaster = 0;
    return Aktion::Keine;
}

Qt::MouseButton mausTaste(Aktion aktion, bool signalSeite)
{
    switch (aktion) {
    case Aktion::Erste: return signalSeite ? Qt::RightButton : Qt::LeftButton;
    case Aktion::Zweite: return Qt::RightButton;
    default: return Qt::NoButton;
    }
}

void takt(TkvxHard& kvx, QTabWidget& seiten, Taktraster& raster, const Taster& taster, int& letzterTaster,
          int& tasterZaehler, Auswahl auswahl, const Ausloeser& ausloesen, const RundgangTasten& walk)
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QWidget* seite = seiten.currentWidget();
    const bool signalSeite = seite && auswahl.signal && seite->isAncestorOf(auswahl.signal);
    QSlider* track = signalSeite ? auswahl.signal
                   : seite && auswahl.weiche && seite->isAncestorOf(auswahl.weiche) ? auswahl.weiche : nullptr;
    const bool rundgang = track && walk.aktiv && walk.aktiv(signalSeite);
    std::this_thread::sleep_until(raster.flanke(Taktraster::Uhr::now()));
    kvx.SntAus();
    Aktion aktion = Aktion::Keine;
    if (track && taster.zugeordnet()) {
        int block = 0, hblock = 0, kette1 = 0;
        kvx.TasterLesen(block, hblock, kette1);
        aktion = schritt(taster, letzterTaster, tasterZaehler, [&kvx](int k) { return kvx.TasterZustand[k] != 0; });
        // The track bar keeps its position within its range. A started walk
        // moves the selection itself, after the tick.
        const int um = rundgang ? 0 : aktion == Aktion::Hoch ? 1 : aktion == Aktion::Runter ? -1 : 0;
        if (um != 0)
            track->setValue(track->value() + um);
    }
    Pause(2, QEventLoop::ExcludeUserInputEvents);
    kvx.SntEin();
    // Posted only now: a call posted before the 2 ms wait would run inside it.
    if (rundgang) {
        if (aktion != Aktion::Keine && walk.rundgang)
            QMetaObject::invokeMethod(
                &seiten, [r = walk.rundgang, signalSeite, aktion] { r(signalSeite, aktion); }, Qt::QueuedConnection);
        return;
    }
    const Qt::MouseButton taste = mausTaste(aktion, signalSeite);
    if (taste != Qt::NoButton && ausloesen)
        QMetaObject::invokeMethod(
            &seiten, [ausloesen, signalSeite, taste] { ausloesen(signalSeite, taste); }, Qt::QueuedConnection);
}

void anlauf(TkvxHard& kvx)
{
    kvx.LedKettenLoeschen();
    Pause(200);
    kvx.SntEin();
    Pause(static_cast<int>(kvx::SntStartPuls.count()));
    kvx.SntAus();
    for (int i = 0; i < 10; ++i) {
        kvx.SntAus();
        Pause(2);
        kvx.SntEin();
        Pause(2);
    }
}

void sntMenue(QTabWidget& seiten, std::initializer_list<QWidget*> gesperrt, QAction& ein, QAction& aus, bool an,
              bool& intern)
{
    const QScopedValueRollback<bool> merken(intern, true);
    for (QWidget* seite : gesperrt) {
        const int i = seiten.indexOf(seite);
        if (i >= 0)
            seiten.setTabVisible(i, !an);
    }
    ein.setEnabled(!an);
    aus.setEnabled(an);
}

}  // namespace fernsteuerung
