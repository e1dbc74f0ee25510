#pragma once

#include "Codec.h"

#include <cstddef>
#include <vector>

// The coder's rate–distortion table of a picture (the Code panel's #rate-table): for each wavelet,
// the PSNR of the picture decoded from the first bytes of its stream at each budget. Made in
// slices, so that the page can draw between them: each step either encodes one wavelet's stream,
// up to the largest budget, or decodes one budget's prefix of it.
class CodingRates {
public:
    static constexpr int kWavelets = 3;
    // The budgets in bits per pixel, rising.
    static const std::vector<double>& budgets();
    // The wavelets in the table's order: Haar, CDF 5/3, CDF 9/7.
    static CodingWavelet wavelet(int index);

    // Starts over for the n × n greys (top row first); nothing is computed yet.
    void start(const std::vector<unsigned char>& grey, int n);
    // One slice; false once the table is complete.
    bool step();
    // PSNR in dB (peak 255, +infinity when exact) of `wavelet` (an index) at budget `budget`; NaN
    // until computed.
    double psnr(int wavelet, std::size_t budget) const;

private:
    std::vector<unsigned char> picture;
    int side = 0;
    // The next step: wavelet `next / (budgets + 1)`; within it 0 encodes, then each budget decodes.
    std::size_t next = 0;
    std::vector<unsigned char> stream;
    std::vector<double> psnrs;
};
