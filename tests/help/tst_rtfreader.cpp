// The RTF reader on help-style files, on the shipped help text and on broken input.
#include "rtfreader.h"
#include "textdecode.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace {

QByteArray readFile(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Format of the last character of the first occurrence of text.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& text)
{
    const QTextCursor found = doc.find(text, 0, QTextDocument::FindCaseSensitively);
    return found.isNull() ? QTextCharFormat() : found.charFormat();
}

QTextBlock blockOf(const QTextDocument& doc, const QString& text)
{
    return doc.find(text, 0, QTextDocument::FindCaseSensitively).block();
}

QString familyOf(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

// All bytes of a literal, embedded zeros included.
template <size_t N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

// The document's outline: a line per top-level block, a table as
// "[cell|cell;next row]" with the paragraphs of a cell joined by '/'.
QString outline(const QTextDocument& doc)
{
    QStringList lines;
    for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (const auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            QStringList rows;
            for (int r = 0; r < table->rows(); ++r) {
                QStringList cells;
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    QStringList paragraphs;
                    for (auto b = cell.begin(); !b.atEnd(); ++b)
                        paragraphs << b.currentBlock().text();
                    cells << paragraphs.join(u'/');
                }
                rows << cells.join(u'|');
            }
            lines << u'[' + rows.join(u';') + u']';
        } else if (it.currentFrame() == nullptr) {
            lines << it.currentBlock().text();
        }
    }
    return lines.join(u'\n');
}

QList<QTextTable*> tablesOf(const QTextDocument& doc)
{
    QList<QTextTable*> tables;
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            tables << table;
    return tables;
}

QString plain(const QByteArray& rtf)
{
    QTextDocument doc;
    if (!readRtf(rtf, &doc))
        return QStringLiteral("<not rtf>");
    return doc.toPlainText();
}

}  // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recognisesRtf_data();
    void recognisesRtf();
    void textAndParagraphs();
    void characterFormats();
    void paragraphAlignment();
    void codePageAndUnicode_data();
    void codePageAndUnicode();
    void shippedHelpText();
    void tablesOfAWordFile();
    void tables_data();
    void tables();
    void oddTablesStaySmall();
    void malformedInput_data();
    void malformedInput();
    void mutatedFilesDoNotCrash_data();
    void mutatedFilesDoNotCrash();

private:
    QTextDocument formats_;
};

void TestRtfReader::initTestCase()
{
    const QByteArray data = readFile(QStringLiteral(KVX_HELP_TESTDATA "/formats.rtf"));
    QVERIFY(!data.isEmpty());
    QVERIFY(readRtf(data, &formats_));
}

void TestRtfReader::recognisesRtf_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("plain header") << QByteArray("{\\rtf1\\ansi x}") << true;
    QTest::newRow("leading blanks") << QByteArray(" \r\n\t{\\rtf1 x}") << true;
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF{\\rtf1 x}") << true;
    QTest::newRow("plain text") << QByteArray("Hallo {\\rtf1}") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestRtfReader::recognisesRtf()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, rtf);
    QCOMPARE(looksLikeRtf(data), rtf);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("vorher"));
    QCOMPARE(readRtf(data, &doc), rtf);
    if (!rtf)
        QCOMPARE(doc.toPlainText(), QStringLiteral("vorher"));
    QVERIFY(!readRtf(data, nullptr));
}

// Skipped destinations leave nothing behind; paragraphs become blocks.
void TestRtfReader::textAndParagraphs()
{
    // Raw text keeps the line separator and the special spaces that
    // toPlainText() would flatten.
    const QStringList lines = formats_.toRawText().split(QChar::ParagraphSeparator);
    const QStringList expected = {
        QStringLiteral("Titel"),
        QStringLiteral("Normal fett kursiv unterstrichen weiter mono"),
        QStringLiteral("rot blau auto"),
        QStringLiteral("Umlaute: äöüß ÄÖÜ, Euro €, „Zitat“ – Strich"),
        QStringLiteral("Unicode: €, € ende, Ωx"),
        QStringLiteral("A\tB") + QChar(0x2028) + QStringLiteral("C"),
        QStringLiteral("sichtbar"),
        QStringLiteral("rechts"),
        QStringLiteral("block \\ { } a") + QChar(0x00A0) + QStringLiteral("b cd e") + QChar(0x2011)
            + QStringLiteral("f"),
        QString(),
    };
    QCOMPARE(lines, expected);
    QCOMPARE(formats_.blockCount(), 10);
}

