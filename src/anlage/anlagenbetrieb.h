// The virtual layout as a part of the running program: the card model (as
// the port backend, or listening beside the real ports), the layout log with
// its file, the train, and the window "Virtuelle Anlage".
//
// About 25 times a second one look: the train moves, the log takes the
// changes of the card since the last look (and the file gets them at once,
// flushed), and the window, when shown, takes the card's view. Nothing here
// runs per port write. When the program ends, after the card was switched
// off, one last look takes the final state into the log, the file and the
// window's view.
//
// Owned by the main window; the main window installs the backend this hands
// out and keeps it installed until the card component is gone.
#pragma once

#include "configuration.h"
#include "messages.h"
#include "protokolldatei.h"
#include "strecke.h"
#include "virtualcard.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

class AnlagenProtokoll;
class Mithoeren;
class PortBackend;
class QAction;
class QTimer;
class QWidget;
class TfAnlage;
class VirtuellerZug;

// The virtual layout for the card counts of the configuration page.
VirtualLayout anlageFuer(const std::array<int, config::KartenAnzahl>& karten);

class AnlagenBetrieb : public QObject {
    Q_OBJECT
public:
    static constexpr int TaktMs = 40;
    // The log kept for the window and for saving; beyond it the oldest half goes.
    static constexpr qsizetype MaxProtokoll = qsizetype(32) << 20;

    AnlagenBetrieb(QWidget* hauptfenster, MessageSink meldung);
    ~AnlagenBetrieb() override;

    // At start, for the options: the backend to install instead of echt (the
    // ports main() opened), or nullptr when neither option asks for one.
    // virtuell: the card model itself; else with a log file: the listening
    // backend over echt. The window opens once the main window shows. A log
    // file that cannot be written is told and left out.
    PortBackend* starten(bool virtuell, const QString& protokollDatei, PortBackend* echt);

    // Onto the virtual card: the backend to install from now on.
    PortBackend* umschalten();
    bool virtuell() const { return virtuell_; }

    // The card count of one kind as the configuration page has it now; the
    // model follows at once, and so does the train's occupancy.
    void kartenSetzen(config::Karte art, int anzahl);

    // Wiring faults in their written form ("tausch:block:5:6,...") onto the
    // card model, checked against its card counts now: the German message
    // when the list is bad (and nothing is set), else empty.
    QString fehlerSetzen(const QString& liste);

    // The first time beside the main window at the size that shows every
    // control (as far as the screen allows); later where and as the user left
    // it. Nothing without a card model.
    void fensterZeigen();
    void fensterSchliessen();

    // One look (the timer's handler).
    void takt();
    // At the end, after the card's outputs were switched off: the window
    // closes, the last look, the file closes.
    void beenden();

    void zugEinsetzen(int zeile);   // ends the walking occupancy, which would wipe the train's
    void zugEntfernen();
    void protokollSpeichern();

    // "Beispielanlage": on the virtual card, while beispielErlaubt, the card
    // counts raised to BeispielKarten go to beispielEinrichten, then the
    // train goes into row 1.
    void beispielAnlage();
    bool beispielMoeglich() const;
    // What the bundled sample route set QJ uses: blocks 1..5, auxiliary block
    // 201, detectors 1..10, LEDs 1..5 of chain 1, 1..15 of chain 2, 1..5 of
    // chain 3, turnouts 1 and 2 of its switching list.
    static constexpr std::array<int, config::KartenAnzahl> BeispielKarten = {3, 1, 2, 1, 0, 0, 0, 1, 1, 1};

    // The time the log's milliseconds count from.
    std::chrono::steady_clock::time_point beginn() const { return start_; }
    VirtualCard* karte() const { return karte_.get(); }
    TfAnlage* fenster() const;
    const VirtuellerZug* zug() const { return zug_.get(); }
    const QByteArray& protokoll() const { return text_; }   // every line ends with a line break

    // Keys of the main window that work in the window "Virtuelle Anlage" too
    // (Esc, "Alles aus"), given before the window first shows.
    QList<QAction*> fensterTasten;

    // The route page's table now; the train runs on its rows 1..15.
    std::function<std::shared_ptr<const fahrt::StreckenTabellen>()> streckeHolen;
    // Where "Protokoll speichern" writes to; empty: cancelled.
    std::function<QString()> speicherPfad;
    // Whether the card counts may change now (no train run, power supply off).
    std::function<bool()> beispielErlaubt;
    // The counts as if entered on the configuration page and re-initialised,
    // then the route page.
    std::function<void(const std::array<int, config::KartenAnzahl>&)> beispielEinrichten;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void modellAnlegen();
    void blick(bool letzter);
    QString zugText() const;

    QWidget* haupt_;
    MessageSink meldung_;
    std::chrono::steady_clock::time_point start_;
    std::array<int, config::KartenAnzahl> karten_{};
    bool virtuell_ = false;
    bool platziert_ = false;   // the window has had its first place
    bool beispielLaeuft_ = false;
    QTimer* takt_;
    QByteArray text_;
    ProtokollDatei datei_;
    std::shared_ptr<const fahrt::StreckenTabellen> strecke_;
    // Destroyed bottom up: the window and the train before the card they use.
    std::unique_ptr<VirtualCard> karte_;
    std::unique_ptr<Mithoeren> mithoeren_;
    std::unique_ptr<AnlagenProtokoll> protokoll_;
    std::unique_ptr<VirtuellerZug> zug_;
    QPointer<TfAnlage> fenster_;
};
