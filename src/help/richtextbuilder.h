// RichTextBuilder: writes a QTextDocument front to back, paragraph by
// paragraph, for a reader of a foreign rich-text format.
//
// Everything goes in through one cursor in one edit block: a paragraph is
// one block insertion and one text insertion per run of equal format, so the
// work grows with the text, not with its square, however many runs and
// paragraphs there are. Table cells are collected until the table ends, since
// only then its size is known; the table is then inserted whole.
#pragma once

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <vector>

class QTextDocument;

class RichTextBuilder {
public:
    // Appends to doc, which is normally empty.
    explicit RichTextBuilder(QTextDocument* doc);
    ~RichTextBuilder();
    RichTextBuilder(const RichTextBuilder&) = delete;
    RichTextBuilder& operator=(const RichTextBuilder&) = delete;

    // Text of the open paragraph: beginRun starts a run in format, append
    // adds to the run last begun.
    void beginRun(const QTextCharFormat& format);
    void append(QChar ch) { para_.text.append(ch); }

    // Ends the open paragraph. lineFormat is the block's character format,
    // which gives an empty paragraph its height. A paragraph inTable belongs
    // to the open table cell (a cell is opened when there is none); any other
    // paragraph ends the table.
    void endParagraph(const QTextBlockFormat& block, const QTextCharFormat& lineFormat, bool inTable);
    // Ends the open paragraph as the last one of its table cell, and the cell.
    void endCell(const QTextBlockFormat& block, const QTextCharFormat& lineFormat);
    // Ends the table row; text still open becomes its last cell. A row
    // without cells is dropped.
    void endRow(const QTextBlockFormat& block, const QTextCharFormat& lineFormat);
    // Ends the document with its last paragraph (outside any table) and
    // writes whatever is still collected. Nothing may follow.
    void finish(const QTextBlockFormat& block, const QTextCharFormat& lineFormat);

    // Cells of a row beyond this many (Word's own limit) go into its last cell.
    static constexpr qsizetype kMaxTableColumns = 63;
    // A row whose cells would make the table's grid larger than twice the
    // cells it holds plus this starts a table of its own, so that rows of
    // very different lengths cannot make a huge grid of empty cells.
    static constexpr qsizetype kTableGridSlack = 64;

private:
    struct Run {
        qsizetype start;
        QTextCharFormat format;
    };
    struct Paragraph {
        QString text;
        std::vector<Run> runs;
        QTextBlockFormat block;
        QTextCharFormat lineFormat;
    };
    using Cell = std::vector<Paragraph>;
    using Row = std::vector<Cell>;

    Paragraph takeParagraph(const QTextBlockFormat& block, const QTextCharFormat& lineFormat);
    void closeCell();
    void closeRow();                // may write the rows before it as a table of their own
    void writeTable();              // the closed rows
    void writeParagraph(const Paragraph& p);

    QTextCursor cursor_;
    bool blockUnused_ = true;       // the cursor's block is empty and still waits for its paragraph
    bool finished_ = false;

    Paragraph para_;                // the open paragraph
    Cell cell_;                     // paragraphs of the open table cell
    Row row_;                       // cells of the open table row
    std::vector<Row> table_;        // rows of the table not yet written
    qsizetype tableColumns_ = 0;    // the longest of those rows
    qsizetype tableCells_ = 0;      // cells in those rows
};
