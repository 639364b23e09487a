// The main window's handlers of the pages: what each page does when it is
// shown or hidden, the keep-alive tick and the monitoring polls, the LED and
// coil tests, train running and the switching list. Each handler hands over to
// the logic of its page; the frame of the window is in mainwindow.cpp. The
// automatic walks of the LED, turnout, signal and drive page and their report
// are bound here too.
#include "mainwindow.h"

#include "automatikgruppe.h"
#include "coilpage.h"
#include "configpage.h"
#include "fahrenpage.h"
#include "fernsteuerung.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "melderpage.h"
#include "pruefberichtfenster.h"
#include "schaltliste.h"
#include "signalpage.h"
#include "spulenimpuls.h"
#include "statistikpanel.h"
#include "streckepage.h"
#include "tasterpage.h"
#include "weichepage.h"

#include <QAction>
#include <QDateTime>
#include <QScopedValueRollback>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <utility>

using namespace config;

// ------------------------------------------------------- showing the pages

void TfMain::sntAngebot()
{
    if (!mnuSNTaus->isEnabled())
        mnuSNTein->setEnabled(true);
}

void TfMain::ausgaengeAus()
{
    kvx->AlleBloeckeAus();
    kvx->LedKettenLoeschen();
}

void TfMain::testSeiteZeigen(QWidget* fokus)
{
    sntAngebot();
    ausgaengeAus();
    setStatusText(0, QString());
    fokus->setFocus();
}

void TfMain::fahrSeiteZeigen(QWidget* fokus)
{
    mnuSNTein->setEnabled(false);
    mnuSNTaus->setEnabled(false);
    ausgaengeAus();
    setStatusText(0, QString());
    fokus->setFocus();
}

void TfMain::pStartShow()
{
    tiSNT->stop();
    mnuSNTaus->setEnabled(false);
    mnuSNTein->setEnabled(false);
    ausgaengeAus();
    setStatusText(0, QString());
}

void TfMain::pMelderShow() { sntAngebot(); ausgaengeAus(); }
void TfMain::pMelderHide() { kvx->LedKettenLoeschen(); }
void TfMain::pTasterShow() { ausgaengeAus(); }   // the power supply menu stays as it is
void TfMain::pTasterHide() { kvx->LedKettenLoeschen(); }

void TfMain::pLedsShow() { testSeiteZeigen(pLeds->ledTrack); }
void TfMain::pLedsHide() { ausgaengeAus(); }
void TfMain::pWeicheShow() { testSeiteZeigen(pWeiche->wTrack); }
void TfMain::pSignalShow() { testSeiteZeigen(pSignal->STrack); }

void TfMain::pFahrenShow() { fahrSeiteZeigen(pFahren->faTrack); }
void TfMain::pStreckeShow() { fahrSeiteZeigen(pStrecke->stTrack); }

// ------------------------------------------------------------------- LEDs

void TfMain::AlleLedAus()
{
    kvx->LedKetteAus(1, pConfig->feldWert(Leds1));
    kvx->LedKetteAus(2, pConfig->feldWert(Leds2));
    kvx->LedKetteAus(3, pConfig->feldWert(Leds3));
}

void TfMain::btnLedAusClick()
{
    pLeds->ausWaehlen();
    AlleLedAus();
}

void TfMain::btnLed1Click() { pLeds->ketteEinstellen(pConfig->feldWert(Leds1)); ledTrackChange(); }
void TfMain::btnLed2Click() { pLeds->ketteEinstellen(pConfig->feldWert(Leds2)); ledTrackChange(); }
void TfMain::btnLed3Click() { pLeds->ketteEinstellen(pConfig->feldWert(Leds3)); ledTrackChange(); }

void TfMain::ledTrackChange()
{
    AlleLedAus();
    pLeds->ledZeigen(*kvx);
}

// ---------------------------------------------------------------- turnouts

