#include "Compression.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

TEST(Compression, PsnrHasPeakOne)
{
    const std::vector<float> reference = {0.0f, 0.25f, 0.5f, 1.0f};
    std::vector<float> values = reference;
    EXPECT_EQ(psnr(values.data(), reference.data(), values.size()),
              std::numeric_limits<double>::infinity());
    values[2] = 0.0f; // Σ error² = 0.25 over 4 values: 10 log10(16)
    EXPECT_DOUBLE_EQ(psnr(values.data(), reference.data(), values.size()), 10.0 * std::log10(16.0));
}

} // namespace
