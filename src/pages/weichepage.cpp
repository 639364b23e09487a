#include "weichepage.h"

#include "kvxhard.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The symbol of a turnout lying the given way: the route it is set to drawn
// bold, the other one thin and gray.
QIcon weichenSymbol(bool abzweigend)
{
    QPixmap bild(48, 32);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen fett(Qt::black, 5, Qt::SolidLine, Qt::RoundCap);
    const QPen duenn(QColor(128, 128, 128), 2, Qt::SolidLine, Qt::RoundCap);
    const QLineF stamm(4, 26, 16, 26), gerade(16, 26, 44, 26), abzweig(16, 26, 42, 6);
    p.setPen(abzweigend ? duenn : fett);
    p.drawLine(gerade);
    p.setPen(abzweigend ? fett : duenn);
    p.drawLine(abzweig);
    p.setPen(fett);
    p.drawLine(stamm);
    return QIcon(bild);
}

}  // namespace

WeichePage::WeichePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pWeiche"));
    SpulenSeite seite;
    seite.track = QStringLiteral("wTrack");
    seite.lMin = QStringLiteral("lWmin");
    seite.lMax = QStringLiteral("lWmax");
    seite.nr = QStringLiteral("WNr");
    seite.trackHint = QStringLiteral("Weiche auswählen");
    seite.zeitTitel = QStringLiteral("Label35");
    seite.zeit = QStringLiteral("sZeit");
    seite.zeitKnopf = QStringLiteral("btnWZeit");
    seite.memo = QStringLiteral("Memo2");
    seite.memoZeilen = {QStringLiteral("Weiche mit Schiebregler oder "),
                        QStringLiteral("Mausrad einstellen und mit Schalter "),
                        QStringLiteral("oder Maustasten auslösen. "),
                        QString(),
                        QStringLiteral("Die Schaltzeit kann zwischen "),
                        QStringLiteral("200 und 5000 ms gewählt werden")};
    seite.fehlt = QStringLiteral(" Weiche %1 gibt es nicht (Anzahl Weichen: %2)");
    seite.automatik = QStringLiteral("w");
    seite.art = Pruefbericht::Art::Weiche;
    auswahl = new CoilSelection(seite, this);
    wTrack = auswahl->track;
    lWmin = auswahl->lMin;
    lWmax = auswahl->lMax;
    WNr = auswahl->nr;
    Label35 = auswahl->zeitTitel;
    sZeit = auswahl->zeit;
    btnWZeit = auswahl->zeitKnopf;
    Memo2 = auswahl->memo;
    automatik = auswahl->automatik;

    btnWg = auswahl->spulenKnopf(QStringLiteral("btnWg"), QString(), QStringLiteral("Weiche gerade stellen"));
    btnWg->setIcon(weichenSymbol(false));
    btnWg->setAccessibleName(QStringLiteral("gerade"));
    btnWa = auswahl->spulenKnopf(QStringLiteral("btnWa"), QString(), QStringLiteral("Weiche abzweigend stellen"));
    btnWa->setIcon(weichenSymbol(true));
    btnWa->setAccessibleName(QStringLiteral("abzweigend"));
    btnIAus = auswahl->ausKnopf(QStringLiteral("btnIAus"), QStringLiteral("Weichenimpuls aus (automatisch)"));

    auto* seitenLayout = new QVBoxLayout(this);
    seitenLayout->setContentsMargins(0, 0, 0, 0);
    seitenLayout->addWidget(auswahl);
}

void WeichePage::stellen(TkvxHard& kvx, Lage lage)
{
    auswahl->impulsGeben(
        lage == Abzweigend ? btnWa : btnWg,
        [&kvx, lage](int n) { kvx.WeicheStellen(static_cast<std::uint16_t>(n), static_cast<std::uint8_t>(lage)); },
        [&kvx] { kvx.WeicheAus(); });
}
