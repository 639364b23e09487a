#include "ledpage.h"

#include "panels.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

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
    lLedMax = new QLabel(QStringLiteral("64"), this);
    lLedMax->setObjectName(QStringLiteral("lLedMax"));

    LedNr = panels::numberPanel(QStringLiteral("LedNr"), QStringLiteral("0"), 64, panels::Navy, panels::Silver, this);
    LedNr->setFixedSize(230, 100);

    Memo3 = new QPlainTextEdit(this);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setReadOnly(true);
    Memo3->setPlainText(QStringLiteral("Led-Kette mit Taster einstellen\nLed-Nummer mit Schiebregler oder \n"
                                       "Mausrad einstellen\n\nAlle Leds mit Schalter ausschalten"));
    Memo3->setFixedSize(260, 110);

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
    rechts->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 20, 40, 20);
    grid->setHorizontalSpacing(60);
    grid->addLayout(knoepfe, 0, 0);
    grid->addLayout(track, 0, 1);
    grid->addLayout(rechts, 0, 2);
    grid->setColumnStretch(3, 1);
}
