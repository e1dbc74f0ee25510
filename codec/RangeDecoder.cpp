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
