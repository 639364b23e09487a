// The inputs as the web page's grids show them: six groups (blocks,
// auxiliary blocks, detectors, the buttons of the block cards, of the
// auxiliary-block cards and of chain 1), each with as many elements as the
// layout has now, and the element of each that changed last.
//
// The images are compared with those last taken, wherever they come from:
// the component itself on the UI thread while nothing else runs, or a
// snapshot of it while a drive or route thread does.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <vector>

namespace kvx {
struct Abbild;
}

class WebBelegung {
public:
    // Takes the images of bild; true when the message would differ from the
    // one before: an element changed, a group has another count, or it is
    // the first look.
    bool vergleichen(const kvx::Abbild& bild);
    // The "belegung" message of what was taken last: all six groups, a group
    // of 0 elements with no bits.
    QByteArray nachricht() const;

private:
    std::array<std::vector<std::uint8_t>, 6> bilder_;   // by group, 1 occupied or pressed
    std::array<int, 6> letzte_{};                        // the element of each group that changed last
    bool genommen_ = false;
};
