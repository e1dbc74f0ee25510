// The bookkeeping and the drivers; the arithmetic of a pass, and the order in which it visits the
// entries, are HaarKernels'. A forward pass over L entries leaves the inverse length at L, so the
// inverse pass that follows rebuilds the same L entries with the same half and the same level
// factor.

#include "WaveletTransform.h"

#include "HaarKernels.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// Level factor of a pass with `half` pairs: √half in double, rounded to float once.
float levelFactor(int half)
{
    return static_cast<float>(std::sqrt(static_cast<double>(half)));
}

// One level with `half` pairs over lines 0 … lines − 1 of the n × n array.
HaarKernels::Pass pass(float* data, int n, int lines, int half, bool scaled, float* scratch)
{
    return {data, static_cast<std::size_t>(n), lines, half, levelFactor(half), scaled, scratch};
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

void WaveletTransform::restore(const float* src, int rowLengthNow, int columnLengthNow)
{
    const auto fits = [this](int length) {
        return length >= 1 && length <= size && (length & (length - 1)) == 0;
    };
    if (src == nullptr || !fits(rowLengthNow) || !fits(columnLengthNow))
        return;
    setData(src);
    rowLength = rowLengthNow;
    columnLength = columnLengthNow;
    rowInverseLength = 2 * rowLengthNow;
    columnInverseLength = 2 * columnLengthNow;
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
    HaarKernels::active().forwardRows(pass(data, size, clampCount(count), length / 2, scaled, scratch));
    rowLength = length / 2;
    rowInverseLength = length;
}

void WaveletTransform::forwardColumnPass(int count, bool scaled)
{
    const int length = columnLength;
    if (length < 2)
        return;
    HaarKernels::active().forwardColumns(pass(data, size, clampCount(count), length / 2, scaled, scratch));
    columnLength = length / 2;
    columnInverseLength = length;
}

void WaveletTransform::inverseRowPass(int count, bool scaled)
{
    const int length = rowInverseLength;
    if (length < 2 || length > size)
        return;
    HaarKernels::active().inverseRows(pass(data, size, clampCount(count), length / 2, scaled, scratch));
    rowLength = length;
    rowInverseLength = 2 * length;
}

void WaveletTransform::inverseColumnPass(int count, bool scaled)
{
    const int length = columnInverseLength;
    if (length < 2 || length > size)
        return;
    HaarKernels::active().inverseColumns(pass(data, size, clampCount(count), length / 2, scaled, scratch));
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
