#include "profile.h"

#include "ganzezahl.h"
#include "textdatei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
const QByteArray kLf = QByteArrayLiteral("\n");
const QByteArray kBom = QByteArrayLiteral("\xef\xbb\xbf");

// Larger than any settings file by far; the bound keeps a stray huge file or
// a device from eating time and memory at start-up. Writes keep to it too.
constexpr qint64 kMaxSize = 64 * 1024;

QString shownName(const QString& fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

QString notReadMessage(const QString& fileName, const QString& why)
{
    return QStringLiteral("Die Einstellungsdatei %1 %2; es gelten die Vorgaben.")
        .arg(shownName(fileName), why);
}

const QString kTooLarge = QStringLiteral("ist größer als 64 KB und wird nicht gelesen");
const QString kUnreadable = QStringLiteral("kann nicht gelesen werden");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise: a file edited on
// Windows holds its umlauts as single bytes. The file's own byte-order mark is
// set aside before; a name or value that begins with U+FEFF keeps it.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

bool hasLineBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

// Names that would read back as something else are refused.
bool usable(const ProfileFile::Entry& e)
{
    const QString section = e.section.trimmed();
    const QString key = e.key.trimmed();
    if (section.isEmpty() || key.isEmpty())
        return false;
    if (section.contains(u']') || key.contains(u'='))
        return false;
    if (key.startsWith(u'[') || key.startsWith(u';') || key.startsWith(u'#'))
        return false;
    return !hasLineBreak(e.section) && !hasLineBreak(e.key) && !hasLineBreak(e.value);
}

} // namespace

ProfileFile::ProfileFile(const QString& fileName)
    : m_fileName(fileName)
{
    load();
}

void ProfileFile::load()
{
    const QFileInfo info(m_fileName);
    if (!info.exists()) // also a link to nothing: writing creates its target
        return;
    if (!info.isFile()) {
        m_loadError = notReadMessage(
            m_fileName, QStringLiteral("ist keine gewöhnliche Datei und wird nicht gelesen"));
        return;
    }
    if (info.size() > kMaxSize) {
        m_loadError = notReadMessage(m_fileName, kTooLarge);
        return;
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadError = notReadMessage(m_fileName, kUnreadable);
        return;
    }
    // The file may have grown since it was looked at.
    QByteArray data = file.read(kMaxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_loadError = notReadMessage(m_fileName, kUnreadable);
        return;
    }
    if (data.size() > kMaxSize) {
        m_loadError = notReadMessage(m_fileName, kTooLarge);
        return;
    }
    if (data.startsWith(kBom)) {
        m_bom = kBom;
        data.remove(0, kBom.size());
    }
    qsizetype pos = 0;
    while (pos < data.size()) {
        const qsizetype newline = data.indexOf('\n', pos);
        if (newline < 0) {
            m_lines.append(parseLine(data.mid(pos), QByteArray()));
            break;
        }
        qsizetype end = newline;
        QByteArray eol = kLf;
        if (end > pos && data[end - 1] == '\r') {
            --end;
            eol = kCrLf;
        }
        m_lines.append(parseLine(data.mid(pos, end - pos), eol));
        pos = newline + 1;
    }
}

ProfileFile::Line ProfileFile::parseLine(QByteArray text, QByteArray eol)
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QByteArray& t = line.text;
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n && isBlank(t[i]))
        ++i;
    if (i == n || t[i] == ';' || t[i] == '#')
        return line;
    if (t[i] == '[') {
        qsizetype close = t.indexOf(']', i + 1);
        if (close < 0)
            close = n;
        line.kind = Kind::Section;
        line.name = decode(t.mid(i + 1, close - i - 1).trimmed());
        return line;
    }
    const qsizetype eq = t.indexOf('=', i);
    if (eq <= i) // no '=' at all, or "=value" without a key
        return line;
    line.kind = Kind::Key;
    line.name = decode(t.mid(i, eq - i).trimmed());
    qsizetype v = eq + 1;
    while (v < n && isBlank(t[v]))
        ++v;
    line.valueStart = v;
    return line;
}

