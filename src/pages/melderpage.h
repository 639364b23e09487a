// The occupancy page: blocks, auxiliary blocks and detectors in large grids,
// each with a counter showing the element whose report changed last, and
// below them the statistics of the changes.
#pragma once

#include <QWidget>

class MonitorSection;
class StatistikPanel;
class TkvxHard;

class MelderPage : public QWidget {
public:
    // Auxiliary block h is shown as 200 + h, in the counter and the row labels.
    static constexpr int HBlockNummern = 200;
    // The kinds of the statistics.
    enum Art { ABlock, AHBlock, AMelder };

    explicit MelderPage(QWidget* parent = nullptr);

    // Lays the grids out for the card's counts (auxiliary blocks from 200 on);
    // the statistics keep what they counted for the elements that still
    // exist, blue frames included.
    void anordnen(const TkvxHard& kvx);

    // One poll from the keep-alive tick: reads the occupancy reports and shows
    // them; a counter changes only when an element of its kind changed. The
    // statistics count every change.
    void abfragen(TkvxHard& kvx);

    MonitorSection* panelB;   // "  Block": gBMel, pBMel
    MonitorSection* panelH;   // " HBlock": gHMel, pHMel
    MonitorSection* panelM;   // " Melder": gMel, pMel
    StatistikPanel* Statistik;

protected:
    // Changes while the page was not in view are not counted.
    void showEvent(QShowEvent* event) override;
};
