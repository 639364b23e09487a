#include "mainwindow.h"

#include "anlagenbetrieb.h"
#include "automatikgruppe.h"
#include "beispielsatz.h"
#include "coilpage.h"
#include "configpage.h"
#include "dateiorte.h"
#include "fahrenpage.h"
#include "helpwindow.h"
#include "infodialog.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "melderpage.h"
#include "pause.h"
#include "portio.h"
#include "profile.h"
#include "pruefberichtfenster.h"
#include "verdrahtungsanbindung.h"
#include "verdrahtungsfenster.h"
#include "schaltliste.h"
#include "signalpage.h"
#include "spulenimpuls.h"
#include "statistikpanel.h"
#include "streckepage.h"
#include "tasterpage.h"
#include "weichepage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

using namespace config;

TfMain::TfMain(MainOptions options, QWidget* parent)
    : QMainWindow(parent)
    , meldung_(std::move(options.meldung))
    , portHinweis_(std::move(options.portHinweis))
{
    if (options.imAufbau)
        options.imAufbau(*this);
    if (!meldung_)
        meldung_ = messageBoxSink(this);
    anlage = std::make_unique<AnlagenBetrieb>(this, [this](const QString& text) { showMessage(text); });
    if (PortBackend* b = anlage->starten(options.virtuell, options.protokollDatei,
                                         options.backend ? options.backend : portBackend()))
        options.backend = b;
    if (options.backend)
        backendSetzen(options.backend);

    kvx = std::make_unique<TkvxHard>();
    kvx->Meldung = [this](const std::string& text) {
        QString t = QString::fromStdString(text);
        if (!portHinweis_.isEmpty())
            t += QStringLiteral("\n\n") + portHinweis_;
        showMessage(t);
    };

    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("KVX-Testprogramm"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(800, 602);

    // Pages.
    pControl = new QTabWidget(this);
    pControl->setObjectName(QStringLiteral("pControl"));
    pConfig = new ConfigPage;
    pMelder = new MelderPage;
    pTaster = new TasterPage;
    pLeds = new LedPage;
    pWeiche = new WeichePage;
    pSignal = new SignalPage;
    pFahren = new FahrenPage;
    pStrecke = new StreckePage;
    pControl->addTab(pConfig, QStringLiteral("  Config  "));
    pControl->addTab(pMelder, QStringLiteral("  Melder  "));
    pControl->addTab(pTaster, QStringLiteral(" Taster/Schalter "));
    pControl->addTab(pLeds, QStringLiteral("  Leds  "));
    pControl->addTab(pWeiche, QStringLiteral("  Weichen  "));
    pControl->addTab(pSignal, QStringLiteral("  Signale  "));
    pControl->addTab(pFahren, QStringLiteral("   Fahren   "));
    pControl->addTab(pStrecke, QStringLiteral(" Strecken "));
    pControl->setCurrentIndex(SConfig);
    setCentralWidget(pControl);
    connect(pControl, &QTabWidget::currentChanged, this, &TfMain::seiteGewechselt);

    // Main menu.
    mnuDaten = menuBar()->addMenu(QStringLiteral("&Daten"));
    mnuReInit = mnuDaten->addAction(QStringLiteral("&ReInitialisierung"));
    mnuQuit = mnuDaten->addAction(QStringLiteral("&Beenden"));
    // "Reset" holds the chain reset and the key that stops everything.
    QMenu* mnuResetMenue = menuBar()->addMenu(QStringLiteral("&Reset"));
    mnuReset = mnuResetMenue->addAction(QStringLiteral("&Reset"));
    mnuAllesAus = mnuResetMenue->addAction(QStringLiteral("&Alles aus"));
    mnuAllesAus->setShortcut(QKeySequence(Qt::Key_Escape));
    // Esc belongs to the window that has the keyboard: here, in the window
    // "Virtuelle Anlage" and in the report it stops everything; a dialog, a
    // message box, a popup list, a menu or a cell being edited takes it first.
    mnuAllesAus->setShortcutContext(Qt::WindowShortcut);
    anlage->fensterTasten = {mnuAllesAus};
    mnuHelp = menuBar()->addAction(QStringLiteral("&Hilfe"));
    mnuInfo = menuBar()->addAction(QStringLiteral("&Info"));
    mnuSNTein = menuBar()->addAction(QStringLiteral("SNT-&ein"));
    mnuSNTaus = menuBar()->addAction(QStringLiteral("SNT-&aus"));
    mnuSNTein->setEnabled(false);
    mnuSNTaus->setEnabled(false);
    connect(mnuReInit, &QAction::triggered, this, &TfMain::mnuReInitClick);
    connect(mnuQuit, &QAction::triggered, this, &TfMain::mnuQuitClick);
    connect(mnuReset, &QAction::triggered, this, &TfMain::mnuResetClick);
    connect(mnuAllesAus, &QAction::triggered, this, &TfMain::mnuAllesAusClick);
    connect(mnuHelp, &QAction::triggered, this, &TfMain::mnuHelpClick);
    connect(mnuInfo, &QAction::triggered, this, &TfMain::mnuInfoClick);

    // Status bar: short status texts, the cycle figure, one spare panel.
    const int breiten[3] = {500, 50, 50};
    const char* texte[3] = {"Test", "0", ""};
    for (int i = 0; i < 3; ++i) {
        auto* p = new QLabel(QString::fromLatin1(texte[i]), this);
        p->setObjectName(QStringLiteral("sBarPanel%1").arg(i));
        p->setFixedWidth(breiten[i]);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setAlignment(i == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter);
        statusBar()->addWidget(p);
        sBar_[i] = p;
    }
    statusBar()->setObjectName(QStringLiteral("sBar"));
    statusBar()->setSizeGripEnabled(true);

    // Components.
    tiSNT = new QTimer(this);
    tiSNT->setObjectName(QStringLiteral("tiSNT"));
    tiSNT->setInterval(fernsteuerung::PeriodeMs);
    tiSNT->setTimerType(Qt::PreciseTimer);
    SaveD = new QFileDialog(this);
    SaveD->setObjectName(QStringLiteral("SaveD"));
    SaveD->setAcceptMode(QFileDialog::AcceptSave);
    OpenD = new QFileDialog(this);
    OpenD->setObjectName(QStringLiteral("OpenD"));
    OpenD->setAcceptMode(QFileDialog::AcceptOpen);
    OpenD->setFileMode(QFileDialog::ExistingFile);
    dateiWaehlen = [this](bool speichern, const QString& filter, const QString& endung, const QString& name) {
        QFileDialog* d = speichern ? SaveD : OpenD;
        d->setNameFilters(filter.isEmpty() ? QStringList() : filter.split(QStringLiteral(";;")));
        d->setDefaultSuffix(endung);
        d->selectFile(name.contains(u'*') ? QString() : name);
        return d->exec() == QDialog::Accepted && !d->selectedFiles().isEmpty() ? d->selectedFiles().first() : QString();
    };

    // Configuration page.
    connect(pConfig, &ConfigPage::kartenChanged, this, &TfMain::KartenChange);
    connect(pConfig, &ConfigPage::tasterChanged, this, &TfMain::tObenChange);
    connect(pConfig->cbHints, &QCheckBox::clicked, this, &TfMain::cbHintsClick);
    connect(pConfig->btnReInit, &QPushButton::clicked, this, &TfMain::mnuReInitClick);
    connect(pLeds->btnLedAus, &QPushButton::clicked, this, &TfMain::btnLedAusClick);
    mnuAnlage = new QAction(QStringLiteral("Virtuelle Anlage"), this);
    mnuDaten->insertAction(mnuQuit, mnuAnlage);
    connect(mnuAnlage, &QAction::triggered, this, &TfMain::mnuAnlageClick);
    connect(mnuDaten, &QMenu::aboutToShow, this,
            [this] { mnuAnlage->setVisible(kvx->Simulation || anlage->virtuell()); });
    anlage->streckeHolen = [this] { return pStrecke->tabellen(); };
    anlage->beispielErlaubt = [this] {
        return !pFahren->zugFaehrt() && !pStrecke->zugFaehrt() && !mnuSNTaus->isEnabled() && !fVerdrahtung->laeuft();
    };
    anlage->beispielEinrichten = [this](const std::array<int, KartenAnzahl>& karten) { beispielAnlage(karten); };
    anlage->speicherPfad = [this] {
        return dateiWaehlen(true, QStringLiteral("Textdateien (*.txt)"), QStringLiteral("txt"),
                            QStringLiteral("Anlagenprotokoll.txt"));
    };
    pStrecke->liste->verbinden(this);
    pStrecke->verbinden(this);
    pFahren->verbinden(this);
    auto* spulenImpuls = new SpulenImpuls(this);   // both coil chains share one enable line
    pWeiche->verbinden(this, spulenImpuls);
    pSignal->verbinden(this, spulenImpuls);
    automatikVerbinden();
    fVerdrahtung = verdrahtungAnbinden(*this);   // "Verdrahtung prüfen" in the menu Daten
    fBericht->frage = std::move(options.frage);
    for (StatistikPanel* s : {pMelder->Statistik, pTaster->Statistik}) {
        s->speicherPfad = [this](const QString& name) {
            return dateiWaehlen(true, QStringLiteral("Textdateien (*.txt)"), QStringLiteral("txt"), name);
        };
        s->meldung = [this](const QString& text) { showMessage(text); };
    }
    connect(mnuSNTein, &QAction::triggered, this, &TfMain::mnuSNTeinClick);
    connect(mnuSNTaus, &QAction::triggered, this, &TfMain::mnuSNTausClick);
    connect(tiSNT, &QTimer::timeout, this, &TfMain::tiSNTTimer);
    connect(pLeds->btnLed1, &QPushButton::clicked, this, &TfMain::btnLed1Click);
    connect(pLeds->btnLed2, &QPushButton::clicked, this, &TfMain::btnLed2Click);
    connect(pLeds->btnLed3, &QPushButton::clicked, this, &TfMain::btnLed3Click);
    connect(pLeds->ledTrack, &QSlider::valueChanged, this, &TfMain::ledTrackChange);
    qApp->installEventFilter(this);

    ProgrammPfad = options.programmPfad.isEmpty() ? QCoreApplication::applicationDirPath() : options.programmPfad;
    if (!ProgrammPfad.endsWith(QLatin1Char('/')))
        ProgrammPfad += QLatin1Char('/');
    const QString dialogOrdner = Dateiorte(ProgrammPfad).dialogOrdner();
    SaveD->setDirectory(dialogOrdner);
    OpenD->setDirectory(dialogOrdner);

    FormCreate();

    fInfo = new TfInfo(this);
    fInfo->hide();
    fHelp = new TfHelp(this);
    fHelp->setWindowFlag(Qt::Window, true);
    fHelp->hide();
}

TfMain::~TfMain()
{
    qApp->removeEventFilter(this);
    tiSNT->stop();
    if (pFahren->anhalten())   // no drive thread outlives the card component
        kvx->AlleBloeckeAus();
    if (pStrecke->anhalten())   // nor a route thread
        kvx->AlleBloeckeAus();
    fVerdrahtung->close();   // nor the wiring check's worker, also when the window was never closed
    kvx.reset();
    if (backendGesetzt_)
        setPortBackend(vorherigesBackend_);
}

void TfMain::showMessage(const QString& text)
{
    meldung_(text);
}

QString TfMain::statusText(int panel) const
{
    return panel >= 0 && panel < 3 ? sBar_[panel]->text() : QString();
}

void TfMain::setStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < 3)
        sBar_[panel]->setText(text);
}