// Index of the key's line, or -1. insertAt (optional) receives where a new
// key of that section goes: after the last key line of the first section of
// that name, or right after its header; -1 when there is no such section.
qsizetype ProfileFile::findKey(const QList<Line>& lines, const QString& section,
                               const QString& key, qsizetype* insertAt) const
{
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    qsizetype insert = -1;
    bool inSection = false;
    bool inFirstSection = false;
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size() && found < 0; ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Section) {
            inSection = line.name.compare(wantedSection, Qt::CaseInsensitive) == 0;
            inFirstSection = inSection && insert < 0;
            if (inFirstSection)
                insert = i + 1;
        } else if (line.kind == Kind::Key && inSection) {
            if (line.name.compare(wantedKey, Qt::CaseInsensitive) == 0)
                found = i;
            else if (inFirstSection)
                insert = i + 1;
        }
    }
    if (insertAt)
        *insertAt = insert;
    return found;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const
{
    const qsizetype i = findKey(m_lines, section, key, nullptr);
    if (i < 0)
        return defaultValue;
    const Line& line = m_lines[i];
    return decode(line.text.mid(line.valueStart).trimmed());
}

int ProfileFile::readInt(const QString& section, const QString& key, int defaultValue) const
{
    // A missing key reads as an empty value, which is no whole number.
    return ganzeZahl(readString(section, key)).value_or(defaultValue);
}

QByteArray ProfileFile::newLineEnding(const QList<Line>& lines) const
{
    for (const Line& line : lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return kCrLf;
}

bool ProfileFile::apply(QList<Line>& lines, const Entry& entry) const
{
    if (!usable(entry))
        return false;
    const QByteArray value = entry.value.trimmed().toUtf8();
    qsizetype insertAt = -1;
    const qsizetype found = findKey(lines, entry.section, entry.key, &insertAt);
    if (found >= 0) {
        const Line& old = lines[found];
        lines[found] = parseLine(old.text.left(old.valueStart) + value, old.eol);
        return true;
    }
    const QByteArray eol = newLineEnding(lines);
    const QByteArray keyLine = entry.key.trimmed().toUtf8() + '=' + value;
    if (insertAt < 0) {
        if (!lines.isEmpty()) {
            if (lines.last().eol.isEmpty())
                lines.last().eol = eol;
            if (!lines.last().text.trimmed().isEmpty())
                lines.append(parseLine(QByteArray(), eol));
        }
        lines.append(parseLine('[' + entry.section.trimmed().toUtf8() + ']', eol));
        lines.append(parseLine(keyLine, eol));
        return true;
    }
    if (lines[insertAt - 1].eol.isEmpty())
        lines[insertAt - 1].eol = eol;
    lines.insert(insertAt, parseLine(keyLine, eol));
    return true;
}

bool ProfileFile::save(const QList<Line>& lines)
{
    QByteArray data = m_bom;
    for (const Line& line : lines)
        data += line.text + line.eol;
    m_tooLargeToWrite = data.size() > kMaxSize;
    return !m_tooLargeToWrite && dateiErsetzen(m_fileName, data, nullptr);
}

bool ProfileFile::writeAll(const QList<Entry>& entries)
{
    m_tooLargeToWrite = false;
    if (!m_loadError.isEmpty())
        return false;
    QList<Line> lines = m_lines;
    for (const Entry& entry : entries) {
        if (!apply(lines, entry))
            return false;
    }
    if (!save(lines))
        return false;
    m_lines = std::move(lines);
    return true;
}

QString ProfileFile::writeErrorMessage() const
{
    if (m_tooLargeToWrite)
        return QStringLiteral("Die Einstellungsdatei %1 würde größer als 64 KB und wird nicht "
                              "geschrieben; sie bleibt, wie sie war.").arg(shownName(m_fileName));
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(shownName(m_fileName));
}
