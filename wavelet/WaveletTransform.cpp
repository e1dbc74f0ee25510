// One level of the Haar step on a line x[0 … L − 1], L = 2 × half, pairs (e, o) = (x[2k], x[2k + 1]):
//
//   forward   a = (e + o) × 0.5          x[k]        = float(a)
//             d = (a − o) [/ s]          x[half + k] = float(d)        k = 0 … half − 1
//   inverse   d = float([s ×] x[half + k]),  a = x[k]
//             x[2k + 1] = float(a − d),  x[2k] = float(d + a)
//
// Every sum, difference, product and quotient is taken in double from float operands and rounded to
// float only when stored; the detail is taken from the unrounded average a, not from the stored
// float. The normalized kernels scale only the details, by the level factor s = √half rounded to
// float once per pass; averages are never scaled, and at half = 1 the two variants agree. A forward
// pass over L entries leaves the inverse length at L, so the inverse pass that follows rebuilds the
// same L entries with the same half and the same s.
//
// Every entry is computed from its own pair alone, so the order in which pairs are taken does not
// change a single bit; the kernels choose it for speed, within `scratch` (N / 2 floats) as the only
// room beside the array:
//
// Rows, in place. Forward: the averages of pairs k0 … 2k0 − 1 land on x[k0 … 2k0 − 1], which pairs
// k0 / 2 … k0 − 1 have already read, so windows k0 = 1, 2, 4, … upwards never overlap what they
// read; the details wait in `scratch` and are copied behind the averages at the end. Inverse: the
// details go to `scratch` first, then windows k0 = half / 2, …, 2, 1 downwards rebuild pairs
// k0 … 2k0 − 1 into x[2k0 … 4k0 − 1] while every average still needed lies before x[k0].
//
// Columns, by sweeps along whole rows instead of strided walks down each column. Forward: one sweep
// turns row pairs (2k, 2k + 1) into an average row at 2k and a detail row at 2k + 1, then the rows
// are permuted in place, 2k → k and 2k + 1 → half + k. With L = 2^m rows that permutation rotates
// the m-bit row number right by one, so its cycles are the rotation classes of m-bit numbers; each
// is walked once from its smallest member by exchanging rows, which needs no room at all. Inverse:
// the opposite rotation, then the sweep that rebuilds the row pairs.
//
// Large arrays do not fit in cache, so each pass asks for the next row (or row pair, or the next
// row of a cycle) while it works on the current one.

#include "WaveletTransform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// Level factor of a pass with `half` pairs: √half in double, rounded to float once.
float levelFactor(int half)
{
    return static_cast<float>(std::sqrt(static_cast<double>(half)));
}

// Number of bits below the single set bit of the power of two `length`.
int log2Of(int length)
{
    int bits = 0;
    while ((1 << bits) < length)
        ++bits;
    return bits;
}

// Pairs in[0 … 2n − 1] into averages avg[0 … n − 1] and details det[0 … n − 1]; s divides the
// details when Scaled.
template <bool Scaled>
void splitPairs(const float* __restrict in, float* __restrict avg, float* __restrict det, int n, double s)
{
    for (int k = 0; k < n; ++k) {
        const double e = in[2 * k];
        const double o = in[2 * k + 1];
        const double a = (e + o) * 0.5;
        avg[k] = static_cast<float>(a);
        det[k] = static_cast<float>(Scaled ? (a - o) / s : a - o);
    }
}

// Averages avg[0 … n − 1] and stored details det[0 … n − 1] back into pairs out[0 … 2n − 1]; a stored
// detail is first multiplied by s and rounded when Scaled.
template <bool Scaled>
void mergePairs(const float* __restrict avg, const float* __restrict det, float* __restrict out, int n, double s)
{
    for (int k = 0; k < n; ++k) {
        const double d = Scaled ? static_cast<double>(static_cast<float>(s * det[k])) : det[k];
        const double a = avg[k];
        out[2 * k + 1] = static_cast<float>(a - d);
        out[2 * k] = static_cast<float>(d + a);
    }
}

// Forward step on the row x[0 … 2 × half − 1]; tmp holds half floats.
template <bool Scaled>
void forwardRow(float* x, int half, double s, float* tmp)
{
    float first;
    splitPairs<Scaled>(x, &first, tmp, 1, s);
    x[0] = first;
    for (int k0 = 1; k0 < half; k0 *= 2)
        splitPairs<Scaled>(x + 2 * k0, x + k0, tmp + k0, k0, s);
    std::memcpy(x + half, tmp, static_cast<std::size_t>(half) * sizeof(float));
}

// Inverse step on the row x[0 … 2 × half − 1]; tmp holds half floats.
template <bool Scaled>
void inverseRow(float* x, int half, double s, float* tmp)
{
    std::memcpy(tmp, x + half, static_cast<std::size_t>(half) * sizeof(float));
    for (int k0 = half / 2; k0 >= 1; k0 /= 2)
        mergePairs<Scaled>(x + k0, tmp + k0, x + 2 * k0, k0, s);
    float pair[2];
    mergePairs<Scaled>(x, tmp, pair, 1, s);
    x[0] = pair[0];
    x[1] = pair[1];
}

// Column step, forward, on entries j < n of the row pair: the average row replaces `even`, the
// detail row `odd`.
template <bool Scaled>
void splitRows(float* __restrict even, float* __restrict odd, int n, double s)
{
    for (int j = 0; j < n; ++j) {
        const double e = even[j];
        const double o = odd[j];
        const double a = (o + e) * 0.5;
        even[j] = static_cast<float>(a);
        odd[j] = static_cast<float>(Scaled ? (a - o) / s : a - o);
    }
}

