#include "tfanlage.h"

#include "blockfeld.h"
#include "fehlerpanel.h"
#include "lampenfeld.h"
#include "protokollansicht.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace anlagenbild;

namespace {

constexpr int WandernMs = 250;   // one step of the walking occupancy
// Extra height goes 3:1 to the controls and the log below them.
constexpr int RollenAnteil = 3;
constexpr int ProtokollAnteil = 1;
constexpr int Abstand = 8;       // between the main window and this one

// A field under its heading; the field's parent is the section, so that an
// empty field can hide its whole section.
QWidget* abschnitt(const QString& titel, QWidget* feld, const QString& hinweis)
{
    auto* w = new QWidget;
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 4, 0, 0);
    l->setSpacing(2);
    auto* kopf = new QLabel(titel);
    QFont f = kopf->font();
    f.setBold(true);
    kopf->setFont(f);
    l->addWidget(kopf);
    l->addWidget(feld);
    feld->setToolTip(hinweis);
    kopf->setToolTip(hinweis);
    return w;
}

QPushButton* knopf(const QString& text, const QString& hinweis)
{
    auto* b = new QPushButton(text);
    b->setToolTip(hinweis);
    return b;
}

}  // namespace

QPoint fensterPlatz(const QRect& haupt, const QSize& groesse, const QRect& frei)
{
    int x = haupt.right() + 1 + Abstand;
    if (x + groesse.width() > frei.right() + 1 && haupt.left() - Abstand - groesse.width() >= frei.left())
        x = haupt.left() - Abstand - groesse.width();
    x = std::max(frei.left(), std::min(x, frei.right() + 1 - groesse.width()));
    const int y = std::max(frei.top(), std::min(haupt.top(), frei.bottom() + 1 - groesse.height()));
    return {x, y};
}

