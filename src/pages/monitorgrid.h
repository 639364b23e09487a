// MonitorGrid: the large occupancy and push-button grids of the monitoring
// pages, readable from across the room.
//
// One row of 40 cells per 40 elements, a fixed header row with the last digit
// of each column number and a label column holding the number just below the
// first element of each row. The cells carry nothing but a background colour.
//
// The grid is repainted from the 20 ms keep-alive tick, so it paints itself by
// filling rectangles: a colour change schedules the repaint of that one cell,
// an unchanged colour schedules nothing, and a full repaint of the largest
// grid costs a small fraction of a millisecond.
//
// An element can carry a mark, a blue frame inside its cell that leaves the
// state colour visible in the middle: the input statistics mark the elements
// that flickered.
//
// Geometry, in pixels, from the top left corner of the widget:
//
//     frame 1 | line 1 | label 25 | line 1 | cell 12 | line 1 | ... | cell 12 | line 1 | frame 1
//
// and the same downwards with 15 pixel rows. So a grid of n rows is
// n x (15 + 1) + 3 pixels high and 1 + 1 + 41 x (column + 1) + 1 = 549 pixels
// wide; the cell of row r, column c starts at (2 + x(c), 2 + 16 r) with
// x(0) = 0 and x(c) = 26 + 13 (c - 1) for c = 1..40.
//
// What the grid computes lives in the plain functions of namespace gridgeo,
// usable without any widget.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QStaticText>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <span>
#include <vector>

namespace gridgeo {

inline constexpr int Columns = 40;           // element columns per row
inline constexpr int LabelWidth = 25;        // column 0
inline constexpr int CellWidth = 12;         // columns 1..40
inline constexpr int RowHeight = 15;         // every row, header included
inline constexpr int LineWidth = 1;          // grid line after every cell, one before the first
inline constexpr int FrameWidth = 1;         // outer frame
inline constexpr int MinCounterHeight = 51;  // counter panel beside a small grid
// Larger counts are taken as this one: the largest process image (the
// push-button image) has 1536 entries, so no real grid comes near it.
inline constexpr int MaxElements = 1536;

inline constexpr QRgb Red = qRgb(255, 0, 0);              // occupied, pressed
inline constexpr QRgb DarkRed = qRgb(223, 0, 0);          // occupied, every tenth element
inline constexpr QRgb Gray = qRgb(128, 128, 128);         // free, released
inline constexpr QRgb LightYellow = qRgb(255, 255, 128);  // free, every tenth element
inline constexpr QRgb White = qRgb(255, 255, 255);
inline constexpr QRgb LineColour = qRgb(192, 192, 192);
inline constexpr QRgb FrameColour = qRgb(105, 105, 105);
inline constexpr QRgb TextColour = qRgb(0, 0, 0);
// The mark of an element: a frame this wide inside its cell, in a colour that
// none of the state colours comes near.
inline constexpr QRgb MarkColour = qRgb(0, 0, 255);
inline constexpr int MarkWidth = 2;

// Rows of a grid for count elements, header row included:
// (count - 1) / 40 + 2 with truncating division, so 0 and 40 give 2 rows and
// 41 gives 3. Negative counts are taken as 0, counts above MaxElements as
// MaxElements.
int rowCountFor(int count);
// rowCountFor(count) x (RowHeight + LineWidth) + 3.
int gridHeightFor(int count);
// Fixed width of every grid: 549.
int gridWidth();
// Height of the counter panel beside the grid: the grid's height, at least 51.
int counterHeightFor(int count);

// Cell of element (1-based): row (element - 1) / 40 + 1, column (element - 1) % 40 + 1.
// Only meaningful for element >= 1.
int rowOf(int element);
int columnOf(int element);

// Colour of an element's cell for its state: active (occupied, pressed) red,
// else gray; every tenth element dark red or light yellow instead.
QColor elementColor(int element, bool active);
// Colour a data cell in column col gets when the grid is laid out:
// light yellow in every tenth column, else white.
QColor layoutColor(int col);
// Header text of column col (1..40): its last digit, "1".."9" and "0".
// Empty for column 0 and outside the grid.
QString headerText(int col);
// Label of data row row (>= 1): firstLabel + 40 x (row - 1), wide enough never to overflow.
qint64 rowLabelFor(int firstLabel, int row);
// Rectangle of the cell in row row (0 = header), column col (0 = labels), in
// widget coordinates. Null for a negative row or a column outside 0..40.
QRect cellRect(int row, int col);

}  // namespace gridgeo

class QPainter;

class MonitorGrid : public QWidget {
    Q_OBJECT

public:
    // A new grid is laid out for no elements (two rows, labels from 0).
    explicit MonitorGrid(QWidget* parent = nullptr);

    // Lays the grid out for count elements: the row count, the fixed height,
    // the row labels from firstLabel on (0, 40, 80, ... or 200, 240, ...) and
    // every data cell reset to its layout colour, no mark left. Repaints the
    // whole grid.
    void configure(int count, int firstLabel = 0);

    // Rows including the header row; data rows are 1 .. rowCount() - 1.
    int rowCount() const { return m_rows; }
    // Text in column 0 of data row row; empty for the header row and outside the grid.
    QString rowLabel(int row) const;

    // Background colour of data cell (row 1 .. rowCount() - 1, col 1..40);
    // an invalid QColor for any other cell.
    QColor cellColor(int row, int col) const;
    // Sets the background of a data cell. Cells outside the data cells and
    // invalid colours are ignored; alpha is ignored. Schedules a repaint of
    // that cell only, and nothing when the colour does not change.
    void setCellColor(int row, int col, const QColor& colour);
    // Colours the cell of element (1-based) for its state, see
    // gridgeo::elementColor. Elements outside the laid-out rows are ignored.
    void setElementState(int element, bool active);
    // Colours elements 1..count from image[element] (non-zero: active) and
    // blanks the laid-out cells beyond count white, so that no cell there
    // looks like a free element. The count is bounded to the image (entry 0
    // is unused) and to the laid-out rows.
    void showStates(std::span<const std::uint8_t> image, int count);

    // Sets or clears the mark of element (1-based); colours leave it alone.
    // Elements outside the laid-out rows are ignored. Schedules a repaint of
    // that cell only, and nothing when the mark does not change.
    void setMarked(int element, bool marked);
    bool isMarked(int element) const;
    void clearMarks();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int index(int row, int col) const;  // into m_colours, -1 outside the data cells
    void prepareTexts();
    void drawCentred(QPainter& p, const QRect& cell, const QStaticText& text) const;

    int m_rows = 0;
    QStringList m_labels;         // per row; [0] (header) empty
    // Laid-out texts, so a repaint does no text layout: the ten header digits
    // and the row labels.
    QStaticText m_digits[10];
    std::vector<QStaticText> m_labelTexts;
    std::vector<QRgb> m_colours;  // data rows x 40, row-major
    std::vector<std::uint8_t> m_marks;  // the same cells: 1 marked
    int m_markCount = 0;
};
