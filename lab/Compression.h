#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Keep-the-largest with an exact budget, and the PSNR that measures what it cost.
//
// The budget for `percent` % of `count` values is m = ⌈percent / 100 × count⌉, read as the decimal
// the user typed: 7 % of 100 is 7, although 7 / 100 × 100 is 7.000000000000001 in double. So any
// positive share keeps at least one value, 100 % (or more) keeps all, and 0 %, a negative share or
// NaN keeps none. The m values kept are the m largest magnitudes; among equal magnitudes at the
// threshold the lower index wins (index = row × n + column). A NaN counts as larger than every
// number, so it is never silently dropped.
std::size_t keepBudget(std::size_t count, double percent);

struct KeepResult {
    std::size_t kept;    // the budget m
    std::size_t nonZero; // how many of the kept values are not 0
};

// Keeps the budget's values of `values` (count at most 2^32) and sets every other to 0. When `mask`
// is given, it receives count bytes: 1 where a value was kept, zeros included, 0 elsewhere.
KeepResult keepLargest(float* values, std::size_t count, double percent,
                       unsigned char* mask = nullptr);

// One key per value such that ascending keys list the values in keep-the-largest's order: larger
// magnitude first, lower index first among equal magnitudes. All keys differ, so the first m keys
// after any partial ordering at m are exactly the values a budget of m keeps.
std::vector<std::uint64_t> keepOrderKeys(const float* values, std::size_t count);

inline std::size_t keyIndex(std::uint64_t key)
{
    return static_cast<std::size_t>(key & 0xFFFFFFFFu);
}

// Peak signal-to-noise ratio in dB of `values` against `reference`, both `count` floats on the grey
// scale 0 … 1 (peak 1): 10 log10(count / Σ error²), +infinity when they are equal.
double psnr(const float* values, const float* reference, std::size_t count);