TfAnlage::TfAnlage(VirtualCard& karte, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , karte_(karte)
{
    setObjectName(QStringLiteral("fAnlage"));
    setWindowTitle(QStringLiteral("Virtuelle Anlage"));

    lSNT = new QLabel;
    lSNT->setObjectName(QStringLiteral("lSNT"));
    lSNT->setAlignment(Qt::AlignCenter);
    lSNT->setMinimumWidth(80);
    lSNT->setAutoFillBackground(true);
    lSNT->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lSNT->setToolTip(QStringLiteral("Stromversorgung der Karten: ein, solange die Lebensleitung wechselt"));
    lSpule = new QLabel;
    lSpule->setObjectName(QStringLiteral("lSpule"));
    lSpule->setMinimumWidth(260);
    lSpule->setToolTip(QStringLiteral("Die Spule, die gerade Strom hat, und wie lange schon"));
    lZug = new QLabel(QStringLiteral("Kein Zug"));
    lZug->setObjectName(QStringLiteral("lZug"));

    gBloecke = new BlockFeld;
    gHBloecke = new LampenFeld;
    gMelder = new LampenFeld;
    gBlockTaster = new LampenFeld;
    gHBlockTaster = new LampenFeld;
    gTaster1 = new LampenFeld;
    for (auto*& g : gLed) {
        g = new LampenFeld;
        g->setDunkel(LedAus);
    }

    // A pattern replaces everything the layout reports, the train's occupancy too.
    const QString ohneZug = QStringLiteral("; ein eingesetzter Zug wird entfernt");
    btnFrei = knopf(QStringLiteral("Alles frei"), QStringLiteral("Nichts belegt, kein Taster gedrückt") + ohneZug);
    btnWandern = knopf(QStringLiteral("Wandernde Belegung"),
                       QStringLiteral("Je ein Block, Hilfsblock und Melder belegt, der nächste alle %1 ms")
                               .arg(WandernMs)
                           + ohneZug);
    btnWandern->setCheckable(true);
    btnAlleBelegt = knopf(QStringLiteral("Alles belegt"),
                          QStringLiteral("Alle Blöcke, Hilfsblöcke und Melder belegt") + ohneZug);
    btnAlleTaster = knopf(QStringLiteral("Alle Taster"),
                          QStringLiteral("Alle Taster der Blockkarten, der Hilfsblockkarten und der Kette 1 "
                                         "gedrückt")
                              + ohneZug);
    btnBeispiel = knopf(QStringLiteral("Beispielanlage"),
                        QStringLiteral("Stellt auf der Seite Config die Karten ein, die der Beispielsatz QJ "
                                       "braucht, mit Reinitialisierung, setzt den Zug in Zeile 1 und zeigt die "
                                       "Seite Strecken. Nur bei ausgeschaltetem SNT und ohne Zugfahrt."));
    nrZugZeile = new QSpinBox;
    nrZugZeile->setRange(1, 15);
    nrZugZeile->setToolTip(QStringLiteral("Zeile der Streckentabelle, in die der Zug gesetzt wird"));
    btnZugEin = knopf(QStringLiteral("Zug einsetzen"),
                      QStringLiteral("Setzt einen Zug an den Anfang der Zeile; er fährt, wenn sein Block Strom hat"));
    btnZugAus = knopf(QStringLiteral("Zug entfernen"), QStringLiteral("Nimmt den Zug mit seiner Belegung weg"));
    mProtokoll = new ProtokollAnsicht;
    mProtokoll->setObjectName(QStringLiteral("mProtokoll"));
    mProtokoll->setMinimumHeight(120);
    mProtokoll->setToolTip(QStringLiteral("Zeit in ms seit dem Start, was, Nummer, Zustand"));
    btnProtokollSpeichern = knopf(QStringLiteral("Protokoll speichern"),
                                  QStringLiteral("Speichert das ganze Anlagenprotokoll in einer Textdatei"));

    // Above: the supply, the coil and the buttons, never scrolled away.
    // Scrolled: left what the layout reports and the blocks, right the LEDs.
    // Below: the log.
    auto* links = new QVBoxLayout;
    const QString klick = QStringLiteral("Klick: belegt oder frei");
    const QString gehalten = QStringLiteral("Gedrückt, solange die Maustaste auf dem Taster gedrückt ist");
    links->addWidget(abschnitt(QStringLiteral("Blöcke"), gBloecke,
                               QStringLiteral("Grün: Strom, Pfeil: Richtung, Zahl: gemittelte Fahrstufe; "
                                              "roter Balken: belegt. ")
                                   + klick));
    links->addWidget(abschnitt(QStringLiteral("Hilfsblöcke"), gHBloecke,
                               QStringLiteral("Grüner Punkt: Strom. ") + klick));
    links->addWidget(abschnitt(QStringLiteral("Melder"), gMelder, klick));
    links->addWidget(abschnitt(QStringLiteral("Taster der Blockkarten"), gBlockTaster, gehalten));
    links->addWidget(abschnitt(QStringLiteral("Taster der Hilfsblockkarten"), gHBlockTaster, gehalten));
    links->addWidget(abschnitt(QStringLiteral("Taster Kette 1"), gTaster1, gehalten));
    links->addStretch(1);

    auto* rechts = new QVBoxLayout;
    for (int k = 0; k < 3; ++k)
        rechts->addWidget(abschnitt(QStringLiteral("LED-Kette %1").arg(k + 1), gLed[std::size_t(k)],
                                    QStringLiteral("Gelb: die LED leuchtet")));
    rechts->addStretch(1);

    auto* kopf = new QHBoxLayout;
    kopf->addWidget(new QLabel(QStringLiteral("SNT")));
    kopf->addWidget(lSNT);
    kopf->addSpacing(16);
    kopf->addWidget(lSpule, 1);
    kopf->addWidget(btnBeispiel);
    auto* musterZeile = new QHBoxLayout;
    for (QPushButton* b : {btnFrei, btnWandern, btnAlleBelegt, btnAlleTaster})
        musterZeile->addWidget(b);
    musterZeile->addStretch(1);
    auto* zugZeile = new QHBoxLayout;
    zugZeile->addWidget(new QLabel(QStringLiteral("Zeile")));
    zugZeile->addWidget(nrZugZeile);
    zugZeile->addWidget(btnZugEin);
    zugZeile->addWidget(btnZugAus);
    zugZeile->addWidget(lZug, 1);
    auto* bedienung = new QVBoxLayout;
    bedienung->setContentsMargins(8, 8, 8, 0);
    bedienung->addLayout(kopf);
    bedienung->addLayout(musterZeile);
    bedienung->addLayout(zugZeile);

    innen_ = new QWidget;
    auto* raster = new QGridLayout(innen_);
    raster->addLayout(links, 0, 0);
    raster->addLayout(rechts, 0, 1);
    rollen_ = new QScrollArea;
    rollen_->setWidget(innen_);
    rollen_->setWidgetResizable(true);
    rollen_->setFrameShape(QFrame::NoFrame);
    // The log below, outside the scrolled part: its growing repaints only itself.
    auto* protokoll = new QGridLayout;
    protokoll->setContentsMargins(8, 0, 8, 8);
    protokoll->addWidget(new QLabel(QStringLiteral("Anlagenprotokoll")), 0, 0);
    protokoll->addWidget(btnProtokollSpeichern, 0, 1, Qt::AlignRight);
    protokoll->addWidget(mProtokoll, 1, 0, 1, 2);
    // Beside the log, never scrolled away: the wiring faults.
    pFehler = new FehlerPanel(karte, {gBloecke, gHBloecke, gMelder, gBlockTaster, gHBlockTaster, gTaster1, gLed});
    protokoll->addWidget(pFehler, 0, 2, 2, 1);
    protokoll->setColumnStretch(0, 1);
    auto* aussen = new QVBoxLayout(this);
    aussen->setContentsMargins(0, 0, 0, 0);
    aussen->addLayout(bedienung);
    aussen->addWidget(rollen_, RollenAnteil);
    aussen->addLayout(protokoll, ProtokollAnteil);

    wandern_ = new QTimer(this);
    wandern_->setInterval(WandernMs);
    connect(wandern_, &QTimer::timeout, this,
            [this] { karte_.applyPattern(VirtualCard::Pattern::WalkingOccupancy, ++schritt_); });
    connect(btnWandern, &QPushButton::toggled, this, [this](bool an) {
        if (an) {
            emit zugEntfernen();
            wandern_->start();
        } else {
            wandern_->stop();
        }
    });
    connect(btnFrei, &QPushButton::clicked, this, [this] { muster(VirtualCard::Pattern::AllFree); });
    connect(btnAlleBelegt, &QPushButton::clicked, this, [this] { muster(VirtualCard::Pattern::AllOccupied); });
    connect(btnAlleTaster, &QPushButton::clicked, this, [this] { muster(VirtualCard::Pattern::AllButtonsPressed); });
    connect(btnZugEin, &QPushButton::clicked, this, [this] { emit zugEinsetzen(nrZugZeile->value()); });
    connect(btnBeispiel, &QPushButton::clicked, this, &TfAnlage::beispielAnlage);
    connect(btnZugAus, &QPushButton::clicked, this, &TfAnlage::zugEntfernen);
    connect(btnProtokollSpeichern, &QPushButton::clicked, this, &TfAnlage::protokollSpeichern);

    using A = VirtualCard::Ansicht;
    connect(gBloecke, &BlockFeld::geklickt, this, &TfAnlage::blockUmschalten);
    connect(gHBloecke, &LampenFeld::gedrueckt, this,
            [this](int h) { umschalten(gHBloecke, &A::hblockOccupied, &VirtualCard::setHBlockOccupied, h); });
    connect(gMelder, &LampenFeld::gedrueckt, this,
            [this](int m) { umschalten(gMelder, &A::melder, &VirtualCard::setMelder, m); });
    const std::pair<LampenFeld*, Eingabe> taster[] = {{gBlockTaster, &VirtualCard::setBlockButton},
                                                      {gHBlockTaster, &VirtualCard::setHBlockButton},
                                                      {gTaster1, &VirtualCard::setTaster1}};
    for (auto [feld, setzen] : taster) {
        connect(feld, &LampenFeld::gedrueckt, this, [=, this](int nr) { halten(feld, setzen, nr, true); });
        connect(feld, &LampenFeld::losgelassen, this, [=, this](int nr) { halten(feld, setzen, nr, false); });
    }

    aktualisieren();
}

void TfAnlage::closeEvent(QCloseEvent* event)
{
    btnWandern->setChecked(false);   // a pattern ends with the window
    QWidget::closeEvent(event);
}

QSize TfAnlage::volleGroesse() const
{
    // The scroll area's own hint is limited; all the scrolled fields
    // instead, with room for a scroll bar in case the screen cuts the height.
    // The nested layouts still count sections anordnen() has hidden or shown
    // since they were last asked.
    for (QLayout* l : findChildren<QLayout*>())
        l->invalidate();
    const QSize oben = layout()->itemAt(0)->sizeHint();
    const QSize innen = innen_->sizeHint();
    const QSize unten = layout()->itemAt(2)->sizeHint();
    const int abstand = std::max(0, layout()->spacing());
    const int breite = innen.width() + rollen_->verticalScrollBar()->sizeHint().width();
    // The layout shares the height beyond the buttons by the stretch factors;
    // the scroll area must get all of the fields' hint.
    const int hoehe = oben.height() + abstand
        + std::max(innen.height() + abstand + unten.height(),
                   (innen.height() * (RollenAnteil + ProtokollAnteil) + RollenAnteil - 1) / RollenAnteil + abstand);
    return QSize(std::max({breite, oben.width(), unten.width()}), hoehe).expandedTo(minimumSizeHint());
}

void TfAnlage::groesseFolgen(const QRect& frei)
{
    if (gesetzt_.isValid() && size() != gesetzt_)
        return;   // the user's size
    // The frame is not known before the window shows: room for a usual one.
    const QSize rahmen = isVisible() ? frameGeometry().size() - size() : QSize(16, 48);
    const QSize g = volleGroesse().boundedTo(frei.size() - rahmen);
    if (g != size())
        resize(g);
    gesetzt_ = size();   // the layout's minimum may have had its say
    // Grown beyond the screen's edge: back onto it.
    if (isVisible()) {
        const QRect f = frameGeometry();
        const int x = std::max(frei.left(), std::min(f.left(), frei.right() + 1 - f.width()));
        const int y = std::max(frei.top(), std::min(f.top(), frei.bottom() + 1 - f.height()));
        if (x != f.left() || y != f.top())
            move(x, y);
    }
}

void TfAnlage::muster(VirtualCard::Pattern p)
{
    btnWandern->setChecked(false);
    emit zugEntfernen();   // before the pattern: the train frees what it covered
    karte_.applyPattern(p);
    aktualisieren();
}

void TfAnlage::umschalten(LampenFeld* feld, std::vector<std::uint8_t> VirtualCard::Ansicht::*liste, Eingabe setzen,
                          int nr)
{
    std::vector<std::uint8_t>& zustand = ansicht_.*liste;
    if (nr < 1 || std::size_t(nr) > zustand.size())
        return;
    // Kept here at once, so that a second click before the next refresh toggles back.
    const bool neu = !zustand[std::size_t(nr - 1)];
    if ((karte_.*setzen)(nr, neu)) {
        zustand[std::size_t(nr - 1)] = neu;
        feld->setLampe(nr, belegtFarbe(nr, neu), feld->marke(nr));
    }
}

void TfAnlage::blockUmschalten(int b)
{
    if (b < 1 || std::size_t(b) > ansicht_.blockOccupied.size())
        return;
    const bool neu = !ansicht_.blockOccupied[std::size_t(b - 1)];
    if (karte_.setBlockOccupied(b, neu)) {
        ansicht_.blockOccupied[std::size_t(b - 1)] = neu;
        BlockKachel k = gBloecke->kachel(b);
        k.belegt = neu;
        gBloecke->setKachel(b, k);
    }
}

void TfAnlage::halten(LampenFeld* feld, Eingabe setzen, int nr, bool gedrueckt)
{
    if ((karte_.*setzen)(nr, gedrueckt))
        feld->setLampe(nr, belegtFarbe(nr, gedrueckt));
}

bool TfAnlage::anordnen()
{
    bool neu = false;
    auto feldAnordnen = [&neu](LampenFeld* f, std::size_t n, int spalten, int erste) {
        if (f->anzahl() != int(n) || f->anzahl() == 0) {
            neu = neu || f->anzahl() != int(n);
            f->anordnen(int(n), spalten, erste);
            f->parentWidget()->setVisible(n > 0);
        }
    };
    if (gBloecke->anzahl() != int(bild_.bloecke.size())) {
        gBloecke->anordnen(int(bild_.bloecke.size()));
        neu = true;
    }
    feldAnordnen(gHBloecke, bild_.hbloecke.size(), Spalten, 201);
    feldAnordnen(gMelder, bild_.melder.size(), Spalten, 1);
    feldAnordnen(gBlockTaster, bild_.blockTaster.size(), Spalten, 1);
    feldAnordnen(gHBlockTaster, bild_.hblockTaster.size(), Spalten, 1);
    feldAnordnen(gTaster1, bild_.taster1.size(), Spalten, 1);
    for (std::size_t k = 0; k < 3; ++k)
        feldAnordnen(gLed[k], bild_.leds[k].size(), LedSpalten, int(k) * 1000 + 1);
    return neu;
}

void TfAnlage::aktualisieren()
{
    karte_.ansicht(ansicht_);
    bilden(ansicht_, bild_);
    anpassen_ = anordnen() || anpassen_;
    if (anpassen_ && isVisible() && screen()) {   // a window closed meanwhile: when it shows again
        anpassen_ = false;
        groesseFolgen(screen()->availableGeometry());
    }

    if (lSNT->text().isEmpty() || snt_ != bild_.snt) {
        snt_ = bild_.snt;
        lSNT->setText(snt_ ? QStringLiteral("ein") : QStringLiteral("aus"));
        QPalette pal = lSNT->palette();
        pal.setColor(QPalette::Window, snt_ ? QColor(120, 215, 120) : QColor(128, 128, 128));
        lSNT->setPalette(pal);
    }
    if (lSpule->text() != bild_.spule)
        lSpule->setText(bild_.spule);
    gBloecke->zeigen(bild_.bloecke);
    gHBloecke->setLampen(bild_.hbloecke, bild_.hblockStrom);
    gMelder->setLampen(bild_.melder);
    gBlockTaster->setLampen(bild_.blockTaster);
    gHBlockTaster->setLampen(bild_.hblockTaster);
    gTaster1->setLampen(bild_.taster1);
    for (std::size_t k = 0; k < 3; ++k)
        gLed[k]->setLampen(bild_.leds[k]);
    pFehler->aktualisieren();
}

void TfAnlage::protokollAnhaengen(const std::vector<std::string>& zeilen)
{
    mProtokoll->anhaengen(zeilen);
}

void TfAnlage::protokollSetzen(const QByteArray& text)
{
    mProtokoll->setzen(text);
}

void TfAnlage::zugZeigen(const QString& text)
{
    if (lZug->text() != text)
        lZug->setText(text);
}
