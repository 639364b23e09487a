#include "mainwindow.h"

#include "coilpage.h"
#include "configpage.h"
#include "fahrenpage.h"
#include "helpwindow.h"
#include "infodialog.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "pause.h"
#include "portio.h"
#include "profile.h"
#include "signalpage.h"
#include "streckepage.h"
#include "tasterpage.h"
#include "weichepage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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

using namespace config;

namespace {

constexpr int SntPeriodeMs = 20;

}  // namespace

TfMain::TfMain(MainOptions options, QWidget* parent)
    : QMainWindow(parent)
    , meldung_(std::move(options.meldung))
    , portHinweis_(std::move(options.portHinweis))
{
    if (!meldung_)
        meldung_ = messageBoxSink(this);
    if (options.backend) {
        vorherigesBackend_ = setPortBackend(options.backend);
        backendGesetzt_ = true;
    }

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
    mnuReset = menuBar()->addAction(QStringLiteral("&Reset"));
    mnuHelp = menuBar()->addAction(QStringLiteral("&Hilfe"));
    mnuInfo = menuBar()->addAction(QStringLiteral("&Info"));
    mnuSNTein = menuBar()->addAction(QStringLiteral("SNT-&ein"));
    mnuSNTaus = menuBar()->addAction(QStringLiteral("SNT-&aus"));
    mnuSNTein->setEnabled(false);
    mnuSNTaus->setEnabled(false);
    connect(mnuReInit, &QAction::triggered, this, &TfMain::mnuReInitClick);
    connect(mnuQuit, &QAction::triggered, this, &TfMain::mnuQuitClick);
    connect(mnuReset, &QAction::triggered, this, &TfMain::mnuResetClick);
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
    tiSNT->setInterval(SntPeriodeMs);
    tiSNT->setTimerType(Qt::PreciseTimer);
    SaveD = new QFileDialog(this);
    SaveD->setObjectName(QStringLiteral("SaveD"));
    SaveD->setAcceptMode(QFileDialog::AcceptSave);
    OpenD = new QFileDialog(this);
    OpenD->setObjectName(QStringLiteral("OpenD"));
    OpenD->setAcceptMode(QFileDialog::AcceptOpen);
    OpenD->setFileMode(QFileDialog::ExistingFile);

    // Configuration page.
    connect(pConfig, &ConfigPage::kartenChanged, this, &TfMain::KartenChange);
    connect(pConfig, &ConfigPage::tasterChanged, this, &TfMain::tObenChange);
    connect(pConfig->cbHints, &QCheckBox::clicked, this, &TfMain::cbHintsClick);
    connect(pConfig->btnReInit, &QPushButton::clicked, this, &TfMain::mnuReInitClick);
    connect(pLeds->btnLedAus, &QPushButton::clicked, this, &TfMain::btnLedAusClick);
    qApp->installEventFilter(this);

    ProgrammPfad = options.programmPfad.isEmpty() ? QCoreApplication::applicationDirPath() : options.programmPfad;
    if (!ProgrammPfad.endsWith(QLatin1Char('/')))
        ProgrammPfad += QLatin1Char('/');
    SaveD->setDirectory(ProgrammPfad);
    OpenD->setDirectory(ProgrammPfad);

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
    return ProgrammPfad + QString::fromLatin1(IniName);
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
        pConfigExit();
        // The default data files of the route page are loaded here.
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

bool TfMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !hints_)
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------ page changes

