#include "fileerror.h"

#include <QDir>
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

QString openErrorText(const QString& fileName, const QString& reason)
{
    const QString text = QStringLiteral("Datei %1 kann nicht geöffnet werden.").arg(fileName);
    return reason.isEmpty() ? text : text + u' ' + reason;
}
