// The window "Virtuelle Anlage": what the cards of the virtual layout show,
// refreshed from the card's view (not per port write), and what the user
// makes the layout report: a click toggles the occupancy of a block, an
// auxiliary block or a detector, a push button is held while the mouse is
// down on it, and the named input patterns are one click away (a pattern
// replaces all inputs, so it takes the train off first; the walking
// occupancy ends when the window is closed). Below, the layout log as it
// grows; a train can be placed in a row of the route table, and
// "Beispielanlage" sets up the cards of the sample route set. The panel
// "Fehler" sets the card's wiring faults and frames what they touch.
//
// The window only shows and sets inputs on the card; the refresh, the log,
// the train and the sample layout are driven by AnlagenBetrieb.
#pragma once

#include "anlagenbild.h"
#include "virtualcard.h"

#include <QWidget>

#include <array>
#include <string>
#include <vector>

class BlockFeld;
class FehlerPanel;
class LampenFeld;
class ProtokollAnsicht;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;

// Where a window of size groesse opens beside the main window haupt (frame
// geometries) within the free screen area frei: right of it, else left of
// it, else as far right as the screen allows; never off the screen.
QPoint fensterPlatz(const QRect& haupt, const QSize& groesse, const QRect& frei);

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
    // The size that shows every control for the card counts now laid out
    // without scrolling (the log at its own size below).
    QSize volleGroesse() const;
    // That size within the free screen area frei (room left for the frame),
    // unless the user has given the window a size of his own; then nothing.
    // Done at the first show and whenever the card counts change.
    void groesseFolgen(const QRect& frei);

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
    QPushButton* btnBeispiel;
    QSpinBox* nrZugZeile;
    QPushButton* btnZugEin;
    QPushButton* btnZugAus;
    FehlerPanel* pFehler;   // the wiring faults, beside the log
    ProtokollAnsicht* mProtokoll;
    QPushButton* btnProtokollSpeichern;

signals:
    void zugEinsetzen(int zeile);
    void zugEntfernen();
    void protokollSpeichern();
    void beispielAnlage();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    using Eingabe = bool (VirtualCard::*)(int, bool);
    void umschalten(LampenFeld* feld, std::vector<std::uint8_t> VirtualCard::Ansicht::*liste, Eingabe setzen, int nr);
    void halten(LampenFeld* feld, Eingabe setzen, int nr, bool gedrueckt);
    void blockUmschalten(int b);
    void muster(VirtualCard::Pattern p);
    bool anordnen();   // true: a field has a new count

    VirtualCard& karte_;
    QScrollArea* rollen_;
    QWidget* innen_;
    VirtualCard::Ansicht ansicht_;
    anlagenbild::Bild bild_;
    QTimer* wandern_;
    int schritt_ = 0;
    bool snt_ = false;
    QSize gesetzt_;   // the size groesseFolgen gave last; invalid before the first
    bool anpassen_ = false;   // counts changed since groesseFolgen
};