void TestRtfReader::characterFormats()
{
    const QTextCharFormat title = formatOf(formats_, QStringLiteral("Titel"));
    QCOMPARE(familyOf(title), QStringLiteral("Times New Roman"));
    QCOMPARE(title.fontPointSize(), 16.0);
    QCOMPARE(title.fontWeight(), int(QFont::Bold));

    const QTextCharFormat normal = formatOf(formats_, QStringLiteral("Normal"));
    QCOMPARE(familyOf(normal), QStringLiteral("Arial"));
    QCOMPARE(normal.fontPointSize(), 10.0);
    QCOMPARE(normal.fontWeight(), int(QFont::Normal));
    QVERIFY(!normal.fontItalic());
    QVERIFY(!normal.fontUnderline());

    // Each run keeps its own format, and a group end restores the one before.
    QCOMPARE(formatOf(formats_, QStringLiteral("fett")).fontWeight(), int(QFont::Bold));
    QVERIFY(formatOf(formats_, QStringLiteral("kursiv")).fontItalic());
    QVERIFY(formatOf(formats_, QStringLiteral("unterstrichen")).fontUnderline());
    const QTextCharFormat after = formatOf(formats_, QStringLiteral("weiter"));
    QCOMPARE(after.fontWeight(), int(QFont::Normal));
    QVERIFY(!after.fontItalic());
    QVERIFY(!after.fontUnderline());
    // A font entry with an alternative name in a \* group.
    QCOMPARE(familyOf(formatOf(formats_, QStringLiteral("mono"))), QStringLiteral("Courier New"));

    QCOMPARE(formatOf(formats_, QStringLiteral("rot")).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(formats_, QStringLiteral("blau")).foreground().color(), QColor(0, 0, 128));
    QVERIFY(!formatOf(formats_, QStringLiteral("auto")).hasProperty(QTextFormat::ForegroundBrush));

    // \plain resets everything, \fs without a number means 12 pt.
    QTextDocument doc;
    readRtf("{\\rtf1{\\fonttbl{\\f3 Verdana;}}\\f3\\fs40\\b\\i\\ul laut\\plain\\fs leise}", &doc);
    const QTextCharFormat leise = formatOf(doc, QStringLiteral("leise"));
    QCOMPARE(leise.fontPointSize(), 12.0);
    QCOMPARE(leise.fontWeight(), int(QFont::Normal));
    QVERIFY(!leise.fontItalic() && !leise.fontUnderline());
    QCOMPARE(familyOf(formatOf(doc, QStringLiteral("laut"))), QStringLiteral("Verdana"));
    QCOMPARE(formatOf(doc, QStringLiteral("laut")).fontPointSize(), 20.0);
}

void TestRtfReader::paragraphAlignment()
{
    QCOMPARE(blockOf(formats_, QStringLiteral("Titel")).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(blockOf(formats_, QStringLiteral("Normal")).blockFormat().alignment(), Qt::AlignLeft);
    QCOMPARE(blockOf(formats_, QStringLiteral("rechts")).blockFormat().alignment(), Qt::AlignRight);
    QCOMPARE(blockOf(formats_, QStringLiteral("block")).blockFormat().alignment(), Qt::AlignJustify);

    // The last paragraph needs no \par, and the properties in force at its end count.
    QTextDocument doc;
    readRtf("{\\rtf1\\pard\\li1440 eins\\par\\qc zwei}", &doc);
    QCOMPARE(blockOf(doc, QStringLiteral("eins")).blockFormat().leftMargin(), 96.0);
    QCOMPARE(blockOf(doc, QStringLiteral("zwei")).blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(doc.blockCount(), 2);
}

void TestRtfReader::codePageAndUnicode_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("1252 upper half")
        << QByteArray("{\\rtf1 \\'80\\'84\\'93\\'96\\'97\\'85\\'99\\'9f}")
        << QStringLiteral("€„“–—…™Ÿ");
    QTest::newRow("raw 1252 bytes") << QByteArray("{\\rtf1 Gr\xfc\xdf\x65 \x80}") << QStringLiteral("Grüße €");
    QTest::newRow("fallback is a hex byte") << QByteArray("{\\rtf1 \\u8364\\'80x}") << QStringLiteral("€x");
    QTest::newRow("uc in group only") << QByteArray("{\\rtf1{\\uc0 \\u937 a}\\u937 ?b}") << QStringLiteral("ΩaΩb");
    QTest::newRow("fallback stops at group") << QByteArray("{\\rtf1\\uc3 \\u937 a{}b}") << QStringLiteral("Ωb");
    QTest::newRow("negative u") << QByteArray("{\\rtf1 \\u-4064?}") << QString(QChar(0xF020));
    QTest::newRow("surrogate pair")
        << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("special words")
        << QByteArray("{\\rtf1 \\ldblquote a\\rdblquote \\emdash \\bullet \\lquote b\\rquote}")
        << QStringLiteral("“a”—•‘b’");
    QTest::newRow("line break after backslash") << QByteArray("{\\rtf1 a\\\r\nb}") << QStringLiteral("a\nb");
    QTest::newRow("bin skipped") << bytes("{\\rtf1 a\\bin3 }{\\x}") << QStringLiteral("ax");
}

void TestRtfReader::codePageAndUnicode()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(plain(rtf), text);
}

