#pragma once

#include <cstddef>

// Keeps the `percent` % largest of `count` values by magnitude (0 < percent <= 100): with
// m = ceil(percent / 100 × count), every value whose magnitude is at least the m-th largest stays
// and every other becomes 0, so ties at the threshold all stay. Returns how many stayed.
std::size_t keepLargest(float* values, std::size_t count, double percent);

// Peak signal-to-noise ratio in dB of `values` against `reference`, both `count` floats on the
// grey scale 0 … 1; +infinity when they are equal.
double psnr(const float* values, const float* reference, std::size_t count);
