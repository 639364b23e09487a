// The window "Prüfbericht": one for all walk pages, for the whole session.
// It lists the elements marked as faulty, newest first, with the time, the
// page, the element and how it failed, and names the tested ranges; "Bericht
// speichern" writes the report as a text file (Pruefbericht::text), "Bericht
// leeren" starts it over after asking, since the whole session's report goes.
// It follows every change of the report, also while it is hidden, so that it
// shows the newest when it is opened.
#pragma once

#include "messages.h"
#include "pruefbericht.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

class PruefberichtFenster : public QWidget {
    Q_OBJECT
public:
    explicit PruefberichtFenster(QWidget* parent = nullptr);

    Pruefbericht bericht;
    QLabel* lGeprueft;                // the tested ranges by kind
    QTableWidget* gFehler;            // Zeit, Seite, Element, Befund; newest first
    QPushButton* btnBerichtSave;      // "Bericht speichern"
    QPushButton* btnBerichtClear;     // "Bericht leeren"

    // The head of the file: date, version, card counts.
    std::function<Pruefbericht::Kopf()> kopf;
    // Asks for the file to save into, proposing a name; empty when cancelled.
    std::function<QString(const QString& vorschlag)> speicherPfad;
    // Messages to the user; empty: a message box.
    MessageSink meldung;
    // Questions to the user; empty: a question box.
    QuestionSink frage;

    // Replaces the chosen file with the report; a failure is told and leaves the old file.
    void btnBerichtSaveClick();
    // Asks once, "Nein" the default; "Ja" empties the report. An empty report is not asked about.
    void btnBerichtClearClick();
    // Brings list and ranges up to date.
    void anzeigen();
    // Shows the window in front.
    void zeigen();

Q_SIGNALS:
    void geaendert();   // after every change of the report
};
