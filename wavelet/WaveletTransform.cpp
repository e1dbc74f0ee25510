// One level of the Haar step on a line x[0 … L − 1], L = 2 × half, pairs (e, o) = (x[2k], x[2k + 1]):
//
//   forward   a = (e + o) × 0.5          x[k]        = float(a)
//             d = (a − o) [/ s]          x[half + k] = float(d)        k = 0 … half − 1
//   inverse   d = float([s ×] x[half + k]),  a = x[k]
//             x[2k + 1] = float(a − d),  x[2k] = float(d + a)
//
// Every sum, difference, product and quotient is taken in double from float operands and rounded to
// float only when stored. The detail comes from the unrounded average a, so it is exactly (e − o) / 2
// before rounding. The normalized kernels scale only the details, by the level factor s = √half
// rounded to float once per pass; averages are never scaled, and at half = 1 the two variants agree.
// A forward pass over L entries leaves the inverse length at L, so the inverse pass that follows
// rebuilds the same L entries with the same half and the same s.
//
// Rows are contiguous; a column is the entries m × N + j. The forward pass writes the averages into
// the front of the line while reading the pairs (x[k] lies at or before x[2k], already read) and
// keeps the details in `scratch` until the pairs are all read; the inverse pass walks the pairs
// downwards, because the pair of k lands on x[2k], x[2k + 1], at or after x[k], while every average
// still needed lies before x[k].

#include "WaveletTransform.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// Level factor of a pass with `half` pairs: √half in double, rounded to float once.
float levelFactor(int half)
{
    return static_cast<float>(std::sqrt(static_cast<double>(half)));
}

// Forward step on the line x[0], x[stride], …, x[(2 × half − 1) × stride]; tmp holds half floats.
void forwardLine(float* x, std::ptrdiff_t stride, int half, bool normalized, float s, float* tmp)
{
    for (int k = 0; k < half; ++k) {
        const double e = x[2 * k * stride];
        const double o = x[(2 * k + 1) * stride];
        const double a = (e + o) * 0.5;
        x[k * stride] = static_cast<float>(a);
        tmp[k] = static_cast<float>(normalized ? (a - o) / s : a - o);
    }
    for (int k = 0; k < half; ++k)
        x[(half + k) * stride] = tmp[k];
}

// Inverse step on the line x[0], x[stride], …, x[(2 × half − 1) × stride]; tmp holds half floats.
void inverseLine(float* x, std::ptrdiff_t stride, int half, bool normalized, float s, float* tmp)
{
    for (int k = 0; k < half; ++k) {
        const float stored = x[(half + k) * stride];
        tmp[k] = normalized ? static_cast<float>(static_cast<double>(s) * stored) : stored;
    }
    for (int k = half - 1; k >= 0; --k) {
        const double d = tmp[k];
        const double a = x[k * stride];
        x[(2 * k + 1) * stride] = static_cast<float>(a - d);
        x[2 * k * stride] = static_cast<float>(d + a);
    }
}

} // namespace

WaveletTransform::WaveletTransform()
    : size(0), rowLength(0), columnLength(0), rowInverseLength(0), columnInverseLength(0),
      data(nullptr), scratch(nullptr), standard(false), normalized(false)
{
}

WaveletTransform::~WaveletTransform()
{
    release();
}

void WaveletTransform::setSize(int n)
{
    if (n <= 0 || (n & (n - 1)) != 0)
        return;
    release();
    const std::size_t entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    data = new float[entries];
    scratch = new float[static_cast<std::size_t>(n / 2)];
    std::memset(data, 0, entries * sizeof(float));
    // Set last: should an allocation throw, size 0 keeps every later call off the arrays.
    size = n;
}

void WaveletTransform::setData(const float* src)
{
    if (data == nullptr || src == nullptr)
        return;
    std::memcpy(data, src, static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * sizeof(float));
    rowLength = size;
    columnLength = size;
    rowInverseLength = 2 * size;
    columnInverseLength = 2 * size;
}

float* WaveletTransform::getData()
{
    return data;
}

const float* WaveletTransform::getData() const
{
    return data;
}

bool WaveletTransform::isStandard() const
{
    return standard;
}

void WaveletTransform::setStandard(bool value)
{
    standard = value;
}

bool WaveletTransform::isNormalized() const
{
    return normalized;
}

void WaveletTransform::setNormalized(bool value)
{
    normalized = value;
}

void WaveletTransform::release()
{
    delete[] data;
    delete[] scratch;
    data = nullptr;
    scratch = nullptr;
    size = 0;
    rowLength = 0;
    columnLength = 0;
    rowInverseLength = 0;
    columnInverseLength = 0;
}

int WaveletTransform::getSize() const
{
    return size;
}

int WaveletTransform::getRowLength() const
{
    return rowLength;
}

int WaveletTransform::getColumnLength() const
{
    return columnLength;
}

int WaveletTransform::getRowInverseLength() const
{
    return rowInverseLength;
}

int WaveletTransform::getColumnInverseLength() const
{
    return columnInverseLength;
}

