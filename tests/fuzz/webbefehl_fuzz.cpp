// The command reader of the web page: whatever a page sends, it is read
// without a fault, and is either refused with a German reason or taken as one
// command whose values lie within their bounds. A command taken, written
// out again in its plain form, reads back as the same command.
#include "befehl.h"
#include "pruefen.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>

namespace {

QByteArray schreiben(const web::Befehl& b)
{
    using web::Art;
    QJsonObject o{{QStringLiteral("befehl"), web::befehlName(b.art)}};
    switch (b.art) {
    case Art::Snt:
    case Art::Sichtbar: o[QStringLiteral("an")] = b.an; break;
    case Art::Richtung: o[QStringLiteral("vor")] = b.an; break;
    case Art::Seite:
    case Art::Block:
    case Art::Tempo: o[QStringLiteral("nr")] = b.nr; break;
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
    pruefen(b.art == web::Art::Antwort ? b.nr >= 1 : (b.nr >= 0 && b.nr <= 200), "numbers within the largest layout");
    pruefen(b.wert == 0 || (b.wert >= 0.2 && b.wert <= 10.0), "the beat within its bounds");
    const web::Lesung wieder = web::befehlLesen(schreiben(b));
    pruefen(wieder.befehl.has_value() && *wieder.befehl == b, "written out, it reads back the same");
    return 0;
}
