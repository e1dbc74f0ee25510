#include "RangeEncoder.h"

#include <utility>

namespace {

constexpr std::uint32_t kTop = 1u << 24;

} // namespace

RangeEncoder::RangeEncoder(std::vector<unsigned char> prefix) : out(std::move(prefix)) {}

void RangeEncoder::encode(AdaptiveBit& model, int bit)
{
    const std::uint32_t bound = (range >> AdaptiveBit::kBits) * model.zero();
    if (bit) {
        low += bound;
        range -= bound;
    } else {
        range = bound;
    }
    model.update(bit);
    while (range < kTop) {
        range <<= 8;
        shiftLow();
    }
}

void RangeEncoder::shiftLow()
{
    if (low < 0xFF000000u || low >= (std::uint64_t{1} << 32)) {
        const unsigned char carry = static_cast<unsigned char>(low >> 32);
        if (!first)
            out.push_back(static_cast<unsigned char>(cache + carry));
        first = false;
        for (; pending > 0; --pending)
            out.push_back(static_cast<unsigned char>(0xFF + carry));
        cache = static_cast<unsigned char>(low >> 24);
    } else {
        ++pending;
    }
    low = (low & 0x00FFFFFFu) << 8;
}

std::size_t RangeEncoder::size() const
{
    return out.size();
}

std::vector<unsigned char> RangeEncoder::finish()
{
    for (int i = 0; i < 5; ++i)
        shiftLow();
    return std::move(out);
}
