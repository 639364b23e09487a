// The request-head reader of the web page's server, which anyone on the
// network reaches without a key: whatever arrives, it decides without a fault,
// with a status from the known set and a German reason for every refusal; it
// opens a WebSocket as a page, and serves a file that needs the key, only when
// the key came with the request; it never claims more head than it was given.
// The same bytes as WebSocket frames: the frame counter counts the same
// however the bytes are split between reads, and a frame without a mask is
// seen however they are split.
#include "kopf.h"
#include "pruefen.h"
#include "rahmen.h"

#include <cstdint>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse)
{
    const QByteArrayView text(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    const web::KopfRegeln regeln{"0123456789abcdef0123456789abcdef",
                                 {"127.0.0.1:8080", "localhost:8080", "kvx.local:8080", "[::1]:8080"}};
    const web::Kopf k = web::kopfLesen(text, regeln);

    bool bekannt = false;
    for (int s : {0, 101, 200, 400, 401, 403, 404, 405, 421, 431})
        bekannt = bekannt || k.status == s;
    pruefen(bekannt, "a status from the known set");
    pruefen(k.status != 0 || groesse < std::size_t(web::MaxKopf), "a head at the limit is decided");
    pruefen(k.laenge <= qsizetype(groesse) && k.laenge <= web::MaxKopf, "no more head than given");
    pruefen(k.status < 400 || (!k.text.isEmpty() && k.text.size() < 400), "a short reason for a refusal");
    pruefen(!k.schluessel || text.contains(regeln.schluessel), "the key only when it came");
    pruefen(k.status != 101 || k.abweisen == (k.schluessel ? 0 : web::SchlussFalscherSchluessel),
            "a WebSocket is a page only with the key");
    pruefen((k.status == 200) == (k.datei != nullptr), "a file exactly when served");
    pruefen(k.status != 200 || k.schluessel || !k.datei->mitSchluessel, "a keyed file only with the key");
    pruefen(k.host.isEmpty() || regeln.hosts.contains(k.host), "a Host taken only when known");
    pruefen(k.host.size() > 0 || !(k.status == 101 || k.status == 200 || k.status == 401 || k.status == 404),
            "served, or refused for its key, only under a known name");

    web::RahmenZaehler ganz;
    const int alle = ganz.lesen(text);
    web::RahmenZaehler geteilt;
    const qsizetype mitte = text.size() / 3;
    const int teile = geteilt.lesen(text.first(mitte)) + geteilt.lesen(text.sliced(mitte, 1 < text.size() - mitte ? 1 : 0))
                    + geteilt.lesen(text.sliced(mitte + (1 < text.size() - mitte ? 1 : 0)));
    pruefen(alle == teile, "frames counted alike however the bytes are split");
    pruefen(ganz.unmaskiert() == geteilt.unmaskiert(), "an unmasked frame seen however the bytes are split");
    pruefen(k.status == 0 || k.status >= 400 || !text.first(k.laenge).contains('\n')
                || text.first(k.laenge).count('\n') == text.first(k.laenge).count("\r\n"),
            "a head taken has CR LF line ends only");
    pruefen(alle <= int(groesse / 2), "a frame has at least two bytes");
    return 0;
}
