#pragma once

#include "PassPlan.h"
#include "WaveletTransform.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The rate–distortion data of a picture: for each of the six modes and each share of a fixed
// list, the PSNR against the picture of what a full decomposition in that mode, keep-the-largest at
// that share (Compression.h's exact budget) and a full reconstruction in the same mode leave.
//
// The work comes in slices so that a caller without threads can spread it over frames: each step
// either decomposes the picture in the next mode and ranks its coefficients, or computes one
// point. A mode is decomposed and ranked once for all its shares; the ranking is a cascade of
// partial orderings, largest budget first, so no share needs a sort of its own.
class RateDistortion {
public:
    // In this order in every table: plain non-standard, normalized non-standard, plain standard,
    // normalized standard, orthonormal non-standard, orthonormal standard.
    static constexpr int kModeCount = 6;
    static bool isStandard(int mode);
    static Normalization normalization(int mode);

    // The shares in %, increasing from 0.1 to 100, about seven to a decade so that the curves are
    // smooth on a logarithmic axis, with 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50 and 100 among them.
    static const std::vector<double>& shares();

    // Starts over on a copy of the n × n picture (row-major, n a power of two), forgetting every
    // earlier point; any other n leaves nothing to compute.
    void start(const float* picture, int n);
    // Does one slice; returns whether work remains.
    bool step();
    // Does every slice left.
    void finish();
    bool done() const;
    // The PSNR in dB of one point (+infinity where the reconstruction equals the picture); NaN
    // while that point is not computed yet.
    double psnr(int mode, std::size_t share) const;

private:
    void prepareMode();
    void computePoint();

    WaveletTransform transform;
    std::vector<float> picture;
    std::vector<float> coefficients;
    std::vector<std::uint64_t> keys;
    std::vector<std::size_t> budgets;
    std::vector<double> results;
    int mode = kModeCount;
    std::size_t share = 0;
    bool prepared = false;
};
