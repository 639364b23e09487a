#include "ledpage.h"

#include "automatikgruppe.h"
#include "kvxhard.h"
#include "panels.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace {

QPushButton* kettenKnopf(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setMinimumSize(110, 40);
    return b;
}

}  // namespace

namespace led {

int anzeigeNummer(int kette, int n)
{
    return kette == 2 ? 1000 + n : kette == 3 ? 2000 + n : n;
}

}  // namespace led

LedPage::LedPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pLeds"));
    btnLed1 = kettenKnopf(QStringLiteral("btnLed1"), QStringLiteral("LED 1"), QStringLiteral("Ledkette 1 auswählen"), this);
    btnLed2 = kettenKnopf(QStringLiteral("btnLed2"), QStringLiteral("LED 2"), QStringLiteral("Ledkette 2 auswählen"), this);
    btnLed3 = kettenKnopf(QStringLiteral("btnLed3"), QStringLiteral("LED 3"), QStringLiteral("Ledkette 3 auswählen"), this);
    btnLedAus = kettenKnopf(QStringLiteral("btnLedAus"), QStringLiteral("LED AUS"),
                            QStringLiteral("Alle Leds ausschalten"), this);
    auto* gruppe = new QButtonGroup(this);
    gruppe->setExclusive(true);
    for (QPushButton* b : {btnLed1, btnLed2, btnLed3, btnLedAus})
        gruppe->addButton(b);
    btnLedAus->setChecked(true);

    ledTrack = new QSlider(Qt::Vertical, this);
    ledTrack->setObjectName(QStringLiteral("ledTrack"));
    ledTrack->setRange(1, 512);
    ledTrack->setValue(1);
    ledTrack->setToolTip(QStringLiteral("Led-Nummer auswählen"));
    ledTrack->setFocusPolicy(Qt::StrongFocus);
    ledTrack->setMinimumHeight(380);

    lLedMin = new QLabel(QStringLiteral("1"), this);
    lLedMin->setObjectName(QStringLiteral("lLedMin"));
    lLedMax = new QLabel(this);   // the chosen chain's count, none before a chain is chosen
    lLedMax->setObjectName(QStringLiteral("lLedMax"));

    LedNr = panels::numberPanel(QStringLiteral("LedNr"), QStringLiteral("0"), 64, panels::Navy, panels::Silver, this);
    LedNr->setFixedSize(230, 100);

    Memo3 = new QPlainTextEdit(this);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setReadOnly(true);
    Memo3->setFocusPolicy(Qt::NoFocus);
    Memo3->setPlainText(QStringLiteral("Led-Kette mit Taster einstellen\nLed-Nummer mit Schiebregler oder \n"
                                       "Mausrad einstellen\n\nAlle Leds mit Schalter ausschalten"));
    Memo3->setFixedSize(260, 110);

    automatik = new AutomatikGruppe(QStringLiteral("led"), Pruefbericht::Art::Led, 1.0, LedNr, ledTrack, this);
    automatik->berichtNummer = [this](int n) { return led::anzeigeNummer(gewaehlteKette(), n); };
    automatik->setBereit(false);
    automatik->setFixedWidth(260);

    auto* knoepfe = new QVBoxLayout;
    for (QPushButton* b : {btnLed1, btnLed2, btnLed3, btnLedAus})
        knoepfe->addWidget(b);
    knoepfe->addStretch(1);

    auto* track = new QVBoxLayout;
    track->addWidget(lLedMax, 0, Qt::AlignHCenter);
    track->addWidget(ledTrack, 1, Qt::AlignHCenter);
    track->addWidget(lLedMin, 0, Qt::AlignHCenter);

    auto* rechts = new QVBoxLayout;
    rechts->addWidget(LedNr);
    rechts->addSpacing(30);
    rechts->addWidget(Memo3);
    rechts->addSpacing(10);
    rechts->addWidget(automatik);
    rechts->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 20, 40, 20);
    grid->setHorizontalSpacing(60);
    grid->addLayout(knoepfe, 0, 0);
    grid->addLayout(track, 0, 1);
    grid->addLayout(rechts, 0, 2);
    grid->setColumnStretch(3, 1);
}

int LedPage::gewaehlteKette() const
{
    if (btnLed1->isChecked())
        return 1;
    if (btnLed2->isChecked())
        return 2;
    if (btnLed3->isChecked())
        return 3;
    return 0;
}

void LedPage::ketteEinstellen(int anzahl)
{
    automatik->beenden();
    anzahl_ = std::max(0, anzahl);
    {
        // The caller lights LED 1 once the track stands.
        const QSignalBlocker still(ledTrack);
        ledTrack->setRange(1, std::max(1, anzahl_));
        ledTrack->setValue(1);
    }
    ledTrack->setEnabled(anzahl_ > 0);
    lLedMax->setText(QString::number(anzahl_));
    automatik->setAnzahl(anzahl_);
    automatik->setBereit(true);
    ledTrack->setFocus();
}

void LedPage::ledZeigen(TkvxHard& kvx)
{
    const int kette = gewaehlteKette();
    if (kette == 0)
        return;
    const int n = ledTrack->value();
    LedNr->setText(QString::number(led::anzeigeNummer(kette, n)));
    automatik->auswahlFolgen(n);
    if (n <= anzahl_)
        kvx.LedKetteZeigen(kette, n);
}

void LedPage::ausWaehlen()
{
    automatik->beenden();
    automatik->setBereit(false);
    btnLedAus->setChecked(true);
    ledTrack->setEnabled(true);
    LedNr->setText(QStringLiteral("0"));
    if (btnLedAus->hasFocus())
        ledTrack->setFocus();   // the arrows move the track again, as after a chain
}

void LedPage::wheelEvent(QWheelEvent* event)
{
    if (ledTrack->isEnabled())
        QCoreApplication::sendEvent(ledTrack, event);
    else
        event->ignore();
}
