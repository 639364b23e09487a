// The access key kept from one run to the next, so that a bookmark or a
// phone's home-screen icon keeps working: one line of 32 hex digits in a
// file only its owner may read or write (0600), replaced through a
// temporary file and a rename. Only a regular file of the user's own is
// read or replaced; a link, a folder, a FIFO, a device or another user's
// file at the path is refused with what stands there, never followed or
// waited on.
#pragma once

#include <QByteArray>
#include <QString>

namespace web {

class SchluesselDatei {
public:
    explicit SchluesselDatei(const QString& pfad) : pfad_(pfad) {}

    QString pfad() const { return pfad_; }

    // The key kept in the file; empty when there is none. A file that holds
    // no key, that others may read, or anything but a file of the user's
    // own gives an empty key and fehler says why (in German); a missing
    // file is no error.
    QByteArray lesen(QString* fehler = nullptr) const;

    // Keeps schluessel (its folder is made when missing); the error in
    // German, empty when written. A failed write leaves the old file, and
    // anything but a file of the user's own stays where it is.
    QString schreiben(const QByteArray& schluessel) const;

    // The key is kept no longer; the error, empty when the file is gone.
    QString entfernen() const;

    // 32 hex digits, as neuerSchluessel makes them.
    static bool gueltig(const QByteArray& schluessel);

private:
    QString pfad_;
};

}  // namespace web
