#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// Peak signal-to-noise ratio in dB of `values` against `reference`, both `count` floats:
// 10 log10(peak² / MSE), the mean of the squared errors taken over all entries in double, and
// +infinity when they are equal. A picture's greys run 0 … 1, so its peak is 1.
double psnr(const float* values, const float* reference, std::size_t count, float peak = 1.0f);

// The peak a matrix's PSNR is measured against, from its start: 1 when every value lies in
// [0, 1], 255 when every value lies in [0, 255] (grey bytes), else the largest magnitude.
float matrixPeak(const float* start, std::size_t count);

// "PSNR (peak 255) against the start: 27.88 dB"; `db` of a state that cannot be compared (a
// decomposition) is NaN and the sentence says to rebuild it.
std::string psnrSentence(float peak, double db);

// What a keep-the-largest or a threshold did to an array, as the page reports it.
struct Reduction {
    enum class Kind { none, keep, threshold };
    Kind kind = Kind::none;
    bool soft = false;
    double epsilon = 0.0;
    // The keep's budget m, or how many values the threshold made 0 that were not.
    std::size_t count = 0;
    std::size_t nonZeroBefore = 0;
    std::size_t nonZeroAfter = 0;
    // Σ after² / Σ before² over the whole array, in double (1 when both are 0).
    double energy = 1.0;
    // Made with nothing decomposed: on the pixels, not on coefficients.
    bool onPixels = false;

    bool operator==(const Reduction& other) const;
};

// The counts and the energy of a change from `before` to `after` (`count` floats each).
void measureReduction(const float* before, const float* after, std::size_t count, Reduction& reduction);

// The page's sentences about `reduction`, one a line: what was kept or zeroed, the non-zero
// ratio "1 : r", and the energy kept with what it means.
std::string reductionText(const Reduction& reduction);

// The textbook's threshold ε ≥ 0 on the values where `acts` is not 0. Hard: |x| < ε becomes +0,
// and |x| = ε stays. Soft: sign(x) (|x| − ε) in double, rounded to float once, and +0 when
// |x| ≤ ε. Returns how many values were not 0 and became 0.
std::size_t threshold(float* values, const unsigned char* acts, std::size_t count, double epsilon,
                      bool soft);
