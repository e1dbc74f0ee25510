#pragma once

#include "RangeDecoder.h"
#include "RangeEncoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Set partitioning in hierarchical trees (Said and Pearlman, 1996) over the integer coefficients
// of an n × n dyadic decomposition with `levels` levels, bit-plane by bit-plane from plane
// `planes` − 1 down to 0, each significance, sign and refinement decision range-coded with an
// adaptive model chosen by its context (the band's level, significant neighbours and parent).
//
// The trees: in the low band (side n >> levels), each 2 × 2 group's top-left coefficient has no
// offspring and the other three each have the 2 × 2 block at the same place in the coarsest
// detail band of their orientation; every other coefficient (i, j) outside the finest level has
// the block at (2i, 2j).
//
// `shifts` (n × n, or empty for none) says how many low bits of each magnitude are known to be 0:
// those bits cost no decision.

// The decoder's knowledge of the coefficients after the decisions it could read.
struct PartialCoefficients {
    // The bits of each magnitude down to plane[k]; plane[k] is −1 while the coefficient is not
    // known to be significant, sign[k] is −1 or +1 once it is (0 before).
    std::vector<std::uint32_t> magnitude;
    std::vector<std::int8_t> plane;
    std::vector<std::int8_t> sign;
};

class CodingRecord;

// Codes `coefficients` (each magnitude below 2^planes, its low `shifts` bits 0) until all planes
// are coded or the encoder holds at least `maxBytes` bytes; `record`, unless null, gets every
// decision and change to the known coefficients until the encoder holds its reach.
void encodeTrees(const std::int32_t* coefficients, const std::vector<std::uint8_t>& shifts, int n,
                 int levels, int planes, std::size_t maxBytes, RangeEncoder& encoder, CodingRecord* record);

// Reads decisions until the last plane or the first decision the bytes leave open.
PartialCoefficients decodeTrees(RangeDecoder& decoder, const std::vector<std::uint8_t>& shifts,
                                int n, int levels, int planes);
