#include "fehlerpanel.h"

#include "blockfeld.h"
#include "lampenfeld.h"
#include "virtualcard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace verdrahtung;

namespace {

std::array<int, 9> zaehler(const VirtualLayout& l)
{
    return {l.blockCards, l.hblockCards, l.melderCards, l.weichenCards, l.signalCards,
            l.taster1Cards, l.led1Cards, l.led2Cards, l.led3Cards};
}

// "5, 6", "25–88", "1, 3–5".
QString bereiche(const std::vector<int>& n)
{
    QStringList teile;
    for (std::size_t i = 0; i < n.size();) {
        std::size_t j = i;
        while (j + 1 < n.size() && n[j + 1] == n[j] + 1)
            ++j;
        teile << (j > i + 1 ? QStringLiteral("%1–%2").arg(n[i]).arg(n[j]) : QString::number(n[i]));
        if (j == i + 1)
            teile << QString::number(n[j]);
        i = j + 1;
    }
    return teile.join(QStringLiteral(", "));
}

}  // namespace

QString betroffenText(const Fehler& f, const VirtualLayout& layout)
{
    QStringList teile;
    // A load names a block and its occupancy: the same numbers, said once.
    for (const Stelle& s : betroffen(f, layout))
        if (const QString teil = QString::fromUtf8(mehrzahl(s.element).data(), qsizetype(mehrzahl(s.element).size()))
                                 + QLatin1Char(' ') + bereiche(s.nummern);
            !teile.contains(teil))
            teile << teil;
    return teile.isEmpty() ? QStringLiteral("nichts") : teile.join(QStringLiteral("; "));
}

FehlerPanel::FehlerPanel(VirtualCard& karte, const FehlerFelder& felder, QWidget* parent)
    : QGroupBox(QStringLiteral("Fehler"), parent)
    , karte_(karte)
    , felder_(felder)
{
    setObjectName(QStringLiteral("gbFehler"));
    setToolTip(QStringLiteral("Verdrahtungsfehler der virtuellen Anlage; die Felder rahmen die Elemente ein, "
                              "die ein Fehler betrifft"));
    eFehler = new QLineEdit;
    eFehler->setObjectName(QStringLiteral("eFehler"));
    eFehler->setPlaceholderText(QStringLiteral("z. B. tausch:block:5:6"));
    eFehler->setToolTip(QStringLiteral(
        "Einer oder mehrere, durch Kommas getrennt:\n"
        "tausch:ART:A:B  Leitungen von A und B vertauscht\n"
        "tot:ART:N  Ausgang N zeigt nie etwas, Eingang N immer frei\n"
        "haengt:ART:N  Eingang N immer belegt/gedrückt\n"
        "flackert:ART:N  Eingang N fällt mehrmals je Sekunde kurz aus\n"
        "bruch:KETTE:K  Leitung hinter Karte K unterbrochen\n"
        "fehlt:KETTE:K  Karte K fehlt, die Nachbarn verbunden\n"
        "last:block:N (alle), last:hblock:N  Last im Block: belegt, solange er Strom hat\n"
        "ART: block, hblock, weiche, signal, led (Kette 2: 1001.., Kette 3: 2001..), blockbelegt,\n"
        "hblockbelegt, melder, blocktaster, hblocktaster, taster1, taster2\n"
        "KETTE: block, weiche, signal, led1, led2, led3, blockein, hblockein, melder, taster1, taster2"));
    btnHinzufuegen = new QPushButton(QStringLiteral("Hinzufügen"));
    lMeldung = new QLabel;
    lMeldung->setObjectName(QStringLiteral("lFehlerMeldung"));
    lMeldung->setWordWrap(true);
    lMeldung->setStyleSheet(QStringLiteral("color: #b00000"));
    lMeldung->hide();
    lbFehler = new QListWidget;
    lbFehler->setObjectName(QStringLiteral("lbFehler"));
    lbFehler->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbFehler->setMinimumHeight(40);
    btnEntfernen = new QPushButton(QStringLiteral("Entfernen"));
    btnEntfernen->setToolTip(QStringLiteral("Nimmt die gewählten Fehler heraus"));
    btnLeeren = new QPushButton(QStringLiteral("Alle entfernen"));

    auto* eingabe = new QHBoxLayout;
    eingabe->addWidget(eFehler, 1);
    eingabe->addWidget(btnHinzufuegen);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addWidget(btnEntfernen);
    knoepfe->addWidget(btnLeeren);
    knoepfe->addStretch(1);
    auto* l = new QVBoxLayout(this);
    l->addLayout(eingabe);
    l->addWidget(lMeldung);
    l->addWidget(lbFehler);
    l->addLayout(knoepfe);

    connect(eFehler, &QLineEdit::returnPressed, this, &FehlerPanel::hinzufuegen);
    connect(btnHinzufuegen, &QPushButton::clicked, this, &FehlerPanel::hinzufuegen);
    connect(btnEntfernen, &QPushButton::clicked, this, &FehlerPanel::entfernen);
    connect(btnLeeren, &QPushButton::clicked, this, &FehlerPanel::leeren);
    connect(lbFehler, &QListWidget::itemSelectionChanged, this,
            [this] { btnEntfernen->setEnabled(!lbFehler->selectedItems().isEmpty()); });
    aktualisieren();
}

