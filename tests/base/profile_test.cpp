// Settings file (ProfileFile) and the German file-error texts.
#include "fileerror.h"
#include "ohnevorrecht.h"
#include "profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

constexpr int kDefault = -7;

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A layout owner's file: comments, a foreign section, odd key spelling, CRLF.
const QByteArray kRealistic =
    "; KVX-Test Einstellungen\r\n"
    "\r\n"
    "[Karten]\r\n"
    "BLOCK = 12\r\n"
    "HilfsBlock=4\r\n"
    "; Melderkarten kommen noch\r\n"
    "\r\n"
    "[Fremd]\r\n"
    "Irgendwas=abc\r\n"
    "[Taster]\r\n"
    "Oben=513\r\n";

bool writeOne(ProfileFile& profile, const QString& section, const QString& key, const QString& value)
{
    return profile.writeAll({{section, key, value}});
}

} // namespace

class ProfileTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
        QDir(m_dir.path()).rmdir("KVXTEST.INI");
    }
    void readValue_data();
    void readValue();
    void lookup_data();
    void lookup();
    void firstWriteCreatesFile();
    void write_data();
    void write();
    void writeAllKeys();
    void refusedNamesWriteNothing();
    void failedWriteKeepsFile_data();
    void failedWriteKeepsFile();
    void diskFullKeepsFile();
    void junkDoesNotCrash_data();
    void junkDoesNotCrash();
    void byteOrderMark();
    void writeKeepsToTheSizeBound_data();
    void writeKeepsToTheSizeBound();
    void notRead_data();
    void notRead();
    void writeInPlaceWhereNoNewFile();
    void readFailureText_data();
    void readFailureText();

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("KVXTEST.INI"); }
};

// How a value is read as an integer: a whole number (ganzezahl.h) counts,
// anything else gives the default. The rule itself is tested with the
// configuration rules; here the values come from the file.
void ProfileTest::readValue_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("42") << 42;
    QTest::newRow("blanks around") << QByteArray("  42\t") << 42;
    QTest::newRow("plus") << QByteArray("+5") << 5;
    QTest::newRow("minus") << QByteArray("-12") << -12;
    QTest::newRow("hex") << QByteArray("0X1f") << 31;
    QTest::newRow("negative hex") << QByteArray("-0x10") << -16;
    QTest::newRow("dollar hex") << QByteArray("$7f") << 127;
    QTest::newRow("trailing letters") << QByteArray("12abc") << kDefault;
    QTest::newRow("exponent") << QByteArray("1e3") << kDefault;
    QTest::newRow("0x alone") << QByteArray("0x") << kDefault;
    QTest::newRow("0x and no hex digit") << QByteArray("0xg") << kDefault;
    QTest::newRow("int max") << QByteArray("2147483647") << INT_MAX;
    QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN;
    QTest::newRow("above int") << QByteArray("2147483648") << kDefault;
    QTest::newRow("hex above int") << QByteArray("0x80000000") << kDefault;
    QTest::newRow("overflow with junk") << QByteArray("99999999999abc") << kDefault;
    QTest::newRow("letters") << QByteArray("abc") << kDefault;
    QTest::newRow("empty") << QByteArray("") << kDefault;
    QTest::newRow("blank after sign") << QByteArray("- 5") << kDefault;
    QTest::newRow("arabic digit") << QByteArray("\xd9\xa3") << kDefault;
}

void ProfileTest::readValue()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    putFile(path(), "[Karten]\r\nBlock=" + value + "\r\n");
    QCOMPARE(ProfileFile(path()).readInt("Karten", "Block", kDefault), expected);
}

