#include "Codec.h"

#include "CodingRecord.h"
#include "CodingWavelets.h"
#include "RangeDecoder.h"
#include "RangeEncoder.h"
#include "SetPartitioning.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned char kMagic[4] = {0x89, 'O', 'W', 'C'};
constexpr int kVersion = 1;
// Haar's and 9/7's coefficients are coded in steps of 2^-kStepExponent grey levels: fine enough
// that the whole stream gives back nearly every grey exactly.
constexpr int kStepExponent = 2;
constexpr int kMaxStepExponent = 16;
// The largest magnitude a stream may describe is below 2^kMaxPlanes.
constexpr int kMaxPlanes = 30;
// Where a float coefficient goes back inside the interval its known bits leave open: magnitudes
// thin out upward, so a little below the middle is nearer on average.
constexpr double kInside = 7.0 / 16.0;
// Greys are coded around mid-grey, so the low band starts near 0 as the details do.
constexpr int kMidGrey = 128;

struct Header {
    CodingWavelet wavelet = CodingWavelet::Haar;
    int n = 0;
    int levels = 0;
    int stepExponent = 0;
    int planes = 0;
};

// CRC-8 (polynomial x^8 + x^2 + x + 1), over the header's first 11 bytes.
unsigned char crc8(const unsigned char* data, std::size_t size)
{
    unsigned crc = 0;
    for (std::size_t k = 0; k < size; ++k) {
        crc ^= data[k];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? ((crc << 1) ^ 0x07) & 0xFF : (crc << 1) & 0xFF;
    }
    return static_cast<unsigned char>(crc);
}

std::vector<unsigned char> headerBytes(const Header& header)
{
    std::vector<unsigned char> bytes(std::begin(kMagic), std::end(kMagic));
    bytes.push_back(kVersion);
    bytes.push_back(static_cast<unsigned char>(header.wavelet));
    bytes.push_back(static_cast<unsigned char>(header.n >> 8));
    bytes.push_back(static_cast<unsigned char>(header.n & 0xFF));
    bytes.push_back(static_cast<unsigned char>(header.levels));
    bytes.push_back(static_cast<unsigned char>(header.stepExponent));
    bytes.push_back(static_cast<unsigned char>(header.planes));
    bytes.push_back(crc8(bytes.data(), bytes.size()));
    return bytes;
}

std::string readHeader(const unsigned char* data, std::size_t size, Header& header)
{
    if (size == 0 || std::memcmp(data, kMagic, std::min(size, sizeof kMagic)) != 0)
        return "Codec: not a coded picture.";
    if (size >= 5 && data[4] != kVersion)
        return "Codec: unsupported version.";
    if (size < kStreamHeaderBytes)
        return "Codec: the header is cut short.";
    if (crc8(data, kStreamHeaderBytes - 1) != data[kStreamHeaderBytes - 1])
        return "Codec: damaged header.";
    const int wavelet = data[5];
    if (wavelet < int(CodingWavelet::Haar) || wavelet > int(CodingWavelet::Cdf97))
        return "Codec: unknown wavelet.";
    header.wavelet = static_cast<CodingWavelet>(wavelet);
    header.n = data[6] << 8 | data[7];
    header.levels = data[8];
    header.stepExponent = data[9];
    header.planes = data[10];
    if (!codable(header.n, 1))
        return "Codec: unsupported size.";
    if (!codable(header.n, header.levels))
        return "Codec: unsupported number of levels.";
    const bool integer = header.wavelet == CodingWavelet::Cdf53;
    if (integer ? header.stepExponent != 0 : header.stepExponent > kMaxStepExponent)
        return "Codec: unsupported quantizer step.";
    if (header.planes > kMaxPlanes)
        return "Codec: too many bit-planes.";
    return "";
}

