#include "Compression.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

std::size_t keepBudget(std::size_t count, double percent)
{
    if (count == 0 || !(percent > 0.0))
        return 0;
    if (percent >= 100.0)
        return count;
    const double wanted = percent * static_cast<double>(count) / 100.0;
    // A share typed as a short decimal is not exact in binary, so a product that should be a whole
    // number can land a few units in the last place above it; those units are not a fraction of a
    // value to round up. No share with a sensible number of digits is really that close above.
    const double whole = std::nearbyint(wanted);
    const double budget = std::fabs(wanted - whole) <= 1e-12 * std::max(1.0, wanted) ? whole
                                                                                   : std::ceil(wanted);
    return std::clamp(static_cast<std::size_t>(budget), std::size_t{1}, count);
}

std::vector<std::uint64_t> keepOrderKeys(const float* values, std::size_t count)
{
    std::vector<std::uint64_t> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        // Without the sign bit a float's bits order as its magnitude, NaN above infinity, and
        // integers give the strict order that sorting needs even where floats would not.
        const std::uint32_t smallerFirst = 0x7FFFFFFFu - (bits & 0x7FFFFFFFu);
        keys[i] = (static_cast<std::uint64_t>(smallerFirst) << 32) | static_cast<std::uint64_t>(i);
    }
    return keys;
}

KeepResult keepLargest(float* values, std::size_t count, double percent, unsigned char* mask)
{
    const std::size_t m = keepBudget(count, percent);
    std::vector<std::uint64_t> keys = keepOrderKeys(values, count);
    std::nth_element(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(m), keys.end());

    std::vector<float> kept(count, 0.0f);
    if (mask != nullptr)
        std::fill(mask, mask + count, static_cast<unsigned char>(0));
    std::size_t nonZero = 0;
    for (std::size_t k = 0; k < m; ++k) {
        const std::size_t i = keyIndex(keys[k]);
        kept[i] = values[i];
        nonZero += values[i] != 0.0f;
        if (mask != nullptr)
            mask[i] = 1;
    }
    std::copy(kept.begin(), kept.end(), values);
    return {m, nonZero};
}

double psnr(const float* values, const float* reference, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = static_cast<double>(values[i]) - static_cast<double>(reference[i]);
        sum += d * d;
    }
    if (sum == 0.0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(static_cast<double>(count) / sum);
}