void TestRtfReader::shippedHelpText()
{
    const QByteArray data = readFile(QStringLiteral(KVX_HELP_FILE));
    QVERIFY(looksLikeRtf(data));
    for (const char c : data)      // a real RTF file: 7-bit, umlauts escaped
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
    QTextDocument doc;
    QVERIFY(readRtf(data, &doc));
    const QString text = doc.toPlainText();
    for (const char* word : {"Weichen", "Config", "Melder", "Taster/Schalter", "Leds", "Signale",
                             "Fahren", "Strecken", "ReInitialisierung", "Beenden", "Reset", "Hilfe",
                             "Info", "SNT-ein", "SNT-aus", "KVXTEST.INI", "QJ.DST", "QJ.DLB",
                             "QJ.DLM", "QJ.DMA", "setcap cap_sys_rawio+ep", "Secure Boot",
                             "Simulation", "für", "Menüs"})
        QVERIFY2(text.contains(QString::fromUtf8(word)), word);
    QVERIFY(!text.contains(QChar(u'\\')));
    QVERIFY(!text.contains(QStringLiteral("Arial")));      // the font table stays out of the text
    QCOMPARE(formatOf(doc, QStringLiteral("Die Menüs")).fontWeight(), int(QFont::Bold));
    // A coil pulse lasts its switching time also while the power supply runs;
    // the text once said the next keep-alive pulse cut it short.
    QVERIFY(!text.contains(QStringLiteral("mit dem nächsten Haltimpuls")));
    QVERIFY(text.contains(QStringLiteral("Auch bei eingeschaltetem SNT dauert jeder Impuls die volle Schaltzeit")));
}

// Rows as Word writes them (row properties before and after the cells, a
// nested table with its fallback text), with formats kept in the cells.
void TestRtfReader::tablesOfAWordFile()
{
    QTextDocument doc;
    QVERIFY(readRtf(readFile(QStringLiteral(KVX_HELP_TESTDATA "/tables.rtf")), &doc));
    QCOMPARE(outline(doc), QStringLiteral("Vor der Tabelle\n"
                                          "[Port|Richtung|Bedeutung;0x300|aus|Daten/zweite Zeile;0x307||]\n"
                                          "Zwischentext\n"
                                          "[A|x\ty/B]\n"
                                          "Ende\n"));
    const QList<QTextTable*> tables = tablesOf(doc);
    QCOMPARE(tables.size(), 2);
    QCOMPARE(tables[0]->rows(), 3);
    QCOMPARE(tables[0]->columns(), 3);
    QCOMPARE(tables[1]->rows(), 1);
    QCOMPARE(tables[1]->columns(), 2);

    const QTextCharFormat port = formatOf(doc, QStringLiteral("Port"));
    QCOMPARE(port.fontWeight(), int(QFont::Bold));
    QCOMPARE(port.fontPointSize(), 10.0);
    QCOMPARE(familyOf(port), QStringLiteral("Arial"));
    QCOMPARE(formatOf(doc, QStringLiteral("0x300")).fontWeight(), int(QFont::Normal));
    QCOMPARE(doc.find(QStringLiteral("Daten")).currentTable(), tables[0]);
    QCOMPARE(doc.find(QStringLiteral("Zwischentext")).currentTable(), nullptr);
}

