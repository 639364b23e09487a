#include "fileerror.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

QString readFailureReason(const QString& fileName)
{
    if (fileName.isEmpty())
        return QStringLiteral("Es wurde kein Dateiname angegeben.");
    const QFileInfo info(fileName);
    if (info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    if (!info.exists()) {
        if (!info.dir().exists())
            return QStringLiteral("Der Ordner wurde nicht gefunden.");
        return QStringLiteral("Die Datei wurde nicht gefunden.");
    }
    if (!info.isFile())
        return QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.");
    if (!info.isReadable())
        return QStringLiteral("Zugriff verweigert.");
    return QString();
}

QString createErrorText(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(QDir::toNativeSeparators(fileName), reason);
}

QString openErrorText(const QString& fileName, const QString& reason)
{
    const QString text = QStringLiteral("Datei %1 kann nicht geöffnet werden.").arg(fileName);
    return reason.isEmpty() ? text : text + u' ' + reason;
}

QString writeFailureReason(const QString& fileName, const QFileDevice& datei)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    if (!info.dir().exists())
        return QStringLiteral("Der Ordner wurde nicht gefunden.");
    switch (datei.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError: return QStringLiteral("Zugriff verweigert.");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:   // a full disk
    case QFileDevice::ResizeError: return QStringLiteral("Der Datenträger ist voll oder nicht beschreibbar.");
    default: return QStringLiteral("Die Datei kann nicht geschrieben werden.");
    }
}
