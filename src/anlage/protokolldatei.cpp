#include "protokolldatei.h"

#include <QDir>
#include <QFileInfo>

QString ProtokollDatei::grund() const
{
    const QFileInfo info(datei_.fileName());
    if (info.isDir())
        return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    if (!info.dir().exists())
        return QStringLiteral("Der Ordner wurde nicht gefunden.");
    if (datei_.error() == QFileDevice::WriteError || datei_.error() == QFileDevice::ResizeError)
        return QStringLiteral("Der Datenträger ist voll oder nicht beschreibbar.");
    return QStringLiteral("Zugriff verweigert.");
}

bool ProtokollDatei::oeffnen(const QString& pfad, QString* fehler)
{
    datei_.setFileName(pfad);
    if (!QFileInfo(pfad).isDir() && datei_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    if (fehler)
        *fehler = QStringLiteral("Das Anlagenprotokoll kann nicht in die Datei \"%1\" geschrieben werden. %2\n"
                                 "Das Programm läuft ohne Protokolldatei weiter.")
                      .arg(QDir::toNativeSeparators(pfad), grund());
    return false;
}

bool ProtokollDatei::schreiben(const std::vector<std::string>& zeilen, QString* fehler)
{
    if (!datei_.isOpen())
        return false;
    bool ok = true;
    for (const std::string& z : zeilen) {
        if (datei_.write(z.data(), qint64(z.size())) != qint64(z.size()) || !datei_.putChar('\n')) {
            ok = false;
            break;
        }
    }
    if (ok && datei_.flush())
        return true;
    if (fehler)
        *fehler = QStringLiteral("Das Anlagenprotokoll kann nicht weiter in die Datei \"%1\" geschrieben werden. %2\n"
                                 "Das Programm läuft ohne Protokolldatei weiter.")
                      .arg(QDir::toNativeSeparators(datei_.fileName()), grund());
    datei_.close();
    return false;
}