void TfMain::wTrackChange() { pWeiche->auswahl->nummerZeigen(); }
void TfMain::btnWgClick() { pWeiche->stellen(*kvx, WeichePage::Gerade); }
void TfMain::btnWaClick() { pWeiche->stellen(*kvx, WeichePage::Abzweigend); }
void TfMain::btnIAusClick() { kvx->WeicheAus(); }   // the running pulse still ends after its time
void TfMain::btnWZeitChanging() { pWeiche->auswahl->zeitZeigen(); }
void TfMain::wTrackMouseDown(Qt::MouseButton b) { if (b == Qt::LeftButton) btnWgClick(); else if (b == Qt::RightButton) btnWaClick(); }

// ------------------------------------------------------------ signal coils

void TfMain::STrackChange() { pSignal->auswahl->nummerZeigen(); }
void TfMain::btnISEinClick() { pSignal->schalten(*kvx); }
void TfMain::btnISAusClick() { kvx->SignalAus(); }
void TfMain::btnSZeitChanging() { pSignal->auswahl->zeitZeigen(); }
void TfMain::STrackMouseDown(Qt::MouseButton b) { if (b == Qt::RightButton) btnISEinClick(); }

// ------------------------------------------- power supply and keep-alive tick

void TfMain::mnuSNTeinClick()
{
    fernsteuerung::sntMenue(*pControl, {pStrecke, pFahren, pConfig}, *mnuSNTein, *mnuSNTaus, true, seitenwechselIntern_);
    {
        // The start-up clears the LED chains once more: a paused walk's LED is lit after it.
        const QScopedValueRollback<bool> anlauf(imAnlauf_, true);
        kvx->KettenReset();
        mnuResetClick();
        fernsteuerung::anlauf(*kvx);
    }
    if (AutomatikGruppe* a = automatik(aktuelleSeite_))
        a->nachholen();
    if (mnuSNTaus->isEnabled()) {   // not switched off again during the start-up
        // What changed while the supply was off was seen by no poll: the
        // first one now gives the starting states.
        pMelder->Statistik->ansetzen();
        pTaster->Statistik->ansetzen();
        tiSNT->start();
        setStatusText(0, QStringLiteral(" SNT ist eingeschaltet ..."));
    }
}

// Esc anywhere: everything that drives the layout stops, the walk first and
// the supply last, so that nothing restarts what was stopped before it.
void TfMain::mnuAllesAusClick()
{
    QStringList gestoppt;
    for (int seite : {SLeds, SWeiche, SSignal, SFahren}) {
        if (AutomatikGruppe* a = automatik(seite); a->aktiv()) {
            a->beenden();
            gestoppt << QStringLiteral("Automatik");
        }
    }
    if (pStrecke->liste->schaltetGerade()) {
        pStrecke->liste->stSchalt->setChecked(false);   // the pass ends at its next look
        gestoppt << QStringLiteral("Schaltliste");
    }
    if (pWeiche->auswahl->impuls->laeuft())
        gestoppt << QStringLiteral("Magnetspule");
    pWeiche->auswahl->impuls->beenden();
    kvx->WeicheAus();
    if (pFahren->anhalten()) {
        FahrtEnde();
        gestoppt << QStringLiteral("Fahrt");
    }
    if (pStrecke->anhalten()) {
        StreckenEnde();
        gestoppt << QStringLiteral("Streckenfahrt");
    }
    if (tiSNT->isActive() || mnuSNTaus->isEnabled()) {
        mnuSNTausClick();
        gestoppt << QStringLiteral("SNT");
    }
    gestoppt.removeDuplicates();
    const QString text = gestoppt.isEmpty() ? QStringLiteral(" Alles aus: es lief nichts.")
                                            : QStringLiteral(" Alles aus: ") + gestoppt.join(QStringLiteral(", "))
                                                  + QStringLiteral(" gestoppt.");
    setStatusText(0, text);
    if (pStrecke->liste->schaltetGerade())
        nachDemDurchlauf_ = text;
}

// Nothing of the window runs yet, and the supply stays off until it is
// switched on: what a box of the start may have left on is on the card's chains.
QString TfMain::startAllesAus()
{
    const bool karte = kvx && !kvx->Simulation;
    if (karte)
        kvx->KettenReset();
    const QString text = karte ? QStringLiteral("Alles aus: Das Programm startet noch; die Ketten der Karte sind "
                                                "zurückgesetzt (alle Blöcke, Spulen und LEDs aus), das Netzteil ist aus.")
                               : QStringLiteral("Alles aus: Das Programm startet noch und hat nichts eingeschaltet; "
                                                "die Karte wird noch nicht angesprochen.");
    if (sBar_[0])
        setStatusText(0, u' ' + text);
    return text;
}

