#include "tasterpage.h"

#include "kvxhard.h"
#include "monitorgrid.h"
#include "monitorsection.h"

TasterPage::TasterPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pTaster"));
    Panel2 = new MonitorSection(QStringLiteral("Panel2"), QStringLiteral("  Block"), QStringLiteral("gBTas"),
                                QStringLiteral("pBTas"));
    Panel4 = new MonitorSection(QStringLiteral("Panel4"), QStringLiteral(" HBlock"), QStringLiteral("gHTas"),
                                QStringLiteral("pHTas"));
    Panel6 = new MonitorSection(QStringLiteral("Panel6"), QStringLiteral(" Taster1"), QStringLiteral("gTas1"),
                                QStringLiteral("pTas1"));
    Panel1 = new MonitorSection(QStringLiteral("Panel1"), QStringLiteral(" Taster2"), QStringLiteral("gTas2"),
                                QStringLiteral("pTas2"));
    stackSections(this, {Panel2, Panel4, Panel6, Panel1});
}

void TasterPage::anordnen(const TkvxHard& kvx)
{
    Panel2->anordnen(2 * kvx.BlockAnzahl, 0);
    Panel4->anordnen(kvx.HBlockAnzahl, 0);
    Panel6->anordnen(kvx.Taster1Anzahl, 0);
    Panel1->anordnen(kvx.Taster2Anzahl, 0);
    Panel6->grid->setVisible(kvx.Taster1Anzahl > 0);
    Panel1->grid->setVisible(kvx.Taster2Anzahl > 0);
}