void ProfileTest::lookup_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("case") << QByteArray("[KARTEN]\nblock=3\n") << "Karten" << "BLOCK" << 3;
    QTest::newRow("blanks in file") << QByteArray("  [ Karten ]  \n  Block  =  3  \n") << "Karten" << "Block" << 3;
    QTest::newRow("crlf, no final newline") << QByteArray("[Karten]\r\nBlock=3") << "Karten" << "Block" << 3;
    QTest::newRow("other section") << QByteArray("[Taster]\nBlock=3\n[Karten]\nMelder=2\n") << "Karten" << "Block" << kDefault;
    QTest::newRow("before any section") << QByteArray("Block=3\n[Karten]\n") << "Karten" << "Block" << kDefault;
    QTest::newRow("comments") << QByteArray("[Karten]\n;Block=3\n # Block=4\n") << "Karten" << "Block" << kDefault;
    QTest::newRow("longer key") << QByteArray("[Karten]\nBlockX=3\n") << "Karten" << "Block" << kDefault;
    QTest::newRow("first of two") << QByteArray("[Karten]\nBlock=3\nblock=4\n") << "Karten" << "Block" << 3;
    QTest::newRow("section twice") << QByteArray("[Karten]\nMelder=1\n[Taster]\n[karten]\nBlock=5\n") << "Karten" << "Block" << 5;
    QTest::newRow("no closing bracket") << QByteArray("[Karten\nBlock=3\n") << "Karten" << "Block" << 3;
    QTest::newRow("=value without key") << QByteArray("[Karten]\n=3\nBlock=4\n") << "Karten" << "Block" << 4;
    QTest::newRow("latin-1 name") << QByteArray("[\xc4nderung]\nN=3\n") << QString::fromUtf8("änderung") << "n" << 3;
    QTest::newRow("utf-8 name") << QByteArray("[\xc3\x84nderung]\nN=3\n") << QString::fromUtf8("änderung") << "n" << 3;
}

void ProfileTest::lookup()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, expected);
    putFile(path(), content);
    QCOMPARE(ProfileFile(path()).readInt(section, key, kDefault), expected);
}

void ProfileTest::firstWriteCreatesFile()
{
    ProfileFile profile(path());
    QCOMPARE(profile.readInt("Karten", "Block", 1), 1);
    QVERIFY(!QFile::exists(path()));
    QVERIFY(writeOne(profile, "Karten", "Block", "1"));
    QVERIFY(writeOne(profile, "Karten", "Melder", "2"));
    QCOMPARE(fileBytes(path()), QByteArray("[Karten]\r\nBlock=1\r\nMelder=2\r\n"));
}

// One key written into an existing file; the whole file is compared.
void ProfileTest::write_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");
    QByteArray replaced = kRealistic;
    replaced.replace("BLOCK = 12", "BLOCK = 20");
    QTest::newRow("replace, keep spelling") << kRealistic << "karten" << "block" << "20" << replaced;
    QByteArray appended = kRealistic;
    appended.replace("HilfsBlock=4\r\n", "HilfsBlock=4\r\nMelder=3\r\n");
    QTest::newRow("append after last key") << kRealistic << "Karten" << "Melder" << "3" << appended;
    QTest::newRow("new section") << kRealistic << "Sonstiges" << "Hints" << "1"
                                 << kRealistic + "\r\n[Sonstiges]\r\nHints=1\r\n";
    QTest::newRow("LF stays LF") << QByteArray("[Karten]\nBlock=1\n") << "Taster" << "Oben" << "5"
                                 << QByteArray("[Karten]\nBlock=1\n\n[Taster]\nOben=5\n");
    QTest::newRow("unterminated last line") << QByteArray("[Karten]\r\nBlock=1") << "Karten" << "Melder" << "2"
                                            << QByteArray("[Karten]\r\nBlock=1\r\nMelder=2\r\n");
    QTest::newRow("section without keys") << QByteArray("[Karten]\n[Taster]\nOben=1\n") << "Karten" << "Block" << "2"
                                          << QByteArray("[Karten]\nBlock=2\n[Taster]\nOben=1\n");
    QTest::newRow("mixed endings, latin-1 kept")
        << QByteArray("; Gr\xfc\xdf""e\n[Karten]\r\nBlock=1\n") << "Karten" << "Block" << "7"
        << QByteArray("; Gr\xfc\xdf""e\n[Karten]\r\nBlock=7\n");
    // New text is UTF-8, which always reads back as written.
    QTest::newRow("latin-1 that is utf-8") << QByteArray("[K]\n") << "K" << "N" << "Ã¤" << QByteArray("[K]\nN=\xc3\x83\xc2\xa4\n");
    QTest::newRow("umlaut") << QByteArray("[K]\n") << "K" << "N" << "ä" << QByteArray("[K]\nN=\xc3\xa4\n");
    QTest::newRow("beyond latin-1") << QByteArray("[K]\n") << "K" << "N" << "€" << QByteArray("[K]\nN=\xe2\x82\xac\n");
}

