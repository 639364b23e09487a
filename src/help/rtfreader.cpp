#include "rtfreader.h"

#include "richtextbuilder.h"
#include "textdecode.h"

#include <QColor>
#include <QHash>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Bounds for numbers taken from the file.
constexpr int kMaxWordLength = 32;        // letters of a control word that count
constexpr int kMinHalfPoints = 2;         // \fs: 1 pt
constexpr int kMaxHalfPoints = 3276;      // \fs: 1638 pt, the largest size Word offers
constexpr int kMaxTwips = 31680;          // indents and spacing: 22 inches
constexpr int kMaxFallbackCount = 16;     // \uc
constexpr int kDefaultHalfPoints = 24;    // 12 pt

enum class Dest { Text, FontTable, ColorTable, Skip };

struct CharProps {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int valign = 0;                 // 0 normal, 1 superscript, 2 subscript
    int halfPoints = kDefaultHalfPoints;
    int font = -1;                  // font number; -1 = the default font \deff
    int color = 0;                  // index into the colour table; 0 = automatic
    bool operator==(const CharProps&) const = default;
};

size_t qHash(const CharProps& p, size_t seed = 0)
{
    return qHashMulti(seed, p.bold, p.italic, p.underline, p.strike, p.valign, p.halfPoints, p.font,
                      p.color);
}

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int leftTw = 0;
    int rightTw = 0;
    int firstTw = 0;
    int beforeTw = 0;
    int afterTw = 0;
    bool inTable = false;           // \intbl: the paragraph belongs to a table cell
    bool operator==(const ParaProps&) const = default;
};

struct GroupState {
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Text;
    int fallbackCount = 1;          // \uc: characters that follow \u as its substitute
};

enum class Word {
    Par, Line, Tab, Cell, Row, InTable, TableLevel, NestedCell, NestedRow, NestedTableProps,
    Pard, Plain, Bold, Italic, Underline, UnderlineOff, Strike, Super, Sub, NoSuperSub,
    FontSize, Font, Color, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent,
    RightIndent, FirstIndent, SpaceBefore, SpaceAfter, FallbackCount, Unicode, DefaultFont,
    Binary, FontTable, ColorTable, Red, Green, Blue, SkipDest, Special,
};

struct WordInfo {
    Word word;
    char16_t ch = 0;                // for Special
};

