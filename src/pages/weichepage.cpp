#include "weichepage.h"

#include "coilpage.h"

#include <QHBoxLayout>

WeichePage::WeichePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pWeiche"));
    auswahl = new CoilSelection(QStringLiteral("wTrack"), QStringLiteral("lWmin"), QStringLiteral("lWmax"),
                                QStringLiteral("WNr"), QStringLiteral("Weiche auswählen"), this);
    wTrack = auswahl->track;
    lWmin = auswahl->lMin;
    lWmax = auswahl->lMax;
    WNr = auswahl->nr;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(40, 20, 40, 20);
    row->addWidget(auswahl);
    row->addStretch(1);
}
