// The settings file: whatever KVXTEST.INI holds, it reads without a fault, and
// what the program writes into it reads back beside all that was there.
//
// Input: the file's bytes; after the last NUL byte, if there is one, the
// entries to write, one a line, "section TAB key TAB value" in UTF-8. Without
// them every name the file seems to hold gets a new value, and one new key in
// a new section is added. Checked:
//  - a file of at most 64 KB is read;
//  - a write that fails leaves the file as it was, byte for byte;
//  - after a write a fresh read gives every value written (the last one of a
//    name written twice, trimmed) and every other name's value as before;
//  - writing the same entries again changes no byte.
#include "fuzzqt.h"
#include "pruefen.h"
#include "profile.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>

namespace {

// No value read holds a line break.
const QString Fehlt = QStringLiteral("\n");

// The program writes some fifteen entries at a time; each is looked up line
// by line, so thousands of them would only make the fuzzer slow.
constexpr qsizetype MaxNamen = 64;

QByteArray inhalt(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("\n<nicht lesbar>");
}

QString text(const QByteArray& bytes)
{
    const QString t = QString::fromUtf8(bytes);
    return t.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : t;
}

// The names a settings file seems to hold, found roughly: a wrong guess is
// just one more name that must read the same before and after.
QList<ProfileFile::Entry> namenIn(const QByteArray& datei)
{
    QList<ProfileFile::Entry> namen;
    QString abschnitt;
    for (const QByteArray& roh : datei.split('\n')) {
        const QByteArray zeile = roh.trimmed();
        if (zeile.startsWith('[')) {
            abschnitt = text(zeile.mid(1, zeile.indexOf(']') < 0 ? -1 : zeile.indexOf(']') - 1));
        } else if (const qsizetype gleich = zeile.indexOf('=');
                   gleich > 0 && !zeile.startsWith(';') && !zeile.startsWith('#')) {
            namen.append({abschnitt, text(zeile.left(gleich)), {}});
        }
    }
    return namen;
}

bool gleicherName(const ProfileFile::Entry& a, const ProfileFile::Entry& b)
{
    return a.section.trimmed().compare(b.section.trimmed(), Qt::CaseInsensitive) == 0
        && a.key.trimmed().compare(b.key.trimmed(), Qt::CaseInsensitive) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qtEinrichten();
    static QTemporaryDir ordner;
    const QString pfad = ordner.filePath(QStringLiteral("KVXTEST.INI"));
    const QByteArray daten(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype trenner = daten.lastIndexOf('\0');
    const QByteArray datei = trenner < 0 ? daten : daten.left(trenner);

    QList<ProfileFile::Entry> eintraege;
    QList<ProfileFile::Entry> namen = namenIn(datei);
    if (trenner >= 0) {
        for (const QByteArray& zeile : daten.mid(trenner + 1).split('\n')) {
            const QList<QByteArray> teile = zeile.split('\t');
            eintraege.append({QString::fromUtf8(teile.value(0)), QString::fromUtf8(teile.value(1)),
                              QString::fromUtf8(teile.value(2))});
        }
    } else {
        for (qsizetype i = 0; i < std::min(namen.size(), MaxNamen); ++i) {
            const ProfileFile::Entry& n = namen[i];
            if (!n.section.trimmed().isEmpty() && !n.section.contains(u'\r') && !n.key.contains(u'\r'))
                eintraege.append({n.section, n.key, QStringLiteral("w%1").arg(i)});
        }
        eintraege.append({QStringLiteral("Neu"), QStringLiteral("Wert"), QStringLiteral(" 1 ")});
    }
    eintraege.resize(std::min(eintraege.size(), MaxNamen));
    namen.resize(std::min(namen.size(), MaxNamen));
    namen += eintraege;

    {
        QFile f(pfad);
        pruefen(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(datei) == datei.size(),
                "the input is written to the scratch file");
    }
    ProfileFile ini(pfad);
    pruefen(datei.size() > 64 * 1024 || ini.loadErrorMessage().isEmpty(), "a file of at most 64 KB is read");
    QStringList vorher;
    for (const ProfileFile::Entry& n : namen)
        vorher.append(ini.readString(n.section, n.key, Fehlt));

    if (!ini.writeAll(eintraege)) {
        pruefen(inhalt(pfad) == datei, "a failed write leaves the file as it was");
        return 0;
    }
    ProfileFile neu(pfad);
    for (qsizetype i = 0; i < namen.size(); ++i) {
        QString erwartet = vorher[i];
        for (const ProfileFile::Entry& e : eintraege) {
            if (gleicherName(e, namen[i]))
                erwartet = e.value.trimmed();
        }
        pruefen(neu.readString(namen[i].section, namen[i].key, Fehlt) == erwartet,
                "a fresh read gives what was written and what was there");
    }
    const QByteArray geschrieben = inhalt(pfad);
    pruefen(neu.writeAll(eintraege) && inhalt(pfad) == geschrieben, "writing the same entries again changes nothing");
    return 0;
}