void TestRtfReader::tables_data()
{
    QTest::addColumn<QByteArray>("body");       // between "{\rtf1 " and "}"
    QTest::addColumn<QString>("outline");
    QTest::newRow("rows form one table")
        << QByteArray("vor\\par\\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\cellx1\\cellx2\\intbl c\\cell d\\cell\\row\\pard nach")
        << QStringLiteral("vor\n[a|b;c|d]\nnach");
    // A table at the start of a document has the empty first block before
    // it, and every table the block after it.
    QTest::newRow("table first and last")
        << QByteArray("\\intbl a\\cell\\row") << QStringLiteral("\n[a]\n");
    QTest::newRow("paragraphs in a cell")
        << QByteArray("\\intbl a\\par b\\cell c\\cell\\row\\pard x")
        << QStringLiteral("\n[a/b|c]\nx");
    QTest::newRow("differing cell counts")
        << QByteArray("\\intbl a\\cell\\row\\intbl b\\cell c\\cell d\\cell\\row\\intbl e\\cell f\\cell\\row\\pard")
        << QStringLiteral("\n[a||;b|c|d;e|f|]\n");
    QTest::newRow("text between rows")
        << QByteArray("\\intbl a\\cell\\row\\pard x\\par\\intbl b\\cell\\row\\pard y")
        << QStringLiteral("\n[a]\nx\n[b]\ny");
    QTest::newRow("empty cells") << QByteArray("\\intbl\\cell\\cell\\row\\pard") << QStringLiteral("\n[|]\n");
    QTest::newRow("itap") << QByteArray("\\itap1 a\\cell\\row\\itap0 b") << QStringLiteral("\n[a]\nb");
    QTest::newRow("nested table flattened")
        << QByteArray("\\intbl A\\cell\\itap2 x\\nestcell y\\nestcell{\\*\\nesttableprops\\trowd\\nestrow}"
                      "{\\nonesttables\\par}\\itap1 B\\cell\\row\\pard")
        << QStringLiteral("\n[A|x\ty/B]\n");
    // Broken markup: everything stays readable, nothing is lost or crashes.
    QTest::newRow("row ends an open cell") << QByteArray("\\intbl a\\cell b\\row\\pard") << QStringLiteral("\n[a|b]\n");
    QTest::newRow("cell outside a table") << QByteArray("a\\cell b") << QStringLiteral("\n[a]\nb");
    QTest::newRow("rows without cells") << QByteArray("a\\par\\row\\trowd\\row b") << QStringLiteral("a\nb");
    QTest::newRow("intbl without cell") << QByteArray("x\\par\\intbl a\\par\\pard b") << QStringLiteral("x\n[a]\nb");
    QTest::newRow("unclosed row") << QByteArray("\\intbl a\\cell b") << QStringLiteral("\n[a]\nb");
    QTest::newRow("nested marks outside a table") << QByteArray("\\nestcell\\nestrow x") << QStringLiteral("\nx");
    QTest::newRow("marks in a skipped group") << QByteArray("{\\*\\foo a\\cell\\row}{\\pict\\cell\\row}x") << QStringLiteral("x");
}

void TestRtfReader::tables()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, outline);
    QTextDocument doc;
    QVERIFY(readRtf("{\\rtf1 " + body + "}", &doc));
    QCOMPARE(::outline(doc), outline);
}

