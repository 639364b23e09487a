// The main window's handlers of the pages: what each page does when it is
// shown or hidden, the keep-alive tick and the monitoring polls, the LED and
// coil tests, train running and the switching list. Each handler hands over to
// the logic of its page; the frame of the window is in mainwindow.cpp.
#include "mainwindow.h"

#include "coilpage.h"
#include "configpage.h"
#include "fahrenpage.h"
#include "fernsteuerung.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "melderpage.h"
#include "schaltliste.h"
#include "signalpage.h"
#include "spulenimpuls.h"
#include "streckepage.h"
#include "tasterpage.h"
#include "weichepage.h"

#include <QAction>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

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
    kvx->KettenReset();
    mnuResetClick();
    fernsteuerung::anlauf(*kvx);
    if (mnuSNTaus->isEnabled()) {   // not switched off again during the start-up
        tiSNT->start();
        setStatusText(0, QStringLiteral(" SNT ist eingeschaltet ..."));
    }
}

void TfMain::mnuSNTausClick()
{
    fernsteuerung::sntMenue(*pControl, {pStrecke, pFahren, pConfig}, *mnuSNTein, *mnuSNTaus, false, seitenwechselIntern_);
    tiSNT->stop();
    setStatusText(0, QStringLiteral(" SNT ausgeschaltet ..."));
}

void TfMain::tiSNTTimer()
{
    fernsteuerung::takt(*kvx, *pControl, taktraster_, {TasterOben, TasterUnten, TasterRechts, TasterLinks}, LetzterTaster,
                        TasterZaehler, {pWeiche->wTrack, pSignal->STrack},
                        [this](bool signal, Qt::MouseButton m) { signal ? STrackMouseDown(m) : wTrackMouseDown(m); });
    if (pControl->currentWidget() == pTaster)
        tiTasTimer();
    if (pControl->currentWidget() == pMelder)
        tiMelTimer();
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
    if (!meldung.isEmpty())
        showMessage(meldung);
}
