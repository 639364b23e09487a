// The file of --protokoll: the layout log written line by line as it
// happens, each batch flushed at once, so that the file is up to date even
// if the program ends abruptly.
//
// The file is opened and written without blocking: a pipe without a reader
// is refused at once, and a pipe whose reader went away or does not keep up
// fails a write instead of holding up the program (SIGPIPE is ignored in
// main()). Any failed write ends the file; the log itself goes on.
#pragma once

#include <QFile>
#include <QString>

#include <string>
#include <vector>

class ProtokollDatei {
public:
    // Creates or empties the file. False with a German message in *fehler
    // when that is not possible.
    bool oeffnen(const QString& pfad, QString* fehler);

    // Appends the lines, each ended by a line break, and flushes. On a write
    // error the file is closed for good: false with a German message.
    bool schreiben(const std::vector<std::string>& zeilen, QString* fehler);

    bool offen() const { return datei_.isOpen(); }
    void schliessen() { datei_.close(); }

private:
    QString pfad_;
    QFile datei_;
};
