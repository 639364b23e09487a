// Turning a train round from the drive or the route page: the speed slider
// goes to 0, a second later the arrows and the direction change, a second
// later the slider goes back to the speed it had.
//
// Clicks while a change is under way do not start a second one: the last
// click wins. One that comes before the arrows have changed only changes
// where they will point; one that comes later stops the train again for a
// second and turns it once more. A speed the user sets during the change is
// the speed the change ends with. Each wait is a Pause of its own, so a
// click handled inside a wait never ends it early.
#pragma once

#include <QObject>

#include <functional>

class Pfeil;
class QSlider;

class Richtungswechsel : public QObject {
    Q_OBJECT
public:
    // setzen gives the page's running state the new direction.
    Richtungswechsel(QSlider* regler, Pfeil* vorwaerts, Pfeil* rueckwaerts, std::function<void(bool)> setzen,
                     QObject* parent = nullptr);

    // The handler of both arrows; returns when the change is done, or at once
    // when it was handed to a change under way.
    void waehlen(bool vorwaerts);

    bool laeuft() const { return laeuft_; }

private:
    void regler(int wert);   // the slider set by the change, not by the user

    QSlider* regler_;
    Pfeil* vw_;
    Pfeil* rw_;
    std::function<void(bool)> setzen_;
    bool laeuft_ = false;
    bool ziel_ = true;       // where the last click points
    int tempo_ = 0;          // the speed the change ends with
    bool eigen_ = false;     // the slider is being moved by the change
};
