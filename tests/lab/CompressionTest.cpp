#include "Compression.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

namespace {

TEST(Compression, BudgetIsTheCeilingOfTheShareAsTyped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::size_t count;
        double percent;
        std::size_t m;
    } cases[] = {
        {262144, 5, 13108},     // 13107.2 rounds up
        {262144, 0.001, 3},     // 2.62
        {262144, 1e-9, 1},      // any positive share keeps one
        {100, 7, 7},            // 7 / 100 × 100 is 7.000000000000001 in double
        {1000, 0.1, 1},         // 0.1 is not exact in binary
        {3, 33.34, 2},          // 1.0002
        {10, 100, 10},
        {10, 150, 10},
        {10, 0, 0},
        {10, nan, 0},
        {0, 50, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keepBudget(c.count, c.percent), c.m) << c.count << " at " << c.percent << " %";
}

// The reference: a stable sort of the indices by decreasing magnitude keeps the first m.
std::vector<unsigned char> referenceMask(const std::vector<float>& values, std::size_t m)
{
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::fabs(values[a]) > std::fabs(values[b]);
    });
    std::vector<unsigned char> mask(values.size(), 0);
    for (std::size_t k = 0; k < m; ++k)
        mask[order[k]] = 1;
    return mask;
}

TEST(Compression, KeepsExactlyTheBudgetLowerIndexFirstAmongTies)
{
    // Few distinct magnitudes of both signs and many zeros, so that every budget cuts through ties.
    std::vector<float> values(4096);
    std::uint32_t state = 7;
    for (float& v : values) {
        const int r = static_cast<int>(nextRandom(state) % 13) - 6;
        v = r > 3 || r < -3 ? 0.0f : 0.25f * static_cast<float>(r);
    }
    for (double percent : {0.01, 1.0, 5.0, 33.3, 50.0, 87.5, 99.99, 100.0}) {
        SCOPED_TRACE(percent);
        const std::size_t m = keepBudget(values.size(), percent);
        const std::vector<unsigned char> expectedMask = referenceMask(values, m);
        std::vector<float> kept = values;
        std::vector<unsigned char> mask(values.size(), 7);
        const KeepResult result = keepLargest(kept.data(), kept.size(), percent, mask.data());
        EXPECT_EQ(result.kept, m);
        EXPECT_EQ(mask, expectedMask);
        std::size_t nonZero = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            ASSERT_EQ(kept[i], expectedMask[i] ? values[i] : 0.0f) << "at " << i;
            nonZero += kept[i] != 0.0f;
        }
        EXPECT_EQ(result.nonZero, nonZero);
    }
}

TEST(Compression, NanOutranksEveryNumber)
{
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> values = {1.0f, -inf, std::numeric_limits<float>::quiet_NaN(), 2.0f};
    const KeepResult result = keepLargest(values.data(), values.size(), 50);
    EXPECT_EQ(result.kept, 2u);
    EXPECT_EQ(result.nonZero, 2u);
    EXPECT_EQ(values[0], 0.0f);
    EXPECT_EQ(values[1], -inf);
    EXPECT_TRUE(std::isnan(values[2]));
    EXPECT_EQ(values[3], 0.0f);
}

