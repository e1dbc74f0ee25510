#include "AutoScale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// 1 / magnitude as a float, kept finite; 1 when there is nothing to show.
float scaleShowingWhite(float magnitude)
{
    if (!(magnitude > 0.0f))
        return 1.0f;
    const double scale = 1.0 / static_cast<double>(magnitude);
    return static_cast<float>(std::min(scale, static_cast<double>(std::numeric_limits<float>::max())));
}

// The bits of a finite float's magnitude, which order as the magnitudes do, and back.
std::uint32_t magnitudeBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits & 0x7FFFFFFFu;
}

float floatOf(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Calls visit with the magnitude bits of every entry of the detail blocks.
template <class Visit>
void forEachDetail(const float* values, int size, const std::vector<Block>& blocks, Visit visit)
{
    const auto n = static_cast<std::size_t>(size);
    for (const Block& block : blocks) {
        if (!block.isDetail())
            continue;
        for (int row = block.row; row < block.row + block.height; ++row) {
            const float* line = values + static_cast<std::size_t>(row) * n;
            for (int column = block.column; column < block.column + block.width; ++column)
                visit(magnitudeBits(line[column]));
        }
    }
}

} // namespace

// The percentile is found by the magnitudes' bits, their upper half first and then the lower half
// within its bucket: two passes and no sort, since the scale may follow every command.
float automaticScale(const float* values, int size, const std::vector<Block>& blocks,
                     bool largestWithoutDetails)
{
    std::vector<std::size_t> upper(std::size_t{1} << 15);
    std::size_t count = 0;
    std::uint32_t largest = 0;
    forEachDetail(values, size, blocks, [&](std::uint32_t bits) {
        ++upper[bits >> 16];
        ++count;
        largest = std::max(largest, bits);
    });
    if (count == 0) {
        if (!largestWithoutDetails)
            return 1.0f;
        const auto n = static_cast<std::size_t>(size);
        float most = 0.0f;
        for (std::size_t i = 0; i < n * n; ++i)
            most = std::max(most, std::fabs(values[i]));
        return scaleShowingWhite(most);
    }
    // The nearest-rank percentile: the smallest magnitude that at least 99 % of them do not exceed,
    // the rank-th smallest.
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(count)));
    std::size_t below = 0;
    std::uint32_t high = 0;
    while (below + upper[high] < rank)
        below += upper[high++];
    std::vector<std::size_t> lower(std::size_t{1} << 16);
    forEachDetail(values, size, blocks, [&](std::uint32_t bits) {
        if ((bits >> 16) == high)
            ++lower[bits & 0xFFFFu];
    });
    std::uint32_t low = 0;
    while (below + lower[low] < rank)
        below += lower[low++];
    const float at = floatOf(high << 16 | low);
    return scaleShowingWhite(at > 0.0f ? at : floatOf(largest));
}
