// Counts the WebSocket frames in the bytes a page sends, of every kind (text,
// binary, ping, pong, close, continuation), from their headers alone: the
// payload is skipped, not kept. The server feeds it what arrives on a page's
// connection before Qt's reader takes it, so that a page sending pings or
// binary frames, which Qt answers or reports without the server seeing each
// one, is held to the same limit per second as one sending commands.
#pragma once

#include <QByteArrayView>

#include <cstdint>

namespace web {

class RahmenZaehler {
public:
    // The next n bytes are no frames (the request's head before the upgrade).
    void ueberspringen(std::uint64_t n) { rest_ += n; }
    // Reads the bytes that follow those already read; the number of frames
    // whose header completed in them.
    int lesen(QByteArrayView daten);
    // A frame came without a mask, which a client must always set.
    bool unmaskiert() const { return unmaskiert_; }

private:
    std::uint64_t rest_ = 0;   // payload (or head) bytes still to skip
    unsigned char kopf_[14] = {};
    int kopfLaenge_ = 0;       // header bytes of the current frame read so far
    bool unmaskiert_ = false;
};

}  // namespace web
