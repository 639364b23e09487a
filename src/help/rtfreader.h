// A small reader for rich text (RTF) as written by WordPad and Word for help
// texts. Qt reads HTML and Markdown but not RTF, so the help window brings
// its own.
//
// What it understands: groups; paragraphs (\par, \pard, \line, \tab, \page,
// \sect); alignment \ql \qc \qr \qj and the indents \li \ri \fi with spacing
// \sb \sa; character formatting \plain \b \i \ul (and its variants) \ulnone
// \strike \super \sub \nosupersub \fs \f \cf; the font table and the colour
// table; \'hh bytes and raw bytes in code page 1252; \uN with the \ucN
// fallback count; the usual special characters (\emdash, \ldblquote, ...)
// and control symbols (\\ \{ \} \~ \- \_ \*). Pictures, objects, the style
// sheet, document information, headers and footers, footnotes, field
// instructions and every \* destination are left out.
//
// Tables: paragraphs marked \intbl (or \itap1) are cell contents, \cell ends
// a cell and \row a row; consecutive rows form one QTextTable with as many
// columns as its longest row (cell widths and borders of \trowd are not
// read). A table nested in a cell is flattened into that cell, each of its
// rows a paragraph with the cells separated by tabs.
//
// Malformed input is read as far as it makes sense: unbalanced braces,
// truncated escapes, absurd numbers, stray table marks and binary garbage
// never crash or hang; group nesting beyond kMaxRtfGroupDepth is flattened.
// The document is built in time proportional to the data.
#pragma once

#include <QByteArray>

class QTextDocument;

inline constexpr int kMaxRtfGroupDepth = 200;

// True when the data starts with "{\rtf", after an optional UTF-8 byte-order
// mark and white space.
bool looksLikeRtf(const QByteArray& data);

// Replaces the contents of doc with the formatted text of data. Returns false,
// leaving doc untouched, when data does not look like RTF or doc is null.
bool readRtf(const QByteArray& data, QTextDocument* doc);
