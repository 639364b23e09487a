// The input statistics below the grids of a monitoring page: the elements
// that changed most often since the last reset, with their count and the time
// of their last change, in two halves side by side (places 1 to 5 on the left,
// 6 to 10 on the right) so that a low strip shows all ten; "Zurücksetzen"
// clears counts and marks, "Statistik speichern" writes them to a text file.
//
// The page feeds every image it reads from the keep-alive tick; the counting
// is EingangsStatistik's. A flickering element gets its mark on the grid of its
// section at once; the list follows at most four times a second.
//
// The file, TAB-separated, lines ending in LF like the other texts the
// program writes:
//
//     Art<TAB>Nummer<TAB>Wechsel<TAB>Letzter Wechsel<TAB>Flackert
//     Melder<TAB>17<TAB>12<TAB>14:03:07.120<TAB>ja
//
// one line per element that changed, by kind and number; the number as the
// page shows it, the time of day to the millisecond, "ja" for an element
// with the blue frame, otherwise "nein".
#pragma once

#include "eingangsstatistik.h"
#include "messages.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class MonitorSection;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTime;
class QTimer;

class StatistikPanel : public QWidget {
public:
    // A kind of element: its name in the list and the file, the section that
    // shows it, and what is added to its number when it is shown (auxiliary
    // block h on the occupancy page is 200 + h).
    struct Art {
        QString name;
        MonitorSection* section = nullptr;
        int nummernBasis = 0;
    };

    static constexpr int ListenZeilen = 10;     // elements in the list
    static constexpr int HalbeZeilen = ListenZeilen / 2;   // rows of the table: two halves
    static constexpr int AnzeigeAbstandMs = 250;  // the list follows at most this often

    // dateiName: the name the save dialog proposes.
    StatistikPanel(std::vector<Art> arten, const QString& dateiName, QWidget* parent = nullptr);

    // Kind art (index into the kinds) now has anzahl elements. The elements it
    // keeps keep their counts and marks (the grid, laid out anew, gets its
    // marks back); the ones it drops are forgotten.
    void anordnen(int art, int anzahl);
    // The page comes into view: what changed meanwhile is not counted.
    void ansetzen() { statistik.ansetzen(); }

    // The time of a poll, from uhr.
    EingangsStatistik::Zeitpunkt jetzt() const;
    // One image of kind art from the poll at zeit: counts, marks the elements
    // that start to flicker, and has the list brought up to date soon.
    void erfassen(int art, std::span<const std::uint8_t> bild, int anzahl, EingangsStatistik::Zeitpunkt zeit);

    // Brings the list up to date now.
    void listeZeigen();
    // The cell of place 0..ListenZeilen-1 of the list in column 0..3 (Art,
    // Nummer, Wechsel, Letzter Wechsel); nullptr while the place is empty.
    QTableWidgetItem* zelle(int platz, int spalte) const;
    // "Zurücksetzen": counts, times, marks and the list cleared.
    void btnStatResetClick();
    // "Statistik speichern": asks for the file with speicherPfad and replaces
    // it; a failure is told through meldung and leaves the old file.
    void btnStatSaveClick();

    // The file's content for the counts now.
    QByteArray dateiText() const;

    // The clock of the polls; empty: the steady clock.
    std::function<EingangsStatistik::Zeitpunkt()> uhr;
    // Asks for the file to save into, proposing a name; empty when cancelled.
    std::function<QString(const QString& vorschlag)> speicherPfad;
    // Messages to the user; empty: a message box.
    MessageSink meldung;

    EingangsStatistik statistik;
    QTableWidget* gStatistik;
    QPushButton* btnStatReset;   // "Zurücksetzen"
    QPushButton* btnStatSave;    // "Statistik speichern"

private:
    QTime uhrzeit(EingangsStatistik::Zeitpunkt t) const;   // time of day of a poll
    void markenZeigen(int art);   // the grid's marks as the statistic has them

    std::vector<Art> arten_;
    QString dateiName_;
    QTimer* anzeigeTakt_;
    std::vector<EingangsStatistik::Eintrag> rangliste_;   // kept for its memory
};
