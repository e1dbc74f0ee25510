#include "CodingRecord.h"

#include "AdaptiveBit.h"
#include "Codec.h"
#include "RangeDecoder.h"

#include <algorithm>

// A change holds its coefficient's index in the bits below its plane.
static_assert(std::uint64_t{kMaxSide} * kMaxSide <= std::uint64_t{1} << 18, "an index fits in 18 bits");

void CodingRecord::reachAtMost(std::size_t bytes)
{
    reachBytes = bytes;
}

std::size_t CodingRecord::reach() const
{
    return reachBytes;
}

void CodingRecord::start(int n)
{
    side = n;
    decisions.clear();
    changes.clear();
    settled.clear();
}

// A decoder that knows none of the bytes walks the decisions and takes one byte more each time
// it cannot settle one: the first decision a prefix leaves open is where the next longer prefix
// takes over, which settles every decision before it too.
void CodingRecord::settle(const unsigned char* coded, std::size_t size)
{
    settled.resize(size + 1);
    RangeDecoder decoder(coded, 0);
    std::size_t known = 0;
    std::uint32_t made = 0;
    AdaptiveBit model;
    for (std::uint16_t decision : decisions) {
        model.fast = model.slow = decision & (kChangeFollows - 1);
        while (decoder.decode(model) == RangeDecoder::kOpen) {
            settled[known] = made;
            if (known == size)
                return;
            decoder.extend();
            ++known;
        }
        made += (decision & kChangeFollows) != 0;
    }
    std::fill(settled.begin() + static_cast<std::ptrdiff_t>(known), settled.end(), made);
}

bool CodingRecord::replay(std::size_t bytes, PartialCoefficients& known) const
{
    if (bytes >= settled.size())
        return false;
    const std::size_t count = std::size_t(side) * side;
    known.magnitude.assign(count, 0);
    known.plane.assign(count, -1);
    known.sign.assign(count, 0);
    const std::uint32_t made = settled[bytes];
    for (std::uint32_t t = 0; t < made; ++t) {
        const std::uint32_t entry = changes[t];
        const std::uint32_t k = entry & ((1u << kPlaneShift) - 1);
        const int plane = int(entry >> kPlaneShift & 31);
        const auto change = static_cast<Change>(entry >> kChangeShift);
        if (change >= SignificantPositive) {
            known.magnitude[k] = 1u << plane;
            known.sign[k] = change == SignificantNegative ? -1 : 1;
        } else {
            known.magnitude[k] |= std::uint32_t(change) << plane;
        }
        known.plane[k] = static_cast<std::int8_t>(plane);
    }
    return true;
}
