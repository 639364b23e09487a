// The signal page: select a signal coil and energise it with a pulse.
#pragma once

#include <QWidget>

class CoilSelection;
class QLabel;
class QSlider;

class SignalPage : public QWidget {
public:
    explicit SignalPage(QWidget* parent = nullptr);

    CoilSelection* auswahl;
    QSlider* STrack;
    QLabel* lSmin;
    QLabel* lSmax;
    QLabel* SNr;
};
