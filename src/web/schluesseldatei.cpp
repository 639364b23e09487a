#include "schluesseldatei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace web {

namespace {

constexpr QFileDevice::Permissions NurBesitzer = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions Andere = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                            | QFileDevice::ReadOther | QFileDevice::WriteOther;

}  // namespace

bool SchluesselDatei::gueltig(const QByteArray& schluessel)
{
    if (schluessel.size() != 32)
        return false;
    for (const char c : schluessel)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

QByteArray SchluesselDatei::lesen(QString* fehler) const
{
    QFile f(pfad_);
    if (!f.exists())
        return {};
    const auto nein = [&](const QString& grund) {
        if (fehler)
            *fehler = QStringLiteral("Der Zugangsschlüssel in %1 gilt nicht: %2 Die Web-Seite bekommt einen neuen.")
                          .arg(pfad_, grund);
        return QByteArray();
    };
    if (f.permissions() & Andere)
        return nein(QStringLiteral("Andere Benutzer dürfen die Datei lesen oder schreiben."));
    if (!f.open(QIODevice::ReadOnly))
        return nein(f.errorString() + u'.');
    const QByteArray schluessel = f.read(64).trimmed();
    if (!gueltig(schluessel))
        return nein(QStringLiteral("Sie enthält keinen Schlüssel aus 32 Hex-Ziffern."));
    return schluessel;
}

QString SchluesselDatei::schreiben(const QByteArray& schluessel) const
{
    const QString fehler = QStringLiteral("Der Zugangsschlüssel kann nicht in %1 gespeichert werden: %2");
    if (!QDir().mkpath(QFileInfo(pfad_).absolutePath()))
        return fehler.arg(pfad_, QStringLiteral("Der Ordner kann nicht angelegt werden."));
    QSaveFile f(pfad_);
    // Owner only before the key is in it: the temporary file, and through
    // the rename the file itself.
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(NurBesitzer) || f.write(schluessel + '\n') < 0
        || !f.commit())
        return fehler.arg(pfad_, f.errorString());
    return {};
}

QString SchluesselDatei::entfernen() const
{
    QFile f(pfad_);
    if (!f.exists() || f.remove())
        return {};
    return QStringLiteral("Der gespeicherte Zugangsschlüssel %1 kann nicht gelöscht werden: %2")
        .arg(pfad_, f.errorString());
}

}  // namespace web
