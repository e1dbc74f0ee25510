#include "Codec.h"
#include "CodingRecord.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr CodingWavelet kWavelets[] = {CodingWavelet::Haar, CodingWavelet::Cdf53, CodingWavelet::Cdf97};

// makeImage's picture as the greys it was made of.
Bytes greyPicture(int n)
{
    const std::vector<float> values = makeImage(n);
    Bytes grey(values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
        grey[k] = static_cast<unsigned char>(std::lround(values[k] * 255.0f));
    return grey;
}

std::string decode(const Bytes& stream, std::size_t length, DecodedPicture& picture)
{
    return decodePicture(stream.data(), length, picture);
}

TEST(Codec, WholeStreamGivesThePictureBack)
{
    // Smooth, noisy, flat (every coefficient 0: no bit-plane at all) and the extremes, on the
    // smallest picture and on deep and shallow decompositions. The 5/3 is lossless; Haar and 9/7
    // are coded in quarter steps of grey, which all but a few greys survive.
    struct Case {
        int n;
        int levels;
        Bytes grey;
    };
    std::uint32_t state = 3;
    Bytes noise(64 * 64), board(32 * 32);
    for (unsigned char& b : noise)
        b = static_cast<unsigned char>(nextRandom(state));
    for (std::size_t k = 0; k < board.size(); ++k)
        board[k] = ((k / 32 + k) % 2) ? 255 : 0;
    const Case cases[] = {{64, 5, greyPicture(64)}, {64, 1, greyPicture(64)}, {64, 3, noise},
                          {32, 4, board},           {4, 1, {9, 200, 3, 0, 255, 7, 77, 128, 1, 2, 3, 4, 5, 6, 7, 8}},
                          {16, 3, Bytes(256, 128)}};
    for (const Case& c : cases) {
        for (CodingWavelet wavelet : kWavelets) {
            SCOPED_TRACE(std::string(waveletName(wavelet)) + " n=" + std::to_string(c.n) + " levels=" +
                         std::to_string(c.levels));
            const Bytes stream = encodePicture(c.grey.data(), c.n, wavelet, c.levels);
            DecodedPicture picture;
            ASSERT_EQ(decode(stream, stream.size(), picture), "");
            EXPECT_EQ(picture.size, c.n);
            EXPECT_EQ(picture.wavelet, wavelet);
            EXPECT_EQ(picture.levels, c.levels);
            const double psnr = greyPsnr(picture.grey.data(), c.grey.data(), c.grey.size());
            if (wavelet == CodingWavelet::Cdf53)
                EXPECT_EQ(picture.grey, c.grey);
            else
                EXPECT_GT(psnr, 50.0);
        }
    }
}

double squaredError(const Bytes& a, const Bytes& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k)
        sum += (double(a[k]) - double(b[k])) * (double(a[k]) - double(b[k]));
    return sum;
}

TEST(Codec, EveryPrefixDecodesAndMoreBytesNeverCostMoreThanNoise)
{
    // Each prefix decodes exactly the decisions its bytes settle, so a longer one repeats them and
    // may add some. A decision narrows a coefficient's interval, and the decoder puts it inside
    // the new one: nearer on average, but possibly farther for this coefficient (by up to half
    // the new interval), so the squared error may rise a little from one byte to the next
    // (measured: at most 0.7 % of the error before, 32 × 32 and 64 × 64 pictures, all three
    // wavelets). Near the end a few pixels differ by one grey, and a decision can flip the
    // rounding of some more. Allowed: 1 % above the best error of any shorter prefix, plus 32
    // (32 greys off by one more), far below what the bytes gain (PSNR climbs some 40 dB).
    const int n = 32;
    const Bytes grey = greyPicture(n);
    for (CodingWavelet wavelet : kWavelets) {
        SCOPED_TRACE(waveletName(wavelet));
        const Bytes stream = encodePicture(grey.data(), n, wavelet, 3);
        double best = squaredError(Bytes(grey.size(), 128), grey);
        double error = best;
        for (std::size_t length = kStreamHeaderBytes; length <= stream.size(); ++length) {
            DecodedPicture picture;
            ASSERT_EQ(decode(stream, length, picture), "") << "at " << length;
            error = squaredError(picture.grey, grey);
            EXPECT_LE(error, 1.01 * best + 32.0) << "at " << length;
            best = std::min(best, error);
        }
        EXPECT_LE(error, wavelet == CodingWavelet::Cdf53 ? 0.0 : 32.0);
    }
}

