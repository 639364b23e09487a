// The file of --protokoll: the layout log written line by line as it
// happens, each batch flushed at once, so that the file is up to date even
// if the program ends abruptly.
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

private:
    QString grund() const;

    QFile datei_;
};