const QHash<QByteArray, WordInfo>& wordTable()
{
    static const QHash<QByteArray, WordInfo> table = [] {
        QHash<QByteArray, WordInfo> t;
        for (const char* w : {"par", "sect", "page"})
            t.insert(w, {Word::Par});
        t.insert("line", {Word::Line});
        t.insert("tab", {Word::Tab});
        t.insert("cell", {Word::Cell});
        t.insert("row", {Word::Row});
        t.insert("intbl", {Word::InTable});
        t.insert("itap", {Word::TableLevel});
        t.insert("nestcell", {Word::NestedCell});
        t.insert("nestrow", {Word::NestedRow});
        t.insert("nesttableprops", {Word::NestedTableProps});
        t.insert("pard", {Word::Pard});
        t.insert("plain", {Word::Plain});
        t.insert("b", {Word::Bold});
        t.insert("i", {Word::Italic});
        for (const char* w : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ululdbwave", "ulw", "ulwave"})
            t.insert(w, {Word::Underline});
        t.insert("ulnone", {Word::UnderlineOff});
        t.insert("strike", {Word::Strike});
        t.insert("super", {Word::Super});
        t.insert("sub", {Word::Sub});
        t.insert("nosupersub", {Word::NoSuperSub});
        t.insert("fs", {Word::FontSize});
        t.insert("f", {Word::Font});
        t.insert("cf", {Word::Color});
        t.insert("ql", {Word::AlignLeft});
        t.insert("qc", {Word::AlignCenter});
        t.insert("qr", {Word::AlignRight});
        t.insert("qj", {Word::AlignJustify});
        t.insert("li", {Word::LeftIndent});
        t.insert("ri", {Word::RightIndent});
        t.insert("fi", {Word::FirstIndent});
        t.insert("sb", {Word::SpaceBefore});
        t.insert("sa", {Word::SpaceAfter});
        t.insert("uc", {Word::FallbackCount});
        t.insert("u", {Word::Unicode});
        t.insert("deff", {Word::DefaultFont});
        t.insert("bin", {Word::Binary});
        t.insert("fonttbl", {Word::FontTable});
        t.insert("colortbl", {Word::ColorTable});
        t.insert("red", {Word::Red});
        t.insert("green", {Word::Green});
        t.insert("blue", {Word::Blue});
        // Destinations whose contents are not part of the visible text.
        for (const char* w : {"pict", "info", "stylesheet", "header", "headerl", "headerr",
                              "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
                              "fldinst", "filetbl", "listtable", "listoverridetable", "revtbl",
                              "rsidtbl", "generator", "xmlnstbl", "object", "objdata",
                              "themedata", "colorschememapping", "latentstyles", "datastore",
                              "pn", "pntxta", "pntxtb", "bkmkstart", "bkmkend", "txe", "xe", "tc",
                              "template", "userprops", "docvar", "nonshppict", "ftnsep",
                              "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "comment",
                              "author", "operator", "title", "subject", "keywords", "doccomm",
                              "company", "creatim", "revtim", "printim", "buptim", "mmathPr",
                              "pgdsctbl", "annotation", "atnid", "atnauthor", "fchars", "lchars",
                              "listpicture", "private", "shp", "shpinst", "sp", "sn", "sv",
                              "nonesttables"})
            t.insert(w, {Word::SkipDest});
        const std::pair<const char*, char16_t> specials[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},  {"bullet", 0x2022}, {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
            {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}, {"zwj", 0x200D},
            {"zwnj", 0x200C},    {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
        };
        for (const auto& [w, ch] : specials)
            t.insert(w, {Word::Special, ch});
        return t;
    }();
    return table;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class RtfParser {
public:
    RtfParser(const QByteArray& data, QTextDocument* doc) : data_(data), builder_(doc) {}
    void run(qsizetype start);

private:
    void openGroup();
    void closeGroup();
    void controlWord();
    void controlSymbol(char c);
    void applyWord(const WordInfo& info, bool hasParam, int param);
    void hexByte();
    void literalByte(unsigned char b);
    bool consumeFallback();
    void character(char16_t ch);
    enum class TextEnd { Paragraph, Cell, Row };
    void endText(TextEnd end);
    void finish();
    void commitFont();
    void commitColor();
    const QTextCharFormat& charFormat(const CharProps& p);
    const QTextBlockFormat& blockFormat(const ParaProps& p);

    const QByteArray& data_;
    qsizetype pos_ = 0;
    bool done_ = false;

    std::vector<GroupState> stack_;  // states outside the open groups
    GroupState st_;                  // state of the innermost group
    int flattened_ = 0;              // open groups beyond the depth limit
    int fallbackLeft_ = 0;           // substitute characters of the last \u still to drop

    QHash<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontNumber_ = 0;
    QString fontName_;

    QList<QColor> colors_;
    int rgb_[3] = {0, 0, 0};
    bool rgbSet_ = false;

    // Formats made so far; each is made once, and Qt's format collection
    // finds a shared format faster than a new one.
    QHash<CharProps, QTextCharFormat> charFormats_;
    ParaProps lastPara_;
    QTextBlockFormat lastBlockFormat_;
    bool lastBlockFormatSet_ = false;

    RichTextBuilder builder_;
    bool runOpen_ = false;           // the open paragraph has a run ...
    CharProps runProps_;             // ... in these properties
    bool nestedCellEnded_ = false;   // \nestcell, and no text since
};

void RtfParser::run(qsizetype start)
{
    pos_ = start;
    const qsizetype size = data_.size();
    while (pos_ < size && !done_) {
        const char c = data_[pos_++];
        switch (c) {
        case '{': openGroup(); break;
        case '}': closeGroup(); break;
        case '\\': controlWord(); break;
        case '\r':
        case '\n': break;
        default: literalByte(static_cast<unsigned char>(c)); break;
        }
    }
    if (!done_)                      // truncated: keep what was read
        finish();
}

// The last paragraph needs no \par; it takes the properties in force at the end.
void RtfParser::finish()
{
    builder_.finish(blockFormat(st_.para), charFormat(st_.chr));
    done_ = true;
}

void RtfParser::openGroup()
{
    fallbackLeft_ = 0;
    if (stack_.size() >= static_cast<size_t>(kMaxRtfGroupDepth)) {
        ++flattened_;
        return;
    }
    stack_.push_back(st_);
}

void RtfParser::closeGroup()
{
    fallbackLeft_ = 0;
    if (flattened_ > 0) {
        --flattened_;
        return;
    }
    if (st_.dest == Dest::FontTable)
        commitFont();
    if (stack_.size() <= 1) {        // the outermost group is closed: end of the document
        finish();
        return;
    }
    st_ = stack_.back();
    stack_.pop_back();
}

void RtfParser::controlWord()
{
    const qsizetype size = data_.size();
    if (pos_ >= size)
        return;
    if (!isLetter(data_[pos_])) {
        controlSymbol(data_[pos_++]);
        return;
    }
    const qsizetype wordStart = pos_;
    while (pos_ < size && isLetter(data_[pos_]))
        ++pos_;
    const QByteArray word = data_.mid(wordStart, std::min<qsizetype>(pos_ - wordStart, kMaxWordLength));

    bool negative = false;
    if (pos_ + 1 < size && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    bool hasParam = false;
    std::int64_t value = 0;
    while (pos_ < size && isDigit(data_[pos_])) {
        hasParam = true;
        if (value < (std::int64_t(1) << 40))   // saturate absurd numbers
            value = value * 10 + (data_[pos_] - '0');
        ++pos_;
    }
    if (pos_ < size && data_[pos_] == ' ')
        ++pos_;
    value = std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN / 2, INT32_MAX / 2);

    const auto& table = wordTable();
    const auto it = table.constFind(word);
    if (it != table.constEnd() && it->word == Word::Binary) {
        // Binary data is skipped byte for byte, whatever the destination.
        pos_ += std::clamp<qsizetype>(static_cast<qsizetype>(value), 0, size - pos_);
        return;
    }
    if (consumeFallback())
        return;
    if (it != table.constEnd())
        applyWord(*it, hasParam, static_cast<int>(value));
}

void RtfParser::controlSymbol(char c)
{
    if (c == '\'') {
        hexByte();
        return;
    }
    if (c == '*') {                  // an optional destination this reader does not know
        st_.dest = Dest::Skip;
        return;
    }
    if (consumeFallback())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}': character(static_cast<char16_t>(c)); break;
    case '~': character(0x00A0); break;   // non-breaking space
    case '_': character(0x2011); break;   // non-breaking hyphen
    case '\t': character(u'\t'); break;
    case '\r':
    case '\n': endText(TextEnd::Paragraph); break;   // a backslash before a line break is \par
    default: break;                       // \- optional hyphen, \: index, \| formula
    }
}

void RtfParser::applyWord(const WordInfo& info, bool hasParam, int param)
{
    CharProps& chr = st_.chr;
    ParaProps& para = st_.para;
    const bool on = !hasParam || param != 0;
    const auto twips = [&] { return std::clamp(param, -kMaxTwips, kMaxTwips); };

    if (info.word == Word::NestedTableProps && !stack_.empty()) {
        // {\*\nesttableprops ...\nestrow}: the \nestrow inside ends a row of
        // a nested table, so this destination is read where its group is.
        st_.dest = stack_.back().dest;
        return;
    }
    if (st_.dest == Dest::Skip)
        return;
    if (st_.dest == Dest::FontTable && info.word == Word::Font) {
        commitFont();
        fontNumber_ = param;
        return;
    }

    switch (info.word) {
    case Word::Par: endText(TextEnd::Paragraph); break;
    case Word::Line: character(0x2028); break;       // line break inside the paragraph
    case Word::Tab: character(u'\t'); break;
    case Word::Cell: endText(TextEnd::Cell); break;
    case Word::Row: endText(TextEnd::Row); break;
    case Word::InTable: para.inTable = true; break;
    case Word::TableLevel: para.inTable = on; break;   // \itap0: outside any table
    // A table inside a cell is flattened into that cell: a row of it
    // becomes a paragraph with its cells separated by tabs.
    case Word::NestedCell:
        if (st_.dest == Dest::Text)
            nestedCellEnded_ = true;
        break;
    case Word::NestedRow: endText(TextEnd::Paragraph); break;
    case Word::NestedTableProps: break;              // handled above
    case Word::Special: character(info.ch); break;
    case Word::Pard: para = ParaProps{}; break;
    case Word::Plain: chr = CharProps{}; break;
    case Word::Bold: chr.bold = on; break;
    case Word::Italic: chr.italic = on; break;
    case Word::Underline: chr.underline = on; break;
    case Word::UnderlineOff: chr.underline = false; break;
    case Word::Strike: chr.strike = on; break;
    case Word::Super: chr.valign = 1; break;
    case Word::Sub: chr.valign = 2; break;
    case Word::NoSuperSub: chr.valign = 0; break;
    case Word::FontSize:
        chr.halfPoints = (hasParam && param > 0) ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints)
                                                 : kDefaultHalfPoints;
        break;
    case Word::Font: chr.font = param; break;
    case Word::Color: chr.color = std::max(param, 0); break;
    case Word::AlignLeft: para.align = Qt::AlignLeft; break;
    case Word::AlignCenter: para.align = Qt::AlignHCenter; break;
    case Word::AlignRight: para.align = Qt::AlignRight; break;
    case Word::AlignJustify: para.align = Qt::AlignJustify; break;
    case Word::LeftIndent: para.leftTw = twips(); break;
    case Word::RightIndent: para.rightTw = twips(); break;
    case Word::FirstIndent: para.firstTw = twips(); break;
    case Word::SpaceBefore: para.beforeTw = twips(); break;
    case Word::SpaceAfter: para.afterTw = twips(); break;
    case Word::FallbackCount: st_.fallbackCount = std::clamp(param, 0, kMaxFallbackCount); break;
    case Word::Unicode: {
        const int code = param < 0 ? param + 65536 : param;
        if (code > 0 && code <= 0xFFFF && (code >= 0x20 || code == '\t'))
            character(static_cast<char16_t>(code));
        fallbackLeft_ = st_.fallbackCount;
        break;
    }
    case Word::DefaultFont: defaultFont_ = param; break;
    case Word::FontTable: st_.dest = Dest::FontTable; break;
    case Word::ColorTable:
        st_.dest = Dest::ColorTable;
        rgbSet_ = false;
        break;
    case Word::Red:
    case Word::Green:
    case Word::Blue:
        if (st_.dest == Dest::ColorTable) {
            rgb_[static_cast<int>(info.word) - static_cast<int>(Word::Red)] = std::clamp(param, 0, 255);
            rgbSet_ = true;
        }
        break;
    case Word::SkipDest: st_.dest = Dest::Skip; break;
    case Word::Binary: break;                        // handled by the caller
    }
}

