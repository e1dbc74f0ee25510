#include "Compression.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

std::size_t keepLargest(float* values, std::size_t count, double percent)
{
    if (count == 0)
        return 0;
    const double wanted = std::ceil(percent / 100.0 * static_cast<double>(count));
    const std::size_t m =
        static_cast<std::size_t>(std::clamp(wanted, 1.0, static_cast<double>(count)));

    std::vector<float> magnitudes(values, values + count);
    for (float& v : magnitudes)
        v = std::fabs(v);
    std::nth_element(magnitudes.begin(), magnitudes.begin() + static_cast<std::ptrdiff_t>(m - 1),
                     magnitudes.end(), std::greater<float>());
    const float threshold = magnitudes[m - 1];

    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::fabs(values[i]) >= threshold)
            ++kept;
        else
            values[i] = 0.0f;
    }
    return kept;
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