int WaveletTransform::clampCount(int count) const
{
    return count < 0 ? 0 : (count > size ? size : count);
}

bool WaveletTransform::isLoaded() const
{
    return rowLength != 0;
}

void WaveletTransform::forwardRowPass(int count, bool scaled)
{
    const int length = rowLength;
    if (length < 2)
        return;
    const int half = length / 2;
    const float s = levelFactor(half);
    const int lines = clampCount(count);
    for (int i = 0; i < lines; ++i)
        forwardLine(data + static_cast<std::size_t>(i) * size, 1, half, scaled, s, scratch);
    rowLength = half;
    rowInverseLength = length;
}

void WaveletTransform::forwardColumnPass(int count, bool scaled)
{
    const int length = columnLength;
    if (length < 2)
        return;
    const int half = length / 2;
    const float s = levelFactor(half);
    const int lines = clampCount(count);
    for (int j = 0; j < lines; ++j)
        forwardLine(data + j, size, half, scaled, s, scratch);
    columnLength = half;
    columnInverseLength = length;
}

void WaveletTransform::inverseRowPass(int count, bool scaled)
{
    const int length = rowInverseLength;
    if (length < 2 || length > size)
        return;
    const int half = length / 2;
    const float s = levelFactor(half);
    const int lines = clampCount(count);
    for (int i = 0; i < lines; ++i)
        inverseLine(data + static_cast<std::size_t>(i) * size, 1, half, scaled, s, scratch);
    rowLength = length;
    rowInverseLength = 2 * length;
}

void WaveletTransform::inverseColumnPass(int count, bool scaled)
{
    const int length = columnInverseLength;
    if (length < 2 || length > size)
        return;
    const int half = length / 2;
    const float s = levelFactor(half);
    const int lines = clampCount(count);
    for (int j = 0; j < lines; ++j)
        inverseLine(data + j, size, half, scaled, s, scratch);
    columnLength = length;
    columnInverseLength = 2 * length;
}

void WaveletTransform::forwardRows(int count)
{
    forwardRowPass(count, false);
}

void WaveletTransform::forwardColumns(int count)
{
    forwardColumnPass(count, false);
}

void WaveletTransform::inverseRows(int count)
{
    inverseRowPass(count, false);
}

void WaveletTransform::inverseColumns(int count)
{
    inverseColumnPass(count, false);
}

void WaveletTransform::forwardRowsNormalized(int count)
{
    forwardRowPass(count, true);
}

void WaveletTransform::forwardColumnsNormalized(int count)
{
    forwardColumnPass(count, true);
}

void WaveletTransform::inverseRowsNormalized(int count)
{
    inverseRowPass(count, true);
}

void WaveletTransform::inverseColumnsNormalized(int count)
{
    inverseColumnPass(count, true);
}

// The drivers take the flags once, on entry, so a whole decomposition or reconstruction runs in
// one mode; the lengths alone decide which pass comes next.

void WaveletTransform::decompose()
{
    if (!isLoaded())
        return;
    const bool byLevels = !standard;
    const bool scaled = normalized;
    const int n = size;
    if (byLevels) {
        while (rowLength >= 2 && columnLength >= 2) {
            forwardRowPass(rowLength, scaled);
            forwardColumnPass(columnLength, scaled);
        }
        return;
    }
    while (rowLength >= 2)
        forwardRowPass(n, scaled);
    while (columnLength >= 2)
        forwardColumnPass(n, scaled);
}

void WaveletTransform::reconstruct()
{
    if (!isLoaded())
        return;
    const bool byLevels = !standard;
    const bool scaled = normalized;
    const int n = size;
    if (byLevels) {
        while (rowInverseLength <= n && columnInverseLength <= n) {
            inverseColumnPass(columnInverseLength, scaled);
            inverseRowPass(rowInverseLength, scaled);
        }
        return;
    }
    while (columnInverseLength <= n)
        inverseColumnPass(n, scaled);
    while (rowInverseLength <= n)
        inverseRowPass(n, scaled);
}

void WaveletTransform::decomposeStep()
{
    if (!isLoaded())
        return;
    const bool byLevels = !standard;
    const bool scaled = normalized;
    if (byLevels) {
        if (rowLength == columnLength)
            forwardRowPass(rowLength, scaled);
        else
            forwardColumnPass(columnLength, scaled);
        return;
    }
    if (rowLength >= 2)
        forwardRowPass(size, scaled);
    else
        forwardColumnPass(size, scaled);
}

void WaveletTransform::reconstructStep()
{
    if (!isLoaded())
        return;
    const bool byLevels = !standard;
    const bool scaled = normalized;
    if (byLevels) {
        if (columnInverseLength == rowInverseLength)
            inverseColumnPass(columnInverseLength, scaled);
        else
            inverseRowPass(rowInverseLength, scaled);
        return;
    }
    if (columnInverseLength <= size)
        inverseColumnPass(size, scaled);
    else
        inverseRowPass(size, scaled);
}