void RtfParser::hexByte()
{
    int value = 0;
    int digits = 0;
    while (digits < 2 && pos_ < data_.size()) {
        const int h = hexValue(data_[pos_]);
        if (h < 0)
            break;
        value = value * 16 + h;
        ++pos_;
        ++digits;
    }
    if (digits == 0)                 // "\'" without a number: nothing to show
        return;
    if (consumeFallback())
        return;
    if (value >= 0x20 || value == '\t')
        character(cp1252ToUnicode(static_cast<unsigned char>(value)));
}

void RtfParser::literalByte(unsigned char b)
{
    if (consumeFallback())
        return;
    if (b >= 0x20 || b == '\t')
        character(cp1252ToUnicode(b));
}

// Drops one token that stands for the character of the last \u.
bool RtfParser::consumeFallback()
{
    if (fallbackLeft_ <= 0)
        return false;
    --fallbackLeft_;
    return true;
}

void RtfParser::character(char16_t ch)
{
    switch (st_.dest) {
    case Dest::Text:
        if (nestedCellEnded_) {      // the tab between two cells of a nested row
            nestedCellEnded_ = false;
            character(u'\t');
        }
        if (!runOpen_ || !(runProps_ == st_.chr)) {
            builder_.beginRun(charFormat(st_.chr));
            runProps_ = st_.chr;
            runOpen_ = true;
        }
        builder_.append(QChar(ch));
        break;
    case Dest::FontTable:
        if (ch == u';')
            commitFont();
        else
            fontName_.append(QChar(ch));
        break;
    case Dest::ColorTable:
        if (ch == u';')
            commitColor();
        break;
    case Dest::Skip: break;
    }
}

