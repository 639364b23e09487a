// The turnout page: select a turnout and throw it with a coil pulse.
#pragma once

#include "automatikgruppe.h"
#include "coilpage.h"

#include <QLineEdit>
#include <QObject>
#include <QSlider>
#include <QString>
#include <QToolButton>

class QLabel;
class QTextEdit;
class SpulenImpuls;
class TkvxHard;

class WeichePage : public QWidget {
public:
    enum Lage { Gerade = 1, Abzweigend = 2 };   // as WeicheStellen takes it

    explicit WeichePage(QWidget* parent = nullptr);

    CoilSelection* auswahl;
    QSlider* wTrack;
    QLabel* lWmin;
    QLabel* lWmax;
    QLabel* WNr;
    QToolButton* btnWg;
    QToolButton* btnWa;
    QToolButton* btnIAus;
    QLabel* Label35;
    QLineEdit* sZeit;
    AufAb* btnWZeit;
    QTextEdit* Memo2;
    AutomatikGruppe* automatik;   // the walk: each turnout straight, then diverging

    // Throws the turnout shown in WNr to lage for the time shown in sZeit;
    // returns at once, the pulse ends by itself.
    void stellen(TkvxHard& kvx, Lage lage);

    // Binds the page to the window's handlers of the same names; impuls is
    // the pulse both coil pages share. A step of the walk selects the turnout
    // and gives the pulse of its position as the buttons do.
    template <class Fenster>
    void verbinden(Fenster* f, SpulenImpuls* impuls)
    {
        auswahl->setImpuls(impuls);
        automatik->zeigen = [this, f](int n, int lage) {
            wTrack->setValue(n);
            if (lage == 0)
                f->btnWgClick();
            else
                f->btnWaClick();
        };
        QObject::connect(wTrack, &QSlider::valueChanged, f, &Fenster::wTrackChange);
        QObject::connect(btnWg, &QAbstractButton::clicked, f, &Fenster::btnWgClick);
        QObject::connect(btnWa, &QAbstractButton::clicked, f, &Fenster::btnWaClick);
        QObject::connect(btnIAus, &QAbstractButton::clicked, f, &Fenster::btnIAusClick);
        QObject::connect(btnWZeit, &AufAb::valueChanged, f, &Fenster::btnWZeitChanging);
        QObject::connect(auswahl, &CoilSelection::mausGedrueckt, f, &Fenster::wTrackMouseDown);
        QObject::connect(auswahl, &CoilSelection::meldung, f, [f](const QString& t) { f->setStatusText(0, t); });
    }
};
