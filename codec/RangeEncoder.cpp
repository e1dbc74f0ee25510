#include "RangeEncoder.h"

#include <utility>

RangeEncoder::RangeEncoder(std::vector<unsigned char> prefix) : out(std::move(prefix)) {}

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
