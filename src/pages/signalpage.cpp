#include "signalpage.h"

#include "coilpage.h"

#include <QHBoxLayout>
#include <QSlider>

SignalPage::SignalPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pSignal"));
    auswahl = new CoilSelection(QStringLiteral("STrack"), QStringLiteral("lSmin"), QStringLiteral("lSmax"),
                                QStringLiteral("SNr"), QStringLiteral("Signal / Magnetspule auswählen"), this);
    STrack = auswahl->track;
    STrack->setStyleSheet(QStringLiteral("QSlider::groove:vertical { background: yellow; width: 8px; }"
                                         "QSlider::handle:vertical { background: #808080; height: 14px;"
                                         " margin: 0 -6px; }"));
    lSmin = auswahl->lMin;
    lSmax = auswahl->lMax;
    SNr = auswahl->nr;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(40, 20, 40, 20);
    row->addWidget(auswahl);
    row->addStretch(1);
}
