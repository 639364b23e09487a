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
// every line the program does not write comes back byte for byte. Names and
// values are decoded as UTF-8, or as Latin-1 when a line is not valid UTF-8
// (a file written on Windows); new text is written as UTF-8.
//
// Line endings: both CRLF and LF are read. A line written anew ends like the
// first line of the file that has an ending; a new file, or one with a single
// unterminated line, gets CRLF (the file is shared with Windows installations).
//
// Writing: the whole file is replaced through a temporary file and a rename
// (QSaveFile), so a failing write (directory missing or not writable, the name
// is a directory, disk full) leaves the old file as it was; the call then
// returns false and writeErrorMessage() holds the text for the message box.
// The in-memory lines change only when the write succeeded.
//
// The file is read by the constructor and by load(); reads are answered from
// the lines in memory, writes start from them.
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

    // Reads the file at once (see load()).
    explicit ProfileFile(const QString& fileName);

    QString fileName() const { return m_fileName; }

    // Reads the file into memory. A missing file reads as empty and gives
    // true. A file that exists but cannot be read gives false, reads as empty
    // and refuses every write, so that it is never overwritten blindly.
    bool load();

    // Value of the key, trimmed; defaultValue when the key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;

    // Integer value of the key. Accepted: an optional sign, then decimal
    // digits, or "0x"/"0X" and hexadecimal digits. As with Windows'
    // GetPrivateProfileInt only the leading integer counts: "12abc" reads 12,
    // "0x" and "0xg" read 0 (the leading "0"). defaultValue is returned when
    // the key is missing, the value does not start with an integer ("abc",
    // "", "- 5") or the leading integer lies outside the range of int.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // Sets one key and replaces the file. An existing key (first occurrence)
    // keeps its spelling and the text up to the old value; a new key is
    // appended after the last key line of the first section of that name
    // (before blank lines and comments that follow it); a new section is
    // appended at the end of the file, after a blank line. A missing file is
    // created. Returns false when the file could not be replaced or a name is
    // unusable (empty, a key with '=', a section with ']', line breaks).
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);

    // Sets all entries, in order, and replaces the file once. On failure
    // nothing is written: the old file stays, and so do the lines in memory.
    bool writeAll(const QList<Entry>& entries);

    // "In <full file name> kann nicht geschrieben werden"
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

    static Line parseLine(QByteArray text, QByteArray eol);
    qsizetype findKey(const QList<Line>& lines, const QString& section,
                      const QString& key, qsizetype* insertAt) const;
    bool apply(QList<Line>& lines, const Entry& entry) const;
    QByteArray newLineEnding(const QList<Line>& lines) const;
    bool save(const QList<Line>& lines) const;

    QString m_fileName;
    QList<Line> m_lines;
    bool m_readable = true;
};
