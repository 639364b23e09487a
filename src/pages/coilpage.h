// The turnout and the signal page share their frame: a vertical track bar
// selecting the coil with its range labels and the large number of the
// selection, the coil buttons with "Impuls aus" in one group, the switching
// time (typed, or stepped with its up-down control), the instructions, and
// the group "Automatik" that walks the coils. The frame also gives the pulse: for the number shown,
// for the switching time shown, through the one SpulenImpuls both pages share.
#pragma once

#include "pruefbericht.h"

#include <QWidget>

#include <functional>

class AutomatikGruppe;
class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QTextEdit;
class QToolButton;
class SpulenImpuls;

// An up-down control: two arrow buttons stepping a value within its range.
class AufAb : public QWidget {
    Q_OBJECT
public:
    AufAb(const QString& name, int minimum, int maximum, int schritt, QWidget* parent);

    int value() const { return wert_; }
    void setValue(int v);   // kept within the range
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int singleStep() const { return schritt_; }

    QToolButton* hoch;
    QToolButton* runter;

Q_SIGNALS:
    void valueChanged(int value);

private:
    int min_, max_, schritt_, wert_;
};

// Object names, hints and texts that tell the two pages apart.
struct SpulenSeite {
    QString track, lMin, lMax, nr, trackHint;
    QString zeitTitel, zeit, zeitKnopf, memo;
    QStringList memoZeilen;
    QString fehlt;   // status text when the number shown is no coil of the chain: %1 number, %2 count
    QString automatik;                            // what the object names of the walk begin with
    Pruefbericht::Art art = Pruefbericht::Art::Weiche;   // what the walk tests
};

class CoilSelection : public QWidget {
    Q_OBJECT
public:
    static constexpr int ZeitMin = 200;
    static constexpr int ZeitMax = 5000;
    static constexpr int ZeitSchritt = 10;
    static constexpr double AutomatikTakt = 2.0;   // seconds per coil of a walk at first

    CoilSelection(const SpulenSeite& seite, QWidget* parent);

    QSlider* track;
    QLabel* lMin;
    QLabel* lMax;
    QLabel* nr;
    QLabel* zeitTitel;
    QLineEdit* zeit;   // the switching time in large digits, typed and taken with Enter or on leaving
    AufAb* zeitKnopf;
    QTextEdit* memo;
    AutomatikGruppe* automatik;   // the walk; an ended walk ends the running pulse
    QButtonGroup* gruppe;
    QToolButton* btnAus = nullptr;
    SpulenImpuls* impuls = nullptr;   // shared by both pages, set by the window

    // The pulse both pages share; the walk waits for its end.
    void setImpuls(SpulenImpuls* geteilt);

    // A coil button of the group, in the button row.
    QToolButton* spulenKnopf(const QString& name, const QString& caption, const QString& hint);
    // "Impuls aus", last in the row and down at creation.
    QToolButton* ausKnopf(const QString& name, const QString& hint);

    // Range 1..count for the track bar (1..1 without cards), the top label
    // and the walk.
    void setAnzahl(int count);
    int anzahl() const { return anzahl_; }

    void nummerZeigen();   // the number panel := track bar position
    void zeitZeigen();     // the time panel := up-down position
    // A time typed into the panel: taken when it is a number of ZeitMin..ZeitMax
    // ms, else the status bar says why and the time stays as it was.
    void zeitUebernehmen();

    // The number shown, or 0 when it is no coil of the chain.
    int nummer() const;
    // The switching time shown in ms, kept within ZeitMin..ZeitMax; while a
    // time is being typed, the one before it.
    int schaltzeit() const;

    // The pulse: ein(n) for the number shown, knopf down; after the switching
    // time aus() and "Impuls aus" down. Without such a coil nothing happens
    // but the message.
    void impulsGeben(QAbstractButton* knopf, std::function<void(int n)> ein, std::function<void()> aus);

Q_SIGNALS:
    // A mouse button went down on the track bar or on the bare page; sent
    // before the track bar itself reacts to it.
    void mausGedrueckt(Qt::MouseButton button);
    void meldung(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHBoxLayout* knoepfe_;
    QString fehlt_;
    int anzahl_ = 64;
};

// The switching time as the time panel shows it, kept within the range.
int schaltzeitAusText(const QString& text);
