#include "CodingWavelets.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// JPEG 2000's irreversible 9/7 lifting constants.
constexpr double kAlpha = -1.586134342059924;
constexpr double kBeta = -0.052980118572961;
constexpr double kGamma = 0.882911075530934;
constexpr double kDelta = 0.443506852043971;
constexpr double kK = 1.230174104914001;

// Replaces every odd (or even) sample x[i] of the m-sample interleaved line by
// step(x[i], x[i-1], x[i+1]), the neighbours mirrored at the ends: x[-1] = x[1], x[m] = x[m-2].
template <class T, class Step>
void liftOdd(T* x, int m, Step step)
{
    for (int i = 1; i < m; i += 2)
        x[i] = step(x[i], x[i - 1], i + 1 < m ? x[i + 1] : x[m - 2]);
}

template <class T, class Step>
void liftEven(T* x, int m, Step step)
{
    for (int i = 0; i < m; i += 2)
        x[i] = step(x[i], i > 0 ? x[i - 1] : x[1], x[i + 1]);
}

// Even samples to the first half, odd ones to the second, through `scratch`; and back.
template <class T>
void deinterleave(T* x, int m, T* scratch)
{
    const int half = m / 2;
    for (int k = 0; k < half; ++k) {
        scratch[k] = x[2 * k];
        scratch[half + k] = x[2 * k + 1];
    }
    for (int i = 0; i < m; ++i)
        x[i] = scratch[i];
}

template <class T>
void interleave(T* x, int m, T* scratch)
{
    const int half = m / 2;
    for (int k = 0; k < half; ++k) {
        scratch[2 * k] = x[k];
        scratch[2 * k + 1] = x[half + k];
    }
    for (int i = 0; i < m; ++i)
        x[i] = scratch[i];
}

template <class T, class Line>
void eachRow(T* values, int n, int m, std::vector<T>& scratch, Line line)
{
    for (int i = 0; i < m; ++i)
        line(values + static_cast<std::size_t>(i) * n, m, scratch.data());
}

// Runs `line` down each column of the m × m block, kStrip columns at a time: the strip is copied
// out as kStrip lines of m, run, and copied back. Each row of the block is read and written once
// a pass, a cache line or two at a time, where turning the whole block about its diagonal and
// back read and wrote it twice more, a column's samples a row apart (a page, at 512 doubles).
constexpr int kStrip = 16;

template <class T, class Line>
void eachColumn(T* values, int n, int m, std::vector<T>& strip, std::vector<T>& scratch, Line line)
{
    for (int left = 0; left < m; left += kStrip) {
        const int width = std::min(kStrip, m - left);
        for (int i = 0; i < m; ++i) {
            const T* row = values + static_cast<std::size_t>(i) * n + left;
            for (int j = 0; j < width; ++j)
                strip[static_cast<std::size_t>(j) * m + i] = row[j];
        }
        for (int j = 0; j < width; ++j)
            line(strip.data() + static_cast<std::size_t>(j) * m, m, scratch.data());
        for (int i = 0; i < m; ++i) {
            T* row = values + static_cast<std::size_t>(i) * n + left;
            for (int j = 0; j < width; ++j)
                row[j] = strip[static_cast<std::size_t>(j) * m + i];
        }
    }
}

// The 2-D drivers: a forward level runs `line` over the rows, then the columns, of the m × m low
// band; an inverse level runs the columns first, then the rows, from the coarsest level out.
template <class T, class Line>
void forward2d(T* values, int n, int levels, Line line)
{
    std::vector<T> scratch(n), strip(std::size_t(kStrip) * n);
    for (int level = 0; level < levels; ++level) {
        const int m = n >> level;
        eachRow(values, n, m, scratch, line);
        eachColumn(values, n, m, strip, scratch, line);
    }
}

template <class T, class Line>
void inverse2d(T* values, int n, int levels, Line line)
{
    std::vector<T> scratch(n), strip(std::size_t(kStrip) * n);
    for (int level = levels - 1; level >= 0; --level) {
        const int m = n >> level;
        eachColumn(values, n, m, strip, scratch, line);
        eachRow(values, n, m, scratch, line);
    }
}

const double kSqrtHalf = std::sqrt(0.5);

