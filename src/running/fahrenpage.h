// The drive page: one train on one block, with an optional auxiliary block,
// at a chosen speed and direction, driven by the drive thread while Start is
// down.
//
// The widgets write the page state into a fahrt::FahrZustand, which the
// thread samples once per cycle; the thread never touches a widget. What it
// reports comes back as queued signals: zyklenGemeldet (at most one waiting
// at a time, so the status bar is repainted at most as often as the thread
// reports, once a second) and fahrtZuEnde.
//
// While the train runs, the group "Automatik" can walk it over the blocks:
// each beat the block moves on, and the thread powers the new one.
#pragma once

#include "automatikgruppe.h"
#include "fahren.h"
#include "pfeil.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QWidget>

#include <atomic>

class QLabel;
class QPlainTextEdit;
class Richtungswechsel;
class TkvxHard;

class FahrenPage : public QWidget {
    Q_OBJECT
public:
    explicit FahrenPage(QWidget* parent = nullptr);
    ~FahrenPage() override;

    // A train runs: Start is down, or the thread is still ending its cycle.
    bool zugFaehrt() const;

    // The logic of the window's handlers.
    void blockZeigen();                      // nrBlock moved
    void hBlockZeigen();                     // nrHBlock moved
    void tempoZeigen();                      // faTrack moved
    void hBlockUmschalten();                 // pNrHBlock clicked: auxiliary block used or not
    void richtungWaehlen(bool vorwaerts);    // an arrow clicked: speed 0 for a second, then the direction
    bool startGeklickt(TkvxHard& kvx);       // true: a run has started
    void fahrtBeendet();                     // the thread is joined; the page is idle again
    // Releases Start and waits until the thread's current cycle has ended.
    // True when a thread was running; its queued end notification is then void.
    bool anhalten();

    bool hBlockBenutzt() const { return zustand_.hBlockBenutzt; }
    const fahrt::FahrZustand& zustand() const { return zustand_; }

    QScrollBar* nrBlock;
    QLabel* pNrBlock;
    QScrollBar* nrHBlock;
    QLabel* pNrHBlock;
    QSlider* faTrack;
    QLabel* pTempo;
    Pfeil* btnVW;
    Pfeil* btnRW;
    QPushButton* btnStop;
    QPlainTextEdit* Memo5;
    AutomatikGruppe* automatik;   // the walk over the blocks, while the train runs

    // Binds the page to the window's handlers of the same names; the cycle
    // figure goes to status panel 1.
    template <class Fenster>
    void verbinden(Fenster* f)
    {
        connect(nrBlock, &QScrollBar::valueChanged, f, &Fenster::nrBlockChange);
        connect(nrHBlock, &QScrollBar::valueChanged, f, &Fenster::nrHBlockChange);
        connect(faTrack, &QSlider::valueChanged, f, &Fenster::faTrackChange);
        connect(this, &FahrenPage::pNrHBlockClicked, f, &Fenster::pNrHBlockClick);
        connect(btnVW, &Pfeil::clicked, f, &Fenster::btnVWClick);
        connect(btnRW, &Pfeil::clicked, f, &Fenster::btnRWClick);
        connect(btnStop, &QPushButton::clicked, f, &Fenster::btnStopClick);
        connect(this, &FahrenPage::fahrtZuEnde, f, &Fenster::FahrtEnde);
        connect(this, &FahrenPage::zyklenGemeldet, f, [f](int n) { f->setStatusText(1, QString::number(n)); });
    }

signals:
    void pNrHBlockClicked();
    void zyklenGemeldet(int zyklen);   // cycles of the last second
    void fahrtZuEnde();                // the thread body has returned

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void zyklenMelden(int n);     // on the drive thread
    void endeMelden(int lauf);    // on the drive thread
    void auswahlFreigeben(bool frei);

    Richtungswechsel* wechsel_;
    fahrt::FahrZustand zustand_;
    std::atomic<int> zyklenWert_{0};
    std::atomic<bool> zyklenOffen_{false};
    int lauf_ = 0;   // number of the latest run: an end notification of an older one is void
    fahrt::FahrThread thread_;   // last: joined before what it uses goes
};
