#include "AutoScale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
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

} // namespace

float automaticScale(const float* values, int size, const std::vector<Block>& blocks,
                     bool largestWithoutDetails)
{
    const auto n = static_cast<std::size_t>(size);
    std::vector<float> magnitudes;
    for (const Block& block : blocks) {
        if (!block.isDetail())
            continue;
        for (int row = block.row; row < block.row + block.height; ++row)
            for (int column = block.column; column < block.column + block.width; ++column)
                magnitudes.push_back(std::fabs(values[static_cast<std::size_t>(row) * n +
                                                     static_cast<std::size_t>(column)]));
    }
    if (magnitudes.empty()) {
        if (!largestWithoutDetails)
            return 1.0f;
        float largest = 0.0f;
        for (std::size_t i = 0; i < n * n; ++i)
            largest = std::max(largest, std::fabs(values[i]));
        return scaleShowingWhite(largest);
    }
    // The nearest-rank percentile: the smallest magnitude that at least 99 % of them do not exceed.
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(magnitudes.size())));
    const auto at = magnitudes.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(magnitudes.begin(), at, magnitudes.end());
    if (*at > 0.0f)
        return scaleShowingWhite(*at);
    return scaleShowingWhite(*std::max_element(magnitudes.begin(), magnitudes.end()));
}