bool TfMain::pControlChanging(int from, int /*to*/)
{
    if (pFahren->zugFaehrt() || pStrecke->zugFaehrt())
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
    if (!seitenwechselIntern_ && !pControlChanging(aktuelleSeite_, index)) {
        const QSignalBlocker block(pControl);
        pControl->setCurrentIndex(aktuelleSeite_);
        return;
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
    switch (index) {
    case SMelder: pMelderHide(); break;
    case STaster: pTasterHide(); break;
    case SLeds: pLedsHide(); break;
    default: break;
    }
}

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

void TfMain::pMelderShow()
{
    sntAngebot();
    ausgaengeAus();
}

void TfMain::pMelderHide()
{
    kvx->LedKettenLoeschen();
}

void TfMain::pTasterShow()
{
    ausgaengeAus();
}

void TfMain::pTasterHide()
{
    kvx->LedKettenLoeschen();
}

void TfMain::pLedsShow()
{
    testSeiteZeigen(pLeds->ledTrack);
}

void TfMain::pLedsHide()
{
    ausgaengeAus();
}

void TfMain::pWeicheShow()
{
    testSeiteZeigen(pWeiche->wTrack);
}

void TfMain::pSignalShow()
{
    testSeiteZeigen(pSignal->STrack);
}

void TfMain::pFahrenShow()
{
    fahrSeiteZeigen(pFahren->faTrack);
}

void TfMain::pStreckeShow()
{
    fahrSeiteZeigen(pStrecke->stTrack);
}

// ------------------------------------------------------------ menu commands

void TfMain::mnuQuitClick()
{
    mnuResetClick();
    close();
}

void TfMain::mnuResetClick()
{
    kvx->KettenReset();
    setStatusText(0, QStringLiteral(" Reset ausgeführt..."));
    Pause(200);
    kvx->AlleBloeckeAus();
    Pause(200);
    AlleLedAus();
    Pause(500);
    setStatusText(0, QString());
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
        const std::array<int, 4> n = tasterZahlen();
        TasterOben = n[0];
        TasterUnten = n[1];
        TasterRechts = n[2];
        TasterLinks = n[3];
        TasterUmrechnen();
    } catch (const HandlerError& e) {
        showMessage(e.text());
    }
}

void TfMain::mnuHelpClick()
{
    QString fehler;
    if (!fHelp->loadFile(TfHelp::helpFileName(), &fehler)) {
        showMessage(fehler);
        return;
    }
    fHelp->show();
    fHelp->raise();
    fHelp->activateWindow();
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
    ProfileFile ini(iniPfad());
    const QString karten = QString::fromLatin1(SectionKarten);
    for (int i = 0; i < KartenAnzahl; ++i) {
        const auto k = static_cast<Karte>(i);
        pConfig->setzeKarten(k, ini.readInt(karten, QString::fromLatin1(Karten[k].key), Karten[k].defaultValue));
        KartenChange(k);
    }
    const QString taster = QString::fromLatin1(SectionTaster);
    int* ziele[4] = {&TasterOben, &TasterUnten, &TasterRechts, &TasterLinks};
    const auto felder = pConfig->tasterFelder();
    for (int i = 0; i < 4; ++i) {
        *ziele[i] = ini.readInt(taster, QString::fromLatin1(TasterKeys[i]), 0);
        felder[i]->setText(QString::number(*ziele[i]));
    }
    TasterUmrechnen();
    const int hints = ini.readInt(QString::fromLatin1(SectionSonstiges), QString::fromLatin1(HintsKey), 1);
    pConfig->cbHints->setChecked(hints == 1);
    hints_ = hints == 1;
}

void TfMain::KartenChange(Karte karte)
{
    const int v = pConfig->spin(karte)->value();
    const int elemente = Karten[karte].factor * v;
    pConfig->feld(karte)->setText(QString::number(elemente));
    const auto n = static_cast<std::uint16_t>(elemente);
    switch (karte) {
    case Block:
        kvx->BlockAnzahl = n;
        pFahren->nrBlock->setMaximum(2 * v);
        break;
    case HBlock:
        kvx->HBlockAnzahl = n;
        pFahren->nrHBlock->setMaximum(4 * v);
        break;
    case Melder: kvx->MelderAnzahl = n; break;
    case Weichen: kvx->WeichenAnzahl = n; break;
    case Signale: kvx->SignalAnzahl = n; break;
    case Taster1: kvx->Taster1Anzahl = n; break;
    case Taster2: kvx->Taster2Anzahl = n; break;
    default: break;   // LED counts live in their number fields only
    }
    pConfig->btnReInit->setEnabled(true);
    EinDaten();
}

