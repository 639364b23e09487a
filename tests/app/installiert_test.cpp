// The installed program: started from a read-only bin/ with an empty home
// folder, it keeps its settings in ~/.config/kvxtest, loads the sample set
// from <prefix>/share/kvxtest (or the user's own from ~/.local/share/kvxtest),
// opens its file dialogs there and finds the help text beside the sample set.
#include "configpage.h"
#include "fensterstart.h"
#include "helpwindow.h"
#include "mainwindow.h"
#include "ohnevorrecht.h"
#include "schaltliste.h"
#include "streckepage.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

using fixture::lesen;
using fixture::schnellePause;
using fixture::schreiben;

namespace {

constexpr QFile::Permissions NurLesen = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                        | QFile::ReadOther | QFile::ExeOther;

QStringList listenEintraege(const TfMain& w)
{
    QStringList e;
    for (int i = 0; i < w.pStrecke->liste->stList->count(); ++i)
        e << w.pStrecke->liste->stList->item(i)->text();
    return e;
}

QString zelle(const QTableWidget* t, int zeile, int spalte)
{
    const QTableWidgetItem* i = t->item(zeile, spalte);
    return i ? i->text() : QString();
}

}  // namespace

class InstalliertTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        setPauseFunktion(&schnellePause);
        home_ = qgetenv("HOME");
        xdgKonfig_ = qgetenv("XDG_CONFIG_HOME");
        xdgDaten_ = qgetenv("XDG_DATA_HOME");
    }
    void cleanupTestCase()
    {
        qputenv("HOME", home_);
        xdgKonfig_.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdgKonfig_);
        xdgDaten_.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", xdgDaten_);
    }

    // <prefix>/bin read-only, <prefix>/share/kvxtest with the sample set and
    // a help text, an empty home folder.
    void init()
    {
        wurzel_ = std::make_unique<QTemporaryDir>();
        QVERIFY(wurzel_->isValid());
        QVERIFY(QDir().mkpath(bin()) && QDir().mkpath(share()) && QDir().mkpath(home()));
        const QDir daten(QStringLiteral(KVX_DATEN_DIR));
        for (const QString& name : daten.entryList({QStringLiteral("QJ.*")}, QDir::Files))
            QVERIFY(QFile::copy(daten.filePath(name), share() + u'/' + name));
        schreiben(share() + QStringLiteral("/ReadMe.rtf"), "{\\rtf1\\ansi Installierte Hilfe}");
        QVERIFY(QFile::setPermissions(bin(), NurLesen));
        qputenv("HOME", QFile::encodeName(home()));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    void cleanup()
    {
        fenster_.reset();
        QFile::setPermissions(bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        wurzel_.reset();
        meldungen_.clear();
    }

    void ersterStartLegtEinstellungenImHomeAn()
    {
        const OhneVorrecht ohne;
        starten();
        QVERIFY2(meldungen_.isEmpty(), qPrintable(meldungen_.join(u'\n')));

        const QString ini = home() + QStringLiteral("/.config/kvxtest/KVXTEST.INI");
        QVERIFY(lesen(ini).contains("[Karten]"));
        QVERIFY(QDir(bin()).isEmpty());

        // The sample set: list, route table and both LED tables.
        const TfMain& w = *fenster_;
        QCOMPARE(listenEintraege(w), (QStringList{QStringLiteral("1G"), QStringLiteral("2G")}));
        QCOMPARE(zelle(w.pStrecke->gStrecke, 1, 4), QStringLiteral("1"));
        QCOMPARE(zelle(w.pStrecke->ledBlock, 1, 1), QStringLiteral("1"));
        QVERIFY(!zelle(w.pStrecke->ledMelder, 1, 1).isEmpty());

        const QString daten = home() + QStringLiteral("/.local/share/kvxtest");
        QVERIFY(QFileInfo(daten).isDir());
        QCOMPARE(w.SaveD->directory().absolutePath(), daten);
        QCOMPARE(w.OpenD->directory().absolutePath(), daten);
    }

    // Leaving the configuration page saves there, and the next start reads it.
    void einstellungenUeberlebenDenNeustart()
    {
        const OhneVorrecht ohne;
        starten();
        fenster_->pConfig->spin(config::Block)->setValue(12);
        fenster_->pControl->setCurrentIndex(TfMain::SMelder);
        QVERIFY(lesen(home() + QStringLiteral("/.config/kvxtest/KVXTEST.INI")).contains("=12"));

        starten();
        QCOMPARE(fenster_->pConfig->spin(config::Block)->value(), 12);
        QVERIFY(QDir(bin()).isEmpty());
        QVERIFY(meldungen_.isEmpty());
    }

    // The user's own list in ~/.local/share/kvxtest takes the place of the
    // sample's; the tables still come from the installed set.
    void eigeneListeImDatenordner()
    {
        QVERIFY(QDir().mkpath(home() + QStringLiteral("/.local/share/kvxtest")));
        schreiben(home() + QStringLiteral("/.local/share/kvxtest/QJ.DMA"), "7A\r\n9G\r\n");
        const OhneVorrecht ohne;
        starten();
        QVERIFY(meldungen_.isEmpty());
        QCOMPARE(listenEintraege(*fenster_), (QStringList{QStringLiteral("7A"), QStringLiteral("9G")}));
        QCOMPARE(zelle(fenster_->pStrecke->gStrecke, 1, 4), QStringLiteral("1"));
    }

    // A copied program folder that is not writable: the sample set lying
    // next to the program is read from there; where it lies nowhere, the
    // message names every folder it was looked for in.
    void beispielsatzNebenDemProgramm_data()
    {
        QTest::addColumn<bool>("nebenDemProgramm");
        QTest::newRow("neben dem Programm") << true;
        QTest::newRow("nirgends") << false;
    }
    void beispielsatzNebenDemProgramm()
    {
        QFETCH(bool, nebenDemProgramm);
        QVERIFY(QFile::setPermissions(bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        for (const QString& name : QDir(share()).entryList({QStringLiteral("QJ.*")}, QDir::Files))
            QVERIFY(nebenDemProgramm ? QFile::rename(share() + u'/' + name, bin() + u'/' + name)
                                     : QFile::remove(share() + u'/' + name));
        QVERIFY(QFile::setPermissions(bin(), NurLesen));
        const OhneVorrecht ohne;
        starten();
        QCOMPARE(zelle(fenster_->pStrecke->gStrecke, 1, 4), nebenDemProgramm ? QStringLiteral("1") : QString());
        QCOMPARE(meldungen_.size(), nebenDemProgramm ? 0 : 1);
        for (const QString& ordner : {bin(), share(), home() + QStringLiteral("/.local/share/kvxtest")})
            QVERIFY(nebenDemProgramm || meldungen_[0].contains(ordner + u'/'));
    }

    // Started from a folder without help text: the installed one is shown.
    void hilfeAusDenInstalliertenDaten()
    {
        const OhneVorrecht ohne;
        starten();
        const QString vorher = QDir::currentPath();
        const auto zurueck = qScopeGuard([&] { QDir::setCurrent(vorher); });
        QVERIFY(QDir::setCurrent(home()));
        fenster_->mnuHelpClick();
        QVERIFY2(meldungen_.isEmpty(), qPrintable(meldungen_.join(u'\n')));
        QVERIFY(fenster_->fHelp->isVisible());
        QCOMPARE(fenster_->fHelp->rEdit->toPlainText(), QStringLiteral("Installierte Hilfe"));
        fenster_->fHelp->close();
    }

    // A home folder the program may not write to: the message names the file
    // in ~/.config (start-up ends there, as for any settings file that cannot
    // be written), and the window still opens.
    void homeNichtBeschreibbar()
    {
        QVERIFY(QFile::setPermissions(home(), NurLesen));
        const OhneVorrecht ohne;
        starten();
        QCOMPARE(meldungen_.size(), 1);
        const QString ini = QDir::toNativeSeparators(home() + QStringLiteral("/.config/kvxtest/KVXTEST.INI"));
        QVERIFY2(meldungen_[0].contains(ini) && meldungen_[0].contains(QStringLiteral("kann nicht geschrieben werden")),
                 qPrintable(meldungen_[0]));
        QVERIFY(QDir(bin()).isEmpty());
    }

private:
    QString bin() const { return wurzel_->filePath(QStringLiteral("usr/bin")); }
    QString share() const { return wurzel_->filePath(QStringLiteral("usr/share/kvxtest")); }
    QString home() const { return wurzel_->filePath(QStringLiteral("home")); }

    void starten()
    {
        fenster_.reset();
        MainOptions o;
        o.programmPfad = bin();
        o.backend = &karte_;
        o.meldung = [this](const QString& text) { meldungen_ << text; };
        fenster_ = std::make_unique<TfMain>(std::move(o));
    }

    QByteArray home_, xdgKonfig_, xdgDaten_;
    std::unique_ptr<QTemporaryDir> wurzel_;
    VirtualCard karte_;
    QStringList meldungen_;
    std::unique_ptr<TfMain> fenster_;
};

QTEST_MAIN(InstalliertTest)
#include "installiert_test.moc"
