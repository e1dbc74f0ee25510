#include "RangeDecoder.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kTop = 1u << 24;

} // namespace

RangeDecoder::RangeDecoder(const unsigned char* data, std::size_t size) : data(data), size(size)
{
    for (int i = 0; i < 4; ++i)
        shiftIn();
    most = std::min(most, range - 1);
}

void RangeDecoder::shiftIn()
{
    if (next < size) {
        least = (least << 8) | data[next];
        most = (most << 8) | data[next];
        ++next;
    } else {
        least <<= 8;
        most = (most << 8) | 0xFFu;
    }
}

int RangeDecoder::decode(AdaptiveBit& model)
{
    if (least >= range)
        broken = true;
    if (broken)
        return kOpen;
    const std::uint32_t bound = (range >> AdaptiveBit::kBits) * model.zero();
    int bit;
    if (most < bound) {
        bit = 0;
        range = bound;
    } else if (least >= bound) {
        bit = 1;
        least -= bound;
        most -= bound;
        range -= bound;
    } else {
        return kOpen;
    }
    model.update(bit);
    while (range < kTop) {
        range <<= 8;
        shiftIn();
    }
    most = std::min(most, range - 1);
    return bit;
}

bool RangeDecoder::damaged() const
{
    return broken;
}
