#include "streckepage.h"

#include "configuration.h"
#include "datendatei.h"
#include "ganzezahl.h"
#include "panels.h"
#include "richtungswechsel.h"
#include "schaltliste.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace strecke {

fahrt::Zelle zelle(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    if (const std::optional<int> n = ganzeZahl(text))
        return {*n, true, {}};
    return {0, false, text.toStdString()};
}

QString ueberzaehligText(const fahrt::Ueberzaehlig& u)
{
    using Art = fahrt::Ueberzaehlig::Art;
    switch (u.art) {
    case Art::Block: return QStringLiteral("Block %1 gibt es nicht (Anzahl Blöcke: %2)").arg(u.nr).arg(u.anzahl);
    case Art::HBlock:
        return QStringLiteral("Hilfsblock %1 gibt es nicht (Anzahl Hilfsblöcke: %2)").arg(u.nr).arg(u.anzahl);
    case Art::Melder:
        return QStringLiteral("Melder %1 gibt es nicht (Anzahl Belegtmelder: %2)").arg(u.nr).arg(u.anzahl);
    case Art::Led:
        return QStringLiteral("LED %1 gibt es nicht (Anzahl LEDs %2: %3)").arg(u.nr).arg(u.kette).arg(u.anzahl);
    }
    return {};
}

}  // namespace strecke

namespace {

const QColor Gruen(0, 128, 0);
constexpr int AnzeigeMs = 40;   // the page shows a run's reports at most 25 times a second

const QStringList StreckenKopf = {QString(), QStringLiteral("HBlock"), QStringLiteral("RHalt"),
                                  QStringLiteral("RBrems"), QStringLiteral("Block"), QStringLiteral("VBrems"),
                                  QStringLiteral("VHalt")};

const char* const Hilfe =
    "Einen Zug auf einer \nStrecke fahren lassen:\n\nHier kann eine Strecke\nfestgelegt werden, auf \n"
    "der ein beliebiger Zug\nständig mit der einge-\nstellten Geschwindigkeit\nfährt\nDazu ist die Strecke in\n"
    "der richtigen Reihenfolge\neinzugeben, zugeordnete\nLed zeigen eine Belegt-\nmeldung. Alle \nnotwendigen\n"
    "Weichenstellungen sind\nebenfalls festzulegen.";

// A grid whose Tab in the last cell appends a row (the LED tables).
class AnhaengeTabelle : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    QModelIndex moveCursor(CursorAction aktion, Qt::KeyboardModifiers m) override
    {
        if (aktion == MoveNext && currentRow() == rowCount() - 1 && currentColumn() == columnCount() - 1) {
            insertRow(rowCount());
            return model()->index(rowCount() - 1, 0);
        }
        return QTableWidget::moveCursor(aktion, m);
    }
};

QTableWidget* gitter(QTableWidget* g, const QString& name, int zeilen, int spalten, int breite)
{
    g->setObjectName(name);
    g->setRowCount(zeilen);
    g->setColumnCount(spalten);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->horizontalHeader()->setDefaultSectionSize(breite);
    g->verticalHeader()->setDefaultSectionSize(18);
    g->setTabKeyNavigation(true);
    g->setFont(panels::arial(10));
    return g;
}

QString zellText(const QTableWidget* g, int z, int s)
{
    const QTableWidgetItem* i = g->item(z, s);
    return i ? i->text() : QString();
}

// Header cells and row numbers: shown like buttons, not edited.
void festMachen(QTableWidgetItem* i, const QWidget* g)
{
    i->setFlags(Qt::ItemIsEnabled);
    i->setBackground(g->palette().color(QPalette::Button));
}

void zellSetzen(QTableWidget* g, int z, int s, const QString& text, bool fest)
{
    if (QTableWidgetItem* i = g->item(z, s)) {
        i->setText(text);
        return;
    }
    auto* i = g->itemPrototype() ? g->itemPrototype()->clone() : new QTableWidgetItem;
    i->setText(text);
    if (fest)
        festMachen(i, g);
    g->setItem(z, s, i);
}

