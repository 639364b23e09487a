#include "befehl.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <array>
#include <cmath>

namespace web {

namespace {

enum class Feld { Keins, An, Nr, Wert, Vor };

struct Eintrag {
    const char* name;
    Art art;
    Feld feld;
    double min = 0;
    double max = 0;
};

// Bounds of the numbers: any page number, any block number of the largest
// layout, the speed steps and the walk's beat.
constexpr std::array<Eintrag, 15> Befehle{{
    {"allesAus", Art::AllesAus, Feld::Keins},
    {"snt", Art::Snt, Feld::An},
    {"seite", Art::Seite, Feld::Nr, 0, 7},
    {"start", Art::StartPause, Feld::Keins},
    {"weiter", Art::Weiter, Feld::Keins},
    {"zurueck", Art::Zurueck, Feld::Keins},
    {"fehlerhaft", Art::Fehlerhaft, Feld::Keins},
    {"takt", Art::Takt, Feld::Wert, 0.2, 10.0},
    {"block", Art::Block, Feld::Nr, 1, 200},
    {"tempo", Art::Tempo, Feld::Nr, 0, 15},
    {"richtung", Art::Richtung, Feld::Vor},
    {"fahrt", Art::Fahrt, Feld::Keins},
    {"lebt", Art::Lebt, Feld::Keins},
    {"sichtbar", Art::Sichtbar, Feld::An},
    {"antwort", Art::Antwort, Feld::Keins},   // fields of its own: antwortLesen
}};

const char* feldName(Feld f)
{
    switch (f) {
    case Feld::An: return "an";
    case Feld::Nr: return "nr";
    case Feld::Wert: return "wert";
    case Feld::Vor: return "vor";
    case Feld::Keins: break;
    }
    return "";
}

Lesung fehler(const QString& text)
{
    return {std::nullopt, text};
}

// {"befehl":"antwort","id":N,"knopf":"Ja"}: the id of an open box and the
// text of one of its buttons.
Lesung antwortLesen(const QJsonObject& o)
{
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != QLatin1String("befehl") && it.key() != QLatin1String("id") && it.key() != QLatin1String("knopf"))
            return fehler(QStringLiteral("Befehl \"antwort\": unbekanntes Feld \"%1\".").arg(it.key().left(40)));
    const QJsonValue id = o.value(QLatin1String("id"));
    const double d = id.toDouble(std::nan(""));
    if (!id.isDouble() || !(d >= 1 && d <= 2147483647) || d != std::floor(d))
        return fehler(QStringLiteral("Befehl \"antwort\": \"id\" muss eine ganze Zahl ab 1 sein."));
    const QJsonValue knopf = o.value(QLatin1String("knopf"));
    if (!knopf.isString() || knopf.toString().isEmpty() || knopf.toString().size() > 40)
        return fehler(QStringLiteral("Befehl \"antwort\": \"knopf\" muss der Text eines Knopfes sein."));
    Befehl b;
    b.art = Art::Antwort;
    b.nr = int(d);
    b.knopf = knopf.toString();
    return {b, {}};
}

}  // namespace

QString befehlName(Art art)
{
    for (const Eintrag& e : Befehle)
        if (e.art == art)
            return QString::fromLatin1(e.name);
    return {};
}

Lesung befehlLesen(QByteArrayView text)
{
    if (text.size() > MaxNachricht)
        return fehler(QStringLiteral("Nachricht zu lang (höchstens %1 Bytes).").arg(MaxNachricht));
    QJsonParseError pe{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toByteArray(), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject())
        return fehler(QStringLiteral("Kein gültiger Befehl: ein JSON-Objekt wird erwartet."));
    const QJsonObject o = doc.object();
    const QJsonValue name = o.value(QLatin1String("befehl"));
    if (!name.isString())
        return fehler(QStringLiteral("Kein gültiger Befehl: das Feld \"befehl\" fehlt."));
    const Eintrag* e = nullptr;
    for (const Eintrag& k : Befehle)
        if (name.toString() == QLatin1String(k.name))
            e = &k;
    if (!e)
        return fehler(QStringLiteral("Unbekannter Befehl \"%1\".").arg(name.toString().left(40)));
    if (e->art == Art::Antwort)
        return antwortLesen(o);
    const QString feld = QString::fromLatin1(feldName(e->feld));
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != QLatin1String("befehl") && it.key() != feld)
            return fehler(QStringLiteral("Befehl \"%1\": unbekanntes Feld \"%2\".").arg(name.toString(), it.key().left(40)));
    Befehl b;
    b.art = e->art;
    if (e->feld == Feld::Keins)
        return {b, {}};
    const QJsonValue v = o.value(feld);
    if (e->feld == Feld::An || e->feld == Feld::Vor) {
        if (!v.isBool())
            return fehler(QStringLiteral("Befehl \"%1\": \"%2\" muss true oder false sein.").arg(name.toString(), feld));
        b.an = v.toBool();
        return {b, {}};
    }
    const double d = v.toDouble(std::nan(""));
    const bool ganz = e->feld == Feld::Nr;
    if (!v.isDouble() || !std::isfinite(d) || d < e->min || d > e->max || (ganz && d != std::floor(d)))
        return fehler(QStringLiteral("Befehl \"%1\": \"%2\" muss %3 von %4 bis %5 sein.")
                          .arg(name.toString(), feld, ganz ? QStringLiteral("eine ganze Zahl") : QStringLiteral("eine Zahl"),
                               QString::number(e->min), QString::number(e->max)));
    if (ganz)
        b.nr = int(d);
    else
        b.wert = d;
    return {b, {}};
}

}  // namespace web
