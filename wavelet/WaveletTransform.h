#pragma once

enum class Direction;
enum class Driver;
enum class Normalization;
struct Pass;

// The N × N coefficient array of the 2-D Haar transform, worked on in place, with the
// bookkeeping of how far the decomposition has gone along the rows and along the columns.
//
// Layout: row-major, entry (i, j) at i × N + j, row 0 the bottom line of the picture.
// rowLength is the number of leading row entries the next forward row pass transforms
// (N: nothing decomposed, 1: fully decomposed); rowInverseLength = 2 × rowLength is the
// number the next inverse row pass rebuilds. Columns likewise.
class WaveletTransform {
public:
    WaveletTransform();
    ~WaveletTransform();
    WaveletTransform(const WaveletTransform&) = delete;
    WaveletTransform& operator=(const WaveletTransform&) = delete;

    // Accepts only positive powers of two; anything else changes nothing at all. An accepted size
    // gives a zeroed array that counts as not loaded (all lengths 0) until setData.
    void setSize(int n);
    // Copies size × size floats in and marks the array as not decomposed.
    void setData(const float* src);
    // Copies size × size floats in with the decomposition as far as the two forward lengths say,
    // as undo needs to put back a whole state. Lengths that are not powers of two within 1 … size
    // change nothing at all.
    void restore(const float* src, int rowLengthNow, int columnLengthNow);
    float* getData();
    const float* getData() const;

    bool isStandard() const;
    void setStandard(bool value);
    bool isNormalized() const;
    void setNormalized(bool value);
    // The three kinds of pass (PassPlan.h): isNormalized is true for `normalized` alone, and
    // setNormalized chooses between plain and normalized. The desktop knows only those two.
    Normalization getNormalization() const;
    void setNormalization(Normalization value);

    // Frees both arrays and forgets size and lengths; the flags stay. Safe to call at any time.
    void release();

    // Drivers: read the arrangement and the normalization once on entry and choose kernels from the four lengths.
    void decompose();
    void reconstruct();
    void decomposeStep();
    void reconstructStep();

    // One-level kernels over lines 0 … count − 1 of their direction.
    void forwardRows(int count);
    void forwardColumns(int count);
    void inverseRows(int count);
    void inverseColumns(int count);
    void forwardRowsNormalized(int count);
    void forwardColumnsNormalized(int count);
    void inverseRowsNormalized(int count);
    void inverseColumnsNormalized(int count);

    int getSize() const;
    int getRowLength() const;
    int getColumnLength() const;
    int getRowInverseLength() const;
    int getColumnInverseLength() const;

private:
    // Makes one pass of the plan: its kernel, then its direction's lengths.
    void make(const Pass& pass);
    // One kernel call as the public kernels make it, if it has anything to do.
    void kernelCall(Direction direction, bool forward, bool scaled, int count);
    // Makes every pass the plan of `driver` holds for the current lengths and flags.
    void follow(Driver driver);

    int size;
    int rowLength;
    int columnLength;
    int rowInverseLength;
    int columnInverseLength;
    float* data;
    float* scratch;
    bool standard;
    Normalization normalization;
};
