// The occupancy page: blocks, auxiliary blocks and detectors in large grids.
#pragma once

#include <QWidget>

class MonitorSection;

class MelderPage : public QWidget {
public:
    explicit MelderPage(QWidget* parent = nullptr);

    MonitorSection* panelB;   // "  Block": gBMel, pBMel
    MonitorSection* panelH;   // " HBlock": gHMel, pHMel
    MonitorSection* panelM;   // " Melder": gMel, pMel
};