TEST(Codec, ARecordReplaysWhatEveryPrefixDecodesTo)
{
    // At every length, refusals included: whole streams, streams cut short as the page codes
    // them (one byte past a budget), where the last decisions coded are still open, and whole
    // streams recorded only so far. Noise makes long runs of unlikely decisions, whose bytes
    // settle them late.
    std::uint32_t state = 11;
    Bytes noise(16 * 16);
    for (unsigned char& b : noise)
        b = static_cast<unsigned char>(nextRandom(state));
    const struct {
        int n;
        int levels;
        Bytes grey;
    } cases[] = {{32, 3, greyPicture(32)}, {16, 3, noise}};
    for (const auto& c : cases) {
        for (CodingWavelet wavelet : kWavelets) {
            const Bytes whole = encodePicture(c.grey.data(), c.n, wavelet, c.levels);
            const std::size_t all = whole.size(), third = whole.size() / 3 + 1;
            for (auto [limit, reach] : {std::pair{all, all}, {third, all}, {all, third}}) {
                SCOPED_TRACE(std::string(waveletName(wavelet)) + " n=" + std::to_string(c.n) + " limit " +
                             std::to_string(limit) + " reach " + std::to_string(reach));
                CodingRecord record;
                record.reachAtMost(reach);
                const Bytes stream = encodePicture(c.grey.data(), c.n, wavelet, c.levels, limit, &record);
                ASSERT_EQ(stream, Bytes(whole.begin(), whole.begin() + long(limit)));
                // Beyond the cut or the reach the record does not go: from there on the lengths
                // are decoded, which a few of them show.
                for (std::size_t length = 0; length <= std::min(whole.size(), std::min(limit, reach) + 8); ++length) {
                    DecodedPicture decoded, replayed;
                    ASSERT_EQ(decodeRecorded(whole.data(), length, record, replayed),
                              decode(whole, length, decoded)) << "at " << length;
                    ASSERT_EQ(replayed.grey, decoded.grey) << "at " << length;
                }
            }
        }
    }
}

TEST(Codec, EncodingUpToABudgetGivesTheWholeStreamsFirstBytes)
{
    const int n = 64;
    const Bytes grey = greyPicture(n);
    for (CodingWavelet wavelet : kWavelets) {
        SCOPED_TRACE(waveletName(wavelet));
        const Bytes whole = encodePicture(grey.data(), n, wavelet, 4);
        for (std::size_t limit : {kStreamHeaderBytes + 1, std::size_t(97), std::size_t(1000), whole.size() - 1}) {
            const Bytes part = encodePicture(grey.data(), n, wavelet, 4, limit);
            EXPECT_EQ(part, Bytes(whole.begin(), whole.begin() + long(limit))) << "limit " << limit;
        }
        EXPECT_EQ(encodePicture(grey.data(), n, wavelet, 4, whole.size() + 5), whole);
    }
}

// Saved streams must go on decoding to the pictures they were saved from, so the bytes the coder
// writes are pinned for one picture a wavelet: any change to the passes' decisions or their
// contexts shows here and needs a new version in the header, with the old one still read.
TEST(Codec, StreamsKeepTheBytesOfTheirVersion)
{
    const std::pair<CodingWavelet, std::uint64_t> pinned[] = {
        {CodingWavelet::Haar, 15437451846439410070ull},
        {CodingWavelet::Cdf53, 5403024081752107988ull},
        {CodingWavelet::Cdf97, 16970782562647497405ull}};
    const int n = 32;
    const Bytes grey = greyPicture(n);
    for (const auto& [wavelet, digest] : pinned) {
        // FNV-1a over the whole stream.
        std::uint64_t hash = 14695981039346656037ull;
        for (unsigned char byte : encodePicture(grey.data(), n, wavelet, 3))
            hash = (hash ^ byte) * 1099511628211ull;
        EXPECT_EQ(hash, digest) << waveletName(wavelet);
    }
}

TEST(Codec, BudgetIsACeilingWithTheHeaderIncluded)
{
    EXPECT_EQ(budgetLength(100000, 0.5, 512), 16384u);
    EXPECT_EQ(budgetLength(100000, 0.1, 512), 3276u); // 3276.8
    EXPECT_EQ(budgetLength(100000, 0.01, 512), 327u);
    EXPECT_EQ(budgetLength(20000, 1.0, 512), 20000u); // the whole stream fits
    EXPECT_EQ(budgetLength(100000, 2.9, 8), 23u);
    EXPECT_EQ(budgetLength(100000, 1.49, 8), 0u); // 11 bytes cannot hold the header
    EXPECT_EQ(budgetLength(100000, 1.5, 8), 12u);
    EXPECT_EQ(budgetLength(100000, 0.0, 512), 0u);
    EXPECT_EQ(budgetLength(100000, -1.0, 512), 0u);
    EXPECT_EQ(budgetLength(100000, std::nan(""), 512), 0u);
}

TEST(Codec, EncoderTakesOnlyCodablePictures)
{
    const Bytes grey(1024 * 1024, 0);
    for (auto [n, levels] : {std::pair{1024, 5}, {2, 1}, {0, 1}, {48, 2}, {64, 0}, {64, 6}, {4, 2}})
        EXPECT_TRUE(encodePicture(grey.data(), n, CodingWavelet::Haar, levels).empty()) << n << " " << levels;
    EXPECT_TRUE(encodePicture(grey.data(), 64, static_cast<CodingWavelet>(4), 2).empty());
    EXPECT_FALSE(encodePicture(grey.data(), 512, CodingWavelet::Haar, 8, 100).empty());
}

