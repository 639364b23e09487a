// The help window (loading, errors, the help file's place) and the info dialog.
#include "helpwindow.h"
#include "infodialog.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <memory>

namespace {

bool writeFile(const QString& name, const QByteArray& data)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QString openError(const QString& absoluteName, const QString& reason)
{
    return QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(absoluteName, reason);
}

// Restores the working directory when a test changed it.
class CurrentDirGuard {
public:
    CurrentDirGuard() : saved_(QDir::currentPath()) {}
    ~CurrentDirGuard() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

}  // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

private slots:
    void init();
    void helpWindowAtStart();
    void missingFileKeepsText_data();
    void missingFileKeepsText();
    void unreadableFile();
    void rtfAndPlainText();
    void largestFileLoads();
    void wrapsAtWordsOnly();
    void loadingTwiceReplaces();
    void helpFileInWorkingDirectory();

    void infoDialogFrameAndLabels();
    void infoLinesFitTheDialog();
    void infoOkCloses();
    void infoCentredOnScreen();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path(const QString& name) const { return dir_->filePath(name); }
};

void TestHelpWindows::init()
{
    dir_ = std::make_unique<QTemporaryDir>();      // a fresh directory for every test
    QVERIFY(dir_->isValid());
}

void TestHelpWindows::helpWindowAtStart()
{
    TfHelp help;
    QCOMPARE(help.windowTitle(), QStringLiteral("KVX-Test Hilfe"));
    QCOMPARE(help.size(), QSize(696, 480));
    QCOMPARE(help.pos(), QPoint(100, 100));
    QVERIFY(help.isWindow());
    QVERIFY(!help.isVisible());
    QVERIFY(help.rEdit->isReadOnly());
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("rEdit"));
    QCOMPARE(help.rEdit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(help.findChild<QTextEdit*>(QStringLiteral("rEdit")), help.rEdit);
}

void TestHelpWindows::missingFileKeepsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such file") << QStringLiteral("ReadMe.rtf") << QStringLiteral("Die Datei wurde nicht gefunden.");
    QTest::newRow("no such directory") << QStringLiteral("fehlt/ReadMe.rtf") << QStringLiteral("Der Ordner wurde nicht gefunden.");
    QTest::newRow("a directory") << QStringLiteral(".") << QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.");
}

void TestHelpWindows::missingFileKeepsText()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    CurrentDirGuard guard;
    QVERIFY(QDir::setCurrent(dir_->path()));

    TfHelp help;
    QVERIFY(writeFile(path("alt.txt"), "alter Text"));
    QVERIFY(help.loadFile(path("alt.txt"), nullptr));

    // A relative name is reported with its full path, and the old text stays.
    QString message;
    QVERIFY(!help.loadFile(name, &message));
    QCOMPARE(message, openError(QFileInfo(QDir(dir_->path()), name).absoluteFilePath(), reason));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("alter Text"));
    QVERIFY(!help.loadFile(name, nullptr));
}

