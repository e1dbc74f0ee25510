#include "RangeDecoder.h"
#include "RangeEncoder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// A coding's record learns how many decisions each prefix of a stream settles from one decoder
// that starts with no bytes and is given one more each time it cannot settle a decision: at
// every step it must be the decoder those bytes make from the start, brought through the same
// decisions.
TEST(RangeDecoder, GivenOneByteMoreItIsTheDecoderOfThatLongerPrefix)
{
    // Runs of a likely 1 or a likely 0 carry a decoder that lacks bytes on through further
    // decisions and shifts, up to three bytes short; even odds settle little beyond the bytes.
    std::vector<int> bits, kinds;
    std::uint32_t state = 7;
    for (int round = 0; round < 3; ++round) {
        for (int kind = 0; kind < 3; ++kind) {
            for (int k = 0; k < (kind == 1 ? 400 : 12000); ++k) {
                kinds.push_back(kind);
                bits.push_back(kind == 0 ? 1 : kind == 2 ? 0 : int(nextRandom(state) & 1));
            }
        }
    }
    RangeEncoder encoder({});
    AdaptiveBit coding[3];
    for (std::size_t d = 0; d < bits.size(); ++d)
        encoder.encode(coding[kinds[d]], bits[d]);
    const std::vector<unsigned char> stream = encoder.finish();

    // Bytes given before they are read wait their turn.
    RangeDecoder early(stream.data(), 0);
    for (int k = 0; k < 6; ++k)
        early.extend();
    EXPECT_TRUE(early == RangeDecoder(stream.data(), 6));
    EXPECT_FALSE(early == RangeDecoder(stream.data(), 5));

    const auto broughtThrough = [&](std::size_t bytes, std::size_t decisions) {
        RangeDecoder decoder(stream.data(), bytes);
        AdaptiveBit models[3];
        for (std::size_t d = 0; d < decisions; ++d)
            EXPECT_EQ(decoder.decode(models[kinds[d]]), bits[d]) << bytes << " bytes, decision " << d;
        return decoder;
    };
    RangeDecoder grown(stream.data(), 0);
    AdaptiveBit models[3];
    std::size_t known = 0;
    for (std::size_t d = 0; d < bits.size(); ++d) {
        int bit;
        while ((bit = grown.decode(models[kinds[d]])) == RangeDecoder::kOpen) {
            ASSERT_LT(known, stream.size()) << "decision " << d;
            grown.extend();
            ++known;
            ASSERT_TRUE(grown == broughtThrough(known, d)) << known << " bytes, decision " << d;
        }
        ASSERT_EQ(bit, bits[d]) << "decision " << d;
    }
}

} // namespace
