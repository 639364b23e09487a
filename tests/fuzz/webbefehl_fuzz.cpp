// The command reader of the web page: whatever a page sends, it is read
// without a fault, and is either refused with a German reason or taken as one
// command whose values lie within their bounds. A command taken, written
// out again in its plain form, reads back as the same command, and with its
// last field written twice it is refused.
#include "befehl.h"
#include "pruefen.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdint>

namespace {

QByteArray schreiben(const web::Befehl& b)
{
    using web::Art;
    QJsonObject o{{QStringLiteral("befehl"), web::befehlName(b.art)}};
    switch (b.art) {
    case Art::Snt:
    case Art::StartPause:
    case Art::Fahrt:
    case Art::Sichtbar: o[QStringLiteral("an")] = b.an; break;
    case Art::Eingaben:
        o[QStringLiteral("an")] = b.an;
        if (b.an)
            o[QStringLiteral("gruppe")] = b.gruppe;
        break;
    case Art::Richtung: o[QStringLiteral("vor")] = b.an; break;
    case Art::Seite:
    case Art::Block:
    case Art::Tempo:
    case Art::NichtsKam:
    case Art::Zuruecknehmen: o[QStringLiteral("nr")] = b.nr; break;
    case Art::Takt: o[QStringLiteral("wert")] = b.wert; break;
    case Art::Antwort:
        o[QStringLiteral("id")] = b.nr;
        o[QStringLiteral("knopf")] = b.knopf;
        break;
    default: break;
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse)
{
    const QByteArrayView text(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    const web::Lesung l = web::befehlLesen(text);
    pruefen(l.befehl.has_value() != !l.fehler.isEmpty(), "either a command or a reason");
    if (!l.befehl) {
        pruefen(l.fehler.size() < 400, "a short reason");
        return 0;
    }
    const web::Befehl& b = *l.befehl;
    pruefen(groesse <= std::size_t(web::MaxNachricht), "nothing longer than the limit is taken");
    pruefen(!web::befehlName(b.art).isEmpty(), "a known command");
    const int hoechstens = b.art == web::Art::Antwort     ? web::MaxMeldungId
                           : b.art == web::Art::NichtsKam || b.art == web::Art::Zuruecknehmen ? web::MaxEingang
                           : b.art == web::Art::Tempo     ? 120
                                                          : 200;
    pruefen(b.nr >= 0 && b.nr <= hoechstens, "numbers within the largest layout");
    pruefen(b.wert == 0 || (b.wert > 0 && std::isfinite(b.wert)), "the beat a finite number of seconds");
    pruefen(b.knopf.isEmpty() == (b.art != web::Art::Antwort) && b.knopf.size() <= web::MaxKnopf,
            "a button's text with an answer only");
    pruefen(b.gruppe.isEmpty() == !(b.art == web::Art::Eingaben && b.an), "a group with the start of the guided check only");
    const QByteArray klar = schreiben(b);
    const web::Lesung wieder = web::befehlLesen(klar);
    pruefen(wieder.befehl.has_value() && *wieder.befehl == b, "written out, it reads back the same");
    // The same members once more, the last one repeated: refused.
    const qsizetype komma = klar.lastIndexOf(',');
    if (komma > 0) {
        const QByteArray doppelt = klar.left(klar.size() - 1) + klar.mid(komma);
        pruefen(!web::befehlLesen(doppelt).befehl.has_value(), "a field written twice is refused");
    }
    return 0;
}
