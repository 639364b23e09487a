// The signal page: select a signal coil and energise it with a pulse.
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

class SignalPage : public QWidget {
public:
    explicit SignalPage(QWidget* parent = nullptr);

    CoilSelection* auswahl;
    QSlider* STrack;
    QLabel* lSmin;
    QLabel* lSmax;
    QLabel* SNr;
    QToolButton* btnISEin;
    QToolButton* btnISAus;
    QLabel* Label36;
    QLineEdit* sZeitS;
    AufAb* btnSZeit;
    QTextEdit* Memo1;
    AutomatikGruppe* automatik;   // the walk: one coil after the other

    // Energises the coil shown in SNr (chain index SNr - 1) for the time
    // shown in sZeitS; returns at once, the pulse ends by itself.
    void schalten(TkvxHard& kvx);

    // Binds the page to the window's handlers of the same names; impuls is
    // the pulse both coil pages share. A step of the walk selects the coil
    // and gives its pulse as the button does.
    template <class Fenster>
    void verbinden(Fenster* f, SpulenImpuls* impuls)
    {
        auswahl->setImpuls(impuls);
        automatik->zeigen = [this, f](int n, int) {
            STrack->setValue(n);
            f->btnISEinClick();
        };
        QObject::connect(STrack, &QSlider::valueChanged, f, &Fenster::STrackChange);
        QObject::connect(btnISEin, &QAbstractButton::clicked, f, &Fenster::btnISEinClick);
        QObject::connect(btnISAus, &QAbstractButton::clicked, f, &Fenster::btnISAusClick);
        QObject::connect(btnSZeit, &AufAb::valueChanged, f, &Fenster::btnSZeitChanging);
        QObject::connect(auswahl, &CoilSelection::mausGedrueckt, f, &Fenster::STrackMouseDown);
        QObject::connect(auswahl, &CoilSelection::meldung, f, [f](const QString& t) { f->setStatusText(0, t); });
    }
};
