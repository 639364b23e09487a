// The configuration page: card counts, the remote-control push buttons and
// the hint switch. The page holds the widgets and the field behaviour; what
// a change means for the card and the other pages is decided by the main
// window, which owns the handlers.
#pragma once

#include "configuration.h"
#include "einstellungen.h"

#include <QSpinBox>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ConfigPage : public QWidget {
    Q_OBJECT
public:
    explicit ConfigPage(QWidget* parent = nullptr);

    QSpinBox* spin(config::Karte k) const { return spins_[k]; }
    QLineEdit* feld(config::Karte k) const { return felder_[k]; }

    // Sets a card count brought into its range without running the change
    // handler; returns the value the spin edit then holds.
    int setzeKarten(config::Karte k, int value);

    // The number in a number field (element counts are whole numbers; a field
    // that holds anything else counts as 0).
    int feldWert(config::Karte k) const;

    std::array<QLineEdit*, 4> tasterFelder() const { return {tOben, tUnten, tRechts, tLinks}; }

    // Shows settings read from the file, without running change handlers.
    void zeigen(const Einstellungen& e);

    // What the page holds now. A remote field that is not a whole number
    // raises HandlerError with the conversion message.
    Einstellungen einstellungen() const;

    QLabel* Title;
    QLabel* Version;
    QLineEdit* aBytes;
    QGroupBox* gbSteuerpult;
    QLineEdit* tOben;
    QLineEdit* tUnten;
    QLineEdit* tRechts;
    QLineEdit* tLinks;
    QCheckBox* cbHints;
    QPushButton* btnReInit;
    // The web page: its address (empty: off), a new access key, keeping the
    // key from one start to the next, the address with the key and its QR code.
    QGroupBox* gbWeb;
    QLineEdit* eWeb;
    QPushButton* btnSchluessel;
    QCheckBox* cbSchluesselFest;
    QLabel* lWebAdresse;
    QLabel* lQr;
    // Where the card's lines are: ISA ports or the GPIO header. Read at the
    // start only, so a change counts from the next one, as the group says.
    QGroupBox* gbPort;
    QComboBox* cbPort;

Q_SIGNALS:
    void kartenChanged(config::Karte karte);  // a spin edit's value changed
    void tasterChanged();                      // a remote-control field changed

private:
    void portZeigen(const QString& port);

    std::array<QSpinBox*, config::KartenAnzahl> spins_{};
    QString portFremd_;   // a Port= value that is neither ISA nor GPIO, kept until the user chooses
    std::array<QLineEdit*, config::KartenAnzahl> felder_{};
};

// A card-count spin edit: a text that is empty or not a number when the field
// is left counts as the range minimum, a number outside the range is brought
// into it.
class KartenSpin : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    void fixup(QString& input) const override;
};

// Key filter of the remote-control fields: digits, signs and the decimal and
// thousands separators pass, other characters are refused with a beep; an
// empty field becomes "0" when it loses the focus.
class TasterFeldFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
    static bool zeichenErlaubt(QChar c);
};
