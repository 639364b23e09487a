// The route page: a train runs on its own along the route table, the LEDs
// assigned to blocks and detectors show occupancy, and the tables are saved,
// loaded and cleared as one set of files. The run itself is the route thread
// of the plain core (fahrt/strecke.h); the page keeps the state the thread
// reads and shows what it reports, at most 25 times a second.
#pragma once

#include "pfeil.h"
#include "strecke.h"

#include <QPushButton>
#include <QSlider>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QTimer;
class Richtungswechsel;
class SchaltListe;
class TkvxHard;

namespace strecke {

// A cell as the route thread reads it: blank is 0, otherwise a whole number
// by the program's rule, or a cell that ends a run with its text.
fahrt::Zelle zelle(const QString& text);

// What the status bar says of an element the cards do not have, e.g.
// "Block 7 gibt es nicht (Anzahl Blöcke: 4)".
QString ueberzaehligText(const fahrt::Ueberzaehlig& u);

}  // namespace strecke

class StreckePage : public QWidget {
    Q_OBJECT
public:
    explicit StreckePage(QWidget* parent = nullptr);
    ~StreckePage() override;

    // A train runs while the start button is down, and until the end of a
    // released run has been handled.
    bool zugFaehrt() const;

    // What the window's handlers do on this page.
    void tempoZeigen();                          // stTempo shows the slider
    void richtungWaehlen(bool vorwaerts);        // a second at speed 0, the arrows, a second, speed back
    bool startGeklickt(TkvxHard& kvx, const std::array<int, 3>& ledAnzahl);   // true: a run began
    // The status text of a run that began: what the cards lack, if anything.
    QString startText(const TkvxHard& kvx, const std::array<int, 3>& ledAnzahl) const;
    QString fahrtBeendet(TkvxHard& kvx);         // after the run: Start up, all blocks off; the message, if any
    bool anhalten();                             // releases Start and waits for the cycle's end

    // The three tables as one set of files: pfad names any of them (its
    // extension is dropped). Each returns the message of a failure, empty on
    // success or for an empty pfad (a cancelled dialog).
    QString tabellenSichern(const QString& pfad);
    QString tabellenLaden(const QString& pfad);
    void tabellenLoeschen();
    // The default set QJ.DST, QJ.DLB, QJ.DLM next to the program.
    QString standardLaden(const QString& programmPfad);
    // The tables as the route thread reads them now (the virtual train runs on them).
    std::shared_ptr<const fahrt::StreckenTabellen> tabellen() const
    {
        fahrt::StreckenStand stand;
        seite_.lesen(stand);
        return stand.tabellen;
    }

    // Binds the page to the window's handlers of the same names.
    template <class Fenster>
    void verbinden(Fenster* f)
    {
        connect(stTrack, &QSlider::valueChanged, f, &Fenster::stTrackChange);
        connect(stVW, &Pfeil::clicked, f, &Fenster::stVWClick);
        connect(stRW, &Pfeil::clicked, f, &Fenster::stRWClick);
        connect(stGO, &QPushButton::clicked, f, &Fenster::stGOClick);
        connect(this, &StreckePage::fahrtZuEnde, f, &Fenster::StreckenEnde);
        connect(this, &StreckePage::zyklenGemeldet, f, [f](int n) { f->setStatusText(1, QString::number(n)); });
        connect(ledSave, &QPushButton::clicked, f, &Fenster::ledSaveClick);
        connect(ledLoad, &QPushButton::clicked, f, &Fenster::ledLoadClick);
        connect(ledClear, &QPushButton::clicked, f, &Fenster::ledClearClick);
    }

    QTableWidget* gStrecke;
    QTableWidget* ledBlock;
    QTableWidget* ledMelder;
    QLabel* Label45;
    QPushButton* ledSave;
    QPushButton* ledLoad;
    QPushButton* ledClear;
    QSlider* stTrack;
    QLabel* stTempo;
    Pfeil* stVW;
    Pfeil* stRW;
    QPushButton* stGO;
    QLabel* pBl1;
    QLabel* pBl2;
    QPlainTextEdit* Memo6;
    QPlainTextEdit* Memo7;
    SchaltListe* liste;   // the switching list with its buttons

signals:
    void zyklenGemeldet(int zyklen);   // cycles of the last second
    void fahrtZuEnde();                // the thread body has returned

private:
    void tabellenUebernehmen();        // the tables, as the thread reads them, into the page state
    void geweckt();                    // the thread has something to show
    void berichtZeigen();
    void zeigen(const fahrt::StreckenNachricht& n);
    void markieren(const fahrt::Markierung& m);

    Richtungswechsel* wechsel_;
    fahrt::StreckenSeite seite_;
    fahrt::StreckenBericht bericht_;
    QTimer* anzeigeTakt_;
    bool endeGemeldet_ = false;
    std::optional<std::string> fehler_;
    fahrt::Markierung gezeigt_{};
    fahrt::StreckenThread faden_;      // last: joined before the state it uses goes
};
