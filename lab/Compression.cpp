#include "Compression.h"

#include "Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

double psnr(const float* values, const float* reference, std::size_t count, float peak)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = static_cast<double>(values[i]) - static_cast<double>(reference[i]);
        sum += d * d;
    }
    if (sum == 0.0)
        return std::numeric_limits<double>::infinity();
    // peak² / (sum / count), with one division fewer.
    const double p = peak;
    return 10.0 * std::log10(p * p * static_cast<double>(count) / sum);
}

float matrixPeak(const float* start, std::size_t count)
{
    float largest = 0.0f;
    float smallest = 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
        largest = std::max(largest, start[i]);
        smallest = std::min(smallest, start[i]);
    }
    if (smallest < 0.0f)
        return std::max(largest, -smallest);
    return largest <= 1.0f ? 1.0f : (largest <= 255.0f ? 255.0f : largest);
}

std::string psnrSentence(float peak, double db)
{
    std::string text = "PSNR (peak " + shortestDecimal(peak) + ") against the start: ";
    if (std::isnan(db))
        return text + "(reconstruct fully to compare)";
    if (std::isinf(db))
        return text + "\xE2\x88\x9E";
    char number[64];
    std::snprintf(number, sizeof number, "%.2f dB", db);
    return text + number;
}

bool Reduction::operator==(const Reduction& other) const
{
    return kind == other.kind && soft == other.soft && epsilon == other.epsilon && count == other.count &&
           nonZeroBefore == other.nonZeroBefore && nonZeroAfter == other.nonZeroAfter &&
           energy == other.energy && onPixels == other.onPixels;
}

void measureReduction(const float* before, const float* after, std::size_t count, Reduction& reduction)
{
    double energyBefore = 0.0;
    double energyAfter = 0.0;
    reduction.nonZeroBefore = 0;
    reduction.nonZeroAfter = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double b = before[i];
        const double a = after[i];
        energyBefore += b * b;
        energyAfter += a * a;
        reduction.nonZeroBefore += before[i] != 0.0f;
        reduction.nonZeroAfter += after[i] != 0.0f;
    }
    reduction.energy = energyBefore == 0.0 ? 1.0 : energyAfter / energyBefore;
}

std::string reductionText(const Reduction& r)
{
    if (r.kind == Reduction::Kind::none)
        return "";
    const std::string on = r.onPixels ? "pixels" : "coefficients";
    std::string text;
    if (r.kind == Reduction::Kind::keep)
        text = "Kept " + std::to_string(r.count) + " " + on + ", " + std::to_string(r.nonZeroAfter) +
               " of them not 0.";
    else
        text = std::string("The ") + (r.soft ? "soft" : "hard") + " threshold " +
               shortestDecimal(r.epsilon) + " made " + std::to_string(r.count) + " " + on + " 0.";
    char line[160];
    if (r.nonZeroAfter == 0)
        std::snprintf(line, sizeof line, "\nNot 0 before : after = 1 : %s.",
                      r.nonZeroBefore == 0 ? "1.00" : "\xE2\x88\x9E");
    else
        std::snprintf(line, sizeof line, "\nNot 0 before : after = 1 : %.2f.",
                      static_cast<double>(r.nonZeroBefore) / static_cast<double>(r.nonZeroAfter));
    text += line;
    std::snprintf(line, sizeof line, "\nEnergy kept (sum of squares after / before): %.2f %%.",
                  100.0 * r.energy);
    return text + line +
           "\nOnly in the orthonormal mode is this the share of the picture's energy.";
}

std::size_t threshold(float* values, const unsigned char* acts, std::size_t count, double epsilon,
                      bool soft)
{
    std::size_t zeroed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (acts[i] == 0)
            continue;
        const float x = values[i];
        const double magnitude = std::fabs(static_cast<double>(x));
        float y = x;
        if (soft)
            y = magnitude <= epsilon ? 0.0f : static_cast<float>(std::copysign(magnitude - epsilon, static_cast<double>(x)));
        else if (magnitude < epsilon)
            y = 0.0f;
        zeroed += x != 0.0f && y == 0.0f;
        values[i] = y;
    }
    return zeroed;
}
