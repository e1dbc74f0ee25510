#pragma once

#include "AdaptiveBit.h"

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

    // 0 or 1; kOpen when the bytes cannot tell, or once the stream proved damaged.
    int decode(AdaptiveBit& model);
    // True once the code fell outside the interval: no stream the encoder writes does that.
    bool damaged() const;

private:
    void shiftIn();

    const unsigned char* data;
    std::size_t size;
    std::size_t next = 0;
    std::uint32_t range = 0xFFFFFFFFu;
    // The least and the greatest value the code can have, given the bytes read.
    std::uint32_t least = 0;
    std::uint32_t most = 0;
    bool broken = false;
};
