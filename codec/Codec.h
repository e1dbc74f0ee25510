#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// The wavelet coder's streams (docs/codec-format.md): a 12-byte header, then the embedded bits of
// set partitioning in hierarchical trees, most important first, so that any prefix of a stream
// decodes to the best picture those bytes can give.

class CodingRecord;

enum class CodingWavelet : std::uint8_t { Haar = 1, Cdf53 = 2, Cdf97 = 3 };

// "haar", "cdf53", "cdf97": the names links and the page use.
const char* waveletName(CodingWavelet wavelet);
// True, with `wavelet` set, when `name` is one of those names.
bool parseWavelet(const std::string& name, CodingWavelet& wavelet);

constexpr std::size_t kStreamHeaderBytes = 12;
// Pictures are square, with a power-of-two side from kMinSide to kMaxSide (the program's pictures
// are 512 × 512; the bound keeps what a 12-byte header can make a decoder allocate and transform
// small), and decomposed into 1 to log2(side) − 1 levels (the low band at least 2 × 2).
constexpr int kMinSide = 4;
constexpr int kMaxSide = 512;

// True when (n, levels) is a picture the coder takes.
bool codable(int n, int levels);

// The stream of the n × n picture `grey` (8-bit greys, row-major; rows come back in the same
// order). Stops early once it holds `maxBytes` bytes and returns exactly that many: the same bytes
// the whole stream begins with (so a limit below the header gives part of it). Empty when
// (n, levels) is not codable, `wavelet` is none of the three, or the limit is 0.
// `record`, unless null, is filled for decodeRecorded.
std::vector<unsigned char> encodePicture(const unsigned char* grey, int n, CodingWavelet wavelet, int levels,
                                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max(),
                                         CodingRecord* record = nullptr);

struct DecodedPicture {
    int size = 0;
    CodingWavelet wavelet = CodingWavelet::Haar;
    int levels = 0;
    std::vector<unsigned char> grey; // size × size
};

// Decodes a stream or any prefix of one that holds the whole header. Returns "" with `picture`
// set, or the refusal (a text beginning "Codec: ") with `picture` unchanged. Reads only the
// `size` bytes at `data`.
std::string decodePicture(const unsigned char* data, std::size_t size, DecodedPicture& picture);
// What decodePicture gives for a prefix of the stream encodePicture filled `record` beside:
// replayed from the record (a write a coefficient's change rather than a pass a decision) as far
// as the record reaches, decoded beyond.
std::string decodeRecorded(const unsigned char* data, std::size_t size, const CodingRecord& record,
                           DecodedPicture& picture);

// Peak signal-to-noise ratio in dB of `count` greys against `reference`, peak 255:
// 10 log10(255² × count / Σ error²), +infinity when they are equal.
double greyPsnr(const unsigned char* grey, const unsigned char* reference, std::size_t count);

// How many of a stream's `streamSize` bytes a budget of `bpp` bits per pixel of an n × n picture
// allows: ⌊bpp × n² / 8⌋, header included, at most the stream; 0 when not even the header fits.
std::size_t budgetLength(std::size_t streamSize, double bpp, int n);