// The 5/3's bands keep JPEG 2000's gains (low 1, high 2 per direction), which weigh a level's
// details 2× and the level below's 4× against the orthonormal scale the coder's planes assume.
// Coding each band's integers shifted left by these bits restores that balance (to the factor 2
// the shifts allow) without losing a bit; the shifted-in zeros cost no decisions.
std::vector<std::uint8_t> bandShifts(CodingWavelet wavelet, int n, int levels)
{
    if (wavelet != CodingWavelet::Cdf53)
        return {};
    std::vector<std::uint8_t> shifts(std::size_t(n) * n);
    const int half = n >> 1;
    // A band's level depends on max(i, j) alone: looked up, not searched for, a coefficient.
    std::vector<int> levelAt(std::size_t(n), 0);
    for (int m = 0; m < n; ++m)
        levelAt[std::size_t(m)] = bandLevel(m, 0, n, levels);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const int level = levelAt[std::size_t(std::max(i, j))];
            const bool diagonal = i >= (half >> (level - 1)) && j >= (half >> (level - 1));
            shifts[std::size_t(i) * n + j] =
                static_cast<std::uint8_t>(level > levels ? levels + 1 : (diagonal ? level - 1 : level));
        }
    }
    return shifts;
}

int planesFor(const std::vector<std::int32_t>& coefficients)
{
    std::uint32_t largest = 0;
    for (std::int32_t c : coefficients)
        largest = std::max(largest, std::uint32_t(std::abs(c)));
    int planes = 0;
    while (planes < 32 && (largest >> planes) != 0)
        ++planes;
    return planes;
}

// std::round(value + kMidGrey) clamped to 0 … 255, without a library call a pixel. From 0.5 up,
// y + 0.5 is exact or rounds without reaching the next integer (it is a multiple of y's ulp, and
// at most one binade above y only where no integer is near), so its truncation is round(y).
unsigned char toGrey(double value)
{
    const double y = std::min(value + kMidGrey, 255.0);
    return y >= 0.5 ? static_cast<unsigned char>(static_cast<int>(y + 0.5)) : 0;
}

// The picture the decoder's knowledge gives: each known magnitude put back inside what its bits
// leave open, transformed back and rounded to greys.
void pictureOf(const Header& header, const std::vector<std::uint8_t>& shifts, const PartialCoefficients& known,
               DecodedPicture& picture)
{
    const int n = header.n;
    const std::size_t count = std::size_t(n) * n;
    std::vector<unsigned char> grey(count);
    if (header.wavelet == CodingWavelet::Cdf53) {
        // Each magnitude goes back as the middle of what its known bits leave open; once every
        // bit above the shifted-in zeros is known it is exact. An unknown one (sign 0) gives 0.
        std::vector<std::int64_t> values(count);
        for (std::size_t k = 0; k < count; ++k) {
            const int plane = known.plane[k];
            const std::uint32_t middle = plane > shifts[k] ? 1u << (plane - 1) : 0;
            values[k] = known.sign[k] * std::int64_t((known.magnitude[k] + middle) >> shifts[k]);
        }
        cdf53Inverse(values.data(), n, header.levels);
        for (std::size_t k = 0; k < count; ++k)
            grey[k] = static_cast<unsigned char>(std::clamp<std::int64_t>(values[k] + kMidGrey, 0, 255));
    } else {
        // The encoder cut towards 0, so a magnitude known to plane p lies in [m, m + 2^p) steps.
        // Scaling by powers of two is exact here (nothing comes near the subnormals), so the
        // products equal std::ldexp's, without a call a coefficient.
        // An unknown coefficient (plane −1, sign 0) comes out 0 through the same sum, without a
        // branch that detail bands would make unpredictable.
        double inside[kMaxPlanes + 1] = {0.0};
        for (int plane = 0; plane < kMaxPlanes; ++plane)
            inside[plane + 1] = std::ldexp(kInside, plane);
        const double step = std::ldexp(1.0, -header.stepExponent);
        std::vector<double> values(count);
        for (std::size_t k = 0; k < count; ++k)
            values[k] = known.sign[k] * ((known.magnitude[k] + inside[known.plane[k] + 1]) * step);
        (header.wavelet == CodingWavelet::Haar ? haarInverse : cdf97Inverse)(values.data(), n, header.levels);
        for (std::size_t k = 0; k < count; ++k)
            grey[k] = toGrey(values[k]);
    }
    picture.size = n;
    picture.wavelet = header.wavelet;
    picture.levels = header.levels;
    picture.grey = std::move(grey);
}

} // namespace

const char* waveletName(CodingWavelet wavelet)
{
    switch (wavelet) {
    case CodingWavelet::Haar:
        return "haar";
    case CodingWavelet::Cdf53:
        return "cdf53";
    case CodingWavelet::Cdf97:
        return "cdf97";
    }
    return "";
}