void ProfileTest::write()
{
    QFETCH(QByteArray, original);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    putFile(path(), original);
    ProfileFile profile(path());
    QVERIFY(writeOne(profile, section, key, value));
    QCOMPARE(fileBytes(path()), expected);
    QCOMPARE(profile.readString(section, key), value);
    QCOMPARE(ProfileFile(path()).readString(section, key), value);
}

// The configuration page writes its 15 keys in one go.
void ProfileTest::writeAllKeys()
{
    putFile(path(), kRealistic);
    ProfileFile profile(path());
    QList<ProfileFile::Entry> entries;
    const char* cards[] = {"Block", "HilfsBlock", "Melder", "Weichen", "Signale",
                           "Taster1", "Taster2", "Leds1", "Leds2", "Leds3"};
    for (const char* key : cards)
        entries.append({"Karten", key, "1"});
    for (const char* key : {"Oben", "Unten", "Rechts", "Links"})
        entries.append({"Taster", key, "0"});
    entries.append({"Sonstiges", "Hints", "1"});
    QVERIFY(profile.writeAll(entries));
    QCOMPARE(fileBytes(path()),
             QByteArray("; KVX-Test Einstellungen\r\n\r\n[Karten]\r\nBLOCK = 1\r\nHilfsBlock=1\r\n"
                        "Melder=1\r\nWeichen=1\r\nSignale=1\r\nTaster1=1\r\nTaster2=1\r\nLeds1=1\r\n"
                        "Leds2=1\r\nLeds3=1\r\n; Melderkarten kommen noch\r\n\r\n[Fremd]\r\n"
                        "Irgendwas=abc\r\n[Taster]\r\nOben=0\r\nUnten=0\r\nRechts=0\r\nLinks=0\r\n"
                        "\r\n[Sonstiges]\r\nHints=1\r\n"));
}

void ProfileTest::refusedNamesWriteNothing()
{
    putFile(path(), kRealistic);
    ProfileFile profile(path());
    QVERIFY(!writeOne(profile, "Karten", "a=b", "1"));
    QVERIFY(!writeOne(profile, "Kar]ten", "Block", "1"));
    QVERIFY(!writeOne(profile, "Karten", "", "1"));
    QVERIFY(!writeOne(profile, "Karten", "Block", "1\r\n[X]"));
    // a refused entry in a batch stops the whole batch
    QVERIFY(!profile.writeAll({{"Karten", "Block", "1"}, {"", "Block", "1"}}));
    QCOMPARE(fileBytes(path()), kRealistic);
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), 12);
}

void ProfileTest::failedWriteKeepsFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder missing") << QStringLiteral("fehlt/KVXTEST.INI");
    QTest::newRow("name is a folder") << QStringLiteral("ordner");
}

void ProfileTest::failedWriteKeepsFile()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("ordner");
    putFile(dir.filePath("ordner/inhalt.txt"), "bleibt");
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    ProfileFile profile(dir.filePath(target));
    QVERIFY(!writeOne(profile, "Karten", "Block", "3"));
    QVERIFY(!profile.writeAll({{"Karten", "Block", "3"}, {"Taster", "Oben", "1"}}));
    QCOMPARE(profile.writeErrorMessage(),
             "In " + QDir::toNativeSeparators(dir.filePath(target)) + " kann nicht geschrieben werden");
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(fileBytes(dir.filePath("ordner/inhalt.txt")), QByteArray("bleibt"));
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), kDefault);
}

// Tests run as root, where permission bits do not stop a write; a file-size
// limit makes the disk "full" instead.
void ProfileTest::diskFullKeepsFile()
{
#ifdef Q_OS_UNIX
    putFile(path(), kRealistic);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    ProfileFile profile(path());
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = rlim_t(kRealistic.size());
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeOne(profile, "Karten", "Block", QString(200, u'9'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(fileBytes(path()), kRealistic);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), 12);
    QVERIFY(writeOne(profile, "Karten", "Block", "13")); // space again
#else
    QSKIP("needs a file-size limit");
#endif
}

