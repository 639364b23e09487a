#include "textdatei.h"

#include "fileerror.h"

#include <QDir>
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

namespace {

QString schreibGrund(const QString& pfad, const QFileDevice& datei)
{
    const QFileInfo info(pfad);
    if (info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    if (!info.dir().exists())
        return QStringLiteral("Der Ordner wurde nicht gefunden.");
    switch (datei.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError: return QStringLiteral("Zugriff verweigert.");
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError: return QStringLiteral("Der Datenträger ist voll oder nicht beschreibbar.");
    default: return QStringLiteral("Die Datei kann nicht geschrieben werden.");
    }
}

}  // namespace

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
        *grund = schreibGrund(pfad, datei);
    return ok;
}
