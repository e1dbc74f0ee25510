// The bookkeeping and the drivers; the arithmetic of a pass, and the order in which it visits the
// entries, are HaarKernels'. A forward pass over L entries leaves the inverse length at L, so the
// inverse pass that follows rebuilds the same L entries with the same half and the same level
// factor.

#include "WaveletTransform.h"

#include "HaarKernels.h"
#include "PassPlan.h"

#include <cstddef>
#include <cstring>
#include <optional>

WaveletTransform::WaveletTransform()
    : size(0), rowLength(0), columnLength(0), rowInverseLength(0), columnInverseLength(0),
      data(nullptr), scratch(nullptr), standard(false), normalization(Normalization::plain)
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
    return normalization == Normalization::normalized;
}

void WaveletTransform::setNormalized(bool value)
{
    normalization = value ? Normalization::normalized : Normalization::plain;
}

Normalization WaveletTransform::getNormalization() const
{
    return normalization;
}

void WaveletTransform::setNormalization(Normalization value)
{
    normalization = value;
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

void WaveletTransform::make(const Pass& planned)
{
    const HaarKernels& kernels = HaarKernels::active();
    const bool rows = planned.direction == Direction::rows;
    const HaarKernels::Pass pass{data, static_cast<std::size_t>(size), planned.count, planned.length / 2,
                                 levelFactor(planned.length / 2), planned.normalization, scratch};
    if (planned.forward)
        (rows ? kernels.forwardRows : kernels.forwardColumns)(pass);
    else
        (rows ? kernels.inverseRows : kernels.inverseColumns)(pass);
    const int length = planned.lengthAfter();
    (rows ? rowLength : columnLength) = length;
    (rows ? rowInverseLength : columnInverseLength) = 2 * length;
}

void WaveletTransform::kernelCall(Direction direction, bool forward, bool scaled, int count)
{
    const Normalization kind = scaled ? Normalization::normalized : Normalization::plain;
    if (const std::optional<Pass> pass = PassPlan::kernelCall(driverState(*this), direction, forward, kind, count))
        make(*pass);
}

void WaveletTransform::follow(Driver driver)
{
    for (const Pass& pass : PassPlan(driverState(*this), driver))
        make(pass);
}

void WaveletTransform::forwardRows(int count)
{
    kernelCall(Direction::rows, true, false, count);
}

void WaveletTransform::forwardColumns(int count)
{
    kernelCall(Direction::columns, true, false, count);
}

void WaveletTransform::inverseRows(int count)
{
    kernelCall(Direction::rows, false, false, count);
}

void WaveletTransform::inverseColumns(int count)
{
    kernelCall(Direction::columns, false, false, count);
}

void WaveletTransform::forwardRowsNormalized(int count)
{
    kernelCall(Direction::rows, true, true, count);
}

void WaveletTransform::forwardColumnsNormalized(int count)
{
    kernelCall(Direction::columns, true, true, count);
}

void WaveletTransform::inverseRowsNormalized(int count)
{
    kernelCall(Direction::rows, false, true, count);
}

void WaveletTransform::inverseColumnsNormalized(int count)
{
    kernelCall(Direction::columns, false, true, count);
}

// The drivers take the flags once, on entry, through the plan, so a whole decomposition or
// reconstruction runs in one mode; the lengths alone decide which pass comes next.

void WaveletTransform::decompose()
{
    follow(Driver::decompose);
}

void WaveletTransform::reconstruct()
{
    follow(Driver::reconstruct);
}

void WaveletTransform::decomposeStep()
{
    follow(Driver::decomposeStep);
}

void WaveletTransform::reconstructStep()
{
    follow(Driver::reconstructStep);
}
