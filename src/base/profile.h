// Settings file in the Windows profile format ("KVXTEST.INI").
//
// Why not QSettings: its IniFormat escapes and quotes values, invents a
// "[General]" section and compares names case-sensitively on Linux; the
// settings file is a plain Windows profile file and must stay one.
//
// Format as read here:
//  - a line whose first non-blank character is '[' starts a section; the name
//    runs to the first ']' or, when the bracket is missing, to the end of the
//    line; it is trimmed;
//  - a line whose first non-blank character is ';' or '#' is a comment;
//  - any other line with a '=' and a non-blank text before it is a key line
//    "key=value", key and value trimmed;
//  - everything else (blank lines, junk, "=value" without key) is kept but
//    means nothing; key lines before the first section belong to no section
//    and are never found.
// Section and key names are compared without regard to case. When a key
// occurs more than once, the first occurrence counts, also across several
// sections of the same name.
//
// Bytes: lines are kept as the bytes read, with their own line ending, so that
// every line the program does not write comes back byte for byte. A UTF-8
// byte-order mark at the start (editors write one) is set aside when reading
// and written back in front. Names and values are decoded as UTF-8, or as
// Latin-1 when a line is not valid UTF-8 (a file written on Windows); new text
// is written as UTF-8.
//
// Line endings: both CRLF and LF are read. A line written anew ends like the
// first line of the file that has an ending; a new file, or one with a single
// unterminated line, gets CRLF (the file is shared with Windows installations).
//
// Size: a settings file is a few hundred bytes. One larger than 64 KB, or a
// name that is not a regular file after following links (a device, a pipe, a
// folder), is not read at all; nor is a file that cannot be read. Such a file
// reads as empty, every write is refused so that it is never overwritten, and
// loadErrorMessage() tells the user why the defaults apply. The bound holds
// for writing too: a write that would make the file larger than 64 KB is
// refused and the file stays as it was, so that the program never writes a
// file it would refuse at the next start.
//
// Writing: the whole file is replaced through a temporary file and a rename
// (QSaveFile), so a failing write (directory missing, the name is a directory,
// disk full) leaves the old file as it was. Where the directory allows no new
// file but the file itself is writable (a shared installation), the file is
// written in place instead; a write that fails there can leave it cut short.
// Either way a failed write returns false and writeErrorMessage() holds the
// text for the message box. The in-memory lines change only when the write
// succeeded.
//
// The file is read once by the constructor; reads are answered from the lines
// in memory, writes start from them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class ProfileFile
{
public:
    struct Entry
    {
        QString section;
        QString key;
        QString value;
    };

    explicit ProfileFile(const QString& fileName);

    // Why the file was not read, for a message box at start-up, e.g. "Die
    // Einstellungsdatei <full file name> ist größer als 64 KB und wird nicht
    // gelesen; es gelten die Vorgaben." Empty when the file was read or does
    // not exist yet.
    QString loadErrorMessage() const { return m_loadError; }

    // Value of the key, trimmed; defaultValue when the key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;

    // Integer value of the key: defaultValue when the key is missing or its
    // value is not a whole number (ganzezahl.h), e.g. "12abc", "1e3", "".
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // Sets all entries, in order, and replaces the file once. An existing key
    // (first occurrence) keeps its spelling and the text up to the old value;
    // a new key is appended after the last key line of the first section of
    // that name (before blank lines and comments that follow it); a new
    // section is appended at the end of the file, after a blank line. A
    // missing file is created. Returns false when the file could not be
    // replaced, was not read (see above) or a name is unusable (empty, a key
    // with '=', a section with ']', line breaks); the lines in memory then
    // stay as they were, and an unusable name writes nothing at all.
    bool writeAll(const QList<Entry>& entries);

    // Why the last writeAll() failed, for the message box: "Die
    // Einstellungsdatei <full file name> würde größer als 64 KB und wird nicht
    // geschrieben; sie bleibt, wie sie war." when the file would have grown
    // too large, else "In <full file name> kann nicht geschrieben werden".
    QString writeErrorMessage() const;

private:
    enum class Kind { Other, Section, Key };
    struct Line
    {
        QByteArray text;      // without line ending
        QByteArray eol;       // "\r\n", "\n" or empty for the last line
        Kind kind = Kind::Other;
        QString name;         // section or key name, trimmed
        qsizetype valueStart = 0; // key lines: offset of the value
    };

    void load();
    static Line parseLine(QByteArray text, QByteArray eol);
    qsizetype findKey(const QList<Line>& lines, const QString& section,
                      const QString& key, qsizetype* insertAt) const;
    bool apply(QList<Line>& lines, const Entry& entry) const;
    QByteArray newLineEnding(const QList<Line>& lines) const;
    bool save(const QList<Line>& lines);

    QString m_fileName;
    QByteArray m_bom;          // the byte-order mark the file starts with, if any
    QList<Line> m_lines;
    QString m_loadError;       // empty: read (or missing); else writes are refused
    bool m_tooLargeToWrite = false; // the last write failed by the size bound
};
