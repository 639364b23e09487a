#include "monitorgrid.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace gridgeo {

namespace {

constexpr int Origin = FrameWidth + LineWidth;         // first cell pixel, both axes
constexpr int RowPitch = RowHeight + LineWidth;        // 16
constexpr int CellPitch = CellWidth + LineWidth;       // 13
constexpr int FirstCellX = Origin + LabelWidth + LineWidth;  // left edge of column 1

// Column under widget x, clamped to 0..40 (a grid line counts to the cell before it).
int columnAt(int x)
{
    if (x < FirstCellX)
        return 0;
    return std::min(Columns, 1 + (x - FirstCellX) / CellPitch);
}

// Row under widget y, from 0 on; the caller clamps to the last row.
int rowAt(int y)
{
    return std::max(0, y - Origin) / RowPitch;
}

}  // namespace

int rowCountFor(int count)
{
    count = std::clamp(count, 0, MaxElements);
    return (count - 1) / Columns + 2;  // truncates toward zero: 0 -> 2 rows
}

int gridHeightFor(int count)
{
    return rowCountFor(count) * RowPitch + 2 * FrameWidth + LineWidth;
}

int gridWidth()
{
    return 2 * FrameWidth + LineWidth + LabelWidth + LineWidth + Columns * CellPitch;
}

int counterHeightFor(int count)
{
    return std::max(gridHeightFor(count), MinCounterHeight);
}

int rowOf(int element)
{
    return (element - 1) / Columns + 1;
}

int columnOf(int element)
{
    return (element - 1) % Columns + 1;
}

QColor elementColor(int element, bool active)
{
    const bool tenth = element % 10 == 0;
    if (active)
        return QColor(tenth ? DarkRed : Red);
    return QColor(tenth ? LightYellow : Gray);
}

QColor layoutColor(int col)
{
    return QColor(col % 10 == 0 ? LightYellow : White);
}

QString headerText(int col)
{
    if (col < 1 || col > Columns)
        return {};
    return QString::number(col % 10);
}

qint64 rowLabelFor(int firstLabel, int row)
{
    return qint64(firstLabel) + qint64(Columns) * (qint64(row) - 1);
}

QRect cellRect(int row, int col)
{
    if (row < 0 || col < 0 || col > Columns)
        return {};
    const int y = Origin + row * RowPitch;
    if (col == 0)
        return QRect(Origin, y, LabelWidth, RowHeight);
    return QRect(FirstCellX + (col - 1) * CellPitch, y, CellWidth, RowHeight);
}

}  // namespace gridgeo

using namespace gridgeo;

MonitorGrid::MonitorGrid(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted by paintEvent: no background fill by Qt.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    for (int d = 0; d < 10; ++d)
        m_digits[d].setText(QString::number(d));
    configure(0, 0);
}

void MonitorGrid::prepareTexts()
{
    const QFont f = font();
    for (QStaticText& t : m_digits)
        t.prepare(QTransform(), f);
    m_labelTexts.assign(std::size_t(m_rows), QStaticText());
    for (int r = 1; r < m_rows; ++r) {
        m_labelTexts[std::size_t(r)].setText(m_labels.at(r));
        m_labelTexts[std::size_t(r)].prepare(QTransform(), f);
    }
}

void MonitorGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        prepareTexts();
        update();
    }
    QWidget::changeEvent(event);
}

void MonitorGrid::drawCentred(QPainter& p, const QRect& cell, const QStaticText& text) const
{
    const QSizeF size = text.size();
    p.drawStaticText(QPointF(cell.x() + (cell.width() - size.width()) / 2,
                             cell.y() + (cell.height() - size.height()) / 2),
                     text);
}

void MonitorGrid::configure(int count, int firstLabel)
{
    m_rows = rowCountFor(count);
    m_labels.clear();
    m_labels.reserve(m_rows);
    m_labels.append(QString());
    for (int r = 1; r < m_rows; ++r)
        m_labels.append(QString::number(rowLabelFor(firstLabel, r)));
    prepareTexts();

    m_colours.resize(std::size_t(m_rows - 1) * Columns);
    for (std::size_t i = 0; i < m_colours.size(); ++i)
        m_colours[i] = layoutColor(int(i % Columns) + 1).rgb();
    m_marks.assign(m_colours.size(), 0);
    m_markCount = 0;

    setFixedSize(gridWidth(), gridHeightFor(count));
    update();
}

QString MonitorGrid::rowLabel(int row) const
{
    if (row < 1 || row >= m_rows)
        return {};
    return m_labels.at(row);
}

int MonitorGrid::index(int row, int col) const
{
    if (row < 1 || row >= m_rows || col < 1 || col > Columns)
        return -1;
    return (row - 1) * Columns + (col - 1);
}

