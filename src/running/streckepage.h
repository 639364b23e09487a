// The route page: a train run along a route table.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class SchaltListe;

class StreckePage : public QWidget {
public:
    explicit StreckePage(QWidget* parent = nullptr);

    // A train runs while the start button is down.
    bool zugFaehrt() const;

    QSlider* stTrack;
    QLabel* stTempo;
    QPushButton* stGO;
    SchaltListe* liste;   // the switching list with its buttons
};
