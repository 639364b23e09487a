#include "webpruefung.h"

#include "verdrahtungsfenster.h"

#include <QJsonArray>

using verdrahtung::Element;

namespace {

QString gruppenName(Element e)
{
    const std::string_view n = verdrahtung::name(e);
    return QString::fromLatin1(n.data(), qsizetype(n.size()));
}

}  // namespace

QString pruefBefehl(VerdrahtungsFenster& fenster, const web::Befehl& b)
{
    if (b.art == web::Art::NichtsKam)
        return fenster.nichtsKam(b.nr);
    if (b.art == web::Art::Zuruecknehmen)
        return fenster.zurueck(b.nr);
    if (!b.an)
        return fenster.eingabenBeenden();
    for (const pruefung::FuehrungsGruppe& g : pruefung::FuehrungsGruppen)
        if (gruppenName(g.element) == b.gruppe)
            return fenster.eingabenStarten(g.element);
    return QStringLiteral("Die Gruppe „%1“ kann nicht geführt geprüft werden.").arg(b.gruppe);
}

QJsonObject pruefZustand(const VerdrahtungsFenster& fenster, const TkvxHard& kvx)
{
    const VerdrahtungsFenster::Stand s = fenster.stand();
    const pruefung::Umfang umfang = pruefung::umfangVon(kvx);
    QJsonArray gruppen;
    for (const pruefung::FuehrungsGruppe& g : pruefung::FuehrungsGruppen)
        gruppen.append(QJsonObject{{QStringLiteral("name"), gruppenName(g.element)},
                                   {QStringLiteral("text"), QString::fromUtf8(g.name)},
                                   {QStringLiteral("anzahl"), umfang.anzahl(g.element)}});
    return QJsonObject{
        {QStringLiteral("laeuft"), s.laeuft},
        {QStringLiteral("gefuehrt"), s.gefuehrt},
        {QStringLiteral("zurueck"), s.zurueck},
        {QStringLiteral("frage"), s.frage},
        {QStringLiteral("gruppe"), gruppenName(s.gruppe)},
        {QStringLiteral("gruppen"), gruppen},
        {QStringLiteral("erwartet"), s.erwartet},
        {QStringLiteral("anzahl"), s.anzahl},
        {QStringLiteral("kam"), s.kam},
        {QStringLiteral("kamFalsch"), s.kamFalsch},
        {QStringLiteral("status"), s.status},
        {QStringLiteral("befunde"), QJsonArray::fromStringList(s.befunde)},
    };
}
