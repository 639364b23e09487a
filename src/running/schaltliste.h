// The switching list of the route page: one turnout setting per entry
// ("10G" straight, "88A" diverging), edited in a memo over the list, saved
// and loaded on its own, and worked through by "Schalten".
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TkvxHard;

namespace schaltliste {

// One entry as a pass reads it: turnout number and position (1 straight,
// 2 diverging, as WeicheStellen takes it).
struct Eintrag {
    int weiche = 0;
    std::uint8_t lage = 0;
    friend bool operator==(const Eintrag&, const Eintrag&) = default;
};

// An entry is a whole number (the program's rule, so "010G" is turnout 10)
// followed by a letter: "G" (upper case) straight, every other letter
// diverging. Blanks around the entry do not count. Nothing for anything else
// or for a turnout outside 1..weichenAnzahl.
std::optional<Eintrag> eintragLesen(QStringView text, int weichenAnzahl);

// The course of one pass, without widgets or ports: the caller looks once per
// loop pass with the time of its steady clock and does what comes back.
// A pulse ends once more than ImpulsDauer has passed since it began; the next
// entry starts once more than Abstand has passed since the last pulse ended.
// Entries that are no turnout setting are passed over at once.
class Durchlauf {
public:
    using Uhr = std::chrono::steady_clock;
    static constexpr std::chrono::microseconds ImpulsDauer{345600};
    static constexpr std::chrono::microseconds Abstand{864000};

    struct Aktion {
        enum Art { Warten, Aus, Stellen, Ende };
        Art art = Warten;
        int zeile = -1;     // Stellen: the entry's row in the list
        Eintrag eintrag;    // Stellen: what to switch
    };

    // anzahl and eintrag describe the list as it is now (it may be edited
    // during a pass); eintrag is called only for rows below anzahl.
    Aktion schritt(Uhr::time_point jetzt, int anzahl, const std::function<QString(int)>& eintrag,
                   int weichenAnzahl);

    bool impulsAn() const { return impuls_; }
    // The entries passed over so far that were not blank, in list order.
    const QStringList& uebersprungen() const { return uebersprungen_; }

private:
    int naechste_ = 0;
    bool impuls_ = false;
    Uhr::time_point beginn_{};
    std::optional<Uhr::time_point> letztesEnde_;   // none: long past
    QStringList uebersprungen_;
};

// The message after a pass that passed over entries; empty when none was.
QString uebersprungenMeldung(const QStringList& eintraege, int weichenAnzahl);

}  // namespace schaltliste

class SchaltListe : public QWidget {
public:
    explicit SchaltListe(QWidget* parent = nullptr);

    QListWidget* stList;
    QPlainTextEdit* stMemo;   // the editable copy, over the list while stEdit is down
    QPushButton* stClear;
    QPushButton* stEdit;
    QPushButton* magSave;
    QPushButton* magLoad;
    QPushButton* stSchalt;

    // The lines of the memo and of the list.
    QStringList memoZeilen() const;
    QStringList eintraege() const;

    // stEdit was clicked: down shows the memo over the list, up confirms it.
    void bearbeiten();
    // The memo's lines become the list; the memo is hidden, stEdit up.
    void uebernehmen();
    void leeren();

    // The list load: the lines of the file at pfad into the memo (none when
    // pfad is empty: the dialog was cancelled), then the memo becomes the
    // list. Returns the message of a file that cannot be read (nothing
    // changed then), else nothing.
    QString laden(const QString& pfad);
    // The default list QJ.DMA next to the program, at start.
    QString standardLaden(const QString& programmPfad);
    // The memo's lines into the stem of pfad + ".DMA"; the message on failure.
    QString sichern(const QString& pfad);

    // A pass while stSchalt is down (see Durchlauf): chains reset, every
    // entry's coil pulsed in turn with the keep-alive line toggled and window
    // messages handled between the steps; the window's start button stGO is
    // disabled meanwhile. Returns when the pass is over, with the message
    // about passed-over entries (empty when there were none). status shows
    // the text for status panel 0.
    QString schalten(TkvxHard& kvx, QAbstractButton& stGO, const std::function<void(const QString&)>& status);
    bool schaltetGerade() const { return laeuft_; }

    // Binds the panel to the window's handlers of the same names.
    template <class Fenster>
    void verbinden(Fenster* f)
    {
        QObject::connect(stEdit, &QAbstractButton::clicked, f, &Fenster::stEditClick);
        QObject::connect(stClear, &QAbstractButton::clicked, f, &Fenster::stClearClick);
        QObject::connect(stSchalt, &QAbstractButton::clicked, f, &Fenster::stSchaltClick);
        QObject::connect(magSave, &QAbstractButton::clicked, f, &Fenster::magSaveClick);
        QObject::connect(magLoad, &QAbstractButton::clicked, f, &Fenster::magLoadClick);
    }

protected:
    // Leaving the page or closing the window ends a pass.
    void hideEvent(QHideEvent* event) override;

private:
    void memoSetzen(const QStringList& zeilen);

    bool laeuft_ = false;
    QTimer* impulsWache_;   // ends a pulse that a modal dialog holds up
};