QString TfMain::iniPfad() const
{
    return Dateiorte(ProgrammPfad).iniDatei();
}

// ---------------------------------------------------------------- start-up

void TfMain::FormCreate()
{
    try {
        einstellungenLesen();
        pFahren->nrHBlock->setEnabled(false);
        kvx->PortInit();
        kvx->DatenLoeschen();
        kvx->KettenReset();
        if (iniAbgelehnt_) {
            seitenAnordnen();
        } else {
            // A settings file that cannot be written is told; the start goes on.
            try {
                pConfigExit();
            } catch (const HandlerError& e) {
                showMessage(e.text());
            }
        }
        // The default data files of the route page are loaded here.
        if (const QString ladeFehler = beispielsatzLaden(*pStrecke, ProgrammPfad); !ladeFehler.isEmpty())
            showMessage(ladeFehler);
        pConfig->btnReInit->setEnabled(false);
        VerInfo();
        LetzterTaster = 0;
        TasterZaehler = 0;
    } catch (const HandlerError& e) {
        showMessage(e.text());
    }
}

void TfMain::VerInfo()
{
    const QString version = QStringLiteral(KVX_VERSION);
    if (!version.isEmpty())
        pConfig->Version->setText(QStringLiteral("( Version ") + version + QStringLiteral(" )"));
}

void TfMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!ersteAnzeige_)
        return;
    ersteAnzeige_ = false;
    if (const QScreen* s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    seiteZeigen(pControl->currentIndex());
}

// Tooltips only with hints. While a walk is started on the page in view, its
// keys are the walk's wherever the focus is in this window (a focused button
// would click on Space, a track bar move on the arrows); only fields being
// edited keep them.
bool TfMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !hints_)
        return true;
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType()) {
        const auto* w = static_cast<QWidget*>(watched);
        const auto* taste = static_cast<QKeyEvent*>(event);
        AutomatikGruppe* a = automatik(aktuelleSeite_);
        // A key a field ignores goes on to its parents: the field with the
        // focus decides as well.
        if (a && a->aktiv() && w->window() == this && AutomatikGruppe::istTaste(*taste)
            && !AutomatikGruppe::wirdBearbeitet(w) && !AutomatikGruppe::wirdBearbeitet(focusWidget())) {
            if (event->type() == QEvent::KeyPress)
                a->taste(*taste);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------ page changes

bool TfMain::pControlChanging(int from, int /*to*/)
{
    // A page's show handler switches the blocks off and the Config page
    // stops the tick: not while a train runs or the wiring is checked.
    if (pFahren->zugFaehrt() || pStrecke->zugFaehrt() || fVerdrahtung->laeuft())
        return false;
    if (from == SConfig) {
        try {
            pConfigExit();
        } catch (const HandlerError& e) {
            showMessage(e.text());
        }
    }
    return true;
}

void TfMain::seiteGewechselt(int index)
{
    if (index == aktuelleSeite_)
        return;
    if (!seitenwechselIntern_) {
        // The tab bar has already switched: go back, so that the decision
        // (and any message of it) comes while the old page is still shown.
        const QSignalBlocker block(pControl);
        pControl->setCurrentIndex(aktuelleSeite_);
        if (!pControlChanging(aktuelleSeite_, index))
            return;
        pControl->setCurrentIndex(index);
    }
    const int alt = aktuelleSeite_;
    aktuelleSeite_ = index;
    seiteVerbergen(alt);
    seiteZeigen(index);
}

void TfMain::seiteZeigen(int index)
{
    switch (index) {
    case SConfig: pStartShow(); break;
    case SMelder: pMelderShow(); break;
    case STaster: pTasterShow(); break;
    case SLeds: pLedsShow(); break;
    case SWeiche: pWeicheShow(); break;
    case SSignal: pSignalShow(); break;
    case SFahren: pFahrenShow(); break;
    case SStrecke: pStreckeShow(); break;
    default: break;
    }
}

void TfMain::seiteVerbergen(int index)
{
    if (AutomatikGruppe* a = automatik(index))
        a->beenden();   // nothing the walk lit or powered stays
    switch (index) {
    case SMelder: pMelderHide(); break;
    case STaster: pTasterHide(); break;
    case SLeds: pLedsHide(); break;
    default: break;
    }
}

// ------------------------------------------------------------ menu commands

void TfMain::mnuQuitClick()
{
    mnuResetClick();
    close();
}

void TfMain::mnuResetClick()
{
    for (int seite : {SLeds, SWeiche, SSignal, SFahren})
        automatik(seite)->anhalten();   // no step lights anything again during the reset
    kvx->KettenReset();
    setStatusText(0, QStringLiteral(" Reset ausgeführt..."));
    Pause(200);
    kvx->AlleBloeckeAus();
    Pause(200);
    AlleLedAus();
    Pause(500);
    setStatusText(0, QString());
    for (int seite : {SLeds, SWeiche, SSignal, SFahren})   // a paused walk shows its element again
        QMetaObject::invokeMethod(automatik(seite), &AutomatikGruppe::nachholen, Qt::QueuedConnection);
}

void TfMain::mnuReInitClick()
{
    try {
        mnuResetClick();
        btnLedAusClick();
        pLeds->ledTrack->setValue(1);
        pWeiche->wTrack->setValue(1);
        pSignal->STrack->setValue(1);
        pFahren->faTrack->setValue(0);
        pStrecke->stTrack->setValue(0);
        pConfig->btnReInit->setEnabled(false);
        const std::array<int, 4> p = pConfig->einstellungen().tasterPositionen();
        TasterOben = p[0];
        TasterUnten = p[1];
        TasterRechts = p[2];
        TasterLinks = p[3];
    } catch (const HandlerError& e) {
        showMessage(e.text());
    }
}

void TfMain::mnuHelpClick()
{
    QString fehler;
    if (!fHelp->loadFile(Dateiorte(ProgrammPfad).hilfeDatei(), &fehler)) {
        showMessage(fehler);
        return;
    }
    fHelp->show();
    fHelp->raise();
    fHelp->activateWindow();
}

// Onto the virtual card as a re-initialisation does, unless a train runs or
// the wiring is checked; then its window.
void TfMain::mnuAnlageClick()
{
    if (kvx->Simulation && !pFahren->zugFaehrt() && !pStrecke->zugFaehrt() && !fVerdrahtung->laeuft()) {
        backendSetzen(anlage->umschalten());
        kvx->PortInit();
        mnuReInitClick();
    }
    anlage->fensterZeigen();
}

void TfMain::backendSetzen(PortBackend* backend)
{
    PortBackend* vorher = setPortBackend(backend);
    if (!backendGesetzt_)
        vorherigesBackend_ = vorher;
    backendGesetzt_ = true;
}

void TfMain::mnuInfoClick()
{
    // Modal for the whole program, without blocking the caller.
    fInfo->setWindowModality(Qt::ApplicationModal);
    fInfo->show();
    fInfo->raise();
    fInfo->activateWindow();
}

// ------------------------------------------------------------ configuration

void TfMain::einstellungenLesen()
{
    const ProfileFile ini(iniPfad());
    // A file that is refused is neither read nor overwritten at start-up.
    iniAbgelehnt_ = !ini.loadErrorMessage().isEmpty();
    if (iniAbgelehnt_)
        showMessage(ini.loadErrorMessage());
    // Counts the file gives but the page cannot take: said where a start
    // without a screen can see it.
    QStringList warnungen;
    const Einstellungen e = Einstellungen::lesen(ini, &warnungen);
    for (const QString& w : warnungen)
        std::fprintf(stderr, "Warnung: %s, %s\n", qPrintable(iniPfad()), qPrintable(w));
    pConfig->zeigen(e);
    for (int i = 0; i < KartenAnzahl; ++i)
        KartenChange(static_cast<Karte>(i));
    const std::array<int, 4> p = e.tasterPositionen();
    TasterOben = p[0];
    TasterUnten = p[1];
    TasterRechts = p[2];
    TasterLinks = p[3];
    hints_ = e.hints;
}

void TfMain::KartenChange(Karte karte)
{
    Einstellungen e;
    e.karten[karte] = pConfig->spin(karte)->value();
    e.anwenden(karte, *kvx);
    pConfig->feld(karte)->setText(QString::number(e.elemente(karte)));
    if (karte == Block)
        pFahren->nrBlock->setMaximum(e.elemente(Block));
    else if (karte == HBlock)
        pFahren->nrHBlock->setMaximum(e.elemente(HBlock));
    pConfig->btnReInit->setEnabled(true);
    pConfig->aBytes->setText(QString::number(kvx->EinDatenBytes));
    anlage->kartenSetzen(karte, e.karten[karte]);
}

void TfMain::tObenChange()
{
    pConfig->btnReInit->setEnabled(true);
}

void TfMain::cbHintsClick()
{
    hints_ = pConfig->cbHints->isChecked();
}

void TfMain::pConfigExit()
{
    seitenAnordnen();
    ProfileFile ini(iniPfad());
    if (!ini.writeAll(pConfig->einstellungen().eintraege()))
        throw HandlerError(ini.writeErrorMessage());
}

void TfMain::seitenAnordnen()
{
    pMelder->anordnen(*kvx);
    pTaster->anordnen(*kvx);
    pWeiche->auswahl->setAnzahl(kvx->WeichenAnzahl);
    pSignal->auswahl->setAnzahl(kvx->SignalAnzahl);
}

// A walk, a coil pulse and a train run end with the window, while the card
// can still be reached; the layout log takes the switched-off card as its
// last look.
void TfMain::closeEvent(QCloseEvent* event)
{
    for (int seite : {SLeds, SWeiche, SSignal, SFahren})
        automatik(seite)->beenden();
    fBericht->close();
    pWeiche->auswahl->impuls->beenden();
    if (pFahren->anhalten())   // Start released, its cycle ended: blocks off as after the run
        FahrtEnde();
    if (pStrecke->anhalten())
        StreckenEnde();
    anlage->beenden();
    QMainWindow::closeEvent(event);
}

// "Beispielanlage" of the virtual layout: the card counts as if entered on the
// configuration page, re-initialised and saved as on leaving the page; then
// the route page.
void TfMain::beispielAnlage(const std::array<int, KartenAnzahl>& karten)
{
    for (int i = 0; i < KartenAnzahl; ++i)
        pConfig->spin(static_cast<Karte>(i))->setValue(karten[std::size_t(i)]);   // KartenChange for each change
    mnuReInitClick();
    try {
        pConfigExit();
    } catch (const HandlerError& e) {
        showMessage(e.text());
    }
    const Nachladen satz = beispielsatzNachladen(*pStrecke, ProgrammPfad);
    if (!satz.fehler.isEmpty())
        showMessage(satz.fehler);
    seitenwechselIntern_ = true;   // saved already, and no train runs
    pControl->setCurrentIndex(SStrecke);
    seitenwechselIntern_ = false;
    if (!satz.status.isEmpty())
        setStatusText(0, satz.status);
}