void TfMain::mnuSNTausClick()
{
    fernsteuerung::sntMenue(*pControl, {pStrecke, pFahren, pConfig}, *mnuSNTein, *mnuSNTaus, false, seitenwechselIntern_);
    tiSNT->stop();
    setStatusText(0, QStringLiteral(" SNT ausgeschaltet ..."));
}

void TfMain::tiSNTTimer()
{
    {
        const QScopedValueRollback<bool> imTakt(imTakt_, true);
        const auto walk = [this](bool signal) { return signal ? pSignal->automatik : pWeiche->automatik; };
        fernsteuerung::takt(
            *kvx, *pControl, taktraster_, {TasterOben, TasterUnten, TasterRechts, TasterLinks}, LetzterTaster,
            TasterZaehler, {pWeiche->wTrack, pSignal->STrack},
            [this](bool signal, Qt::MouseButton m) { signal ? STrackMouseDown(m) : wTrackMouseDown(m); },
            {[walk](bool signal) { return walk(signal)->aktiv(); },
             [walk](bool signal, fernsteuerung::Aktion a) { walk(signal)->fernTaste(a); }});
        if (pControl->currentWidget() == pTaster)
            tiTasTimer();
        if (pControl->currentWidget() == pMelder)
            tiMelTimer();
    }
    // A step of a walk whose beat fell into the tick comes right after it.
    if (AutomatikGruppe* a = automatik(aktuelleSeite_); a && a->aufgeschoben())
        QMetaObject::invokeMethod(a, &AutomatikGruppe::nachholen, Qt::QueuedConnection);
}

// ---------------------------------------------------------- monitoring pages

void TfMain::tiMelTimer() { pMelder->abfragen(*kvx); }
void TfMain::tiTasTimer() { pTaster->abfragen(*kvx); }

// -------------------------------------------------------------- drive page

void TfMain::nrBlockChange() { pFahren->blockZeigen(); }
void TfMain::nrHBlockChange() { pFahren->hBlockZeigen(); }
void TfMain::faTrackChange() { pFahren->tempoZeigen(); }
void TfMain::pNrHBlockClick() { pFahren->hBlockUmschalten(); }
void TfMain::btnVWClick() { pFahren->richtungWaehlen(true); }
void TfMain::btnRWClick() { pFahren->richtungWaehlen(false); }

void TfMain::btnStopClick()
{
    if (pFahren->startGeklickt(*kvx))
        setStatusText(0, QStringLiteral(" Zugfahrt ist freigegeben..."));
}

void TfMain::FahrtEnde()
{
    pFahren->fahrtBeendet();
    kvx->AlleBloeckeAus();
    setStatusText(1, QStringLiteral("0"));
    setStatusText(0, QString());
}

// -------------------------------------------------------------- route page

void TfMain::stTrackChange() { pStrecke->tempoZeigen(); }
void TfMain::stVWClick() { pStrecke->richtungWaehlen(true); }
void TfMain::stRWClick() { pStrecke->richtungWaehlen(false); }

void TfMain::stGOClick()
{
    const std::array<int, 3> leds{pConfig->feldWert(Leds1), pConfig->feldWert(Leds2), pConfig->feldWert(Leds3)};
    if (pStrecke->startGeklickt(*kvx, leds))
        setStatusText(0, pStrecke->startText(*kvx, leds));
}

void TfMain::StreckenEnde()
{
    const QString fehler = pStrecke->fahrtBeendet(*kvx);
    setStatusText(1, QStringLiteral("0"));
    setStatusText(0, QString());
    if (!fehler.isEmpty())
        showMessage(fehler);
}

void TfMain::ledSaveClick()
{
    if (const QString f = pStrecke->tabellenSichern(dateiWaehlen(true, {}, {}, {})); !f.isEmpty())
        showMessage(f);
}