void haarLine(double* x, int m, double* scratch)
{
    const int half = m / 2;
    for (int k = 0; k < half; ++k) {
        scratch[k] = (x[2 * k] + x[2 * k + 1]) * kSqrtHalf;
        scratch[half + k] = (x[2 * k] - x[2 * k + 1]) * kSqrtHalf;
    }
    for (int i = 0; i < m; ++i)
        x[i] = scratch[i];
}

void haarInverseLine(double* x, int m, double* scratch)
{
    const int half = m / 2;
    for (int k = 0; k < half; ++k) {
        scratch[2 * k] = (x[k] + x[half + k]) * kSqrtHalf;
        scratch[2 * k + 1] = (x[k] - x[half + k]) * kSqrtHalf;
    }
    for (int i = 0; i < m; ++i)
        x[i] = scratch[i];
}

// A lifting step that adds c × (left + right).
auto liftBy(double c)
{
    return [c](double x, double left, double right) { return x + c * (left + right); };
}

const double kLowScale = std::sqrt(2.0) / kK;
const double kHighScale = kK / std::sqrt(2.0);

void cdf97Line(double* x, int m, double* scratch)
{
    liftOdd(x, m, liftBy(kAlpha));
    liftEven(x, m, liftBy(kBeta));
    liftOdd(x, m, liftBy(kGamma));
    liftEven(x, m, liftBy(kDelta));
    for (int i = 0; i < m; i += 2) {
        x[i] *= kLowScale;
        x[i + 1] *= kHighScale;
    }
    deinterleave(x, m, scratch);
}

void cdf97InverseLine(double* x, int m, double* scratch)
{
    interleave(x, m, scratch);
    for (int i = 0; i < m; i += 2) {
        x[i] /= kLowScale;
        x[i + 1] /= kHighScale;
    }
    liftEven(x, m, liftBy(-kDelta));
    liftOdd(x, m, liftBy(-kGamma));
    liftEven(x, m, liftBy(-kBeta));
    liftOdd(x, m, liftBy(-kAlpha));
}

// The two rounded steps of the 5/3 lifting. Right shifts of negative sums floor them, as they do
// on every compiler this builds with (two's complement, arithmetic shift).
std::int64_t predict53(std::int64_t left, std::int64_t right)
{
    return (left + right) >> 1;
}

std::int64_t update53(std::int64_t left, std::int64_t right)
{
    return (left + right + 2) >> 2;
}

void cdf53Line(std::int64_t* x, int m, std::int64_t* scratch)
{
    liftOdd(x, m, [](std::int64_t v, std::int64_t l, std::int64_t r) { return v - predict53(l, r); });
    liftEven(x, m, [](std::int64_t v, std::int64_t l, std::int64_t r) { return v + update53(l, r); });
    deinterleave(x, m, scratch);
}

void cdf53InverseLine(std::int64_t* x, int m, std::int64_t* scratch)
{
    interleave(x, m, scratch);
    liftEven(x, m, [](std::int64_t v, std::int64_t l, std::int64_t r) { return v - update53(l, r); });
    liftOdd(x, m, [](std::int64_t v, std::int64_t l, std::int64_t r) { return v + predict53(l, r); });
}

} // namespace

void haarForward(double* values, int n, int levels)
{
    forward2d(values, n, levels, haarLine);
}

void haarInverse(double* values, int n, int levels)
{
    inverse2d(values, n, levels, haarInverseLine);
}

void cdf97Forward(double* values, int n, int levels)
{
    forward2d(values, n, levels, cdf97Line);
}

void cdf97Inverse(double* values, int n, int levels)
{
    inverse2d(values, n, levels, cdf97InverseLine);
}

void cdf53Forward(std::int64_t* values, int n, int levels)
{
    forward2d(values, n, levels, cdf53Line);
}

void cdf53Inverse(std::int64_t* values, int n, int levels)
{
    inverse2d(values, n, levels, cdf53InverseLine);
}

int bandLevel(int i, int j, int n, int levels)
{
    const int outer = std::max(i, j);
    for (int level = 1; level <= levels; ++level) {
        if (outer >= (n >> level))
            return level;
    }
    return levels + 1;
}
