// The turnout and the signal page share their frame: a vertical track bar
// selecting the coil, its range labels and the large number of the selection.
#pragma once

#include <QWidget>

class QLabel;
class QSlider;

class CoilSelection : public QWidget {
public:
    CoilSelection(const QString& trackName, const QString& minName, const QString& maxName, const QString& nrName,
                  const QString& hint, QWidget* parent);

    QSlider* track;
    QLabel* lMin;
    QLabel* lMax;
    QLabel* nr;

    // Range 1..count for the track bar and the top label.
    void setAnzahl(int count);
};
