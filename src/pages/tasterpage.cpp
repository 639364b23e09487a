#include "tasterpage.h"

#include "kvxhard.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "statistikpanel.h"

#include <QShowEvent>

#include <span>

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
    Statistik = new StatistikPanel({{QStringLiteral("Block"), Panel2, 0},
                                    {QStringLiteral("HBlock"), Panel4, 0},
                                    {QStringLiteral("Taster1"), Panel6, 0}},
                                   QStringLiteral("Tasterstatistik.txt"));
    stackSections(this, {Panel2, Panel4, Panel6, Panel1}, Statistik);
}

void TasterPage::anordnen(const TkvxHard& kvx)
{
    Panel2->anordnen(2 * kvx.BlockAnzahl, 0);
    Panel4->anordnen(kvx.HBlockAnzahl, 0);
    Panel6->anordnen(kvx.Taster1Anzahl, 0);
    Panel1->anordnen(kvx.Taster2Anzahl, 0);
    Panel6->grid->setVisible(kvx.Taster1Anzahl > 0);
    Panel1->grid->setVisible(kvx.Taster2Anzahl > 0);
    Statistik->anordnen(ABlock, 2 * kvx.BlockAnzahl);
    Statistik->anordnen(AHBlock, kvx.HBlockAnzahl);
    Statistik->anordnen(ATaster1, kvx.Taster1Anzahl);
}

void TasterPage::abfragen(TkvxHard& kvx)
{
    int block = 0, hblock = 0, kette1 = 0;
    kvx.TasterLesen(block, hblock, kette1);
    // Each group's part of the image, its entry 0 just before its button 1:
    // block-card buttons 1..200, auxiliary-block buttons at 200 + h, chain-1
    // buttons at 512 + k.
    const std::span<const std::uint8_t> bild(kvx.TasterZustand);
    const auto bloecke = bild.first(kvx::TasterHBlockBasis + 1);
    const auto hbloecke = bild.subspan(kvx::TasterHBlockBasis, kvx::TasterKette1Basis - kvx::TasterHBlockBasis + 1);
    const auto kette = bild.subspan(kvx::TasterKette1Basis);
    Panel2->zeigen(bloecke, 2 * kvx.BlockAnzahl, block, block);
    Panel4->zeigen(hbloecke, kvx.HBlockAnzahl, hblock, hblock);
    if (kvx.Taster1Anzahl > 0)
        Panel6->zeigen(kette, kvx.Taster1Anzahl, kette1, kette1);
    const auto jetzt = Statistik->jetzt();
    Statistik->erfassen(ABlock, bloecke, 2 * kvx.BlockAnzahl, jetzt);
    Statistik->erfassen(AHBlock, hbloecke, kvx.HBlockAnzahl, jetzt);
    Statistik->erfassen(ATaster1, kette, kvx.Taster1Anzahl, jetzt);
}

void TasterPage::showEvent(QShowEvent* event)
{
    // A spontaneous show is the window coming back from the task bar: the
    // tick polled on meanwhile and nothing was missed.
    if (!event->spontaneous())
        Statistik->ansetzen();
    QWidget::showEvent(event);
}
