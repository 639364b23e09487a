#include "signalpage.h"

#include "kvxhard.h"

#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

SignalPage::SignalPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pSignal"));
    SpulenSeite seite;
    seite.track = QStringLiteral("STrack");
    seite.lMin = QStringLiteral("lSmin");
    seite.lMax = QStringLiteral("lSmax");
    seite.nr = QStringLiteral("SNr");
    seite.trackHint = QStringLiteral("Signal / Magnetspule auswählen");
    seite.zeitTitel = QStringLiteral("Label36");
    seite.zeit = QStringLiteral("sZeitS");
    seite.zeitKnopf = QStringLiteral("btnSZeit");
    seite.memo = QStringLiteral("Memo1");
    seite.memoZeilen = {QStringLiteral("Signal / Magnetspule mit Schiebregler "),
                        QStringLiteral("oder Mausrad einstellen und mit Schalter "),
                        QStringLiteral("oder rechter Maustaste auslösen. "),
                        QString(),
                        QStringLiteral("Die Schaltzeit kann zwischen "),
                        QStringLiteral("200 und 5000 ms gewählt werden")};
    seite.fehlt = QStringLiteral(" Magnetspule %1 gibt es nicht (Anzahl Signale: %2)");
    seite.automatik = QStringLiteral("s");
    seite.art = Pruefbericht::Art::Signal;
    auswahl = new CoilSelection(seite, this);
    STrack = auswahl->track;
    STrack->setStyleSheet(QStringLiteral("QSlider::groove:vertical { background: yellow; width: 8px; }"
                                         "QSlider::handle:vertical { background: #808080; height: 14px;"
                                         " margin: 0 -6px; }"));
    lSmin = auswahl->lMin;
    lSmax = auswahl->lMax;
    SNr = auswahl->nr;
    Label36 = auswahl->zeitTitel;
    sZeitS = auswahl->zeit;
    btnSZeit = auswahl->zeitKnopf;
    Memo1 = auswahl->memo;
    automatik = auswahl->automatik;

    btnISEin = auswahl->spulenKnopf(QStringLiteral("btnISEin"), QStringLiteral("Schalten"),
                                    QStringLiteral("Signal / Magnetspule schalten"));
    btnISAus = auswahl->ausKnopf(QStringLiteral("btnISAus"), QStringLiteral("Schaltimpuls ausschalten (automatisch)"));

    auto* seitenLayout = new QVBoxLayout(this);
    seitenLayout->setContentsMargins(0, 0, 0, 0);
    seitenLayout->addWidget(auswahl);
}

void SignalPage::schalten(TkvxHard& kvx)
{
    auswahl->impulsGeben(
        btnISEin, [&kvx](int n) { kvx.SignalStellen(static_cast<std::uint16_t>(n - 1)); },
        [&kvx] { kvx.SignalAus(); });
}
