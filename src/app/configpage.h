// The configuration page: card counts, the remote-control push buttons and
// the hint switch. The page holds the widgets and the field behaviour; what
// a change means for the card and the other pages is decided by the main
// window, which owns the handlers.
#pragma once

#include "configuration.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

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

Q_SIGNALS:
    void kartenChanged(config::Karte karte);  // a spin edit's value changed
    void tasterChanged();                      // a remote-control field changed

private:
    std::array<QSpinBox*, config::KartenAnzahl> spins_{};
    std::array<QLineEdit*, config::KartenAnzahl> felder_{};
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
