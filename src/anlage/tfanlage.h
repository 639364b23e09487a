// The window "Virtuelle Anlage": what the cards of the virtual layout show,
// refreshed from the card's view (not per port write), and what the user
// makes the layout report: a click toggles the occupancy of a block, an
// auxiliary block or a detector, a push button is held while the mouse is
// down on it, and the named input patterns are one click away. Below, the
// layout log as it grows; a train can be placed in a row of the route table.
//
// The window only shows and sets inputs on the card; the refresh, the log
// and the train are driven by AnlagenBetrieb.
#pragma once

#include "anlagenbild.h"
#include "virtualcard.h"

#include <QWidget>

#include <array>
#include <string>
#include <vector>

class BlockFeld;
class LampenFeld;
class ProtokollAnsicht;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

class TfAnlage : public QWidget {
    Q_OBJECT
public:
    explicit TfAnlage(VirtualCard& karte, QWidget* parent = nullptr);

    // Takes the card's view and shows it; lays the fields out anew when the
    // card counts changed.
    void aktualisieren();
    // The log: new lines at the end; protokollSetzen replaces the whole view.
    void protokollAnhaengen(const std::vector<std::string>& zeilen);
    void protokollSetzen(const QByteArray& text);
    void zugZeigen(const QString& text);

    QLabel* lSNT;
    QLabel* lSpule;
    QLabel* lZug;
    BlockFeld* gBloecke;
    LampenFeld* gHBloecke;
    LampenFeld* gMelder;
    LampenFeld* gBlockTaster;
    LampenFeld* gHBlockTaster;
    LampenFeld* gTaster1;
    std::array<LampenFeld*, 3> gLed{};
    QPushButton* btnFrei;
    QPushButton* btnWandern;
    QPushButton* btnAlleBelegt;
    QPushButton* btnAlleTaster;
    QSpinBox* nrZugZeile;
    QPushButton* btnZugEin;
    QPushButton* btnZugAus;
    ProtokollAnsicht* mProtokoll;
    QPushButton* btnProtokollSpeichern;

signals:
    void zugEinsetzen(int zeile);
    void zugEntfernen();
    void protokollSpeichern();

private:
    using Eingabe = bool (VirtualCard::*)(int, bool);
    void umschalten(LampenFeld* feld, std::vector<std::uint8_t> VirtualCard::Ansicht::*liste, Eingabe setzen, int nr);
    void halten(LampenFeld* feld, Eingabe setzen, int nr, bool gedrueckt);
    void blockUmschalten(int b);
    void muster(VirtualCard::Pattern p);
    void anordnen();

    VirtualCard& karte_;
    VirtualCard::Ansicht ansicht_;
    anlagenbild::Bild bild_;
    QTimer* wandern_;
    int schritt_ = 0;
    bool snt_ = false;
};
