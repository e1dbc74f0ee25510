#pragma once

#include "AdaptiveBit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Binary adaptive range coder (the carry-propagating coder of LZMA): each decision narrows the
// interval [low, low + range) by its model's probability. Bytes are emitted only once no carry can
// change them, so the bytes out so far are a prefix of the finished stream.
class RangeEncoder {
public:
    // The coded bytes follow `prefix` (the stream's header) in the same vector.
    explicit RangeEncoder(std::vector<unsigned char> prefix);

    // Inline for the same reason as RangeDecoder::decode: it runs once a decision.
    void encode(AdaptiveBit& model, int bit)
    {
        const std::uint32_t bound = (range >> AdaptiveBit::kBits) * model.zero();
        low += bit ? bound : 0;
        range = bit ? range - bound : bound;
        model.update(bit);
        while (range < kTop) {
            range <<= 8;
            shiftLow();
        }
    }
    // Bytes out so far, prefix included; none of them changes any more.
    std::size_t size() const;
    // Emits the bytes that pin the last decision down and hands the whole stream over.
    std::vector<unsigned char> finish();

private:
    static constexpr std::uint32_t kTop = 1u << 24;

    void shiftLow();

    std::vector<unsigned char> out;
    std::uint64_t low = 0;
    std::uint32_t range = 0xFFFFFFFFu;
    // The byte held back while a carry could still reach it, and the 0xFF bytes after it.
    unsigned char cache = 0;
    std::uint64_t pending = 0;
    // LZMA's first byte is always 0; it is left out, and the decoder starts one byte later.
    bool first = true;
};
