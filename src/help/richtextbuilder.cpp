#include "richtextbuilder.h"

#include <QTextDocument>
#include <QTextTable>
#include <QTextTableFormat>

#include <algorithm>
#include <iterator>
#include <utility>

RichTextBuilder::RichTextBuilder(QTextDocument* doc) : cursor_(doc)
{
    cursor_.movePosition(QTextCursor::End);
    blockUnused_ = cursor_.block().length() <= 1;
    cursor_.beginEditBlock();
}

RichTextBuilder::~RichTextBuilder()
{
    if (!finished_)
        cursor_.endEditBlock();
}

void RichTextBuilder::beginRun(const QTextCharFormat& format)
{
    para_.runs.push_back({para_.text.size(), format});
}

RichTextBuilder::Paragraph RichTextBuilder::takeParagraph(const QTextBlockFormat& block,
                                                          const QTextCharFormat& lineFormat)
{
    para_.block = block;
    para_.lineFormat = lineFormat;
    return std::exchange(para_, Paragraph{});
}

void RichTextBuilder::endParagraph(const QTextBlockFormat& block, const QTextCharFormat& lineFormat,
                                   bool inTable)
{
    if (inTable) {
        cell_.push_back(takeParagraph(block, lineFormat));
        return;
    }
    closeRow();
    writeTable();
    writeParagraph(takeParagraph(block, lineFormat));
}

void RichTextBuilder::endCell(const QTextBlockFormat& block, const QTextCharFormat& lineFormat)
{
    endParagraph(block, lineFormat, true);
    closeCell();
}

void RichTextBuilder::endRow(const QTextBlockFormat& block, const QTextCharFormat& lineFormat)
{
    if (!para_.text.isEmpty())
        endCell(block, lineFormat);
    closeRow();
}

void RichTextBuilder::finish(const QTextBlockFormat& block, const QTextCharFormat& lineFormat)
{
    if (finished_)
        return;
    endParagraph(block, lineFormat, false);
    cursor_.endEditBlock();
    finished_ = true;
}

void RichTextBuilder::closeCell()
{
    if (cell_.empty())
        return;
    if (static_cast<qsizetype>(row_.size()) < kMaxTableColumns) {
        row_.push_back(std::exchange(cell_, Cell{}));
        return;
    }
    Cell& last = row_.back();
    last.insert(last.end(), std::make_move_iterator(cell_.begin()), std::make_move_iterator(cell_.end()));
    cell_.clear();
}

void RichTextBuilder::closeRow()
{
    closeCell();
    if (row_.empty())
        return;
    const qsizetype cells = static_cast<qsizetype>(row_.size());
    const qsizetype rows = static_cast<qsizetype>(table_.size()) + 1;
    if (!table_.empty()
        && rows * std::max(tableColumns_, cells) > 2 * (tableCells_ + cells) + kTableGridSlack)
        writeTable();
    tableColumns_ = std::max(tableColumns_, cells);
    tableCells_ += cells;
    table_.push_back(std::exchange(row_, Row{}));
}

// Writes the collected rows as one table after the text written so far.
void RichTextBuilder::writeTable()
{
    if (table_.empty())
        return;
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(4);
    QTextTable* table = cursor_.insertTable(static_cast<int>(table_.size()),
                                            static_cast<int>(tableColumns_), format);
    for (size_t r = 0; r < table_.size(); ++r) {
        for (size_t c = 0; c < table_[r].size(); ++c) {
            cursor_ = table->cellAt(static_cast<int>(r), static_cast<int>(c)).firstCursorPosition();
            blockUnused_ = true;
            for (const Paragraph& p : table_[r][c])
                writeParagraph(p);
        }
    }
    // On behind the table, in the empty block that follows every table.
    cursor_.setPosition(table->lastPosition() + 1);
    blockUnused_ = true;
    table_.clear();
    tableColumns_ = 0;
    tableCells_ = 0;
}

void RichTextBuilder::writeParagraph(const Paragraph& p)
{
    if (blockUnused_) {
        cursor_.setBlockFormat(p.block);
        cursor_.setBlockCharFormat(p.lineFormat);
        blockUnused_ = false;
    } else {
        cursor_.insertBlock(p.block, p.lineFormat);
    }
    for (size_t i = 0; i < p.runs.size(); ++i) {
        const qsizetype start = p.runs[i].start;
        const qsizetype end = i + 1 < p.runs.size() ? p.runs[i + 1].start : p.text.size();
        if (start == 0 && end == p.text.size())
            cursor_.insertText(p.text, p.runs[i].format);
        else if (end > start)
            cursor_.insertText(p.text.mid(start, end - start), p.runs[i].format);
    }
}
