// The LED page: one LED of one of the three LED chains at a time.
#pragma once

#include <QWidget>

class AutomatikGruppe;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class TkvxHard;

namespace led {

// The number shown for LED n of chain 1..3: n, 1000 + n, 2000 + n.
int anzeigeNummer(int kette, int n);

}  // namespace led

class LedPage : public QWidget {
public:
    explicit LedPage(QWidget* parent = nullptr);

    QPushButton* btnLed1;
    QPushButton* btnLed2;
    QPushButton* btnLed3;
    QPushButton* btnLedAus;
    QSlider* ledTrack;
    QLabel* LedNr;
    QLabel* lLedMin;
    QLabel* lLedMax;
    QPlainTextEdit* Memo3;
    AutomatikGruppe* automatik;   // the walk over the chosen chain

    // The chain whose button is down: 1..3, 0 while "LED AUS" is down.
    int gewaehlteKette() const;

    // A chain of anzahl LEDs was chosen: the track runs 1..anzahl from 1 and
    // takes the focus, the top label shows the count. A chain without LEDs
    // keeps the track at 1..1, disabled. A walk ends; the next one runs
    // over this chain.
    void ketteEinstellen(int anzahl);

    // Shows the number of the LED at the track position and lights it on the
    // chosen chain, which must have been cleared before. With "LED AUS" down
    // nothing changes; on a chain without LEDs only the number shows.
    void ledZeigen(TkvxHard& kvx);

    // All off: "0", "LED AUS" down, the track free to move (with the focus,
    // when the button had it); a walk ends.
    void ausWaehlen();

protected:
    // The wheel moves the track wherever the mouse is on the page.
    void wheelEvent(QWheelEvent* event) override;

private:
    int anzahl_ = 0;   // LEDs of the chosen chain
};
