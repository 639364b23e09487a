// The main window: eight pages in a page control, the main menu, the status
// bar and the hardware component. Start-up (FormCreate), the page-change
// rule, quitting, re-initialisation and the configuration handlers live here.
#pragma once

#include "configuration.h"
#include "fernsteuerung.h"
#include "messages.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class AnlagenBetrieb;
class AutomatikGruppe;
class ConfigPage;
class FahrenPage;
class LedPage;
class MelderPage;
class PortBackend;
class PruefberichtFenster;
class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class SignalPage;
class StreckePage;
class TasterPage;
class TfHelp;
class TfInfo;
class TkvxHard;
class VerdrahtungsFenster;
class WeichePage;

class TfMain;

// What tests can hand to the main window; the program leaves all empty.
struct MainOptions {
    QString programmPfad;            // empty: the executable's directory
    PortBackend* backend = nullptr;  // nullptr: the backend main() installed
    MessageSink meldung;             // empty: real message boxes
    QuestionSink frage;              // empty: real question boxes
    QString portHinweis;             // why the ports are not reachable, added to the simulation message
    bool virtuell = false;           // on the virtual layout instead of the ports, its window opened
    QString protokollDatei;          // the layout log goes there from the start; empty: no file
    // Told the window first thing while it is being built, before any box of its start can open.
    std::function<void(TfMain&)> imAufbau;
};

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(MainOptions options = {}, QWidget* parent = nullptr);
    ~TfMain() override;

    // Pages in the order of the page control.
    enum Seite { SConfig, SMelder, STaster, SLeds, SWeiche, SSignal, SFahren, SStrecke, SeitenAnzahl };

    // Start-up and the frame.
    void FormCreate();
    void VerInfo();
    bool pControlChanging(int from, int to);
    void showMessage(const QString& text);

    // Menu commands.
    void mnuQuitClick();
    void mnuResetClick();
    void mnuReInitClick();
    void mnuHelpClick();
    void mnuInfoClick();
    void mnuAnlageClick();
    void mnuAllesAusClick();   // Esc: a walk, a switching pass, a pulse, a run and the supply stop
    // "Alles aus" while the window is still being built (a box of its start
    // is open): the card's chains reset once the card is open. Returns what it did.
    QString startAllesAus();

    // Configuration.
    void einstellungenLesen();
    void KartenChange(config::Karte karte);   // the ten aXxxKChange handlers
    void tObenChange();
    void cbHintsClick();
    void pConfigExit();

    // Page show and hide handlers.
    void pStartShow();
    void pMelderShow();
    void pMelderHide();
    void pTasterShow();
    void pTasterHide();
    void pLedsShow();
    void pLedsHide();
    void pWeicheShow();
    void pSignalShow();
    void pFahrenShow();
    void pStreckeShow();

    // Power supply, keep-alive tick and remote control.
    void mnuSNTeinClick();
    void mnuSNTausClick();
    void tiSNTTimer();

    // Monitoring pages, polled by the tick.
    void tiMelTimer();
    void tiTasTimer();

    // LEDs.
    void AlleLedAus();
    void btnLedAusClick();
    void btnLed1Click();
    void btnLed2Click();
    void btnLed3Click();
    void ledTrackChange();

    // Turnouts.
    void wTrackChange();
    void btnWgClick();
    void btnWaClick();
    void btnIAusClick();
    void btnWZeitChanging();
    void wTrackMouseDown(Qt::MouseButton button);

    // Drive page.
    void nrBlockChange();
    void nrHBlockChange();
    void faTrackChange();
    void pNrHBlockClick();
    void btnVWClick();
    void btnRWClick();
    void btnStopClick();
    void FahrtEnde();

    // Route page, its data files and the switching list.
    void stTrackChange();
    void stVWClick();
    void stRWClick();
    void stGOClick();
    void StreckenEnde();
    void ledSaveClick();
    void ledLoadClick();
    void ledClearClick();
    void magSaveClick();
    void magLoadClick();
    void stEditClick();
    void stClearClick();
    void stSchaltClick();

    // Signal coils.
    void STrackChange();
    void btnISEinClick();
    void btnISAusClick();
    void btnSZeitChanging();
    void STrackMouseDown(Qt::MouseButton button);

    // The walk of a page: the group "Automatik" of the LED, turnout, signal and
    // drive page, nullptr for the others.
    AutomatikGruppe* automatik(int seite) const;

    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);
    bool hintsAn() const { return hints_; }

    QString ProgrammPfad;
    int TasterOben = 0;
    int TasterUnten = 0;
    int TasterRechts = 0;
    int TasterLinks = 0;
    int LetzterTaster = 0;
    int TasterZaehler = 0;

    std::unique_ptr<TkvxHard> kvx;
    QTabWidget* pControl;
    ConfigPage* pConfig;
    MelderPage* pMelder;
    TasterPage* pTaster;
    LedPage* pLeds;
    WeichePage* pWeiche;
    SignalPage* pSignal;
    FahrenPage* pFahren;
    StreckePage* pStrecke;

    QMenu* mnuDaten;
    QAction* mnuReInit;
    QAction* mnuQuit;
    QAction* mnuAnlage;   // "Virtuelle Anlage", in the menu while simulating or on the virtual layout
    QAction* mnuReset;
    QAction* mnuAllesAus;   // "Alles aus", Esc
    QAction* mnuHelp;
    QAction* mnuInfo;
    QAction* mnuSNTein;
    QAction* mnuSNTaus;

    QTimer* tiSNT;
    QFileDialog* SaveD;
    QFileDialog* OpenD;
    // Asks for a file with SaveD (speichern) or OpenD: filter in Qt's form
    // ("KVX-Dateien (*.DMA)"; empty: all files), default extension, initial
    // name. Returns the chosen path, empty when cancelled. Tests put their own in.
    std::function<QString(bool speichern, const QString& filter, const QString& endung, const QString& name)>
        dateiWaehlen;
    TfHelp* fHelp;
    TfInfo* fInfo;
    PruefberichtFenster* fBericht;   // the report of the walks, for the session
    VerdrahtungsFenster* fVerdrahtung;   // the wiring check, its window and its run
    std::unique_ptr<AnlagenBetrieb> anlage;   // the virtual layout, its log and its window

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void seiteGewechselt(int index);
    void backendSetzen(PortBackend* backend);   // installed until the window goes
    void seitenAnordnen();   // grids and ranges for the counts now configured
    void seiteZeigen(int index);
    void seiteVerbergen(int index);
    void sntAngebot();
    void ausgaengeAus();
    void testSeiteZeigen(QWidget* fokus);
    void fahrSeiteZeigen(QWidget* fokus);
    QString iniPfad() const;
    void automatikVerbinden();   // the walks of the four pages and their report
    void beispielAnlage(const std::array<int, config::KartenAnzahl>& karten);   // the virtual layout's button

    MessageSink meldung_;
    PortBackend* vorherigesBackend_ = nullptr;
    bool backendGesetzt_ = false;
    QString portHinweis_;
    std::array<QLabel*, 3> sBar_{};
    int aktuelleSeite_ = SConfig;
    bool seitenwechselIntern_ = false;
    bool ersteAnzeige_ = true;
    QString nachDemDurchlauf_;   // the status text of an Esc during a switching pass, shown after it
    bool imTakt_ = false;   // the keep-alive tick runs: the step of a walk waits for its end
    bool imAnlauf_ = false;   // the supply starts up: a walk shows its element again after it
    fernsteuerung::Taktraster taktraster_{std::chrono::milliseconds(fernsteuerung::PeriodeMs)};   // the ticks' 20 ms grid
    bool iniAbgelehnt_ = false;   // the settings file was too large or no regular file
    bool hints_ = true;
};