datendatei::Tabelle tabellenText(const QTableWidget* g)
{
    datendatei::Tabelle t;
    for (int z = 0; z < g->rowCount(); ++z) {
        QStringList zeile;
        for (int s = 0; s < g->columnCount(); ++s)
            zeile << zellText(g, z, s);
        t << zeile;
    }
    return t;
}

// Line k of a file into row k; rows and columns the table lacks are added,
// cells the file does not reach keep their text.
void fuellen(QTableWidget* g, const datendatei::Tabelle& t, int festeSpalten)
{
    const QSignalBlocker b(g);
    if (g->rowCount() < t.size())
        g->setRowCount(static_cast<int>(t.size()));
    for (int z = 0; z < t.size(); ++z) {
        const QStringList& zeile = t[z];
        if (g->columnCount() < zeile.size())
            g->setColumnCount(static_cast<int>(zeile.size()));
        for (int s = 0; s < zeile.size(); ++s)
            zellSetzen(g, z, s, zeile[s], z == 0 || s < festeSpalten);
    }
}

QPushButton* knopf(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QPlainTextEdit* memo(const QString& name, const QString& text, const QString& stil, QWidget* parent)
{
    auto* m = new QPlainTextEdit(text, parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::NoFrame);
    m->setStyleSheet(stil);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return m;
}

}  // namespace

