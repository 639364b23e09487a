#include "datendatei.h"

#include "fileerror.h"
#include "textdatei.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace datendatei {

namespace {

// The decoder drops a byte-order mark in front, one only.
QString dekodieren(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Latin-1 when the bytes read back as the same text, else UTF-8 behind a
// byte-order mark.
QByteArray kodieren(const QString& text)
{
    const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (latin1) {
        QByteArray bytes = text.toLatin1();
        if (dekodieren(bytes) == text)
            return bytes;
    }
    return QByteArrayLiteral("\xef\xbb\xbf") + text.toUtf8();
}

// The file's bytes; on failure *fehler names the file and the reason.
std::optional<QByteArray> bytesLesen(const QString& pfad, QString* fehler)
{
    QString grund;
    std::optional<QByteArray> inhalt = dateiLesen(pfad, MaxBytes, &grund);
    if (!inhalt && fehler)
        *fehler = openErrorText(QDir::toNativeSeparators(pfad), grund);
    return inhalt;
}

template <class T>
std::optional<T> mitName(const QString& pfad, std::optional<T> (*lesen)(const QByteArray&, QString*), QString* fehler)
{
    const std::optional<QByteArray> inhalt = bytesLesen(pfad, fehler);
    if (!inhalt)
        return std::nullopt;
    QString grund;
    std::optional<T> t = lesen(*inhalt, &grund);
    if (!t && fehler)
        *fehler = openErrorText(QDir::toNativeSeparators(pfad), grund);
    return t;
}

}  // namespace

QStringList zeilen(const QByteArray& text)
{
    const QString t = dekodieren(text);
    QStringList z;
    qsizetype anfang = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c != u'\r' && c != u'\n')
            continue;
        z.append(t.mid(anfang, i - anfang));
        if (c == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n')
            ++i;
        anfang = i + 1;
    }
    if (anfang < t.size())
        z.append(t.mid(anfang));
    return z;
}

QByteArray tabellenText(const Tabelle& tabelle)
{
    QString text;
    for (const QStringList& zeile : tabelle) {
        for (const QString& zelle : zeile)
            text += zelle + u'\t';
        text += QStringLiteral("\r\n");
    }
    return kodieren(text);
}

QByteArray listenText(const QStringList& eintraege)
{
    QString text;
    for (const QString& e : eintraege)
        text += e + QStringLiteral("\r\n");
    return kodieren(text);
}

QString stamm(const QString& pfad)
{
    const QFileInfo info(pfad);
    const QString name = info.fileName();
    const qsizetype punkt = name.lastIndexOf(u'.');
    if (punkt < 0)
        return pfad;
    return pfad.left(pfad.size() - (name.size() - punkt));
}

std::optional<QStringList> listeAusBytes(const QByteArray& inhalt, QString* grund)
{
    const auto warum = [grund](const QString& text) {
        if (grund)
            *grund = text;
        return std::nullopt;
    };
    if (inhalt.size() > MaxBytes)
        return warum(QStringLiteral("Die Datei ist größer als %1 KB.").arg(MaxBytes / 1024));
    QStringList z = zeilen(inhalt);
    if (z.size() > MaxZeilen)
        return warum(QStringLiteral("Die Datei hat mehr als %1 Zeilen.").arg(MaxZeilen));
    return z;
}

std::optional<Tabelle> tabelleAusBytes(const QByteArray& inhalt, QString* grund)
{
    const std::optional<QStringList> z = listeAusBytes(inhalt, grund);
    if (!z)
        return std::nullopt;
    Tabelle t;
    t.reserve(z->size());
    for (QString zeile : *z) {
        if (zeile.isEmpty()) {
            t.append(QStringList());
            continue;
        }
        if (!zeile.endsWith(u'\t'))
            zeile += u'\t';
        zeile.chop(1);
        const QStringList zellen = zeile.split(u'\t');
        if (zellen.size() > MaxSpalten) {
            if (grund)
                *grund = QStringLiteral("Eine Zeile hat mehr als %1 Spalten.").arg(MaxSpalten);
            return std::nullopt;
        }
        t.append(zellen);
    }
    return t;
}

std::optional<Tabelle> tabelleLesen(const QString& pfad, QString* fehler)
{
    return mitName(pfad, &tabelleAusBytes, fehler);
}

std::optional<QStringList> listeLesen(const QString& pfad, QString* fehler)
{
    return mitName(pfad, &listeAusBytes, fehler);
}

namespace {

// A file the readers would refuse is not written: the program would leave a
// file it cannot load again (a text grows on writing, by a TAB and a CR a
// line and, in UTF-8, by up to three bytes a character).
QString zuGross(const QByteArray& inhalt)
{
    if (inhalt.size() <= MaxBytes)
        return {};
    return QStringLiteral("Sie würde größer als %1 KB und wird nicht geschrieben; die alte Datei bleibt.")
        .arg(MaxBytes / 1024);
}

}  // namespace

bool schreiben(const QString& pfad, const QByteArray& inhalt, QString* fehler)
{
    const QString grund = zuGross(inhalt);
    const QString text = grund.isEmpty() ? dateiSichern(pfad, inhalt) : createErrorText(pfad, grund);
    if (fehler)
        *fehler = text;
    return text.isEmpty();
}

bool alleSchreiben(const QList<DateiInhalt>& dateien, QString* fehler)
{
    QString pfad;
    QString grund;
    for (const DateiInhalt& d : dateien) {
        if (grund = zuGross(d.inhalt); !grund.isEmpty()) {
            if (fehler)
                *fehler = createErrorText(d.pfad, grund);
            return false;
        }
    }
    if (dateienErsetzen(dateien, &pfad, &grund))
        return true;
    if (fehler)
        *fehler = createErrorText(pfad, grund);
    return false;
}

}  // namespace datendatei
