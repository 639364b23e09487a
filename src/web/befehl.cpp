#include "befehl.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

#include <array>
#include <cmath>

namespace web {

namespace {

// The groups of the guided check, by the names --fehler gives them.
constexpr std::array<const char*, 6> Gruppen{"melder", "taster1", "blocktaster", "hblocktaster", "blockbelegt",
                                             "hblockbelegt"};

// Bounds of the numbers: any page number, any block number of the largest
// layout, the drive slider's positions.
constexpr std::array<BefehlsArt, 18> Befehle{{
    {"allesAus", Art::AllesAus, Feld::Keins},
    {"snt", Art::Snt, Feld::An, Feld::Keins, 0, 0, "ob das SNT ein- oder ausgeschaltet werden soll"},
    {"seite", Art::Seite, Feld::Nr, Feld::Keins, 0, 7, "Die Seitennummer"},
    {"start", Art::StartPause, Feld::An, Feld::Keins, 0, 0, "ob die Automatik laufen oder pausieren soll"},
    {"weiter", Art::Weiter, Feld::Keins},
    {"zurueck", Art::Zurueck, Feld::Keins},
    {"fehlerhaft", Art::Fehlerhaft, Feld::Keins},
    {"takt", Art::Takt, Feld::Wert, Feld::Keins, 0, 0, "Der Takt"},
    {"block", Art::Block, Feld::Nr, Feld::Keins, 1, 200, "Die Blocknummer"},
    {"tempo", Art::Tempo, Feld::Nr, Feld::Keins, 0, 120, "Das Tempo"},
    {"richtung", Art::Richtung, Feld::Vor, Feld::Keins, 0, 0, "ob vorwärts oder rückwärts gefahren werden soll"},
    {"fahrt", Art::Fahrt, Feld::An, Feld::Keins, 0, 0, "ob der Zug fahren oder halten soll"},
    {"lebt", Art::Lebt, Feld::Keins},
    {"sichtbar", Art::Sichtbar, Feld::An, Feld::Keins, 0, 0, "ob die Seite sichtbar ist"},
    {"antwort", Art::Antwort, Feld::Id, Feld::Knopf, 0, MaxMeldungId, "Die Nummer der Meldung"},
    {"eingaben", Art::Eingaben, Feld::An, Feld::Gruppe, 0, 0, "ob die geführte Prüfung beginnen oder enden soll"},
    {"nichtskam", Art::NichtsKam, Feld::Nr, Feld::Keins, 1, MaxEingang, "Die Nummer, bei der nichts kam,"},
    {"zuruecknehmen", Art::Zuruecknehmen, Feld::Nr, Feld::Keins, 1, MaxEingang, "Die angezeigte Nummer"},
}};

}  // namespace

QLatin1String feldName(Feld f)
{
    switch (f) {
    case Feld::An: return QLatin1String("an");
    case Feld::Vor: return QLatin1String("vor");
    case Feld::Nr: return QLatin1String("nr");
    case Feld::Wert: return QLatin1String("wert");
    case Feld::Id: return QLatin1String("id");
    case Feld::Knopf: return QLatin1String("knopf");
    case Feld::Gruppe: return QLatin1String("gruppe");
    case Feld::Keins: break;
    }
    return QLatin1String();
}

std::span<const BefehlsArt> befehlsTabelle()
{
    return Befehle;
}

std::span<const char* const> pruefGruppen()
{
    return Gruppen;
}

namespace {

Lesung fehler(const QString& text)
{
    return {std::nullopt, text};
}

// The members of the outermost object as written, counted by their colons
// outside strings: a name written twice counts twice, where the parsed
// object keeps only one.
int mitgliederGeschrieben(QByteArrayView text)
{
    int tiefe = 0;
    int anzahl = 0;
    bool imText = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (imText) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                imText = false;
            continue;
        }
        if (c == '"')
            imText = true;
        else if (c == '{' || c == '[')
            ++tiefe;
        else if (c == '}' || c == ']')
            --tiefe;
        else if (c == ':' && tiefe == 1)
            ++anzahl;
    }
    return anzahl;
}

// One field of e into b; the reason in German when it is wrong or missing.
QString feldLesen(const BefehlsArt& e, Feld f, const QJsonValue& v, Befehl& b)
{
    switch (f) {
    case Feld::Keins:
        return {};
    case Feld::An:
    case Feld::Vor:
        if (!v.isBool())
            return QStringLiteral("Es fehlt die Angabe, %1.").arg(QString::fromUtf8(e.was));
        b.an = v.toBool();
        return {};
    case Feld::Knopf:
        if (!v.isString() || v.toString().trimmed().isEmpty() || v.toString().size() > MaxKnopf)
            return QStringLiteral("Die Antwort nennt keinen Knopf der Meldung.");
        b.knopf = v.toString();
        return {};
    case Feld::Gruppe: {
        // Only a start names one; "Fertig" ends whichever runs.
        if (!b.an)
            return v.isUndefined() ? QString() : QStringLiteral("„Fertig“ nennt keine Gruppe.");
        QStringList namen;
        for (const char* g : Gruppen)
            namen << QString::fromLatin1(g);
        if (!v.isString() || !namen.contains(v.toString()))
            return QStringLiteral("Die geführte Prüfung braucht eine dieser Gruppen: %1.").arg(namen.join(QStringLiteral(", ")));
        b.gruppe = v.toString();
        return {};
    }
    case Feld::Wert: {
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !std::isfinite(d) || d <= 0)
            return QStringLiteral("%1 muss eine Zahl von Sekunden sein.").arg(QString::fromUtf8(e.was));
        b.wert = d;
        return {};
    }
    case Feld::Nr:
    case Feld::Id: {
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !std::isfinite(d) || d < e.min || d > e.max || d != std::floor(d))
            return QStringLiteral("%1 muss eine ganze Zahl von %2 bis %3 sein.")
                .arg(QString::fromUtf8(e.was), QString::number(qint64(e.min)), QString::number(qint64(e.max)));
        b.nr = int(d);
        return {};
    }
    }
    return {};
}

}  // namespace

QString befehlName(Art art)
{
    for (const BefehlsArt& e : Befehle)
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
    if (mitgliederGeschrieben(text) != o.size())
        return fehler(QStringLiteral("Kein gültiger Befehl: eine Angabe steht zweimal in der Nachricht."));
    const QJsonValue name = o.value(QLatin1String("befehl"));
    if (!name.isString())
        return fehler(QStringLiteral("Kein gültiger Befehl: die Nachricht nennt nicht, was getan werden soll."));
    const BefehlsArt* e = nullptr;
    for (const BefehlsArt& k : Befehle)
        if (name.toString() == QLatin1String(k.name))
            e = &k;
    if (!e)
        return fehler(QStringLiteral("Unbekannter Befehl „%1“.").arg(name.toString().left(40)));
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != QLatin1String("befehl") && (e->feld == Feld::Keins || it.key() != feldName(e->feld))
            && (e->feld2 == Feld::Keins || it.key() != feldName(e->feld2)))
            return fehler(QStringLiteral("Kein gültiger Befehl: die Nachricht enthält eine Angabe, die nicht dazugehört."));
    Befehl b;
    b.art = e->art;
    for (const Feld f : {e->feld, e->feld2})
        if (const QString grund = feldLesen(*e, f, o.value(feldName(f)), b); !grund.isEmpty())
            return fehler(grund);
    return {b, {}};
}

}  // namespace web