// Rows of wildly different lengths must not make a grid of empty cells
// that is far larger than the text.
void TestRtfReader::oddTablesStaySmall()
{
    QByteArray wide = "{\\rtf1\\intbl ";
    for (int i = 0; i < 1000; ++i)
        wide += QByteArray::number(i) + "\\cell ";
    QTextDocument doc;
    QVERIFY(readRtf(wide + "\\row}", &doc));
    QCOMPARE(tablesOf(doc).size(), 1);
    QCOMPARE(tablesOf(doc)[0]->columns(), 63);             // Word's limit; the rest in the last cell
    QVERIFY(doc.toPlainText().contains(QStringLiteral("998\n999")));

    QByteArray tall = "{\\rtf1\\intbl ";
    for (int i = 0; i < 500; ++i)
        tall += "a\\cell\\row ";
    tall += QByteArray(60, 'x').replace("x", "b\\cell ") + "\\row}";
    QVERIFY(readRtf(tall, &doc));
    qsizetype gridCells = 0;
    for (const QTextTable* table : tablesOf(doc))
        gridCells += qsizetype(table->rows()) * table->columns();
    QVERIFY2(gridCells <= 2 * (500 + 60) + 2 * 64, qPrintable(QString::number(gridCells)));
    QCOMPARE(doc.toPlainText().count(u'a'), 500);
    QCOMPARE(doc.toPlainText().count(u'b'), 60);
}

void TestRtfReader::malformedInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");      // expected plain text; null = anything
    const QString any;
    QTest::newRow("header only") << QByteArray("{\\rtf") << QString("");
    QTest::newRow("no closing brace") << QByteArray("{\\rtf1 abc") << QStringLiteral("abc");
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 abc}}}} def") << QStringLiteral("abc");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 a\\'") << QStringLiteral("a");
    QTest::newRow("hex not hex") << QByteArray("{\\rtf1 a\\'zz}") << QStringLiteral("azz");
    QTest::newRow("huge font size") << QByteArray("{\\rtf1\\fs999999999999999999999999 x}") << QStringLiteral("x");
    QTest::newRow("huge negative u") << QByteArray("{\\rtf1\\u-99999999999999?\\u99999999?x}") << QStringLiteral("x");
    QTest::newRow("huge uc") << QByteArray("{\\rtf1\\uc99999999999\\u8364 abc}") << QStringLiteral("€");
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a\\bin99999999999 abc}") << QStringLiteral("a");
    QTest::newRow("huge indents") << QByteArray("{\\rtf1\\li-99999999999\\fi99999999\\sb99999999 x\\par}") << any;
    QTest::newRow("long control word") << QByteArray("{\\rtf1 \\") + QByteArray(100000, 'a') + " x}" << QStringLiteral("x");
    QTest::newRow("truncated font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << QString("");
    QTest::newRow("colour out of range") << QByteArray("{\\rtf1{\\colortbl\\red300\\green-5\\blue;}\\cf99 x\\cf-1 y}") << QStringLiteral("xy");
    QTest::newRow("control bytes") << bytes("{\\rtf1 a\0\1\x1f\xff\\'00\\'1f b}") << QStringLiteral("aÿ b");
    QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "y}" << QStringLiteral("xy");
    QTest::newRow("deep nesting unclosed") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "\\b x" << QStringLiteral("x");
    QTest::newRow("skipped group unclosed") << QByteArray("{\\rtf1 a{\\pict 0123") << QStringLiteral("a");
}

void TestRtfReader::malformedInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QTextDocument doc;
    QVERIFY(readRtf(rtf, &doc));
    if (!text.isNull())
        QCOMPARE(doc.toPlainText(), text);
}

void TestRtfReader::mutatedFilesDoNotCrash_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("formats") << QStringLiteral(KVX_HELP_TESTDATA "/formats.rtf");
    QTest::newRow("tables") << QStringLiteral(KVX_HELP_TESTDATA "/tables.rtf");
}

// Truncations and byte changes of a real file: the reader must survive them all.
void TestRtfReader::mutatedFilesDoNotCrash()
{
    QFETCH(QString, file);
    const QByteArray original = readFile(file);
    QVERIFY(!original.isEmpty());
    QRandomGenerator rng(20030201);
    static const char kNasty[] = "{}\\'u-0123456789*;\\cell\\row\\intbl";
    for (int round = 0; round < 300; ++round) {
        QByteArray data = original.left(rng.bounded(original.size() + 1));
        const int changes = rng.bounded(1, 12);
        for (int i = 0; i < changes && data.size() > 6; ++i) {
            const int at = rng.bounded(6, int(data.size()));
            data[at] = (rng.bounded(2) == 0) ? char(rng.bounded(256))
                                             : kNasty[rng.bounded(int(sizeof kNasty) - 1)];
        }
        QTextDocument doc;
        QVERIFY(readRtf(data, &doc));
    }
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
