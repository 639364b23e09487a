// Settings file (ProfileFile) and the German file-error texts.
#include "fileerror.h"
#include "profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
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

} // namespace

class ProfileTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); QFile::remove(path()); }
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
    void openError_data();
    void openError();

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("KVXTEST.INI"); }
};

// How a value is read as an integer: the leading integer counts, as with
// GetPrivateProfileInt; no leading integer or overflow gives the default.
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
    QTest::newRow("leading integer: 12abc reads 12") << QByteArray("12abc") << 12;
    QTest::newRow("0x alone reads 0") << QByteArray("0x") << 0;
    QTest::newRow("0x and no hex digit reads 0") << QByteArray("0xg") << 0;
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
    QVERIFY(profile.writeInt("Karten", "Block", 1));
    QVERIFY(profile.writeInt("Karten", "Melder", 2));
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
    QVERIFY(profile.writeString(section, key, value));
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
    QVERIFY(!profile.writeString("Karten", "a=b", "1"));
    QVERIFY(!profile.writeString("Kar]ten", "Block", "1"));
    QVERIFY(!profile.writeString("Karten", "", "1"));
    QVERIFY(!profile.writeString("Karten", "Block", "1\r\n[X]"));
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
    QVERIFY(!profile.writeInt("Karten", "Block", 3));
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
    const bool written = profile.writeString("Karten", "Block", QString(200, u'9'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(fileBytes(path()), kRealistic);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(profile.readInt("Karten", "Block", kDefault), 12);
    QVERIFY(profile.writeInt("Karten", "Block", 13)); // space again
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
    QTest::newRow("10 MB line") << QByteArray(10 << 20, 'x');
    QTest::newRow("10 MB key") << QByteArray(10 << 20, 'k') + "=1";
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
    QVERIFY(profile.writeInt("Karten", "Block", 5));
    QVERIFY(fileBytes(path()).startsWith(junk));
    QCOMPARE(ProfileFile(path()).readInt("Karten", "Block", kDefault), 5);
}

void ProfileTest::openError_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << "QJ.DST" << "Die Datei wurde nicht gefunden.";
    QTest::newRow("missing folder") << "fehlt/QJ.DST" << "Der Ordner wurde nicht gefunden.";
    QTest::newRow("folder") << "." << "Der Name bezeichnet einen Ordner, keine Datei.";
}

void ProfileTest::openError()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFile file(m_dir.filePath(name));
    QVERIFY(!file.open(QIODevice::ReadOnly));
    QCOMPARE(fileErrorReason(file), expected);
    QCOMPARE(openErrorMessage(name, file),
             QString::fromUtf8("Datei %1 kann nicht geöffnet werden. %2").arg(name, expected));
    QCOMPARE(openErrorMessage(name, QFile()), QString::fromUtf8("Datei %1 kann nicht geöffnet werden.").arg(name));
}

QTEST_GUILESS_MAIN(ProfileTest)
#include "profile_test.moc"
