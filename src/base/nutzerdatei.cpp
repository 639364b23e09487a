#include "nutzerdatei.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// errno as a German reason; the system's own text is English.
QString systemGrund(int fehler)
{
    switch (fehler) {
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("Der Datenträger ist voll.");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("Der Ordner wurde nicht gefunden.");
    case EISDIR: return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
    case ENAMETOOLONG: return QStringLiteral("Der Name ist zu lang.");
    case ELOOP: return QStringLiteral("Der Pfad führt über zu viele symbolische Verknüpfungen.");
    case EIO: return QStringLiteral("Der Datenträger meldet einen Schreibfehler.");
    default: return QStringLiteral("Die Datei kann nicht geschrieben werden (Systemfehler %1).").arg(fehler);
    }
}

QByteArray nativ(const QString& pfad)
{
    return QFile::encodeName(pfad);
}

// A new file of a name nobody has in the folder, open for writing: -1 with
// errno set when none can be made. The kernel applies the umask to 0666.
int neueDatei(const QString& ordner, QByteArray* name)
{
    for (int versuch = 0; versuch < 16; ++versuch) {
        *name = nativ(ordner) + "/.kvxtest-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// All of inhalt, then to the disk; errno set when it fails (a short write is
// a full disk).
bool ganzSchreiben(int fd, const QByteArray& inhalt)
{
    qsizetype fertig = 0;
    while (fertig < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.constData() + fertig, std::size_t(inhalt.size() - fertig));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        fertig += n;
    }
    return ::fsync(fd) == 0;
}

}  // namespace

QString nutzerdateiGrund(const QString& pfad)
{
    if (pfad.isEmpty())
        return QStringLiteral("Es wurde kein Dateiname angegeben.");
    struct stat st {};
    if (::lstat(nativ(pfad).constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("Der Name ist eine symbolische Verknüpfung (auf %1); durch Verknüpfungen schreibt "
                                  "das Programm nicht. Bitte die Datei selbst nennen.")
                .arg(QFileInfo(pfad).symLinkTarget());
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
        if (S_ISFIFO(st.st_mode))
            return QStringLiteral("Der Name bezeichnet eine Pipe (FIFO), keine gewöhnliche Datei.");
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
            return QStringLiteral("Der Name bezeichnet ein Gerät, keine gewöhnliche Datei.");
        if (S_ISSOCK(st.st_mode))
            return QStringLiteral("Der Name bezeichnet einen Socket, keine gewöhnliche Datei.");
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.");
        // A file without any write permission stays, for root too.
        if ((st.st_mode & 0222) == 0)
            return QStringLiteral("Die Datei ist schreibgeschützt.");
        if (::access(nativ(pfad).constData(), W_OK) != 0)
            return errno == EACCES ? QStringLiteral("Die Datei ist schreibgeschützt.") : systemGrund(errno);
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return systemGrund(errno);
    }
    const QString ordner = QFileInfo(pfad).absolutePath();
    struct stat so {};
    if (::stat(nativ(ordner).constData(), &so) != 0)
        return errno == ENOENT ? QStringLiteral("Den Ordner %1 gibt es nicht.").arg(ordner) : systemGrund(errno);
    if (!S_ISDIR(so.st_mode))
        return QStringLiteral("%1 ist kein Ordner.").arg(ordner);
    // The file is replaced by a new one in its folder: that must be possible.
    QByteArray probe;
    const int fd = neueDatei(ordner, &probe);
    if (fd < 0) {
        const int fehler = errno;
        return QStringLiteral("Im Ordner %1 lässt sich keine Datei anlegen: %2").arg(ordner, systemGrund(fehler));
    }
    ::close(fd);
    ::unlink(probe.constData());
    return {};
}

QString nutzerdateiSchreiben(const QString& pfad, const QByteArray& inhalt)
{
    if (const QString grund = nutzerdateiGrund(pfad); !grund.isEmpty())
        return grund;
    struct stat alt {};
    const bool ersetzt = ::lstat(nativ(pfad).constData(), &alt) == 0 && S_ISREG(alt.st_mode);
    QByteArray neu;
    const int fd = neueDatei(QFileInfo(pfad).absolutePath(), &neu);
    if (fd < 0)
        return systemGrund(errno);
    bool ok = ganzSchreiben(fd, inhalt) && (!ersetzt || ::fchmod(fd, alt.st_mode & 07777) == 0);
    int fehler = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        fehler = errno;
    }
    // rename() replaces the name itself: a link there is not followed.
    if (ok && ::rename(neu.constData(), nativ(pfad).constData()) != 0) {
        ok = false;
        fehler = errno;
    }
    if (!ok) {
        ::unlink(neu.constData());
        return systemGrund(fehler);
    }
    return {};
}
