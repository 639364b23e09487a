#include "dateiorte.h"

#include "configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

// The installed data folder seen from the installed program's folder; the
// build sets it from the install layout (bin/ -> share/kvxtest).
#ifndef KVX_DATEN_RELATIV
#define KVX_DATEN_RELATIV "../share/kvxtest"
#endif

namespace {

const QString Stamm = QStringLiteral("QJ");
const QString HilfeName = QStringLiteral("ReadMe.rtf");

QString mitTrenner(const QString& ordner)
{
    return ordner.endsWith(u'/') ? ordner : ordner + u'/';
}

QString eigenerUnterordner(const QString& gegeben, QStandardPaths::StandardLocation ort)
{
    const QString basis = gegeben.isEmpty() ? QStandardPaths::writableLocation(ort) : gegeben;
    return mitTrenner(QDir::cleanPath(basis + QStringLiteral("/kvxtest")));
}

void anlegen(const QString& ordner)
{
    // A failure shows later, in the message of the file that cannot be written.
    QDir().mkpath(ordner);
}

// name in ordner; when only another spelling of it lies there (readme.rtf),
// that one.
QString imOrdner(const QDir& ordner, const QString& name)
{
    if (!ordner.exists(name)) {
        // Name filters compare without regard to case.
        const QStringList gefunden = ordner.entryList({name}, QDir::Files | QDir::Hidden);
        if (!gefunden.isEmpty())
            return ordner.absoluteFilePath(gefunden.first());
    }
    return ordner.absoluteFilePath(name);
}

}  // namespace

Dateiorte::Dateiorte(const QString& programmPfad, const Benutzer& benutzer)
    : programm_(mitTrenner(programmPfad))
    , installiert_(mitTrenner(QDir::cleanPath(programm_ + QStringLiteral(KVX_DATEN_RELATIV))))
    , konfiguration_(eigenerUnterordner(benutzer.konfiguration, QStandardPaths::GenericConfigLocation))
    , daten_(eigenerUnterordner(benutzer.daten, QStandardPaths::GenericDataLocation))
{
    // A program folder that does not exist is no installation: the settings
    // file is looked for there all the same, and its write fails with a message.
    const QString ini = programm_ + QString::fromLatin1(config::IniName);
    eigenerOrdner_ = !QFileInfo(programm_).isDir()
                     || (!installierterOrt(programm_)
                         && (beschreibbar(programm_) || (QFileInfo(ini).isFile() && beschreibbar(ini))));
}

QString Dateiorte::iniDatei() const
{
    if (eigenerOrdner_)
        return programm_ + QString::fromLatin1(config::IniName);
    anlegen(konfiguration_);
    return konfiguration_ + QString::fromLatin1(config::IniName);
}

QStringList Dateiorte::standardSuche() const
{
    if (eigenerOrdner_)
        return {programm_};
    QStringList orte{daten_, programm_, installiert_};
    orte.removeDuplicates();
    return orte;
}

QString Dateiorte::standardOrdner(const QString& endung) const
{
    const QStringList orte = standardSuche();
    for (const QString& ort : orte)
        if (QFileInfo::exists(ort + Stamm + endung))
            return ort;
    return orte.last();
}

QString Dateiorte::dialogOrdner() const
{
    if (eigenerOrdner_)
        return programm_;
    anlegen(daten_);
    return daten_;
}

QString Dateiorte::hilfeDatei() const
{
    const QString hier = imOrdner(QDir::current(), HilfeName);
    if (QFileInfo::exists(hier))
        return hier;
    const QString installiert = imOrdner(QDir(installiert_), HilfeName);
    return QFileInfo::exists(installiert) ? installiert : hier;
}

bool Dateiorte::installierterOrt(const QString& ordner)
{
    const QFileInfo info(ordner);
    const QString echt = info.canonicalFilePath();
    if (echt == QLatin1String("/usr") || echt.startsWith(QLatin1String("/usr/")))
        return true;
#ifdef Q_OS_UNIX
    return info.ownerId() != geteuid();
#else
    return false;
#endif
}

bool Dateiorte::beschreibbar(const QString& pfad)
{
#ifdef Q_OS_UNIX
    // access() alone would ask with the real user's rights, and root keeps
    // its permitted capabilities there.
    return faccessat(AT_FDCWD, QFile::encodeName(pfad).constData(), W_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(pfad).isWritable();
#endif
}
