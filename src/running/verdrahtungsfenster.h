// The window "Verdrahtung prüfen": the wiring check without eyes (inputs at
// rest, and on request the blocks one by one) with progress and the time
// left, and the guided check of one input group, with the number the person
// presses next shown large. The findings are listed and go into the test
// report.
//
// Every run is a worker thread (pruefung::pruefen, pruefung::eingabenLaufen)
// that pulses the keep-alive line itself; the window reads its progress from
// atomics and gets its end and the guided inputs by queued calls. Stop, Esc
// (the main window's "Alles aus") and closing the window or the program end a
// run: the worker switches every output off, the window joins it.
//
// The guided check is driven by the window's buttons and, through the same
// functions, by the web page: one check, shown in both; stand() is what the
// page shows of it.
#pragma once

#include "fuehrung.h"
#include "pruefung.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class Pruefbericht;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class TkvxHard;

class VerdrahtungsFenster : public QWidget {
    Q_OBJECT
public:
    VerdrahtungsFenster(TkvxHard& kvx, QWidget* parent = nullptr);
    ~VerdrahtungsFenster() override;

    // Where the findings go; none: only the list.
    Pruefbericht* bericht = nullptr;
    // Why no run may start now (a train runs, ...); empty: it may.
    std::function<QString()> gesperrt;
    // A run begins (true: the keep-alive tick must stop, the worker pulses)
    // and has ended (false: the supply as before, unless netzteilAbgeschaltet()).
    std::function<void(bool)> laufAenderung;
    // The last run ended with the supply switched off on purpose (power that
    // no output switches off): it must stay off until switched on again.
    bool netzteilAbgeschaltet() const { return netzteilAus_; }
    // Cycle time and cycles of the runs; tests shorten them.
    pruefung::Zeiten zeiten;

    QCheckBox* cbBloecke;          // the block check after the rest
    QPushButton* btnStart;         // "Start"
    QPushButton* btnStop;          // "Stop"
    QWidget* wBestaetigen;         // the question before the blocks get power
    QPushButton* btnJa;            // "Ja, Blöcke einschalten"
    QPushButton* btnNein;          // "Abbrechen"
    QProgressBar* pbFortschritt;
    QLabel* lRest;                 // "noch 1:23"
    QLabel* lStatus;
    QListWidget* lwBefunde;        // one line per finding, hints after them
    QComboBox* cbGruppe;           // the group of the guided check
    QPushButton* btnEingaben;      // "Eingaben prüfen"
    QLabel* lErwartet;             // the number pressed next, large
    QLabel* lKam;                  // what the last press brought
    QPushButton* btnNichts;        // "Nichts kam"
    QPushButton* btnZurueck;       // "Zurück": the last press taken back
    QPushButton* btnFertig;        // "Fertig"

    void btnStartClick();
    void btnJaClick();
    void btnNeinClick();
    void btnEingabenClick();
    void btnNichtsClick();
    void btnZurueckClick();
    void btnFertigClick();
    // Stop, Esc: the run ends within a cycle, every output off.
    void stoppen();
    bool laeuft() const { return thread_.joinable(); }

    // The guided check as its buttons and the web page drive it. Each says
    // what it wants, and returns why not (German); empty when it was done or
    // is so already, so that a repeat is harmless.
    QString eingabenStarten(verdrahtung::Element gruppe);
    QString nichtsKam(int nr);   // nr: the number the person was shown
    QString zurueck(int nr);     // "Zurück"; nr: the number the person was shown
    QString eingabenBeenden();   // "Fertig"

    // What the window shows of its runs.
    struct Stand {
        bool laeuft = false;     // any run, or its end on the way
        bool gefuehrt = false;   // the guided check takes presses
        bool zurueck = false;    // a press (or a held answer) can be taken back
        bool frage = false;      // the question before the blocks is open
        verdrahtung::Element gruppe = verdrahtung::Element::Melder;
        int erwartet = 0;        // the number pressed next; 0: none
        int anzahl = 0;
        QString kam;             // what the last press brought
        bool kamFalsch = false;  // not the number expected
        QString status;
        QStringList befunde;     // of the last run
    };
    Stand stand() const;

Q_SIGNALS:
    void beendet();   // a run has ended and its findings are shown

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pruefenStarten(bool bloecke);
    bool threadStarten(const char* was);
    void laufEnde(const pruefung::Ergebnis& e, const QString& pruefung);
    void ruheDa(const pruefung::RuheBild& ruhe);
    void eingabeKam(const std::vector<int>& eingaenge);
    void kamZeigen(const QString& text, bool falsch);
    void eingabenEnde();
    void fuehrungZeigen();
    void fortschrittZeigen();
    void knoepfeZeigen();
    void beenden();   // stop and join

    TkvxHard& kvx_;
    std::thread thread_;
    pruefung::Steuerung steuerung_;
    QTimer* anzeige_;
    QElapsedTimer uhr_;
    std::unique_ptr<pruefung::Fuehrung> fuehrung_;
    bool fuehrungRuhe_ = false;   // the guided check reads the inputs at rest first
    std::optional<pruefung::Ergebnis> gefuehrt_;
    bool netzteilAus_ = false;   // "Fertig": the guided findings, shown at the worker's end
    QString gefuehrtText_;
    bool aktiv_ = false;   // a run was started and its end not yet shown
    enum class Lauf { Keiner, Ruhe, Bloecke, Eingaben } lauf_ = Lauf::Keiner;
    bool kamFalsch_ = false;
};
