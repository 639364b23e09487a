#include "melderpage.h"

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