void TfMain::EinDaten()
{
    kvx->EinDatenBytes = static_cast<std::uint16_t>(einDatenBytes(
        kvx->MelderAnzahl, kvx->HBlockAnzahl, kvx->BlockAnzahl, kvx->Taster1Anzahl, kvx->Taster2Anzahl));
    pConfig->aBytes->setText(QString::number(kvx->EinDatenBytes));
}

void TfMain::TasterUmrechnen()
{
    for (int* n : {&TasterOben, &TasterUnten, &TasterRechts, &TasterLinks})
        *n = config::TasterUmrechnen(*n);
}

std::array<int, 4> TfMain::tasterZahlen() const
{
    std::array<int, 4> n{};
    const auto felder = pConfig->tasterFelder();
    for (int i = 0; i < 4; ++i) {
        const QString text = felder[i]->text();
        const std::optional<int> zahl = ganzeZahl(text);
        if (!zahl)
            throw HandlerError(keinIntegerwert(text));
        n[i] = *zahl;
    }
    return n;
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
    // The monitoring grids for the counts now configured.
    pMelder->panelB->anordnen(kvx->BlockAnzahl, 0);
    pMelder->panelH->anordnen(kvx->HBlockAnzahl, 200);
    pMelder->panelM->anordnen(kvx->MelderAnzahl, 0);
    pTaster->Panel2->anordnen(2 * kvx->BlockAnzahl, 0);
    pTaster->Panel4->anordnen(kvx->HBlockAnzahl, 0);
    pTaster->Panel6->anordnen(kvx->Taster1Anzahl, 0);
    pTaster->Panel1->anordnen(kvx->Taster2Anzahl, 0);
    pTaster->Panel6->grid->setVisible(kvx->Taster1Anzahl > 0);
    pTaster->Panel1->grid->setVisible(kvx->Taster2Anzahl > 0);

    // Ranges of the turnout and signal selections.
    pWeiche->auswahl->setAnzahl(kvx->WeichenAnzahl);
    pSignal->auswahl->setAnzahl(kvx->SignalAnzahl);

    // The settings, in one replacement of the file.
    QList<ProfileFile::Entry> eintraege;
    const QString karten = QString::fromLatin1(SectionKarten);
    for (int i = 0; i < KartenAnzahl; ++i) {
        const auto k = static_cast<Karte>(i);
        eintraege.append({karten, QString::fromLatin1(Karten[k].key), QString::number(pConfig->spin(k)->value())});
    }
    const std::array<int, 4> taster = tasterZahlen();
    for (int i = 0; i < 4; ++i)
        eintraege.append({QString::fromLatin1(SectionTaster), QString::fromLatin1(TasterKeys[i]),
                          QString::number(taster[i])});
    eintraege.append({QString::fromLatin1(SectionSonstiges), QString::fromLatin1(HintsKey),
                      pConfig->cbHints->isChecked() ? QStringLiteral("1") : QStringLiteral("0")});
    ProfileFile ini(iniPfad());
    if (!ini.writeAll(eintraege))
        throw HandlerError(ini.writeErrorMessage());
}

// ------------------------------------------------------------------- LEDs

void TfMain::AlleLedAus()
{
    kvx->LedKetteAus(1, pConfig->feldWert(Leds1));
    kvx->LedKetteAus(2, pConfig->feldWert(Leds2));
    kvx->LedKetteAus(3, pConfig->feldWert(Leds3));
}

void TfMain::btnLedAusClick()
{
    pLeds->LedNr->setText(QStringLiteral("0"));
    AlleLedAus();
}
