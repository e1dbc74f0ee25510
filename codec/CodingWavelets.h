#pragma once

#include <cstdint>

// The wavelets the coder transforms with, each in the non-standard (dyadic, Mallat) arrangement on
// an n × n row-major array: every level transforms the rows, then the columns, of the low band the
// level before left in the top-left corner, low half first in each direction. n is a power of two
// and n >> levels is at least 2. The lines are extended at their ends by whole-sample symmetry
// (… x2 x1 | x0 x1 … x(m-1) | x(m-2) x(m-3) …), as JPEG 2000 extends them.
//
// Haar and CDF 9/7 are scaled so that their low filters sum to √2: Haar is orthonormal, and 9/7 is
// as close to it as a biorthogonal pair gets, so that an error in any coefficient costs about the
// same in the picture. CDF 5/3 is the integer transform of lossless JPEG 2000, with its gains
// (low 1, high 2): an integer picture comes back exactly.

// Haar: a = (x0 + x1) / √2, d = (x0 − x1) / √2.
void haarForward(double* values, int n, int levels);
void haarInverse(double* values, int n, int levels);

// CDF 9/7: the four lifting steps of irreversible JPEG 2000 with its published constants, then
// its scaling by K (low ÷ K, high × K), then low × √2 and high ÷ √2.
void cdf97Forward(double* values, int n, int levels);
void cdf97Inverse(double* values, int n, int levels);

// CDF 5/3 on 64-bit integers, so that no coefficient a stream can describe overflows on its way
// back: d = x_odd − ⌊(x_even_left + x_even_right) / 2⌋, s = x_even + ⌊(d_left + d_right + 2) / 4⌋.
void cdf53Forward(std::int64_t* values, int n, int levels);
void cdf53Inverse(std::int64_t* values, int n, int levels);

// The level of the band that holds (i, j): 1 for the finest details up to `levels`, and
// levels + 1 for the low band.
int bandLevel(int i, int j, int n, int levels);
