#pragma once

#include <vector>

// The files the page saves, encoded here so that they are byte for byte what the tests read back.

// An uncompressed 8-bit grey TGA of the n × n array `values` (1 <= n <= 65535; row 0 the picture's
// bottom line, as the transform holds it), each byte greyByte(value): what the plain view shows at
// scale 1. The header says the rows start at the bottom, so the array goes out in its own order
// and the reader reads it back as it was.
std::vector<unsigned char> greyTga(const float* values, int n);

// An 8-bit grey PNG of width × height bytes `grey`, top row first, with no filtering and the image
// data in stored (uncompressed) zlib blocks: no compression library is needed. Empty when a side
// is not positive.
std::vector<unsigned char> greyPng(const unsigned char* grey, int width, int height);
