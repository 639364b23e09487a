#include "textdatei.h"

#include "fileerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <vector>

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

// Opens datei and writes all of inhalt. Unbuffered: a full disk shows as a
// short write here. Through Qt's write buffer the rest of a partly flushed
// buffer is dropped on close without an error, and commit() would put a
// truncated file in place.
bool ganzSchreiben(QSaveFile& datei, const QByteArray& inhalt)
{
    if (!datei.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (datei.write(inhalt) == inhalt.size())
        return true;
    datei.cancelWriting();
    return false;
}

// A folder, a device or a pipe in the file's place is never replaced: the
// rename would put a plain file where the device node was (for a process
// that may write into /dev).
QString keinErsetzbaresZiel(const QString& pfad)
{
    const QFileInfo info(pfad);
    if (!info.exists() || info.isFile())
        return {};
    if (info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    return QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.");
}

} // namespace

bool dateiErsetzen(const QString& pfad, const QByteArray& inhalt, QString* grund)
{
    if (const QString warum = keinErsetzbaresZiel(pfad); !warum.isEmpty()) {
        if (grund)
            *grund = warum;
        return false;
    }
    QSaveFile datei(pfad);
    datei.setDirectWriteFallback(true);
    const bool ok = ganzSchreiben(datei, inhalt) && datei.commit();
    if (!ok && grund)
        *grund = writeFailureReason(pfad, datei);
    return ok;
}

bool dateienErsetzen(const QList<DateiInhalt>& dateien, QString* fehlerPfad, QString* grund)
{
    // Without the direct-write fallback every open QSaveFile holds a
    // temporary file; one that is destroyed uncommitted removes it.
    std::vector<std::unique_ptr<QSaveFile>> neu;
    neu.reserve(dateien.size());
    const auto gescheitert = [&](qsizetype i) {
        if (fehlerPfad)
            *fehlerPfad = dateien[i].pfad;
        if (grund)
            *grund = writeFailureReason(dateien[i].pfad, *neu[i]);
        return false;
    };
    for (const DateiInhalt& d : dateien) {
        if (const QString warum = keinErsetzbaresZiel(d.pfad); !warum.isEmpty()) {
            if (fehlerPfad)
                *fehlerPfad = d.pfad;
            if (grund)
                *grund = warum;
            return false;
        }
    }
    for (const DateiInhalt& d : dateien) {
        neu.push_back(std::make_unique<QSaveFile>(d.pfad));
        if (!ganzSchreiben(*neu.back(), d.inhalt))
            return gescheitert(neu.size() - 1);
    }
    for (qsizetype i = 0; i < qsizetype(neu.size()); ++i) {
        if (!neu[i]->commit())
            return gescheitert(i);
    }
    return true;
}

QString dateiSichern(const QString& pfad, const QByteArray& inhalt)
{
    QString grund;
    return dateiErsetzen(pfad, inhalt, &grund) ? QString() : createErrorText(pfad, grund);
}
