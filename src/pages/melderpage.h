// The occupancy page: blocks, auxiliary blocks and detectors in large grids.
#pragma once

#include <QWidget>

class MonitorSection;
class TkvxHard;

class MelderPage : public QWidget {
public:
    explicit MelderPage(QWidget* parent = nullptr);

    // Lays the grids out for the card's counts (auxiliary blocks from 200 on).
    void anordnen(const TkvxHard& kvx);

    MonitorSection* panelB;   // "  Block": gBMel, pBMel
    MonitorSection* panelH;   // " HBlock": gHMel, pHMel
    MonitorSection* panelM;   // " Melder": gMel, pMel
};
