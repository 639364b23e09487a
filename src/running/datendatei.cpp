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

QString erstellFehler(const QString& pfad, const QString& grund)
{
    return createErrorText(pfad, grund);
}

std::optional<QStringList> zeilenLesen(const QString& pfad, QString* fehler)
{
    QString grund;
    const std::optional<QByteArray> inhalt = dateiLesen(pfad, MaxBytes, &grund);
    QStringList z;
    if (inhalt) {
        z = zeilen(*inhalt);
        if (z.size() > MaxZeilen)
            grund = QStringLiteral("Die Datei hat mehr als %1 Zeilen.").arg(MaxZeilen);
    }
    if (!grund.isEmpty()) {
        if (fehler)
            *fehler = openErrorText(QDir::toNativeSeparators(pfad), grund);
        return std::nullopt;
    }
    return z;
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

std::optional<Tabelle> tabelleLesen(const QString& pfad, QString* fehler)
{
    const std::optional<QStringList> z = zeilenLesen(pfad, fehler);
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
            if (fehler)
                *fehler = openErrorText(QDir::toNativeSeparators(pfad),
                                        QStringLiteral("Eine Zeile hat mehr als %1 Spalten.").arg(MaxSpalten));
            return std::nullopt;
        }
        t.append(zellen);
    }
    return t;
}

std::optional<QStringList> listeLesen(const QString& pfad, QString* fehler)
{
    return zeilenLesen(pfad, fehler);
}

bool schreiben(const QString& pfad, const QByteArray& inhalt, QString* fehler)
{
    QString grund;
    if (dateiErsetzen(pfad, inhalt, &grund))
        return true;
    if (fehler)
        *fehler = erstellFehler(pfad, grund);
    return false;
}

bool alleSchreiben(const QList<DateiInhalt>& dateien, QString* fehler)
{
    QString pfad;
    QString grund;
    if (dateienErsetzen(dateien, &pfad, &grund))
        return true;
    if (fehler)
        *fehler = erstellFehler(pfad, grund);
    return false;
}

}  // namespace datendatei
