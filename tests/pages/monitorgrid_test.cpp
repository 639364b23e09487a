// Tests of the monitoring grid and the counter panel beside it.
#include "counterpanel.h"
#include "monitorgrid.h"

#include <QImage>
#include <QPaintEvent>
#include <QtTest>

#include <algorithm>
#include <climits>

namespace {

const QColor red(255, 0, 0);
const QColor darkRed(223, 0, 0);
const QColor gray(128, 128, 128);
const QColor lightYellow(255, 255, 128);
const QColor white(255, 255, 255);

// All data-cell colours, row by row.
QList<QRgb> snapshot(const MonitorGrid& g)
{
    QList<QRgb> cells;
    for (int r = 1; r < g.rowCount(); ++r)
        for (int c = 1; c <= 40; ++c)
            cells.append(g.cellColor(r, c).rgb());
    return cells;
}

QImage rendered(QWidget& w)
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    w.render(&img);
    return img;
}

// Text is black; no cell colour comes near black in every channel.
bool hasDarkPixel(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (std::max({qRed(p), qGreen(p), qBlue(p)}) < 100)
                return true;
        }
    }
    return false;
}

// Records the region of every paint event of the watched widget.
class PaintSpy : public QObject {
public:
    QList<QRegion> regions;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

}  // namespace

