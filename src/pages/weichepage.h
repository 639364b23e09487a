// The turnout page: select a turnout and throw it with a coil pulse.
#pragma once

#include <QWidget>

class CoilSelection;
class QLabel;
class QSlider;

class WeichePage : public QWidget {
public:
    explicit WeichePage(QWidget* parent = nullptr);

    CoilSelection* auswahl;
    QSlider* wTrack;
    QLabel* lWmin;
    QLabel* lWmax;
    QLabel* WNr;
};
