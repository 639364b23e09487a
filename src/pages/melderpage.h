// The occupancy page: blocks, auxiliary blocks and detectors in large grids,
// each with a counter showing the element whose report changed last.
#pragma once

#include <QWidget>

class MonitorSection;
class TkvxHard;

class MelderPage : public QWidget {
public:
    // Auxiliary block h is shown as 200 + h, in the counter and the row labels.
    static constexpr int HBlockNummern = 200;

    explicit MelderPage(QWidget* parent = nullptr);

    // Lays the grids out for the card's counts (auxiliary blocks from 200 on).
    void anordnen(const TkvxHard& kvx);

    // One poll from the keep-alive tick: reads the occupancy reports and shows
    // them; a counter changes only when an element of its kind changed.
    void abfragen(TkvxHard& kvx);

    MonitorSection* panelB;   // "  Block": gBMel, pBMel
    MonitorSection* panelH;   // " HBlock": gHMel, pHMel
    MonitorSection* panelM;   // " Melder": gMel, pMel
};