bool parseWavelet(const std::string& name, CodingWavelet& wavelet)
{
    for (CodingWavelet w : {CodingWavelet::Haar, CodingWavelet::Cdf53, CodingWavelet::Cdf97}) {
        if (name == waveletName(w)) {
            wavelet = w;
            return true;
        }
    }
    return false;
}

bool codable(int n, int levels)
{
    return n >= kMinSide && n <= kMaxSide && (n & (n - 1)) == 0 && levels >= 1 && levels < 16 && (n >> levels) >= 2;
}

std::vector<unsigned char> encodePicture(const unsigned char* grey, int n, CodingWavelet wavelet, int levels,
                                         std::size_t maxBytes, CodingRecord* record)
{
    if (!codable(n, levels) || waveletName(wavelet)[0] == '\0')
        return {};
    const std::size_t count = std::size_t(n) * n;
    const std::vector<std::uint8_t> shifts = bandShifts(wavelet, n, levels);
    std::vector<std::int32_t> coefficients(count);
    int stepExponent = 0;
    if (wavelet == CodingWavelet::Cdf53) {
        std::vector<std::int64_t> values(grey, grey + count);
        for (std::int64_t& v : values)
            v -= kMidGrey;
        cdf53Forward(values.data(), n, levels);
        for (std::size_t k = 0; k < count; ++k)
            coefficients[k] = static_cast<std::int32_t>(values[k] * (std::int64_t{1} << shifts[k]));
    } else {
        std::vector<double> values(grey, grey + count);
        for (double& v : values)
            v -= kMidGrey;
        (wavelet == CodingWavelet::Haar ? haarForward : cdf97Forward)(values.data(), n, levels);
        stepExponent = kStepExponent;
        // A power of two scales exactly, as std::ldexp does, but without a call a coefficient.
        const double step = std::ldexp(1.0, stepExponent);
        for (std::size_t k = 0; k < count; ++k)
            coefficients[k] = static_cast<std::int32_t>(values[k] * step);
    }
    const int planes = planesFor(coefficients);
    RangeEncoder encoder(headerBytes({wavelet, n, levels, stepExponent, planes}));
    if (record != nullptr)
        record->start(n);
    encodeTrees(coefficients.data(), shifts, n, levels, planes, maxBytes, encoder, record);
    std::vector<unsigned char> stream = encoder.finish();
    if (stream.size() > maxBytes)
        stream.resize(maxBytes);
    const std::size_t recorded = record == nullptr ? 0 : std::min(stream.size(), record->reach());
    if (recorded >= kStreamHeaderBytes)
        record->settle(stream.data() + kStreamHeaderBytes, recorded - kStreamHeaderBytes);
    return stream;
}

std::string decodePicture(const unsigned char* data, std::size_t size, DecodedPicture& picture)
{
    Header header;
    const std::string refusal = readHeader(data, size, header);
    if (!refusal.empty())
        return refusal;
    const std::vector<std::uint8_t> shifts = bandShifts(header.wavelet, header.n, header.levels);
    RangeDecoder decoder(data + kStreamHeaderBytes, size - kStreamHeaderBytes);
    const PartialCoefficients known = decodeTrees(decoder, shifts, header.n, header.levels, header.planes);
    if (decoder.damaged())
        return "Codec: damaged stream.";
    pictureOf(header, shifts, known, picture);
    return "";
}

std::string decodeRecorded(const unsigned char* data, std::size_t size, const CodingRecord& record,
                           DecodedPicture& picture)
{
    Header header;
    const std::string refusal = readHeader(data, size, header);
    if (!refusal.empty())
        return refusal;
    PartialCoefficients known;
    if (!record.replay(size - kStreamHeaderBytes, known))
        return decodePicture(data, size, picture);
    pictureOf(header, bandShifts(header.wavelet, header.n, header.levels), known, picture);
    return "";
}

double greyPsnr(const unsigned char* grey, const unsigned char* reference, std::size_t count)
{
    double squares = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const double error = double(grey[k]) - double(reference[k]);
        squares += error * error;
    }
    if (squares == 0.0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 * double(count) / squares);
}

std::size_t budgetLength(std::size_t streamSize, double bpp, int n)
{
    const double allowed = std::floor(bpp * double(n) * double(n) / 8.0);
    if (!(allowed >= double(kStreamHeaderBytes)))
        return 0;
    return allowed >= double(streamSize) ? streamSize : std::size_t(allowed);
}