void TfMain::ledLoadClick()
{
    const QString filter = QStringLiteral("KVX-Dateien (*.D*);;Block/Led (*.DLB);;Melder/Led (*.DLM)");
    if (const QString f = pStrecke->tabellenLaden(dateiWaehlen(false, filter, {}, QStringLiteral("*.D*"))); !f.isEmpty())
        showMessage(f);
}

void TfMain::ledClearClick() { pStrecke->tabellenLoeschen(); }

// --------------------------------------------------------- switching list

void TfMain::magSaveClick()
{
    const QString pfad = dateiWaehlen(true, QStringLiteral("KVX-Dateien (*.DMA)"), QStringLiteral("DMA"), QString());
    const QString fehler = pfad.isEmpty() ? QString() : pStrecke->liste->sichern(pfad);
    if (!fehler.isEmpty())
        showMessage(fehler);
}

void TfMain::magLoadClick()
{
    const QString pfad = dateiWaehlen(false, QStringLiteral("KVX-Dateien (*.DMA)"), QString(), QStringLiteral("*.DMA"));
    const QString fehler = pStrecke->liste->laden(pfad);   // cancelled: the memo still becomes the list
    if (!fehler.isEmpty())
        showMessage(fehler);
}

void TfMain::stEditClick() { pStrecke->liste->bearbeiten(); }
void TfMain::stClearClick() { pStrecke->liste->leeren(); }

void TfMain::stSchaltClick()
{
    const QString meldung = pStrecke->liste->schalten(*kvx, *pStrecke->stGO, [this](const QString& t) { setStatusText(0, t); });
    if (!nachDemDurchlauf_.isEmpty())   // Esc ended the pass: that stays said
        setStatusText(0, std::exchange(nachDemDurchlauf_, QString()));
    if (!meldung.isEmpty())
        showMessage(meldung);
}

// ------------------------------------------------------- automatic walks

AutomatikGruppe* TfMain::automatik(int seite) const
{
    switch (seite) {
    case SLeds: return pLeds->automatik;
    case SWeiche: return pWeiche->automatik;
    case SSignal: return pSignal->automatik;
    case SFahren: return pFahren->automatik;
    default: return nullptr;
    }
}

// The walks record into the one report of the session; its window is opened
// from every walk page. A step on the LED page is the page's own: the track
// moves and lights the LED alone; an ended walk leaves the chains dark.
void TfMain::automatikVerbinden()
{
    fBericht = new PruefberichtFenster(this);
    fBericht->hide();
    fBericht->addAction(mnuAllesAus);   // Esc there, too
    fBericht->kopf = [this] {
        Pruefbericht::Kopf k;
        k.datum = QDateTime::currentDateTime();
        k.version = QStringLiteral(KVX_VERSION);
        for (int i = 0; i < KartenAnzahl; ++i)
            k.karten.emplace_back(QString::fromLatin1(Karten[std::size_t(i)].key), pConfig->spin(Karte(i))->value());
        return k;
    };
    fBericht->speicherPfad = [this](const QString& name) {
        return dateiWaehlen(true, QStringLiteral("Textdateien (*.txt)"), QStringLiteral("txt"), name);
    };
    fBericht->meldung = [this](const QString& text) { showMessage(text); };
    for (int seite : {SLeds, SWeiche, SSignal, SFahren}) {
        AutomatikGruppe* a = automatik(seite);
        a->bericht = &fBericht->bericht;
        a->gesperrt = [this] { return imTakt_ || imAnlauf_; };
        connect(a, &AutomatikGruppe::meldung, this, [this](const QString& t) { setStatusText(0, t); });
        connect(a, &AutomatikGruppe::berichtAnzeigen, fBericht, &PruefberichtFenster::zeigen);
        connect(fBericht, &PruefberichtFenster::geaendert, a, &AutomatikGruppe::farbeZeigen);
    }
    pLeds->automatik->zeigen = [this](int n, int) {
        if (pLeds->ledTrack->value() != n)
            pLeds->ledTrack->setValue(n);   // ledTrackChange
        else
            ledTrackChange();
    };
    pLeds->automatik->aufraeumen = [this] { AlleLedAus(); };
}
