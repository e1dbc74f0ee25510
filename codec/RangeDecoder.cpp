#include "RangeDecoder.h"

RangeDecoder::RangeDecoder(const unsigned char* data, std::size_t size) : data(data), size(size)
{
    for (int i = 0; i < 4; ++i)
        shiftIn();
    most = std::min(most, range - 1);
}

bool RangeDecoder::damaged() const
{
    return broken;
}

bool RangeDecoder::operator==(const RangeDecoder& other) const
{
    return data == other.data && size == other.size && next == other.next && range == other.range &&
           least == other.least && most == other.most && broken == other.broken;
}

// The decoder keeps, of the bytes it lacks, 0x00 in its least value and 0xFF in its greatest,
// which never exceeds the range's top: the greatest is the least plus every missing byte's
// 0xFF, or the top, whichever is lower. A byte not yet shifted in is read when it is; one already
// shifted out of the last four weighs nothing in 32 bits.
void RangeDecoder::extend()
{
    const std::size_t position = size++;
    broken = false;
    if (position >= next || position + 4 < next)
        return;
    const int missing = int(next - 1 - position);
    least += std::uint32_t(data[position]) << (8 * missing);
    most = std::uint32_t(std::min<std::uint64_t>(least + ((std::uint64_t{1} << (8 * missing)) - 1), range - 1));
}