class MonitorGridTest : public QObject {
    Q_OBJECT

private slots:
    void geometry_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("counterHeight");
        QTest::newRow("no elements") << 0 << 2 << 35 << 51;
        QTest::newRow("one detector card") << 8 << 2 << 35 << 51;
        QTest::newRow("one full row") << 40 << 2 << 35 << 51;
        QTest::newRow("one into row 2") << 41 << 3 << 51 << 51;
        QTest::newRow("200 detectors") << 200 << 6 << 99 << 99;
        QTest::newRow("512 detectors") << 512 << 14 << 227 << 227;
        QTest::newRow("negative") << -41 << 2 << 35 << 51;
        QTest::newRow("absurdly many") << INT_MAX << 40 << 643 << 643;
    }
    void geometry()
    {
        QFETCH(int, count);
        QFETCH(int, rows);
        QFETCH(int, height);
        QFETCH(int, counterHeight);
        QCOMPARE(gridgeo::rowCountFor(count), rows);
        QCOMPARE(gridgeo::gridHeightFor(count), height);
        QCOMPARE(gridgeo::counterHeightFor(count), counterHeight);

        MonitorGrid g;
        g.configure(count);
        QCOMPARE(g.rowCount(), rows);
        QCOMPARE(g.size(), QSize(549, height));
        QCOMPARE(g.minimumSize(), g.maximumSize());
    }

    void rowLabels_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstLabel");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("200 detectors") << 200 << 0 << QStringList{"0", "40", "80", "120", "160"};
        QTest::newRow("8 detectors") << 8 << 0 << QStringList{"0"};
        QTest::newRow("41 blocks") << 41 << 0 << QStringList{"0", "40"};
        QTest::newRow("auxiliary blocks") << 88 << 200 << QStringList{"200", "240", "280"};
    }
    void rowLabels()
    {
        QFETCH(int, count);
        QFETCH(int, firstLabel);
        QFETCH(QStringList, labels);
        MonitorGrid g;
        g.configure(count, firstLabel);
        QCOMPARE(g.rowCount(), labels.size() + 1);
        for (int r = 1; r < g.rowCount(); ++r)
            QCOMPARE(g.rowLabel(r), labels.at(r - 1));
        QCOMPARE(g.rowLabel(0), QString());
        QCOMPARE(g.rowLabel(g.rowCount()), QString());
        QCOMPARE(g.rowLabel(-1), QString());
    }

    // Each element lands in its own cell with the colours of its state, and
    // no other cell changes.
    void elementCell_data()
    {
        QTest::addColumn<int>("element");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QColor>("active");
        QTest::addColumn<QColor>("inactive");
        QTest::newRow("1") << 1 << 1 << 1 << red << gray;
        QTest::newRow("10") << 10 << 1 << 10 << darkRed << lightYellow;
        QTest::newRow("11") << 11 << 1 << 11 << red << gray;
        QTest::newRow("40") << 40 << 1 << 40 << darkRed << lightYellow;
        QTest::newRow("41") << 41 << 2 << 1 << red << gray;
        QTest::newRow("200") << 200 << 5 << 40 << darkRed << lightYellow;
    }
    void elementCell()
    {
        QFETCH(int, element);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QColor, active);
        QFETCH(QColor, inactive);
        QCOMPARE(gridgeo::elementColor(element, true), active);
        QCOMPARE(gridgeo::elementColor(element, false), inactive);

        MonitorGrid g;
        g.configure(200);
        QList<QRgb> expected = snapshot(g);
        const int at = (row - 1) * 40 + (col - 1);

        g.setElementState(element, true);
        expected[at] = active.rgb();
        QCOMPARE(snapshot(g), expected);
        QCOMPARE(g.cellColor(row, col), active);

        g.setElementState(element, false);
        expected[at] = inactive.rgb();
        QCOMPARE(snapshot(g), expected);
    }

    void layoutColoursAndRelayout()
    {
        MonitorGrid g;
        g.configure(88);
        // Row 3 holds elements 81..88; the rest of it keeps its layout colours.
        for (int e = 1; e <= 88; ++e)
            g.setElementState(e, true);
        QCOMPARE(g.cellColor(3, 8), red);
        QCOMPARE(g.cellColor(3, 9), white);
        QCOMPARE(g.cellColor(3, 10), lightYellow);

        g.configure(120, 200);
        QCOMPARE(g.rowCount(), 4);
        for (int r = 1; r < 4; ++r) {
            for (int c = 1; c <= 40; ++c)
                QCOMPARE(g.cellColor(r, c), c % 10 == 0 ? lightYellow : white);
        }
        QCOMPARE(g.rowLabel(3), QString("280"));
    }

    void ignoresOutOfRange()
    {
        MonitorGrid g;
        g.configure(41);  // data rows 1..2, elements 1..80
        const QList<QRgb> before = snapshot(g);
        const QList<QPair<int, int>> outside{{0, 1}, {1, 0}, {1, 41}, {3, 1}, {-1, 5},
                                             {INT_MAX, 1}, {1, INT_MIN}};
        for (const auto& [r, c] : outside) {
            g.setCellColor(r, c, red);
            QVERIFY2(!g.cellColor(r, c).isValid(), qPrintable(QString("%1,%2").arg(r).arg(c)));
        }
        for (int e : {0, -1, 81, 400, INT_MAX, INT_MIN})
            g.setElementState(e, true);
        g.setCellColor(1, 1, QColor());
        QCOMPARE(snapshot(g), before);

        g.configure(INT_MIN, INT_MAX);  // bounded, labels do not overflow
        QCOMPARE(g.rowCount(), 2);
        QCOMPARE(g.rowLabel(1), QString::number(INT_MAX));
    }

    // A colour change repaints its cell only; an unchanged colour repaints nothing.
    void repaintsChangedCellOnly()
    {
        MonitorGrid g;
        g.configure(80);
        PaintSpy spy;
        g.installEventFilter(&spy);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QTRY_VERIFY(!spy.regions.isEmpty());
        spy.regions.clear();

        g.setCellColor(1, 1, white);             // already white
        g.setElementState(20, false);            // already light yellow
        g.setElementState(45, true);             // row 2, column 5
        QTRY_VERIFY(!spy.regions.isEmpty());
        QCOMPARE(spy.regions.first(), QRegion(gridgeo::cellRect(2, 5)));
    }

    void paintedPixels()
    {
        MonitorGrid g;
        g.configure(200);
        g.setElementState(10, true);
        g.setElementState(41, true);
        const QImage img = rendered(g);

        // Every pixel is painted.
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QVERIFY(img.pixelColor(x, y) != QColor(Qt::magenta));

        QCOMPARE(img.pixelColor(150, 25), darkRed);      // row 1, column 10
        QCOMPARE(img.pixelColor(33, 41), red);           // row 2, column 1
        QCOMPARE(img.pixelColor(160, 25), white);        // row 1, column 11
        QCOMPARE(img.pixelColor(280, 89), lightYellow);  // row 5, column 20
        QVERIFY(img.pixelColor(157, 25) != white);       // line between columns 10 and 11
        QVERIFY(img.pixelColor(150, 33) != darkRed);     // line below row 1

        // Cells show their colour only, no text.
        QVERIFY(!hasDarkPixel(img.copy(gridgeo::cellRect(1, 10))));
        QVERIFY(!hasDarkPixel(img.copy(gridgeo::cellRect(3, 7))));
        QVERIFY(hasDarkPixel(img.copy(gridgeo::cellRect(2, 0))));  // label "40"
    }

    // The mark of a flickering element: a frame around the state colour, kept
    // through colour changes, gone with clearMarks and with a new layout.
    void markFramesTheStateColour()
    {
        MonitorGrid g;
        g.configure(88);
        g.setElementState(17, true);
        g.setMarked(17, true);
        g.setElementState(17, false);
        const QRect cell = gridgeo::cellRect(1, 17);
        const QImage img = rendered(g);
        QCOMPARE(img.pixelColor(cell.topLeft()), QColor(gridgeo::MarkColour));
        QCOMPARE(img.pixelColor(cell.bottomRight()), QColor(gridgeo::MarkColour));
        QCOMPARE(img.pixelColor(cell.center()), gray);
        QCOMPARE(img.pixelColor(gridgeo::cellRect(1, 16).topLeft()), white);
        g.clearMarks();
        QCOMPARE(rendered(g).pixelColor(cell.topLeft()), gray);
        g.setMarked(17, true);
        g.configure(88);
        QVERIFY(!g.isMarked(17));
    }

    void headerDigits()
    {
        MonitorGrid g;
        const QImage img = rendered(g);
        auto header = [&](int col) { return img.copy(gridgeo::cellRect(0, col)); };
        for (int c = 1; c <= 40; ++c)
            QVERIFY(hasDarkPixel(header(c)));
        QVERIFY(!hasDarkPixel(header(0)));
        // The last digit of the column number: 1, 11, 21, 31 alike; 10..40 show "0".
        QCOMPARE(header(11), header(1));
        QCOMPARE(header(31), header(1));
        QCOMPARE(header(29), header(9));
        QCOMPARE(header(20), header(10));
        QCOMPARE(header(40), header(10));
        QVERIFY(header(2) != header(1));
        QVERIFY(header(10) != header(1));
        QCOMPARE(gridgeo::headerText(40), QString("0"));
        QCOMPARE(gridgeo::headerText(41), QString());
    }

    void counterPanel()
    {
        CounterPanel p;
        p.setFixedHeight(gridgeo::counterHeightFor(8));
        QCOMPARE(p.text(), QString("0"));
        QCOMPARE(p.textColor(), gray);
        QCOMPARE(p.width(), 115);
        QCOMPARE(p.font().families().value(0), QString("Arial Black"));
        QCOMPARE(p.font().pixelSize(), 48);
        QCOMPARE(p.alignment(), Qt::AlignCenter);

        auto redPixels = [&] {
            const QImage img = rendered(p);
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += img.pixelColor(x, y) == red;
            return n;
        };
        QCOMPARE(redPixels(), 0);
        p.showElement(205, true);
        QCOMPARE(p.text(), QString("205"));
        QCOMPARE(p.textColor(), red);
        QVERIFY(redPixels() > 50);
        p.showElement(17, false);
        QCOMPARE(p.text(), QString("17"));
        QCOMPARE(p.textColor(), gray);
        QCOMPARE(redPixels(), 0);
    }
};

QTEST_MAIN(MonitorGridTest)
#include "monitorgrid_test.moc"