void ProfileTest::junkDoesNotCrash_data()
{
    QTest::addColumn<QByteArray>("junk");
    QByteArray all;
    for (int i = 0; i < 1024; ++i)
        all.append(char(i * 7 % 256));
    QTest::newRow("all bytes") << all;
    QTest::newRow("NUL bytes") << QByteArray(100, '\0');
    QTest::newRow("60 KB line") << QByteArray(60 << 10, 'x');
    QTest::newRow("60 KB key") << QByteArray(60 << 10, 'k') + "=1";
    QTest::newRow("lone bracket") << QByteArray("[");
    QTest::newRow("empty names") << QByteArray("[]\n=\n==\n]]]\n");
    QTest::newRow("lone CRs") << QByteArray("\r\r\r");
    QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe[\xc3]\n\xc3=\xc3\n");
}

void ProfileTest::junkDoesNotCrash()
{
    QFETCH(QByteArray, junk);
    putFile(path(), junk);
    ProfileFile profile(path());
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), kDefault);
    QVERIFY(writeOne(profile, "Karten", "Block", "5"));
    QVERIFY(fileBytes(path()).startsWith(junk));
    QCOMPARE(ProfileFile(path()).readInt("Karten", "Block", kDefault), 5);
}

// Editors put a UTF-8 byte-order mark in front; it must not hide the first
// section, and it stays in front when the file is written back.
void ProfileTest::byteOrderMark()
{
    const QByteArray bom("\xef\xbb\xbf");
    putFile(path(), bom + "[Karten]\r\nBlock=7\r\n");
    ProfileFile profile(path());
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), 7);
    QVERIFY(profile.writeAll({{"Karten", "Block", "8"}, {"Karten", "Melder", "2"}}));
    QCOMPARE(fileBytes(path()), bom + "[Karten]\r\nBlock=8\r\nMelder=2\r\n");

    putFile(path(), bom);
    ProfileFile onlyBom(path());
    QVERIFY(writeOne(onlyBom, "Karten", "Block", "1"));
    QCOMPARE(fileBytes(path()), bom + "[Karten]\r\nBlock=1\r\n");
}

// The program never writes a file it would refuse at the next start; a write
// beyond the bound leaves the file as it was.
void ProfileTest::writeKeepsToTheSizeBound_data()
{
    QTest::addColumn<int>("added");
    QTest::newRow("grows to 64 KB") << 36;
    QTest::newRow("grows to 64 KB + 1") << 37;
    QTest::newRow("settings added to 65,500 bytes") << 169;
}

void ProfileTest::writeKeepsToTheSizeBound()
{
    QFETCH(int, added);
    const QByteArray original = "; " + QByteArray(65500 - 23, 'x') + "\r\n[Karten]\r\nBlock=3\r\n";
    putFile(path(), original);
    ProfileFile profile(path());
    const bool fits = original.size() + added <= 64 * 1024;
    QCOMPARE(writeOne(profile, "Karten", "Melder", QString(added - 9, u'7')), fits); // "Melder=" and CRLF
    QCOMPARE(ProfileFile(path()).readInt("Karten", "Block", kDefault), 3);
    QCOMPARE(fileBytes(path()) == original, !fits);
    if (!fits)
        QCOMPARE(profile.writeErrorMessage(), "Die Einstellungsdatei " + QDir::toNativeSeparators(path())
                     + " würde größer als 64 KB und wird nicht geschrieben; sie bleibt, wie sie war.");
}

// Files that are not read: they read as empty, are never written and say why.
void ProfileTest::notRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("64 KB is read") << "64 KB" << QString();
    QTest::newRow("larger than 64 KB") << "64 KB + 1" << "ist größer als 64 KB und wird nicht gelesen";
    QTest::newRow("folder") << "folder" << "ist keine gewöhnliche Datei und wird nicht gelesen";
