#pragma once

#include <algorithm>

// One grey level as the window's pixel transfer makes it from a shown value: clamped to [0, 1],
// times 255 in float, to the nearest of the 256 levels, ties to even. The page's canvas, its saved
// TGA and the reading of a TGA picture's bytes all go through this one rounding. NaN is black
// rather than an undefined conversion.
inline unsigned char greyByte(float shown)
{
    // Adding and taking back 2^23 rounds a level of 0 to 255 to the nearest whole number, ties to
    // even, exactly as nearbyint does in the default rounding mode, without its library call; with
    // no branch either (max gives 0 for NaN), a loop of them runs many lanes at once.
    const float level = std::min(std::max(0.0f, shown), 1.0f) * 255.0f;
    return static_cast<unsigned char>((level + 8388608.0f) - 8388608.0f);
}
