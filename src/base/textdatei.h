// Small text files read and replaced in one piece: the settings file and the
// layout data files.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The whole content of a regular file of at most maxBytes bytes. Otherwise
// nothing, and *grund says why in a short German sentence ending with a full
// stop (missing, a folder or a device, too large, no access).
std::optional<QByteArray> dateiLesen(const QString& pfad, qint64 maxBytes, QString* grund);

// Replaces the file with inhalt: through a temporary file and a rename where
// the folder allows a new file, in place otherwise; the whole write is
// checked (a full disk shows as a short write). On failure the old file
// stays where the rename was possible, and *grund says why.
bool dateiErsetzen(const QString& pfad, const QByteArray& inhalt, QString* grund);

// One file of a set and its new content.
struct DateiInhalt
{
    QString pfad;
    QByteArray inhalt;
};

// Replaces all files of a set, or none: every file is first written to a
// temporary file in its folder, checked like above, and only when all of them
// were written are they renamed into place. On failure the temporary files
// are removed, the old files stay as they were, *fehlerPfad names the file
// that failed and *grund says why. There is no writing in place (a folder
// that takes no new file fails the set): a file overwritten in place could
// not be put back when a later one fails. A rename within one folder that
// fails after all were written (the folder changed meanwhile) is the one
// case that leaves the files before it replaced; none is ever cut short.
bool dateienErsetzen(const QList<DateiInhalt>& dateien, QString* fehlerPfad, QString* grund);

// dateiErsetzen with the user's message: empty when the file was written,
// else "Datei "<pfad>" kann nicht erstellt werden. <reason>".
QString dateiSichern(const QString& pfad, const QByteArray& inhalt);
