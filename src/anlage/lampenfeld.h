// LampenFeld: many small lamps in rows, painted as rectangles: the auxiliary
// blocks, the detectors, the push buttons and the LED chains of the virtual
// layout.
//
// Each lamp has a fill colour and, optionally, a mark (a smaller square in its
// middle, e.g. an auxiliary block's power). Left of each row stands the
// number of its first lamp. A change of colour repaints that one lamp, a
// change of many lamps at once the whole field (which costs about as much as
// a few dozen single repaints), an unchanged colour nothing.
//
// The mouse: pressing on a lamp reports it, releasing reports the lamp that
// was pressed, wherever the mouse is then; the tool tip names the lamp.
//
// The geometry is plain arithmetic in lampen::Geometrie, usable without a widget.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStaticText>
#include <QWidget>

#include <vector>

class QPainter;

namespace lampen {

// The frame around the lamps and tiles a wiring fault touches.
inline constexpr QRgb FehlerRahmen = qRgb(230, 0, 230);

// Pixels, from the widget's top left corner:
//   frame 1 | labels labelBreite | line 1 | lamp zelle | line 1 | lamp | ... | line 1 | frame 1
// and downwards frame 1 | line 1 | lamp | line 1 | ... | frame 1.
struct Geometrie {
    int anzahl = 0;        // lamps, numbered from 1
    int spalten = 40;      // lamps per row
    int zelle = 9;         // side of a lamp
    int labelBreite = 30;  // number column

    int zeilen() const;                 // rows, at least 1
    QRect lampe(int nr) const;          // lamp nr (1..anzahl); null outside
    QRect label(int zeile) const;       // row 0..zeilen()-1; null outside
    int lampeBei(QPoint p) const;       // the lamp under p, 0 for none (lines, labels, beyond the last)
    QSize groesse() const;
};

}  // namespace lampen

class LampenFeld : public QWidget {
    Q_OBJECT
public:
    explicit LampenFeld(QWidget* parent = nullptr);

    // Lays the field out for anzahl lamps (bounded to 0..4096), the row
    // labels counting from ersteNummer (the number shown for lamp 1). All
    // lamps dark, no marks.
    void anordnen(int anzahl, int spalten, int ersteNummer);

    int anzahl() const { return geo_.anzahl; }
    int ersteNummer() const { return ersteNummer_; }
    const lampen::Geometrie& geometrie() const { return geo_; }

    // Fill and mark of lamp nr (1..anzahl); an invalid QColor outside. A
    // mark of 0 (qRgba 0) is none.
    QColor farbe(int nr) const;
    QRgb marke(int nr) const;

    // Sets one lamp; repaints it when it changed. Outside the field: nothing.
    void setLampe(int nr, QRgb farbe, QRgb marke = 0);

    // Sets lamps 1..n from the lists (index 0 = lamp 1; the shorter list and
    // the field bound n); repaints what changed.
    void setLampen(const std::vector<QRgb>& farben, const std::vector<QRgb>& marken = {});

    // The lamps framed in lampen::FehlerRahmen (a wiring fault touches
    // them); numbers outside the field show nothing. Kept over anordnen().
    void setRahmen(std::vector<int> nummern);
    bool rahmen(int nr) const;

    // The colour of a dark lamp, set before anordnen().
    void setDunkel(QRgb farbe) { dunkel_ = farbe; }

    QSize sizeHint() const override { return geo_.groesse(); }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void gedrueckt(int nr);
    void losgelassen(int nr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void malen(QPainter& p, const QRect& clip);
    void labelsVorbereiten();
    bool setzen(int nr, QRgb farbe, QRgb marke);   // true: changed

    lampen::Geometrie geo_;
    int ersteNummer_ = 1;
    QRgb dunkel_ = qRgb(64, 64, 64);
    std::vector<QRgb> farben_;
    std::vector<QRgb> marken_;
    std::vector<int> rahmen_;   // ascending
    std::vector<QStaticText> labels_;
    int gehalten_ = 0;   // the lamp the mouse is down on
};
