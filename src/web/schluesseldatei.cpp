#include "schluesseldatei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace web {

namespace {

// Why a call failed, in German.
QString systemGrund(int fehler)
{
    switch (fehler) {
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert.");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("Der Datenträger ist voll.");
    case EROFS: return QStringLiteral("Das Dateisystem ist nur lesbar.");
    case EISDIR: return QStringLiteral("Dort steht ein Ordner.");
    case ELOOP: return QStringLiteral("Dort steht eine symbolische Verknüpfung, keine Datei.");
    case ENXIO: return QStringLiteral("Dort steht ein Socket, keine Datei.");
    default: return QStringLiteral("Das System meldet Fehler %1.").arg(fehler);
    }
}

// What stands at the path, when it is no file of the user's own that only
// they may read and write; empty when it is one.
QString wasDaSteht(const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("Dort steht eine symbolische Verknüpfung, keine Datei.");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("Dort steht ein Ordner, keine Datei.");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("Dort steht eine benannte Pipe (FIFO), keine Datei.");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("Dort steht ein Socket, keine Datei.");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("Dort steht eine Gerätedatei, keine gewöhnliche Datei.");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("Die Datei gehört einem anderen Benutzer.");
    if (st.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH))
        return QStringLiteral("Andere Benutzer dürfen die Datei lesen oder schreiben.");
    return {};
}

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

// Looked at without following a link, then opened without following one
// and without waiting (a FIFO would wait for a writer), and looked at again
// through what was opened.
QByteArray SchluesselDatei::lesen(QString* fehler) const
{
    const QByteArray name = QFile::encodeName(pfad_);
    const auto nein = [&](const QString& grund) {
        if (fehler)
            *fehler = QStringLiteral("Der Zugangsschlüssel in %1 gilt nicht: %2 Die Web-Seite bekommt einen neuen.")
                          .arg(pfad_, grund);
        return QByteArray();
    };
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return errno == ENOENT ? QByteArray() : nein(systemGrund(errno));
    if (const QString was = wasDaSteht(st); !was.isEmpty())
        return nein(was);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nein(systemGrund(errno));
    const auto zu = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &st) != 0)
        return nein(systemGrund(errno));
    if (const QString was = wasDaSteht(st); !was.isEmpty())
        return nein(was);
    char puffer[64];
    const ssize_t n = ::read(fd, puffer, sizeof puffer);
    if (n < 0)
        return nein(systemGrund(errno));
    const QByteArray schluessel = QByteArray(puffer, n).trimmed();
    if (!gueltig(schluessel))
        return nein(QStringLiteral("Sie enthält keinen Schlüssel aus 32 Hex-Ziffern."));
    return schluessel;
}

// A temporary file beside it, owner only from its creation, renamed over
// the path: a link there is replaced itself, never followed. Anything but a
// file of the user's own at the path is left as it is.
QString SchluesselDatei::schreiben(const QByteArray& schluessel) const
{
    const QString fehler = QStringLiteral("Der Zugangsschlüssel kann nicht in %1 gespeichert werden: %2");
    const QString ordner = QFileInfo(pfad_).absolutePath();
    if (!QDir().mkpath(ordner))
        return fehler.arg(pfad_, QStringLiteral("Der Ordner kann nicht angelegt werden."));
    const QByteArray name = QFile::encodeName(pfad_);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()))
        return fehler.arg(pfad_, wasDaSteht(st));
    QByteArray vorlage = QFile::encodeName(ordner) + "/.webschluessel-XXXXXX";
    const int fd = ::mkostemp(vorlage.data(), O_CLOEXEC);   // mode 0600
    if (fd < 0)
        return fehler.arg(pfad_, systemGrund(errno));
    bool fertig = false;
    const auto weg = qScopeGuard([&] {
        if (!fertig)
            ::unlink(vorlage.constData());
    });
    const QByteArray inhalt = schluessel + '\n';
    const bool geschrieben = ::write(fd, inhalt.constData(), size_t(inhalt.size())) == inhalt.size() && ::fsync(fd) == 0;
    const int schreibFehler = errno;
    if (::close(fd) != 0 || !geschrieben)
        return fehler.arg(pfad_, systemGrund(geschrieben ? errno : schreibFehler));
    if (::rename(vorlage.constData(), name.constData()) != 0)
        return fehler.arg(pfad_, systemGrund(errno));
    fertig = true;
    return {};
}

QString SchluesselDatei::entfernen() const
{
    if (::unlink(QFile::encodeName(pfad_).constData()) == 0 || errno == ENOENT)
        return {};
    return QStringLiteral("Der gespeicherte Zugangsschlüssel %1 kann nicht gelöscht werden: %2")
        .arg(pfad_, systemGrund(errno));
}

}  // namespace web
