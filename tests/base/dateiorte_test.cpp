// Where the program keeps its files: next to itself in a folder of its own,
// in the user's folders when it is installed.
#include "dateiorte.h"
#include "ohnevorrecht.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

namespace {

void ablegen(const QString& pfad, const QByteArray& inhalt = "x")
{
    QVERIFY(QDir().mkpath(QFileInfo(pfad).absolutePath()));
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

void schreibgeschuetzt(const QString& ordner)
{
    QVERIFY(QFile::setPermissions(ordner, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
}

// Restores the working directory when a test ends.
struct ArbeitsordnerZurueck {
    ~ArbeitsordnerZurueck() { QDir::setCurrent(vorher); }
    QString vorher = QDir::currentPath();
};

}  // namespace

class DateiorteTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        wurzel_ = std::make_unique<QTemporaryDir>();
        QVERIFY(wurzel_->isValid());
        // An installed program: <prefix>/bin beside <prefix>/share/kvxtest.
        QVERIFY(QDir().mkpath(bin()));
        QVERIFY(QDir().mkpath(share()));
        benutzer_ = {wurzel_->filePath(QStringLiteral("home/.config")),
                     wurzel_->filePath(QStringLiteral("home/.local/share"))};
    }
    void cleanup()
    {
        const QByteArray b = QFile::encodeName(bin());
        if (geteuid() == 0)
            (void)chown(b.constData(), 0, 0);
        QFile::setPermissions(bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        wurzel_.reset();
    }

    void eigenerOrdnerBehaeltAlles();
    void installiertInDenBenutzerordnern();
    void standardsatzJeDateiAusDenBenutzerdaten();
    void eigenOderInstalliert_data();
    void eigenOderInstalliert();
    void unterUsrAuchFuerRoot();
    void hilfeAusArbeitsordnerSonstInstalliert();
    void ordnerAusDerUmgebung();

private:
    QString bin() const { return wurzel_->filePath(QStringLiteral("usr/bin")); }
    QString share() const { return wurzel_->filePath(QStringLiteral("usr/share/kvxtest")); }
    QString konfig() const { return benutzer_.konfiguration + QStringLiteral("/kvxtest/"); }
    QString daten() const { return benutzer_.daten + QStringLiteral("/kvxtest/"); }

    std::unique_ptr<QTemporaryDir> wurzel_;
    Dateiorte::Benutzer benutzer_;
};

// A folder the user may write to works as it always did, even when the user's
// folders hold a data set of their own; the user's folders are not created.
void DateiorteTest::eigenerOrdnerBehaeltAlles()
{
    ablegen(daten() + QStringLiteral("QJ.DMA"));
    const Dateiorte orte(bin(), benutzer_);
    const QString p = bin() + u'/';
    QVERIFY(!orte.installiertesProgramm());
    QCOMPARE(orte.programmOrdner(), p);
    QCOMPARE(orte.iniDatei(), p + QStringLiteral("KVXTEST.INI"));
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DMA")), p);
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DST")), p);
    QCOMPARE(orte.dialogOrdner(), p);
    QVERIFY(!QFileInfo::exists(konfig()));

    // Nor does a program folder that is missing send anything to the home folder.
    const Dateiorte fehlt(wurzel_->filePath(QStringLiteral("fehlt")), benutzer_);
    QVERIFY(!fehlt.installiertesProgramm());
    QCOMPARE(fehlt.iniDatei(), wurzel_->filePath(QStringLiteral("fehlt/KVXTEST.INI")));
    QVERIFY(!QFileInfo::exists(konfig()));
}

// A read-only program folder: settings in ~/.config/kvxtest (created for the
// first write), the sample set from <prefix>/share/kvxtest, the dialogs in
// ~/.local/share/kvxtest (created so that they can open there).
void DateiorteTest::installiertInDenBenutzerordnern()
{
    schreibgeschuetzt(bin());
    const OhneVorrecht ohne;
    const Dateiorte orte(bin(), benutzer_);
    QVERIFY(orte.installiertesProgramm());
    QCOMPARE(orte.installierteDaten(), share() + u'/');

    QVERIFY(!QFileInfo::exists(konfig()));
    QCOMPARE(orte.iniDatei(), konfig() + QStringLiteral("KVXTEST.INI"));
    QVERIFY(QFileInfo(konfig()).isDir());
    QVERIFY(Dateiorte::beschreibbar(konfig()));

    QCOMPARE(orte.standardOrdner(QStringLiteral(".DMA")), share() + u'/');
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DST")), share() + u'/');

    QVERIFY(!QFileInfo::exists(daten()));
    QCOMPARE(orte.dialogOrdner(), daten());
    QVERIFY(QFileInfo(daten()).isDir());
}

// The user's own list and the user's own tables each replace the sample's
// part they stand for; the rest still comes from the installed set.
void DateiorteTest::standardsatzJeDateiAusDenBenutzerdaten()
{
    schreibgeschuetzt(bin());
    const OhneVorrecht ohne;
    ablegen(daten() + QStringLiteral("QJ.DMA"));
    const Dateiorte orte(bin(), benutzer_);
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DMA")), daten());
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DST")), share() + u'/');

    QVERIFY(QFile::remove(daten() + QStringLiteral("QJ.DMA")));
    ablegen(daten() + QStringLiteral("QJ.DST"));
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DMA")), share() + u'/');
    QCOMPARE(orte.standardOrdner(QStringLiteral(".DST")), daten());
}

// Which program folder is the program's own and which an installation,
// asked as the user who runs it. Root may write everywhere, and an installed
// program still never writes beside itself; so do a folder below /usr and one
// that belongs to somebody else, whatever their mode.
void DateiorteTest::eigenOderInstalliert_data()
{
    QTest::addColumn<bool>("lesbar");        // the folder read-only
    QTest::addColumn<bool>("ini");           // a writable KVXTEST.INI in it
    QTest::addColumn<bool>("fremd");         // it belongs to another user
    QTest::addColumn<bool>("installiert");
    QTest::newRow("eigener Ordner") << false << false << false << false;
    QTest::newRow("schreibgeschützt") << true << false << false << true;
    QTest::newRow("schreibgeschützt mit eigener INI") << true << true << false << false;
    QTest::newRow("fremder Ordner, beschreibbar") << false << false << true << true;
    QTest::newRow("fremder Ordner mit beschreibbarer INI") << true << true << true << true;
}

void DateiorteTest::eigenOderInstalliert()
{
    QFETCH(bool, lesbar);
    QFETCH(bool, ini);
    QFETCH(bool, fremd);
    QFETCH(bool, installiert);
    const QString inidatei = bin() + QStringLiteral("/KVXTEST.INI");
    if (ini)
        ablegen(inidatei, "[Karten]\r\n");
    if (fremd) {
        // nobody: the user every Linux system has and nobody logs in as.
        if (geteuid() != 0)
            QSKIP("Nur root kann einen Ordner einem anderen Benutzer geben.");
        const QByteArray b = QFile::encodeName(bin());
        QVERIFY(chown(b.constData(), 65534, 65534) == 0);
        QVERIFY(QFile::setPermissions(bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                 | QFile::WriteOther | QFile::ExeOther));
        if (ini)
            QVERIFY(QFile::setPermissions(inidatei, QFile::ReadOther | QFile::WriteOther | QFile::ReadOwner));
    }
    if (lesbar)
        schreibgeschuetzt(bin());
    const OhneVorrecht ohne;
    const Dateiorte orte(bin(), benutzer_);
    QCOMPARE(orte.installiertesProgramm(), installiert);
    QCOMPARE(orte.iniDatei(), installiert ? konfig() + QStringLiteral("KVXTEST.INI") : inidatei);
}

// A program below /usr is installed even for root, who may write there:
// its settings go to root's own folder, its sample set comes from share/.
void DateiorteTest::unterUsrAuchFuerRoot()
{
    const QString usrBin = QStringLiteral("/usr/bin");
    QVERIFY(QFileInfo(usrBin).isDir());
    const Dateiorte orte(usrBin, benutzer_);
    QVERIFY(orte.installiertesProgramm());
    QCOMPARE(orte.iniDatei(), konfig() + QStringLiteral("KVXTEST.INI"));
    QCOMPARE(orte.installierteDaten(), QStringLiteral("/usr/share/kvxtest/"));
    QCOMPARE(orte.dialogOrdner(), daten());
}

// The help text: the working directory first (any spelling), then the
// installed data folder; when neither has it, the name in the working
// directory, for the message.
void DateiorteTest::hilfeAusArbeitsordnerSonstInstalliert()
{
    const ArbeitsordnerZurueck zurueck;
    const QString arbeit = wurzel_->filePath(QStringLiteral("arbeit"));
    QVERIFY(QDir().mkpath(arbeit));
    QVERIFY(QDir::setCurrent(arbeit));
    const Dateiorte orte(bin(), benutzer_);

    QCOMPARE(orte.hilfeDatei(), arbeit + QStringLiteral("/ReadMe.rtf"));
    ablegen(share() + QStringLiteral("/ReadMe.rtf"));
    QCOMPARE(orte.hilfeDatei(), share() + QStringLiteral("/ReadMe.rtf"));
    ablegen(arbeit + QStringLiteral("/readme.RTF"));
    QCOMPARE(orte.hilfeDatei(), arbeit + QStringLiteral("/readme.RTF"));
}

// Without folders handed in, the XDG variables count, else the home folder.
void DateiorteTest::ordnerAusDerUmgebung()
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray xdgKonfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray xdgDaten = qgetenv("XDG_DATA_HOME");
    const auto zurueck = qScopeGuard([&] {
        qputenv("HOME", home);
        xdgKonfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdgKonfig);
        xdgDaten.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", xdgDaten);
    });

    const QString h = wurzel_->filePath(QStringLiteral("leer"));
    QVERIFY(QDir().mkpath(h));
    qputenv("HOME", QFile::encodeName(h));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    const Dateiorte imHome(bin());
    QCOMPARE(imHome.konfigurationsOrdner(), h + QStringLiteral("/.config/kvxtest/"));
    QCOMPARE(imHome.benutzerDaten(), h + QStringLiteral("/.local/share/kvxtest/"));

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(wurzel_->filePath(QStringLiteral("k"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(wurzel_->filePath(QStringLiteral("d"))));
    const Dateiorte xdg(bin());
    QCOMPARE(xdg.konfigurationsOrdner(), wurzel_->filePath(QStringLiteral("k/kvxtest/")));
    QCOMPARE(xdg.benutzerDaten(), wurzel_->filePath(QStringLiteral("d/kvxtest/")));
}

QTEST_GUILESS_MAIN(DateiorteTest)
#include "dateiorte_test.moc"