TEST(Compression, PsnrAgainstItsPeak)
{
    const std::vector<float> reference = {0.0f, 0.25f, 0.5f, 1.0f};
    std::vector<float> values = reference;
    EXPECT_EQ(psnr(values.data(), reference.data(), values.size()),
              std::numeric_limits<double>::infinity());
    values[2] = 0.0f; // Σ error² = 0.25 over 4 values: 10 log10(16)
    EXPECT_DOUBLE_EQ(psnr(values.data(), reference.data(), values.size()), 10.0 * std::log10(16.0));
    // Every error 25.5 against peak 255: the MSE is 255² / 100, so 20 dB.
    const std::vector<float> bytes = {0.0f, 100.0f, 200.0f, 255.0f};
    const std::vector<float> off = {25.5f, 74.5f, 225.5f, 229.5f};
    EXPECT_NEAR(psnr(off.data(), bytes.data(), 4, 255.0f), 20.0, 1e-12);
    EXPECT_EQ(psnrSentence(255.0f, psnr(off.data(), bytes.data(), 4, 255.0f)),
              "PSNR (peak 255) against the start: 20.00 dB");
    EXPECT_EQ(psnrSentence(1.0f, std::numeric_limits<double>::infinity()),
              "PSNR (peak 1) against the start: \xE2\x88\x9E");
    EXPECT_EQ(psnrSentence(0.5f, std::nan("")), "PSNR (peak 0.5) against the start: (reconstruct fully to compare)");

    const struct {
        std::vector<float> start;
        float peak;
    } peaks[] = {
        {{0.0f, 0.5f, 1.0f}, 1.0f},
        {{0.0f, 1.5f, 255.0f}, 255.0f},
        {{-0.5f, 0.25f}, 0.5f},
        {{3.0f, 300.0f}, 300.0f},
        {{-400.0f, 2.0f}, 400.0f},
    };
    for (const auto& p : peaks)
        EXPECT_EQ(matrixPeak(p.start.data(), p.start.size()), p.peak) << p.peak;
}

// Hard keeps a value exactly at ε; soft shrinks in double and rounds once (in float arithmetic
// the value at index 5 would come out as -4.43597126f); both write +0, never -0.
TEST(Compression, ThresholdHardAndSoft)
{
    const std::vector<float> start = {0.5f, -0.5f, 0.25f, -0.0f, 2.0f, -6.135971546173096f, 0.1f, 0.1f};
    const std::vector<unsigned char> acts = {1, 1, 1, 1, 1, 1, 1, 0};
    const auto bits = [](float v) {
        std::uint32_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    std::vector<float> hard = start;
    EXPECT_EQ(threshold(hard.data(), acts.data(), hard.size(), 0.5, false), 2u);
    const std::vector<float> hardWanted = {0.5f, -0.5f, 0.0f, 0.0f, 2.0f, -6.135971546173096f, 0.0f, 0.1f};
    std::vector<float> soft = start;
    EXPECT_EQ(threshold(soft.data(), acts.data(), soft.size(), 1.7, true), 4u);
    const std::vector<float> softWanted = {0.0f, 0.0f, 0.0f, 0.0f, 0.3f, -4.435971736907959f, 0.0f, 0.1f};
    for (std::size_t i = 0; i < start.size(); ++i) {
        EXPECT_EQ(bits(hard[i]), bits(hardWanted[i])) << "hard " << i;
        EXPECT_EQ(bits(soft[i]), bits(softWanted[i])) << "soft " << i;
    }

    Reduction made;
    made.kind = Reduction::Kind::threshold;
    made.epsilon = 1.7;
    made.soft = true;
    made.count = 4;
    measureReduction(start.data(), soft.data(), start.size(), made);
    EXPECT_EQ(made.nonZeroBefore, 7u);
    EXPECT_EQ(made.nonZeroAfter, 3u);
    // As numpy gives it from the same floats.
    EXPECT_NEAR(made.energy, 0.46830702665276147, 1e-15);
    EXPECT_EQ(reductionText(made).rfind(
                  "The soft threshold 1.7 made 4 coefficients 0.\nNot 0 before : after = 1 : 2.33.\nEnergy kept", 0),
              0u);
    EXPECT_NE(reductionText(made).find(": 46.83 %.\nOnly in the orthonormal mode"), std::string::npos)
        << reductionText(made);
    // A threshold that leaves nothing: the ratio has no finite value, unless nothing was there.
    const float one[] = {3.0f};
    const float zero[] = {0.0f};
    made.count = 1;
    measureReduction(one, zero, 1, made);
    EXPECT_NE(reductionText(made).find("\nNot 0 before : after = 1 : \xE2\x88\x9E.\n"), std::string::npos)
        << reductionText(made);
    measureReduction(zero, zero, 1, made);
    EXPECT_NE(reductionText(made).find("\nNot 0 before : after = 1 : 1.00.\nEnergy kept (sum of squares "
                                       "after / before): 100.00 %."),
              std::string::npos)
        << reductionText(made);
}

} // namespace
