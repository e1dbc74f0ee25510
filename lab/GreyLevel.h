#pragma once

#include <algorithm>
#include <cmath>

// One grey level as the window's pixel transfer makes it from a shown value: clamped to [0, 1],
// times 255 in float, to the nearest of the 256 levels, ties to even. The page's canvas, its saved
// TGA and the reading of a TGA picture's bytes all go through this one rounding. NaN is black
// rather than an undefined conversion.
inline unsigned char greyByte(float shown)
{
    if (!(shown > 0.0f))
        return 0;
    return static_cast<unsigned char>(std::nearbyint(std::min(shown, 1.0f) * 255.0f));
}
