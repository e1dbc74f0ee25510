#pragma once

#include "AdaptiveBit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Decodes what RangeEncoder coded, from a stream that may have been cut after any byte. The bytes
// beyond the cut are unknown, so the decoder follows both ends of what the code can still be
// (missing bytes all 0x00, all 0xFF) and gives a decision only when both ends agree: every decision
// it gives is the one the whole stream holds, and it never reads past the end.
class RangeDecoder {
public:
    static constexpr int kOpen = -1;

    RangeDecoder(const unsigned char* data, std::size_t size);

    // 0 or 1; kOpen when the bytes cannot tell, or once the stream proved damaged. Inline: the
    // passes call it for every decision, and a call the compiler cannot see through costs more
    // than the decision (in WebAssembly with exceptions on, a trip through JavaScript).
    int decode(AdaptiveBit& model)
    {
        if (broken || least >= range) {
            broken = true;
            return kOpen;
        }
        const std::uint32_t bound = (range >> AdaptiveBit::kBits) * model.zero();
        // least ≤ most, so least at or above the bound puts both ends on the 1 side; a 0 needs
        // the greatest end below it too. Selects rather than branches on the decision itself,
        // which no predictor guesses.
        const int bit = least >= bound;
        if (!bit && most >= bound)
            return kOpen;
        const std::uint32_t taken = bit ? bound : 0;
        least -= taken;
        most -= taken;
        range = bit ? range - bound : bound;
        model.update(bit);
        while (range < kTop) {
            range <<= 8;
            shiftIn();
        }
        most = std::min(most, range - 1);
        return bit;
    }

    // True once the code fell outside the interval: no stream the encoder writes does that.
    bool damaged() const;

    // Equal decoders read the same bytes from the same place and know the same of the code: they
    // give the same decisions from here on.
    bool operator==(const RangeDecoder& other) const;

    // Becomes, at the same decision, the decoder of one byte more of the same stream (that byte
    // must be there to read, just past the `size` given). Exact when the longer decoder gave every
    // decision before this one as this one did, as it does on the bytes an encoder wrote, where
    // more bytes never settle fewer decisions.
    void extend();

private:
    static constexpr std::uint32_t kTop = 1u << 24;

    void shiftIn()
    {
        if (next < size) {
            least = (least << 8) | data[next];
            most = (most << 8) | data[next];
        } else {
            least <<= 8;
            most = (most << 8) | 0xFFu;
        }
        ++next;
    }

    const unsigned char* data;
    std::size_t size;
    // The position of the next byte shifted in, whether the stream holds it or not.
    std::size_t next = 0;
    std::uint32_t range = 0xFFFFFFFFu;
    // The least and the greatest value the code can have, given the bytes read.
    std::uint32_t least = 0;
    std::uint32_t most = 0;
    bool broken = false;
};