// The end of a paragraph, a table cell or a table row. An empty paragraph
// keeps the height of the font in force at its end.
void RtfParser::endText(TextEnd end)
{
    if (st_.dest != Dest::Text)
        return;
    const QTextBlockFormat& block = blockFormat(st_.para);
    const QTextCharFormat& line = charFormat(st_.chr);
    switch (end) {
    case TextEnd::Paragraph: builder_.endParagraph(block, line, st_.para.inTable); break;
    case TextEnd::Cell: builder_.endCell(block, line); break;
    case TextEnd::Row: builder_.endRow(block, line); break;
    }
    runOpen_ = false;
    nestedCellEnded_ = false;
}

void RtfParser::commitFont()
{
    const QString name = fontName_.trimmed();
    if (!name.isEmpty() && !fonts_.contains(fontNumber_)) {
        fonts_.insert(fontNumber_, name);
        charFormats_.clear();
    }
    fontName_.clear();
}

void RtfParser::commitColor()
{
    colors_.append(rgbSet_ ? QColor(rgb_[0], rgb_[1], rgb_[2]) : QColor());
    charFormats_.clear();
    rgb_[0] = rgb_[1] = rgb_[2] = 0;
    rgbSet_ = false;
}

const QTextCharFormat& RtfParser::charFormat(const CharProps& p)
{
    if (const auto it = charFormats_.constFind(p); it != charFormats_.constEnd())
        return *it;
    QTextCharFormat f;
    const auto font = fonts_.constFind(p.font >= 0 ? p.font : defaultFont_);
    if (font != fonts_.constEnd())
        f.setFontFamilies({*font});
    f.setFontPointSize(p.halfPoints / 2.0);
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    f.setFontStrikeOut(p.strike);
    if (p.valign == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (p.valign == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (p.color < colors_.size() && colors_[p.color].isValid())
        f.setForeground(colors_[p.color]);
    return *charFormats_.insert(p, f);
}

// Paragraphs in a row mostly share their properties: the last format is kept.
const QTextBlockFormat& RtfParser::blockFormat(const ParaProps& p)
{
    if (lastBlockFormatSet_ && p == lastPara_)
        return lastBlockFormat_;
    // Twips (1/1440 inch) to pixels at 96 dpi.
    const auto px = [](int tw) { return tw / 15.0; };
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(std::max(0.0, px(p.leftTw)));
    f.setRightMargin(std::max(0.0, px(p.rightTw)));
    f.setTextIndent(px(p.firstTw));
    f.setTopMargin(std::max(0.0, px(p.beforeTw)));
    f.setBottomMargin(std::max(0.0, px(p.afterTw)));
    lastPara_ = p;
    lastBlockFormat_ = f;
    lastBlockFormatSet_ = true;
    return lastBlockFormat_;
}

qsizetype rtfStart(const QByteArray& data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.mid(i, 5) == "{\\rtf" ? i : -1;
}

}  // namespace

bool looksLikeRtf(const QByteArray& data)
{
    return rtfStart(data) >= 0;
}

bool readRtf(const QByteArray& data, QTextDocument* doc)
{
    const qsizetype start = rtfStart(data);
    if (doc == nullptr || start < 0)
        return false;
    // No undo history for a text that is only shown; one edit block lays it out once.
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    {
        RtfParser parser(data, doc);
        parser.run(start);
    }
    doc->setUndoRedoEnabled(undo);
    return true;
}