StreckePage::StreckePage(QWidget* parent)
    : QWidget(parent)
    , bericht_([this] { QMetaObject::invokeMethod(this, &StreckePage::geweckt, Qt::QueuedConnection); })
{
    setObjectName(QStringLiteral("pStrecke"));

    gStrecke = gitter(new QTableWidget(this), QStringLiteral("gStrecke"), fahrt::StreckenZeilen + 1,
                      fahrt::StreckenSpalten + 1, 46);
    gStrecke->setColumnWidth(0, 22);
    auto* mitte = new QTableWidgetItem;
    mitte->setTextAlignment(Qt::AlignCenter);
    gStrecke->setItemPrototype(mitte);
    for (int z = 0; z <= fahrt::StreckenZeilen; ++z) {
        for (int s = 0; s <= fahrt::StreckenSpalten; ++s) {
            const QString text = z == 0 ? StreckenKopf[s] : s == 0 ? QString::number(z) : QString();
            zellSetzen(gStrecke, z, s, text, z == 0 || s == 0);
        }
    }
    gStrecke->setFixedSize(22 + 6 * 46 + 4, 21 * 18 + 4);
    gStrecke->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    ledBlock = gitter(new AnhaengeTabelle(this), QStringLiteral("ledBlock"), 2, 2, 36);
    ledMelder = gitter(new AnhaengeTabelle(this), QStringLiteral("ledMelder"), 2, 2, 36);
    for (auto [g, kopf] : {std::pair{ledBlock, QStringLiteral("Block")}, std::pair{ledMelder, QStringLiteral("Melder")}}) {
        zellSetzen(g, 0, 0, kopf, true);
        zellSetzen(g, 0, 1, QStringLiteral("LED"), true);
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        g->setColumnWidth(0, 40);
        g->setColumnWidth(1, 32);
        g->setFixedWidth(2 * 36 + 20);
        connect(g, &QTableWidget::itemChanged, this, &StreckePage::tabellenUebernehmen);
    }
    connect(gStrecke, &QTableWidget::itemChanged, this, &StreckePage::tabellenUebernehmen);
    Label45 = new QLabel(QStringLiteral("Leuchtdioden"), this);
    Label45->setObjectName(QStringLiteral("Label45"));
    ledSave = knopf(QStringLiteral("ledSave"), QStringLiteral("Save"), QStringLiteral("Strecke und LEDs sichern"), this);
    ledLoad = knopf(QStringLiteral("ledLoad"), QStringLiteral("Load"), QStringLiteral("Strecke und LEDs laden"), this);
    ledClear = knopf(QStringLiteral("ledClear"), QStringLiteral("Clear"), QStringLiteral("Strecke und LEDs löschen"), this);

    stTrack = panels::tempoRegler(QStringLiteral("stTrack"), this);
    stTrack->setMinimumHeight(200);
    stTempo = panels::numberPanel(QStringLiteral("stTempo"), QStringLiteral("0"), 24, Qt::black, Qt::white, this);
    stTempo->setFixedSize(60, 36);
    connect(stTrack, &QSlider::valueChanged, this, [this](int v) { seite_.tempoSetzen(v); });
    stVW = richtungsPfeil(QStringLiteral("stVW"), Pfeil::Rechts, panels::Red, QStringLiteral("Vorwärtsfahrt einstellen"),
                          {50, 36}, this);
    stRW = richtungsPfeil(QStringLiteral("stRW"), Pfeil::Links, panels::ScrollBar, QStringLiteral("Rückwärtsfahrt einstellen"),
                          {50, 36}, this);
    wechsel_ = new Richtungswechsel(stTrack, stVW, stRW, [this](bool v) { seite_.richtungSetzen(v); }, this);

    stGO = new QPushButton(this);
    stGO->setObjectName(QStringLiteral("stGO"));
    stGO->setCheckable(true);
    stGO->setToolTip(QStringLiteral("Fahrt freigeben"));
    stGO->setFont(panels::arial(14));
    stGO->setMinimumSize(96, 44);
    panels::beschriften(stGO, QStringLiteral("Start"), Gruen);

    pBl1 = panels::numberPanel(QStringLiteral("pBl1"), QStringLiteral("0"), 20, Qt::black, Qt::white, this);
    pBl2 = panels::numberPanel(QStringLiteral("pBl2"), QStringLiteral("0"), 20, Qt::black, Qt::white, this);
    pBl1->setFixedSize(56, 32);
    pBl2->setFixedSize(56, 32);

    Memo6 = memo(QStringLiteral("Memo6"),
                 QStringLiteral("ACHTUNG - Diese Seite kann nur verlassen \nwerden, wenn kein Zug fährt!"),
                 QStringLiteral("background: transparent; color: red; font-style: italic;"), this);
    Memo6->setFixedHeight(40);
    Memo7 = memo(QStringLiteral("Memo7"), QString::fromUtf8(Hilfe),
                 QStringLiteral("background: rgb(192, 192, 192); color: black;"), this);
    Memo7->setFont(panels::arial(11));
    Memo7->setFixedWidth(150);
    Memo7->setMinimumHeight(17 * 14 + 8);

    liste = new SchaltListe(this);

    anzeigeTakt_ = new QTimer(this);
    anzeigeTakt_->setSingleShot(true);
    anzeigeTakt_->setInterval(AnzeigeMs);
    connect(anzeigeTakt_, &QTimer::timeout, this, &StreckePage::berichtZeigen);

    // Route table | LED tables with their buttons | speed, direction, Start,
    // the powered rows | help and the switching list.
    auto* leds = new QHBoxLayout;
    leds->addWidget(ledBlock);
    leds->addWidget(ledMelder);
    auto* knoepfe = new QHBoxLayout;
    for (QPushButton* b : {ledSave, ledLoad, ledClear}) {
        b->setFixedWidth(58);
        knoepfe->addWidget(b);
    }
    auto* tempo = new QGridLayout;
    tempo->addWidget(new QLabel(QStringLiteral("Geschwindigkeit"), this), 0, 0, 1, 2);
    tempo->addWidget(stTrack, 1, 0, 2, 1);
    tempo->addWidget(stTempo, 1, 1, Qt::AlignTop);
    auto* pfeile = new QHBoxLayout;
    pfeile->addWidget(stRW);
    pfeile->addWidget(stVW);
    tempo->addLayout(pfeile, 3, 0, 1, 2);
    tempo->addWidget(stGO, 4, 0, 1, 2);
    tempo->addWidget(new QLabel(QStringLiteral("Zeilen unter Strom"), this), 5, 0, 1, 2);
    auto* paar = new QHBoxLayout;
    paar->addWidget(pBl1);
    paar->addWidget(pBl2);
    tempo->addLayout(paar, 6, 0, 1, 2);
    tempo->setRowStretch(2, 1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    // The warning has a row of its own under the tables and their buttons:
    // nothing lies over a control.
    grid->addWidget(gStrecke, 1, 0, Qt::AlignTop);
    grid->addWidget(Label45, 0, 1);
    grid->addLayout(leds, 1, 1);
    grid->addLayout(knoepfe, 2, 1, Qt::AlignTop);
    grid->addWidget(Memo6, 3, 0, 1, 2);
    grid->addLayout(tempo, 0, 2, 4, 1);
    auto* rechts = new QVBoxLayout;
    rechts->addWidget(Memo7, 1);
    rechts->addWidget(liste, 1);
    grid->addLayout(rechts, 0, 3, 4, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(1, 1);

    tabellenUebernehmen();
}

StreckePage::~StreckePage() = default;

bool StreckePage::zugFaehrt() const
{
    return stGO->isChecked() || faden_.laeuft();
}

void StreckePage::tempoZeigen()
{
    stTempo->setText(QString::number(stTrack->value()));
}

void StreckePage::richtungWaehlen(bool vorwaerts)
{
    wechsel_->waehlen(vorwaerts);
}

bool StreckePage::startGeklickt(TkvxHard& kvx, const std::array<int, 3>& ledAnzahl)
{
    if (!stGO->isChecked()) {
        // The thread sees Start up at the end of its cycle; until its end is
        // handled the button waits, so that no second thread can start.
        seite_.startSetzen(false);
        panels::beschriften(stGO, QStringLiteral("Stop"), panels::Red);
        stGO->setEnabled(false);
        return false;
    }
    stGO->setText(QStringLiteral("Fahren"));
    seite_.ledAnzahlSetzen(ledAnzahl);
    bericht_.verwerfen();
    endeGemeldet_ = false;
    fehler_.reset();
    gezeigt_ = {};
    return faden_.starten(kvx, seite_, bericht_);
}

QString StreckePage::startText(const TkvxHard& kvx, const std::array<int, 3>& ledAnzahl) const
{
    QString text = QStringLiteral(" Zugfahrt ist freigegeben...");
    if (const auto u = fahrt::ersteUeberzaehlige(*tabellen(), kvx.Anzahlen(), ledAnzahl))
        text += QStringLiteral(" Achtung: ") + strecke::ueberzaehligText(*u);
    return text;
}

QString StreckePage::fahrtBeendet(TkvxHard& kvx)
{
    faden_.warten();
    anzeigeTakt_->stop();
    zeigen(bericht_.abholen());
    kvx.AlleBloeckeAus();
    stGO->setChecked(false);
    stGO->setEnabled(true);
    panels::beschriften(stGO, QStringLiteral("Start"), Gruen);
    const std::optional<std::string> fehler = std::exchange(fehler_, std::nullopt);
    return fehler ? config::keinIntegerwert(QString::fromStdString(*fehler)) : QString();
}

bool StreckePage::anhalten()
{
    if (!faden_.anhalten())
        return false;
    bericht_.verwerfen();
    endeGemeldet_ = true;   // a report still on its way finds the run handled
    return true;
}

void StreckePage::geweckt()
{
    if (!faden_.laeuft() || endeGemeldet_)
        return;
    if (bericht_.beendet())
        berichtZeigen();
    else if (!anzeigeTakt_->isActive())
        anzeigeTakt_->start();
}

void StreckePage::berichtZeigen()
{
    if (!faden_.laeuft() || endeGemeldet_)
        return;
    const fahrt::StreckenNachricht n = bericht_.abholen();
    zeigen(n);
    if (!n.ende)
        return;
    endeGemeldet_ = true;
    fehler_ = n.fehler;
    anzeigeTakt_->stop();
    emit fahrtZuEnde();
}

void StreckePage::zeigen(const fahrt::StreckenNachricht& n)
{
    if (n.markierung)
        markieren(*n.markierung);
    if (n.paar) {
        pBl1->setText(QString::number(n.paar->a));
        pBl2->setText(QString::number(n.paar->b));
    }
    if (n.zyklen)
        emit zyklenGemeldet(*n.zyklen);
}

void StreckePage::markieren(const fahrt::Markierung& m)
{
    const QSignalBlocker b(gStrecke);   // colours are no edit
    for (int z = 0; z < fahrt::StreckenZeilen; ++z) {
        for (int s = 0; s < fahrt::StreckenSpalten; ++s) {
            const fahrt::Marke marke = m[z][s];
            QTableWidgetItem* i = gStrecke->item(z + 1, s + 1);
            if (marke == fahrt::Marke::Keine || marke == gezeigt_[z][s] || !i)
                continue;
            i->setBackground(marke == fahrt::Marke::Belegt ? panels::Red : panels::Gray);
        }
    }
    gezeigt_ = m;
}

// ------------------------------------------------------------------ tables

void StreckePage::tabellenUebernehmen()
{
    auto t = std::make_shared<fahrt::StreckenTabellen>();
    for (int z = 1; z <= fahrt::StreckenZeilen; ++z) {
        for (int s = 1; s <= fahrt::StreckenSpalten; ++s)
            t->strecke[z - 1][s - 1] = strecke::zelle(zellText(gStrecke, z, s));
    }
    for (auto [g, ziel] : {std::pair{ledBlock, &t->ledBlock}, std::pair{ledMelder, &t->ledMelder}}) {
        ziel->reserve(static_cast<std::size_t>(g->rowCount()));
        for (int z = 1; z < g->rowCount(); ++z)
            ziel->push_back({strecke::zelle(zellText(g, z, 0)), strecke::zelle(zellText(g, z, 1))});
    }
    seite_.tabellenSetzen(std::move(t));
}

namespace {

struct TabellenDatei {
    const char* endung;
    QTableWidget* StreckePage::*gitter;
    int festeSpalten;
};

constexpr TabellenDatei Dateien[3] = {
    {".DST", &StreckePage::gStrecke, 1},
    {".DLB", &StreckePage::ledBlock, 0},
    {".DLM", &StreckePage::ledMelder, 0},
};

}  // namespace

QString StreckePage::tabellenSichern(const QString& pfad)
{
    if (pfad.isEmpty())
        return {};
    const QString stamm = datendatei::stamm(pfad);
    // The three files belong together: all are replaced or none.
    QList<DateiInhalt> satz;
    for (const TabellenDatei& d : Dateien)
        satz.append({stamm + QLatin1String(d.endung), datendatei::tabellenText(tabellenText(this->*d.gitter))});
    QString fehler;
    datendatei::alleSchreiben(satz, &fehler);
    return fehler;
}

QString StreckePage::tabellenLaden(const QString& pfad)
{
    if (pfad.isEmpty())
        return {};
    const QString stamm = datendatei::stamm(pfad);
    QString fehler;
    for (const TabellenDatei& d : Dateien) {
        const std::optional<datendatei::Tabelle> t = datendatei::tabelleLesen(stamm + QLatin1String(d.endung), &fehler);
        if (!t)
            break;
        fuellen(this->*d.gitter, *t, d.festeSpalten);
    }
    tabellenUebernehmen();
    return fehler;
}

void StreckePage::tabellenLoeschen()
{
    const QSignalBlocker b1(gStrecke);
    const QSignalBlocker b2(ledBlock);
    const QSignalBlocker b3(ledMelder);
    for (QTableWidget* g : {ledBlock, ledMelder}) {
        for (int z = 1; z < g->rowCount(); ++z) {
            for (int s = 0; s < g->columnCount(); ++s) {
                if (QTableWidgetItem* i = g->item(z, s))
                    i->setText(QString());
            }
        }
        g->setRowCount(2);
    }
    for (int z = 1; z < gStrecke->rowCount(); ++z) {
        for (int s = 1; s < gStrecke->columnCount(); ++s) {
            if (QTableWidgetItem* i = gStrecke->item(z, s))
                i->setText(QString());
        }
    }
    tabellenUebernehmen();
}

QString StreckePage::standardLaden(const QString& programmPfad)
{
    return tabellenLaden(programmPfad + QStringLiteral("QJ.DST"));
}
