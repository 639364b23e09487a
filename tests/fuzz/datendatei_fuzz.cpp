// The layout data files: whatever a .DST, .DLB, .DLM or .DMA holds, it reads
// as a table and as a list without a fault, a refusal says why, and a table
// or list that was read, written and read again is the same table or list.
// Written, a file grows (a TAB and a CR a line, a byte-order mark): a text
// beyond what the readers take must not be written at all, or the program
// would leave a file it refuses to load.
#include "datendatei.h"
#include "fuzzqt.h"
#include "pruefen.h"

#include <QTemporaryDir>

#include <cstdint>

namespace {

bool wirdGeschrieben(const QByteArray& text)
{
    static QTemporaryDir ordner;
    QString fehler;
    return datendatei::schreiben(ordner.filePath(QStringLiteral("ZU.DST")), text, &fehler);
}

template <typename Daten, typename Lesen>
void wiederGelesen(const Daten& gelesen, const QByteArray& text, Lesen lesen)
{
    if (text.size() > datendatei::MaxBytes) {
        pruefen(!wirdGeschrieben(text), "a text the readers refuse is not written");
        return;
    }
    QString grund;
    const std::optional<Daten> wieder = lesen(text, &grund);
    pruefen(wieder && *wieder == gelesen, "a table or list written reads back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qtEinrichten();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString grund;
    if (const auto tabelle = datendatei::tabelleAusBytes(bytes, &grund))
        wiederGelesen(*tabelle, datendatei::tabellenText(*tabelle), datendatei::tabelleAusBytes);
    else
        pruefen(!grund.isEmpty(), "a refused table says why");
    grund.clear();
    if (const auto liste = datendatei::listeAusBytes(bytes, &grund))
        wiederGelesen(*liste, datendatei::listenText(*liste), datendatei::listeAusBytes);
    else
        pruefen(!grund.isEmpty(), "a refused list says why");
    return 0;
}