// Header bytes 4 to 10 (version, wavelet, size high and low, levels, step exponent, planes) and
// the refusal they earn.
struct Refusal {
    const char* what;
    Bytes fields;
    const char* message;
};

TEST(Codec, DecoderRefusesEveryBadField)
{
    const Bytes grey = greyPicture(16);
    const Bytes stream = encodePicture(grey.data(), 16, CodingWavelet::Cdf97, 2);
    ASSERT_GT(stream.size(), 40u);
    const Bytes magic(stream.begin(), stream.begin() + 4);
    DecodedPicture untouched;
    untouched.size = -7;

    // Field by field, each with every check byte: exactly one passes the header's CRC and meets
    // the field's own check; every other is refused as damaged.
    const Refusal refusals[] = {
        {"wavelet 0", {1, 0, 0, 16, 2, 2, 9}, "Codec: unknown wavelet."},
        {"wavelet 4", {1, 4, 0, 16, 2, 2, 9}, "Codec: unknown wavelet."},
        {"size 0", {1, 3, 0, 0, 1, 2, 9}, "Codec: unsupported size."},
        {"size 2", {1, 3, 0, 2, 1, 2, 9}, "Codec: unsupported size."},
        {"size 48", {1, 3, 0, 48, 1, 2, 9}, "Codec: unsupported size."},
        {"size 1024", {1, 3, 4, 0, 1, 2, 9}, "Codec: unsupported size."},
        {"levels 0", {1, 3, 0, 16, 0, 2, 9}, "Codec: unsupported number of levels."},
        {"levels 4 at 16", {1, 3, 0, 16, 4, 2, 9}, "Codec: unsupported number of levels."},
        {"levels 35 at 16", {1, 3, 0, 16, 35, 2, 9}, "Codec: unsupported number of levels."},
        {"5/3 with a step", {1, 2, 0, 16, 2, 1, 9}, "Codec: unsupported quantizer step."},
        {"9/7 step 2^-17", {1, 3, 0, 16, 2, 17, 9}, "Codec: unsupported quantizer step."},
        {"31 planes", {1, 3, 0, 16, 2, 2, 31}, "Codec: too many bit-planes."},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        int passed = 0;
        for (int check = 0; check < 256; ++check) {
            Bytes bad = magic;
            bad.insert(bad.end(), r.fields.begin(), r.fields.end());
            bad.push_back(static_cast<unsigned char>(check));
            bad.insert(bad.end(), stream.begin() + long(kStreamHeaderBytes), stream.end());
            DecodedPicture picture = untouched;
            const std::string message = decode(bad, bad.size(), picture);
            if (message != "Codec: damaged header.") {
                EXPECT_EQ(message, r.message);
                ++passed;
            }
            EXPECT_EQ(picture.size, -7);
        }
        EXPECT_EQ(passed, 1);
    }

    // Any one flipped bit of the header after the magic and version.
    for (std::size_t byte = 5; byte < kStreamHeaderBytes; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            Bytes bad = stream;
            bad[byte] ^= static_cast<unsigned char>(1 << bit);
            DecodedPicture picture;
            EXPECT_EQ(decode(bad, bad.size(), picture), "Codec: damaged header.") << byte << ":" << bit;
        }
    }

    // Foreign bytes, another version, and every cut inside the header.
    const Bytes tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 16, 0, 8, 0};
    DecodedPicture picture = untouched;
    EXPECT_EQ(decode(tga, tga.size(), picture), "Codec: not a coded picture.");
    EXPECT_EQ(decode(tga, 0, picture), "Codec: not a coded picture.");
    Bytes other = stream;
    other[0] = 0x88;
    EXPECT_EQ(decode(other, other.size(), picture), "Codec: not a coded picture.");
    other = stream;
    other[4] = 2;
    EXPECT_EQ(decode(other, other.size(), picture), "Codec: unsupported version.");
    EXPECT_EQ(decode(other, 5, picture), "Codec: unsupported version.");
    for (std::size_t length = 1; length < kStreamHeaderBytes; ++length)
        EXPECT_EQ(decode(stream, length, picture), "Codec: the header is cut short.") << length;
    EXPECT_EQ(picture.size, -7);
}

TEST(Codec, CodeOutsideItsIntervalIsDamage)
{
    // No encoder output starts its coded bytes with four 0xFF: the first code would lie at the
    // very top of the initial interval, which no decision reaches.
    const Bytes grey = greyPicture(16);
    Bytes stream = encodePicture(grey.data(), 16, CodingWavelet::Haar, 2);
    for (std::size_t k = kStreamHeaderBytes; k < kStreamHeaderBytes + 4; ++k)
        stream[k] = 0xFF;
    DecodedPicture picture;
    EXPECT_EQ(decode(stream, stream.size(), picture), "Codec: damaged stream.");
}

} // namespace
