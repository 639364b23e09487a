#include "melderpage.h"

#include "kvxhard.h"
#include "monitorsection.h"
#include "statistikpanel.h"

#include <QShowEvent>

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
    Statistik = new StatistikPanel({{QStringLiteral("Block"), panelB, 0},
                                    {QStringLiteral("HBlock"), panelH, HBlockNummern},
                                    {QStringLiteral("Melder"), panelM, 0}},
                                   QStringLiteral("Melderstatistik.txt"));
    stackSections(this, {panelB, panelH, panelM}, Statistik);
}

void MelderPage::anordnen(const TkvxHard& kvx)
{
    panelB->anordnen(kvx.BlockAnzahl, 0);
    panelH->anordnen(kvx.HBlockAnzahl, HBlockNummern);
    panelM->anordnen(kvx.MelderAnzahl, 0);
    Statistik->anordnen(ABlock, kvx.BlockAnzahl);
    Statistik->anordnen(AHBlock, kvx.HBlockAnzahl);
    Statistik->anordnen(AMelder, kvx.MelderAnzahl);
}

void MelderPage::abfragen(TkvxHard& kvx)
{
    int block = 0, hblock = 0, melder = 0, eingang2 = 0;
    kvx.MelderLesen(block, hblock, melder, eingang2);
    panelB->zeigen(kvx.BlockBelegt, kvx.BlockAnzahl, block, block);
    panelH->zeigen(kvx.HBlockBelegt, kvx.HBlockAnzahl, hblock, HBlockNummern + hblock);
    panelM->zeigen(kvx.MelderBelegt, kvx.MelderAnzahl, melder, melder);
    const auto jetzt = Statistik->jetzt();
    Statistik->erfassen(ABlock, kvx.BlockBelegt, kvx.BlockAnzahl, jetzt);
    Statistik->erfassen(AHBlock, kvx.HBlockBelegt, kvx.HBlockAnzahl, jetzt);
    Statistik->erfassen(AMelder, kvx.MelderBelegt, kvx.MelderAnzahl, jetzt);
}

void MelderPage::showEvent(QShowEvent* event)
{
    // A spontaneous show is the window coming back from the task bar: the
    // tick polled on meanwhile and nothing was missed.
    if (!event->spontaneous())
        Statistik->ansetzen();
    QWidget::showEvent(event);
}
