#include "melderpage.h"

#include "kvxhard.h"
#include "monitorsection.h"

MelderPage::MelderPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pMelder"));
    panelB = new MonitorSection(QStringLiteral("panelB"), QStringLiteral("  Block"), QStringLiteral("gBMel"),
                                QStringLiteral("pBMel"));
    panelH = new MonitorSection(QStringLiteral("panelH"), QStringLiteral(" HBlock"), QStringLiteral("gHMel"),
                                QStringLiteral("pHMel"));
    panelM = new MonitorSection(QStringLiteral("panelM"), QStringLiteral(" Melder"), QStringLiteral("gMel"),
                                QStringLiteral("pMel"));
    stackSections(this, {panelB, panelH, panelM});
}

void MelderPage::anordnen(const TkvxHard& kvx)
{
    panelB->anordnen(kvx.BlockAnzahl, 0);
    panelH->anordnen(kvx.HBlockAnzahl, HBlockNummern);
    panelM->anordnen(kvx.MelderAnzahl, 0);
}

void MelderPage::abfragen(TkvxHard& kvx)
{
    int block = 0, hblock = 0, melder = 0, eingang2 = 0;
    kvx.MelderLesen(block, hblock, melder, eingang2);
    panelB->zeigen(kvx.BlockBelegt, kvx.BlockAnzahl, block, block);
    panelH->zeigen(kvx.HBlockBelegt, kvx.HBlockAnzahl, hblock, HBlockNummern + hblock);
    panelM->zeigen(kvx.MelderBelegt, kvx.MelderAnzahl, melder, melder);
}
