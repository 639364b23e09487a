// The "Fehler" panel of the window "Virtuelle Anlage": the wiring faults
// of the virtual card. A fault is added in the written form of the command
// line's --fehler ("tausch:block:5:6"; several at once, comma-separated),
// checked against the card counts now (a bad one gets its German message
// and nothing changes); the list shows each with the elements it touches,
// and those are framed in the window's fields. Remove takes the selected
// faults out, clear takes all.
//
// The faults live in the card; the panel follows them (set from the command
// line, too) on every refresh of the window.
#pragma once

#include "verdrahtungsfehler.h"

#include <QGroupBox>
#include <QString>

#include <array>
#include <vector>

class BlockFeld;
class LampenFeld;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class VirtualCard;

// The window's fields that can show a fault's elements.
struct FehlerFelder {
    BlockFeld* bloecke = nullptr;
    LampenFeld* hbloecke = nullptr;
    LampenFeld* melder = nullptr;
    LampenFeld* blockTaster = nullptr;
    LampenFeld* hblockTaster = nullptr;
    LampenFeld* taster1 = nullptr;
    std::array<LampenFeld*, 3> leds{};
};

// "Blöcke 5, 6", "Melder 25–88; Taster der Blockkarten 45–48".
QString betroffenText(const verdrahtung::Fehler& f, const VirtualLayout& layout);

class FehlerPanel : public QGroupBox {
    Q_OBJECT
public:
    FehlerPanel(VirtualCard& karte, const FehlerFelder& felder, QWidget* parent = nullptr);

    // Follows the card's faults and counts: the list and the frames.
    void aktualisieren();

    void hinzufuegen();   // the text field's faults
    void entfernen();     // the selected rows
    void leeren();

    QLineEdit* eFehler;
    QPushButton* btnHinzufuegen;
    QLabel* lMeldung;
    QListWidget* lbFehler;
    QPushButton* btnEntfernen;
    QPushButton* btnLeeren;

private:
    void markieren();

    VirtualCard& karte_;
    FehlerFelder felder_;
    std::vector<verdrahtung::Fehler> gezeigt_;
    std::array<int, 9> zaehler_{};   // the card counts the list and frames were made for
};
