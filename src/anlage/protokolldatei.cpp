#include "protokolldatei.h"

#include "fileerror.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ohneDatei(const QString& anfang, const QString& pfad, const QString& grund)
{
    return anfang.arg(QDir::toNativeSeparators(pfad)) + u' ' + grund
        + QStringLiteral("\nDas Programm läuft ohne Protokolldatei weiter.");
}

// Why the file could not be opened, from the error of open(2).
QString oeffnenGrund(const QString& pfad, int fehlerNr, const QFileDevice& datei)
{
    if (fehlerNr == ENXIO) {   // nobody at the other end
        struct stat st {};
        if (::stat(QFile::encodeName(pfad).constData(), &st) == 0 && S_ISFIFO(st.st_mode))
            return QStringLiteral("Aus der Pipe liest kein Programm.");
        return QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.");
    }
    if (fehlerNr == EACCES || fehlerNr == EPERM || fehlerNr == EROFS)
        return QStringLiteral("Zugriff verweigert.");
    return writeFailureReason(pfad, datei);   // a folder in its place, a missing folder
}

}  // namespace

bool ProtokollDatei::oeffnen(const QString& pfad, QString* fehler)
{
    pfad_ = pfad;
    const int fd = ::open(QFile::encodeName(pfad).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    const int fehlerNr = errno;
    if (fd >= 0 && datei_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return true;
    if (fd >= 0)
        ::close(fd);
    if (fehler)
        *fehler = ohneDatei(QStringLiteral("Das Anlagenprotokoll kann nicht in die Datei \"%1\" geschrieben werden."),
                            pfad, oeffnenGrund(pfad, fd >= 0 ? 0 : fehlerNr, datei_));
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
    // The reason before closing: close() clears the file's error.
    if (fehler)
        *fehler = ohneDatei(
            QStringLiteral("Das Anlagenprotokoll kann nicht weiter in die Datei \"%1\" geschrieben werden."), pfad_,
            writeFailureReason(pfad_, datei_));
    datei_.close();
    return false;
}