// Column step, inverse, on entries j < n: the average row `even` and the stored detail row `odd`
// become the row pair again.
template <bool Scaled>
void mergeRows(float* __restrict even, float* __restrict odd, int n, double s)
{
    for (int j = 0; j < n; ++j) {
        const double d = Scaled ? static_cast<double>(static_cast<float>(s * odd[j])) : odd[j];
        const double a = even[j];
        odd[j] = static_cast<float>(a - d);
        even[j] = static_cast<float>(d + a);
    }
}

// The `bits`-bit number r rotated right by one: bit 0 moves to the top.
unsigned rotateRight(unsigned r, int bits)
{
    return (r >> 1) | ((r & 1u) << (bits - 1));
}

// The `bits`-bit number r rotated left by one: the top bit moves to bit 0.
unsigned rotateLeft(unsigned r, int bits)
{
    return ((r << 1) & ((1u << bits) - 1u)) | (r >> (bits - 1));
}

// True when r is the smallest of its rotations, the member its cycle is walked from.
bool leadsCycle(unsigned r, int bits)
{
    unsigned rotated = r;
    for (int i = 1; i < bits; ++i) {
        rotated = rotateRight(rotated, bits);
        if (rotated < r)
            return false;
    }
    return true;
}

// Asks for the `count` floats from p on to be brought into cache ahead of their use.
void prefetch(const float* p, int count)
{
    for (int j = 0; j < count; j += 16)
        __builtin_prefetch(p + j);
}

// Exchanges the first `count` floats of two distinct rows.
void swapRows(float* __restrict a, float* __restrict b, int count)
{
    for (int j = 0; j < count; ++j) {
        const float t = a[j];
        a[j] = b[j];
        b[j] = t;
    }
}

// Moves row r of the rows 0 … 2^bits − 1 (n floats apart) to row rotateRight(r) when `gather`
// (2k → k, 2k + 1 → half + k), to rotateLeft(r) otherwise; only the first `count` floats of each
// row move. Each cycle is walked by exchanges, the leader's row travelling down the cycle while it
// stays in cache, so no room beside the array is needed and every row comes from memory once.
void permuteRows(float* data, std::size_t n, int bits, int count, bool gather)
{
    const unsigned rows = 1u << bits;
    // Rows 0 and rows − 1 stay where they are.
    for (unsigned leader = 1; leader + 1 < rows; ++leader) {
        if (!leadsCycle(leader, bits))
            continue;
        unsigned to = leader;
        for (;;) {
            const unsigned from = gather ? rotateLeft(to, bits) : rotateRight(to, bits);
            if (from == leader)
                break;
            prefetch(data + (gather ? rotateLeft(from, bits) : rotateRight(from, bits)) * n, count);
            swapRows(data + to * n, data + from * n, count);
            to = from;
        }
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
    const int half = length / 2;
    const double s = levelFactor(half);
    const int lines = clampCount(count);
    for (int i = 0; i < lines; ++i) {
        float* const row = data + static_cast<std::size_t>(i) * static_cast<std::size_t>(size);
        if (i + 1 < lines)
            prefetch(row + size, length);
        scaled ? forwardRow<true>(row, half, s, scratch) : forwardRow<false>(row, half, s, scratch);
    }
    rowLength = half;
    rowInverseLength = length;
}

void WaveletTransform::forwardColumnPass(int count, bool scaled)
{
    const int length = columnLength;
    if (length < 2)
        return;
    const int half = length / 2;
    const double s = levelFactor(half);
    const int lines = clampCount(count);
    const std::size_t n = static_cast<std::size_t>(size);
    for (int k = 0; k < half; ++k) {
        float* const even = data + 2 * static_cast<std::size_t>(k) * n;
        if (k + 1 < half) {
            prefetch(even + 2 * n, lines);
            prefetch(even + 3 * n, lines);
        }
        scaled ? splitRows<true>(even, even + n, lines, s) : splitRows<false>(even, even + n, lines, s);
    }
    permuteRows(data, n, log2Of(length), lines, true);
    columnLength = half;
    columnInverseLength = length;
}

void WaveletTransform::inverseRowPass(int count, bool scaled)
{
    const int length = rowInverseLength;
    if (length < 2 || length > size)
        return;
    const int half = length / 2;
    const double s = levelFactor(half);
    const int lines = clampCount(count);
    for (int i = 0; i < lines; ++i) {
        float* const row = data + static_cast<std::size_t>(i) * static_cast<std::size_t>(size);
        if (i + 1 < lines)
            prefetch(row + size, length);
        scaled ? inverseRow<true>(row, half, s, scratch) : inverseRow<false>(row, half, s, scratch);
    }
    rowLength = length;
    rowInverseLength = 2 * length;
}

void WaveletTransform::inverseColumnPass(int count, bool scaled)
{
    const int length = columnInverseLength;
    if (length < 2 || length > size)
        return;
    const int half = length / 2;
    const double s = levelFactor(half);
    const int lines = clampCount(count);
    const std::size_t n = static_cast<std::size_t>(size);
    permuteRows(data, n, log2Of(length), lines, false);
    for (int k = 0; k < half; ++k) {
        float* const even = data + 2 * static_cast<std::size_t>(k) * n;
        if (k + 1 < half) {
            prefetch(even + 2 * n, lines);
            prefetch(even + 3 * n, lines);
        }
        scaled ? mergeRows<true>(even, even + n, lines, s) : mergeRows<false>(even, even + n, lines, s);
    }
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
