// The help window's RTF reader: whatever a ReadMe.rtf holds, it reads without
// a fault, in time proportional to its size. Checked: what looks like RTF is
// read and nothing else (which leaves the document empty), and one input
// takes less than 5 s; 256 KB of RTF read in well under a second, so a
// slower input ends the process and libFuzzer keeps it.
#include "fuzzqt.h"
#include "pruefen.h"
#include "rtfreader.h"

#include <QTextDocument>

#include <chrono>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qtEinrichten();
    const QByteArray rtf = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument dokument;
    const auto anfang = std::chrono::steady_clock::now();
    const bool gelesen = readRtf(rtf, &dokument);
    pruefen(std::chrono::steady_clock::now() - anfang < std::chrono::seconds(5), "one input reads in less than 5 s");
    pruefen(gelesen == looksLikeRtf(rtf), "what looks like RTF is read, nothing else");
    pruefen(gelesen || dokument.isEmpty(), "what is not read leaves the document as it was");
    return 0;
}