#ifdef Q_OS_UNIX
    QTest::newRow("link to /dev/zero") << "/dev/zero" << "ist keine gewöhnliche Datei und wird nicht gelesen";
    QTest::newRow("named pipe") << "fifo" << "ist keine gewöhnliche Datei und wird nicht gelesen";
    QTest::newRow("no read permission") << "0200" << "kann nicht gelesen werden";
#endif
}

void ProfileTest::notRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    // Short lines: a long file of them once took seconds and gigabytes.
    QByteArray content = "[Karten]\nBlock=3\n";
    content += QByteArray(64 * 1024 - content.size(), '\n');
    if (kind == "64 KB + 1")
        content += '\n';
    if (kind == "folder")
        QVERIFY(QDir(m_dir.path()).mkdir("KVXTEST.INI"));
#ifdef Q_OS_UNIX
    else if (kind == "/dev/zero")
        QVERIFY(QFile::link("/dev/zero", path()));
    else if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path()).constData(), 0644), 0);
#endif
    else
        putFile(path(), content);
    if (kind == "0200")
        QVERIFY(QFile::setPermissions(path(), QFile::WriteOwner));
    const OhneVorrecht permissionsCount;
    if (kind == "0200" && QFile(path()).open(QIODevice::ReadOnly))
        QSKIP("permission bits are not enforced here");

    ProfileFile profile(path());
    const bool read = why.isEmpty();
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), read ? 3 : kDefault);
    QCOMPARE(profile.loadErrorMessage(),
             read ? QString()
                  : "Die Einstellungsdatei " + QDir::toNativeSeparators(path()) + ' ' + why
                        + "; es gelten die Vorgaben.");
    QCOMPARE(writeOne(profile, "Karten", "Block", "4"), read);
    if (kind == "0200")
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
    if (!read && QFileInfo(path()).isFile())
        QCOMPARE(fileBytes(path()), content);
    if (kind == "folder")
        QVERIFY(QDir(path()).isEmpty());
}

// A shared installation: the file may be written, its folder takes no new
// file, so there is no room for a temporary file beside it.
void ProfileTest::writeInPlaceWhereNoNewFile()
{
#ifdef Q_OS_UNIX
    const QString folder = m_dir.filePath("geteilt");
    QVERIFY(QDir(m_dir.path()).mkdir("geteilt"));
    const QString file = folder + "/KVXTEST.INI";
    putFile(file, kRealistic);
    QCOMPARE(chmod(QFile::encodeName(file).constData(), 0644), 0);
    QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    bool written = false;
    bool enforced = false;
    {
        const OhneVorrecht permissionsCount;
        QFile probe(folder + "/probe");
        enforced = !probe.open(QIODevice::WriteOnly);
        ProfileFile profile(file);
        written = profile.writeAll({{"Karten", "Block", "20"}, {"Karten", "Melder", "3"}});
    }
    QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0755), 0);
    if (!enforced)
        QSKIP("permission bits are not enforced here");
    QVERIFY(written);
    QByteArray expected = kRealistic;
    expected.replace("BLOCK = 12\r\nHilfsBlock=4\r\n", "BLOCK = 20\r\nHilfsBlock=4\r\nMelder=3\r\n");
    QCOMPARE(fileBytes(file), expected);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"KVXTEST.INI"});
#else
    QSKIP("needs POSIX permissions");
#endif
}

void ProfileTest::readFailureText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << "QJ.DST" << "Die Datei wurde nicht gefunden.";
    QTest::newRow("missing folder") << "fehlt/QJ.DST" << "Der Ordner wurde nicht gefunden.";
    QTest::newRow("folder") << "." << "Der Name bezeichnet einen Ordner, keine Datei.";
}

void ProfileTest::readFailureText()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString reason = readFailureReason(m_dir.filePath(name));
    QCOMPARE(reason, expected);
    QCOMPARE(openErrorText(name, reason),
             QString::fromUtf8("Datei %1 kann nicht geöffnet werden. %2").arg(name, expected));
    QCOMPARE(openErrorText(name, QString()), QString::fromUtf8("Datei %1 kann nicht geöffnet werden.").arg(name));
}

QTEST_GUILESS_MAIN(ProfileTest)
#include "profile_test.moc"
