// The push-button page: buttons of block cards, auxiliary-block cards and
// the two push-button chains in large grids, and below them the statistics
// of the changes.
#pragma once

#include <QWidget>

class MonitorSection;
class StatistikPanel;
class TkvxHard;

class TasterPage : public QWidget {
public:
    // The kinds of the statistics; chain 2 is not read and has none.
    enum Art { ABlock, AHBlock, ATaster1 };

    explicit TasterPage(QWidget* parent = nullptr);

    // Lays the grids out for the card's counts; a chain without cards shows
    // no grid. The statistics keep what they counted for the elements that
    // still exist, blue frames included.
    void anordnen(const TkvxHard& kvx);

    // One poll from the keep-alive tick: reads the buttons of the block cards,
    // the auxiliary-block cards and chain 1 and shows them, each group
    // numbered from 1. Chain 2 is not read and keeps its look. The statistics
    // count every change.
    void abfragen(TkvxHard& kvx);

    MonitorSection* Panel2;   // "  Block": gBTas, pBTas
    MonitorSection* Panel4;   // " HBlock": gHTas, pHTas
    MonitorSection* Panel6;   // " Taster1": gTas1, pTas1
    MonitorSection* Panel1;   // " Taster2": gTas2, pTas2
    StatistikPanel* Statistik;

protected:
    // Changes while the page was not in view are not counted.
    void showEvent(QShowEvent* event) override;
};
