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

QString openErrorText(const QString& fileName, const QString& reason)
{
    const QString text = QStringLiteral("Datei %1 kann nicht geöffnet werden.").arg(fileName);
    return reason.isEmpty() ? text : text + u' ' + reason;
}

namespace {

// Why an open failed, as far as the file system tells.
QString openReason(const QString& fileName)
{
    if (QString reason = readFailureReason(fileName); !reason.isEmpty())
        return reason;
    if (!QFileInfo(fileName).isWritable())
        return QStringLiteral("Zugriff verweigert.");
    return QStringLiteral("Die Datei kann nicht geöffnet werden.");
}

} // namespace

QString fileErrorReason(const QFileDevice& file)
{
    switch (file.error()) {
    case QFileDevice::NoError:
        return QString();
    case QFileDevice::OpenError:
        return openReason(file.fileName());
    case QFileDevice::ReadError:
        return QStringLiteral("Die Datei kann nicht gelesen werden.");
    case QFileDevice::WriteError:
        return QFileInfo(file.fileName()).isDir() ? openReason(file.fileName())
                                                 : QStringLiteral("Die Datei kann nicht geschrieben werden.");
    case QFileDevice::ResourceError:
        return QStringLiteral("Der Speicherplatz reicht nicht aus.");
    case QFileDevice::AbortError:
        return QStringLiteral("Der Vorgang wurde abgebrochen.");
    case QFileDevice::TimeOutError:
        return QStringLiteral("Zeitüberschreitung beim Dateizugriff.");
    case QFileDevice::RemoveError:
        return QStringLiteral("Die Datei kann nicht gelöscht werden.");
    case QFileDevice::RenameError:
        return QStringLiteral("Die Datei kann nicht umbenannt werden.");
    case QFileDevice::PositionError:
        return QStringLiteral("Die Position in der Datei kann nicht gesetzt werden.");
    case QFileDevice::ResizeError:
        return QStringLiteral("Die Größe der Datei kann nicht geändert werden.");
    case QFileDevice::PermissionsError:
        return QStringLiteral("Die Zugriffsrechte der Datei können nicht geändert werden.");
    case QFileDevice::CopyError:
        return QStringLiteral("Die Datei kann nicht kopiert werden.");
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError:
        break;
    }
    return QStringLiteral("Unbekannter Fehler beim Dateizugriff.");
}

QString openErrorMessage(const QString& fileName, const QFileDevice& failedFile)
{
    return openErrorText(fileName, fileErrorReason(failedFile));
}