void TestHelpWindows::unreadableFile()
{
    TfHelp help;
    QString message;
    QVERIFY(!help.loadFile(QStringLiteral("/dev/zero"), &message));
    QCOMPARE(message, openError(QStringLiteral("/dev/zero"),
                                QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.")));

    QFile big(path("gross.rtf"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(TfHelp::kMaxFileSize + 1));
    big.close();
    QVERIFY(!help.loadFile(big.fileName(), &message));
    QCOMPARE(message, openError(big.fileName(), QStringLiteral("Die Datei ist zu groß für die Hilfe (mehr als 2 MB).")));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("rEdit"));

    QVERIFY(writeFile(path("gesperrt.rtf"), "{\\rtf1 x}"));
    QFile::setPermissions(path("gesperrt.rtf"), QFileDevice::WriteOwner);
    if (QFile(path("gesperrt.rtf")).open(QIODevice::ReadOnly))
        QSKIP("running with rights that read any file");
    QVERIFY(!help.loadFile(path("gesperrt.rtf"), &message));
    QCOMPARE(message, openError(path("gesperrt.rtf"), QStringLiteral("Zugriff verweigert.")));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("rEdit"));
}

void TestHelpWindows::rtfAndPlainText()
{
    TfHelp help;
    QVERIFY(writeFile(path("a.rtf"), "{\\rtf1\\ansi{\\b Fett} und Gr\\'fc\\'dfe}"));
    QVERIFY(help.loadFile(path("a.rtf"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("Fett und Grüße"));
    QVERIFY(help.rEdit->document()->find(QStringLiteral("Fett")).charFormat().fontWeight() == QFont::Bold);

    // Not RTF (even with RTF inside): shown as it is, in UTF-8 ...
    QVERIFY(writeFile(path("b.txt"), QStringLiteral("Weichen: {\\b grün}\nZeile 2").toUtf8()));
    QVERIFY(help.loadFile(path("b.txt"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("Weichen: {\\b grün}\nZeile 2"));
    QVERIFY(help.rEdit->document()->find(QStringLiteral("Weichen")).charFormat().fontWeight() != QFont::Bold);

    // ... or in code page 1252 when it is no UTF-8.
    QVERIFY(writeFile(path("c.txt"), "Gr\xfc\xdf\x65 \x80 \x84x\x93"));
    QVERIFY(help.loadFile(path("c.txt"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("Grüße € „x“"));

    QVERIFY(writeFile(path("d.txt"), "\xEF\xBB\xBF\xC3\xA4"));
    QVERIFY(help.loadFile(path("d.txt"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("ä"));
}

// The size limit itself is allowed (an RTF whose bulk is a skipped group).
void TestHelpWindows::largestFileLoads()
{
    QCOMPARE(TfHelp::kMaxFileSize, 2 * 1024 * 1024);
    QByteArray data = "{\\rtf1{\\*\\x ";
    const QByteArray tail = "}passt}";
    data += QByteArray(TfHelp::kMaxFileSize - data.size() - tail.size(), 'x') + tail;
    QCOMPARE(data.size(), TfHelp::kMaxFileSize);
    QVERIFY(writeFile(path("genau.rtf"), data));
    TfHelp help;
    QString message;
    QVERIFY2(help.loadFile(path("genau.rtf"), &message), qPrintable(message));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("passt"));
}

// A word longer than the line stays whole (breaking "anywhere" would lay out
// a paragraph of one long word in quadratic time), in RTF and in plain text.
void TestHelpWindows::wrapsAtWordsOnly()
{
    TfHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QCOMPARE(help.rEdit->wordWrapMode(), QTextOption::WordWrap);
    QCOMPARE(help.rEdit->lineWrapMode(), QTextEdit::WidgetWidth);

    const QByteArray word(2000, 'w');
    QVERIFY(writeFile(path("wort.rtf"), "{\\rtf1 " + word + " kurz " + word + "}"));
    QVERIFY(writeFile(path("wort.txt"), word + " kurz " + word));
    for (const char* name : {"wort.rtf", "wort.txt", "wort.rtf"}) {
        QVERIFY(help.loadFile(path(name), nullptr));
        QTextDocument* doc = help.rEdit->document();
        QCOMPARE(doc->defaultTextOption().wrapMode(), QTextOption::WordWrap);
        QVERIFY(doc->textWidth() > 0 && doc->textWidth() < 1000);
        doc->documentLayout()->documentSize();          // lays out the whole text
        const QTextLayout* layout = doc->firstBlock().layout();
        QVERIFY(layout != nullptr);
        QCOMPARE(layout->lineCount(), 3);             // each long word a line, "kurz" with one
        QCOMPARE(layout->lineAt(0).textLength(), 2001);
    }
}

void TestHelpWindows::loadingTwiceReplaces()
{
    TfHelp help;
    QVERIFY(writeFile(path("e.rtf"), "{\\rtf1 eins\\par zwei}"));
    QVERIFY(help.loadFile(path("e.rtf"), nullptr));
    QVERIFY(help.loadFile(path("e.rtf"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("eins\nzwei"));
    QCOMPARE(help.rEdit->textCursor().position(), 0);

    QVERIFY(writeFile(path("e.rtf"), "{\\rtf1 drei}"));
    QVERIFY(help.loadFile(path("e.rtf"), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("drei"));
}

// The help file is looked for in the working directory, not beside the program.
void TestHelpWindows::helpFileInWorkingDirectory()
{
    CurrentDirGuard guard;
    QVERIFY(QDir::setCurrent(dir_->path()));
    const QString expected = QDir(dir_->path()).absoluteFilePath(QStringLiteral("ReadMe.rtf"));
    QCOMPARE(TfHelp::helpFileName(), expected);
    QVERIFY(QFileInfo(TfHelp::helpFileName()).isAbsolute());

    QVERIFY(writeFile(path("readme.RTF"), "{\\rtf1 klein}"));
    QCOMPARE(TfHelp::helpFileName(), path("readme.RTF"));
    QVERIFY(writeFile(path("ReadMe.rtf"), "{\\rtf1 genau}"));
    QCOMPARE(TfHelp::helpFileName(), expected);

    TfHelp help;
    QVERIFY(help.loadFile(TfHelp::helpFileName(), nullptr));
    QCOMPARE(help.rEdit->toPlainText(), QStringLiteral("genau"));
}

void TestHelpWindows::infoDialogFrameAndLabels()
{
    TfInfo info;
    QCOMPARE(info.windowTitle(), QStringLiteral("Info"));
    QCOMPARE(info.size(), QSize(488, 359));
    QCOMPARE(info.minimumSize(), info.maximumSize());
    const Qt::WindowFlags flags = info.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));

    QCOMPARE(info.findChildren<QLabel*>().size(), 18);
    for (int n = 1; n <= 18; ++n)
        QVERIFY(info.findChild<QLabel*>(QStringLiteral("Label%1").arg(n)) != nullptr);

    const auto colour = [](QLabel* l) { return l->palette().color(QPalette::WindowText); };
    QLabel* title = info.Label1;
    QCOMPARE(title->text(), QStringLiteral("KVX-Testprogramm"));
    QCOMPARE(title->geometry(), QRect(0, 8, 488, title->height()));
    QVERIFY(title->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(title->font().pixelSize() == 24 && title->font().bold() && title->font().italic());
    QCOMPARE(colour(title), QColor(0, 128, 128));

    QCOMPARE(info.Label5->pos(), QPoint(15, 104));
    QCOMPARE(info.Label5->text(), QStringLiteral("Dieses Programm ist gedacht zum Testen der KVX-Hardware und der Ver-"));
    QCOMPARE(colour(info.Label5), QColor(0, 0, 128));
    QCOMPARE(info.Label7->pos(), QPoint(24, 136));
    QCOMPARE(info.Label10->pos(), QPoint(32, 184));
    QCOMPARE(info.Label10->text(), QStringLiteral("Das erleichtert Pflegearbeiten an der Anlage."));
    QCOMPARE(colour(info.Label11), QColor(255, 0, 0));
    QVERIFY(info.Label11->alignment().testFlag(Qt::AlignHCenter));
    QCOMPARE(info.Label17->pos(), QPoint(15, 296));

    // The gray lines tell how the program reaches the ports.
    QString grayText;
    for (QLabel* l : {info.Label12, info.Label13, info.Label14, info.Label15, info.Label16, info.Label17}) {
        QCOMPARE(colour(l), QColor(128, 128, 128));
        QCOMPARE(l->font().pixelSize(), 13);
        grayText += l->text() + QLatin1Char(' ');
    }
    for (const char* needle : {"0x300..0x307", "ioperm", "CAP_SYS_RAWIO", "setcap cap_sys_rawio+ep",
                               "root", "Secure Boot", "Simulation", "ReadMe.rtf"})
        QVERIFY2(grayText.contains(QLatin1String(needle)), needle);
    // The licence, as the package's copyright file and the AppStream data name it.
    QVERIFY(info.Label18->y() > info.Label17->y() && info.Label18->geometry().bottom() < info.OKBtn->y());
    QVERIFY(info.Label18->text().contains(QLatin1String("GPL-3.0-or-later")));
}

// Every line fits into the dialog at Arial 13 px (checked where a font with
// Arial's widths is installed).
void TestHelpWindows::infoLinesFitTheDialog()
{
    TfInfo info;
    const QString family = QFontInfo(info.Label2->font()).family();
    if (!QStringList{"Arial", "Liberation Sans", "Arimo"}.contains(family))
        QSKIP("no font with the widths of Arial installed");
    for (QLabel* l : info.findChildren<QLabel*>()) {
        const int width = QFontMetrics(l->font()).horizontalAdvance(l->text());
        const int left = l->alignment().testFlag(Qt::AlignHCenter) ? (488 - width) / 2 : l->x();
        QVERIFY2(left >= 0 && left + width <= 488, qPrintable(l->objectName() + ": " + l->text()));
    }
}

void TestHelpWindows::infoOkCloses()
{
    TfInfo info;
    QCOMPARE(info.OKBtn->text(), QStringLiteral("OK"));
    QVERIFY(info.OKBtn->isDefault());
    QVERIFY(qAbs(info.OKBtn->geometry().center().x() - 244) <= 1);
    QVERIFY(info.OKBtn->y() > 300 && info.OKBtn->geometry().bottom() < 359);

    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QTest::mouseClick(info.OKBtn, Qt::LeftButton);
    QVERIFY(!info.isVisible());
    QCOMPARE(info.result(), int(QDialog::Accepted));

    info.setResult(QDialog::Rejected);
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QTest::keyClick(&info, Qt::Key_Return);     // the default button
    QVERIFY(!info.isVisible());
    QCOMPARE(info.result(), int(QDialog::Accepted));
}

void TestHelpWindows::infoCentredOnScreen()
{
    QWidget owner;                  // a parent elsewhere must not pull the dialog to itself
    owner.setGeometry(0, 0, 100, 100);
    owner.show();
    TfInfo info(&owner);
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    const QPoint centre = info.screen()->availableGeometry().center();
    QVERIFY((info.frameGeometry().center() - centre).manhattanLength() <= 2);
    info.accept();
}

QTEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"