void FehlerPanel::hinzufuegen()
{
    const Lesung l = lesen(eFehler->text().toStdString(), karte_.layout());
    lMeldung->setText(QString::fromStdString(l.meldung));
    lMeldung->setVisible(!l.meldung.empty());
    if (!l.meldung.empty() || l.fehler.empty())
        return;
    std::vector<Fehler> alle = karte_.fehler();
    for (const Fehler& f : l.fehler)
        if (std::find(alle.begin(), alle.end(), f) == alle.end())
            alle.push_back(f);
    karte_.setFehler(alle);
    eFehler->clear();
    aktualisieren();
}

void FehlerPanel::entfernen()
{
    std::vector<Fehler> bleiben;
    for (int i = 0; i < lbFehler->count() && std::size_t(i) < gezeigt_.size(); ++i)
        if (!lbFehler->item(i)->isSelected())
            bleiben.push_back(gezeigt_[std::size_t(i)]);
    karte_.setFehler(bleiben);
    aktualisieren();
}

void FehlerPanel::leeren()
{
    karte_.setFehler({});
    aktualisieren();
}

void FehlerPanel::aktualisieren()
{
    const std::vector<Fehler> fehler = karte_.fehler();
    const VirtualLayout layout = karte_.layout();
    const bool anders = zaehler(layout) != zaehler_;
    if (fehler == gezeigt_ && !anders && lbFehler->count() == int(fehler.size()))
        return;
    gezeigt_ = fehler;
    zaehler_ = zaehler(layout);
    lbFehler->clear();
    for (const Fehler& f : fehler)
        lbFehler->addItem(QStringLiteral("%1 – %2").arg(QString::fromStdString(text(f)), betroffenText(f, layout)));
    btnEntfernen->setEnabled(false);
    btnLeeren->setEnabled(!fehler.empty());
    markieren();
}

void FehlerPanel::markieren()
{
    const VirtualLayout layout = karte_.layout();
    std::vector<int> bloecke, hbloecke, melder, blockTaster, hblockTaster, taster1;
    std::array<std::vector<int>, 3> leds;
    for (const Fehler& f : gezeigt_) {
        for (const Stelle& s : betroffen(f, layout)) {
            std::vector<int>* ziel = nullptr;
            switch (s.element) {
            case Element::Block:
            case Element::BlockBelegt: ziel = &bloecke; break;
            case Element::HBlock:
            case Element::HBlockBelegt: ziel = &hbloecke; break;
            case Element::Melder: ziel = &melder; break;
            case Element::BlockTaster: ziel = &blockTaster; break;
            case Element::HBlockTaster: ziel = &hblockTaster; break;
            case Element::Taster1: ziel = &taster1; break;
            case Element::Led:
                for (const int n : s.nummern)
                    if (n / 1000 < 3)
                        leds[std::size_t(n / 1000)].push_back(n % 1000);
                break;
            default: break;   // turnouts and signals have no field: the list names them
            }
            if (ziel)
                ziel->insert(ziel->end(), s.nummern.begin(), s.nummern.end());
        }
    }
    auto setzen = [](auto* feld, std::vector<int>& n) {
        if (!feld)
            return;
        std::sort(n.begin(), n.end());
        n.erase(std::unique(n.begin(), n.end()), n.end());
        feld->setRahmen(std::move(n));
    };
    setzen(felder_.bloecke, bloecke);
    setzen(felder_.hbloecke, hbloecke);
    setzen(felder_.melder, melder);
    setzen(felder_.blockTaster, blockTaster);
    setzen(felder_.hblockTaster, hblockTaster);
    setzen(felder_.taster1, taster1);
    for (std::size_t k = 0; k < 3; ++k)
        setzen(felder_.leds[k], leds[k]);
}
