#include "textdatei.h"

#include "fileerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> dateiLesen(const QString& pfad, qint64 maxBytes, QString* grund)
{
    QString warum = readFailureReason(pfad);
    const QFileInfo info(pfad);
    if (warum.isEmpty() && info.size() > maxBytes)
        warum = QStringLiteral("Die Datei ist größer als %1 KB.").arg(maxBytes / 1024);
    QFile f(pfad);
    if (warum.isEmpty() && !f.open(QIODevice::ReadOnly))
        warum = QStringLiteral("Zugriff verweigert.");
    QByteArray inhalt;
    if (warum.isEmpty()) {
        // The file may have grown since it was looked at.
        inhalt = f.read(maxBytes + 1);
        if (inhalt.size() > maxBytes)
            warum = QStringLiteral("Die Datei ist größer als %1 KB.").arg(maxBytes / 1024);
        else if (f.error() != QFileDevice::NoError)
            warum = QStringLiteral("Die Datei kann nicht gelesen werden.");
    }
    if (!warum.isEmpty()) {
        if (grund)
            *grund = warum;
        return std::nullopt;
    }
    return inhalt;
}

bool dateiErsetzen(const QString& pfad, const QByteArray& inhalt, QString* grund)
{
    // Unbuffered: a full disk shows as a short write here. Through Qt's write
    // buffer the rest of a partly flushed buffer is dropped on close without
    // an error, and commit() would put a truncated file in place.
    QSaveFile datei(pfad);
    datei.setDirectWriteFallback(true);
    bool ok = datei.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok && datei.write(inhalt) != inhalt.size()) {
        datei.cancelWriting();
        ok = false;
    }
    if (ok)
        ok = datei.commit();
    if (!ok && grund)
        *grund = writeFailureReason(pfad, datei);
    return ok;
}
