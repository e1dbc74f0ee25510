#pragma once

#include <string>
#include <vector>

// A deliberately plain Haar transform over the same N × N row-major layout as WaveletTransform:
// every pass copies each line out, builds the new line in a separate buffer and copies it back, so
// it shares none of the in-place tricks of the real kernels. Tests replay an expected sequence of
// passes on it and demand the transform's array bit for bit.
class HaarModel {
public:
    enum Direction { Rows, Columns };

    struct Pass {
        Direction direction;
        bool forward;
        bool scaled;
        int count;
    };

    HaarModel(int n, const std::vector<float>& image);

    // One pass with the kernel's guard: a forward pass needs length ≥ 2, an inverse one inverse
    // length ≤ N; lines 0 … count − 1 (clamped to 0 … N) of the direction.
    void apply(const Pass& pass);
    void apply(const std::vector<Pass>& passes);
    // Moves a direction's lengths as a pass would, without touching the array.
    void moveLengths(Direction direction, bool forward);

    const std::vector<float>& values() const { return x; }
    int rowLength() const { return lengths[Rows]; }
    int columnLength() const { return lengths[Columns]; }

private:
    int n;
    std::vector<float> x;
    int lengths[2];
};

// Human-readable name of a pass for failure messages, e.g. "forward rows scaled count 256".
std::string describe(const HaarModel::Pass& pass);
