#include "rahmen.h"

#include <algorithm>

namespace web {

namespace {

// The length of a frame's header once its second byte is known: 2 bytes,
// 2 or 8 more for a longer payload, 4 more for the mask.
int kopfLaenge(unsigned char zweites)
{
    const int laenge7 = zweites & 0x7f;
    return 2 + (laenge7 == 126 ? 2 : laenge7 == 127 ? 8 : 0) + ((zweites & 0x80) ? 4 : 0);
}

}  // namespace

int RahmenZaehler::lesen(QByteArrayView daten)
{
    int rahmen = 0;
    qsizetype i = 0;
    while (i < daten.size()) {
        if (rest_ > 0) {
            const auto n = qsizetype(std::min<std::uint64_t>(rest_, std::uint64_t(daten.size() - i)));
            i += n;
            rest_ -= std::uint64_t(n);
            continue;
        }
        kopf_[kopfLaenge_++] = uchar(daten[i++]);
        if (kopfLaenge_ < 2 || kopfLaenge_ < kopfLaenge(kopf_[1]))
            continue;
        std::uint64_t laenge = kopf_[1] & 0x7f;
        if (laenge == 126) {
            laenge = (std::uint64_t(kopf_[2]) << 8) | kopf_[3];
        } else if (laenge == 127) {
            laenge = 0;
            for (int b = 2; b < 10; ++b)
                laenge = (laenge << 8) | kopf_[b];
        }
        rest_ = laenge;
        unmaskiert_ = unmaskiert_ || (kopf_[1] & 0x80) == 0;
        kopfLaenge_ = 0;
        ++rahmen;
    }
    return rahmen;
}

}  // namespace web