QColor MonitorGrid::cellColor(int row, int col) const
{
    const int i = index(row, col);
    return i < 0 ? QColor() : QColor(m_colours[std::size_t(i)]);
}

void MonitorGrid::setCellColor(int row, int col, const QColor& colour)
{
    const int i = index(row, col);
    if (i < 0 || !colour.isValid())
        return;
    const QRgb value = colour.rgb();  // opaque
    QRgb& cell = m_colours[std::size_t(i)];
    if (cell == value)
        return;
    cell = value;
    update(cellRect(row, col));
}

void MonitorGrid::setElementState(int element, bool active)
{
    if (element < 1 || element > (m_rows - 1) * Columns)
        return;
    setCellColor(rowOf(element), columnOf(element), elementColor(element, active));
}

void MonitorGrid::showStates(std::span<const std::uint8_t> image, int count)
{
    const int cells = (m_rows - 1) * Columns;
    const int hoechstes = std::max(0, std::min(cells, int(image.size()) - 1));
    const int n = std::clamp(count, 0, hoechstes);
    for (int e = 1; e <= n; ++e)
        setCellColor(rowOf(e), columnOf(e), elementColor(e, image[std::size_t(e)] != 0));
    const QColor blank(White);
    for (int e = n + 1; e <= cells; ++e)
        setCellColor(rowOf(e), columnOf(e), blank);
}

void MonitorGrid::setMarked(int element, bool marked)
{
    if (element < 1 || element > (m_rows - 1) * Columns)
        return;
    std::uint8_t& mark = m_marks[std::size_t(element - 1)];
    if (bool(mark) == marked)
        return;
    mark = marked ? 1 : 0;
    m_markCount += marked ? 1 : -1;
    update(cellRect(rowOf(element), columnOf(element)));
}

bool MonitorGrid::isMarked(int element) const
{
    return element >= 1 && element <= (m_rows - 1) * Columns && m_marks[std::size_t(element - 1)] != 0;
}

void MonitorGrid::clearMarks()
{
    for (int e = 1; m_markCount > 0 && e <= int(m_marks.size()); ++e)
        setMarked(e, false);
}

QSize MonitorGrid::sizeHint() const
{
    return QSize(gridWidth(), gridHeightFor((m_rows - 1) * Columns));
}

void MonitorGrid::paintEvent(QPaintEvent* event)
{
    const QRect clip = event->rect() & rect();
    if (clip.isEmpty())
        return;

    QPainter p(this);
    // Grid lines are whatever the cells leave uncovered.
    p.fillRect(clip, QColor(LineColour));
    if (!rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth).contains(clip)) {
        p.setPen(QColor(FrameColour));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    const int firstRow = std::min(m_rows - 1, rowAt(clip.top()));
    const int lastRow = std::min(m_rows - 1, rowAt(clip.bottom()));
    const int firstCol = columnAt(clip.left());
    const int lastCol = columnAt(clip.right());

    const QColor white(White);
    // Data cells first: one fillRect each, nothing else.
    for (int r = std::max(firstRow, 1); r <= lastRow; ++r) {
        const QRgb* row = m_colours.data() + std::size_t(r - 1) * Columns;
        for (int c = std::max(firstCol, 1); c <= lastCol; ++c)
            p.fillRect(cellRect(r, c), QColor(row[c - 1]));
    }
    // Marks: the frame, then the state colour inside it again.
    for (int r = std::max(firstRow, 1); m_markCount > 0 && r <= lastRow; ++r) {
        const std::size_t rowStart = std::size_t(r - 1) * Columns;
        for (int c = std::max(firstCol, 1); c <= lastCol; ++c) {
            const std::size_t i = rowStart + std::size_t(c - 1);
            if (!m_marks[i])
                continue;
            const QRect cell = cellRect(r, c);
            p.fillRect(cell, QColor(MarkColour));
            p.fillRect(cell.adjusted(MarkWidth, MarkWidth, -MarkWidth, -MarkWidth), QColor(m_colours[i]));
        }
    }

    // Header row and label column: white cells with black text. Only repainted
    // when the update reaches them, which cell colour changes never do.
    p.setPen(QColor(TextColour));
    p.setFont(font());
    if (firstRow == 0) {
        for (int c = firstCol; c <= lastCol; ++c) {
            const QRect r = cellRect(0, c);
            p.fillRect(r, white);
            if (c > 0)
                drawCentred(p, r, m_digits[c % 10]);
        }
    }
    if (firstCol == 0) {
        for (int r = std::max(firstRow, 1); r <= lastRow; ++r) {
            const QRect cell = cellRect(r, 0);
            p.fillRect(cell, white);
            drawCentred(p, cell, m_labelTexts[std::size_t(r)]);
        }
    }
}
