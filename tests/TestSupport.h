#pragma once

// What the unit tests, the test tools and the benchmarks share: the byte factor, the generated
// pictures, and the transform's four lengths in one order.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// The float nearest to 1/255, taken from its bit pattern rather than from any arithmetic.
inline float byteScale()
{
    const std::uint32_t bits = 0x3B808081u;
    float k;
    std::memcpy(&k, &bits, sizeof k);
    return k;
}

// Deterministic 32-bit generator (xorshift32), so every run sees the same data.
inline std::uint32_t nextRandom(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// An image-like N × N grey picture as the viewer loads it: bytes b become b × k. A smooth
// gradient with a bright disc, a dark bar with hard edges and a fine noise texture, so every
// level of the transform sees both smooth and sharp content.
inline std::vector<float> makeImage(int n)
{
    std::vector<float> image(static_cast<std::size_t>(n) * n);
    std::uint32_t state = 2463534242u;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double u = double(j) / n, v = double(i) / n;
            double grey = 60.0 + 90.0 * u + 40.0 * std::sin(6.0 * v);
            if ((u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4) < 0.04)
                grey += 80.0;
            if (u > 0.15 && u < 0.3 && v > 0.1 && v < 0.9)
                grey -= 50.0;
            grey += double(nextRandom(state) % 25) - 12.0;
            const int b = grey < 0.0 ? 0 : (grey > 255.0 ? 255 : int(grey));
            image[static_cast<std::size_t>(i) * n + j] = float(b) * byteScale();
        }
    }
    return image;
}

// Values of both signs over forty binary orders of magnitude, zeros of both signs and subnormals, so
// that any change in where a kernel rounds shows in the low bits.
inline std::vector<float> awkwardValues(int n)
{
    std::vector<float> values(static_cast<std::size_t>(n) * n);
    std::uint32_t state = 12345u;
    for (float& v : values) {
        const std::uint32_t r = nextRandom(state);
        const float magnitude = std::ldexp(1.0f + float(r % 4096) / 4096.0f, int((r >> 12) % 41) - 20);
        v = (r >> 31) ? -magnitude : magnitude;
        switch ((r >> 20) % 64) {
        case 0: v = 0.0f; break;
        case 1: v = -0.0f; break;
        case 2: v = std::ldexp(v, -130); break;
        default: break;
        }
    }
    return values;
}

// A transform's lengths as {row, column, row inverse, column inverse}.
template <class Transform>
std::vector<int> lengths(const Transform& t)
{
    return {t.getRowLength(), t.getColumnLength(), t.getRowInverseLength(), t.getColumnInverseLength()};
}
