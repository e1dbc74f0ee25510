#include "CodingWavelets.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace {

enum class Kind { Haar, Cdf53, Cdf97 };

// Each transform undoes itself at every depth: the doubles to rounding, the 5/3's integers
// exactly, over a range far beyond 8-bit greys so that a lifting step that loses a bit shows.
class PerfectReconstruction : public ::testing::TestWithParam<std::tuple<Kind, int>> {};

TEST_P(PerfectReconstruction, InverseUndoesForward)
{
    const auto [kind, levels] = GetParam();
    const int n = 64;
    const std::size_t count = std::size_t(n) * n;
    std::uint32_t state = 7u + std::uint32_t(levels);
    if (kind == Kind::Cdf53) {
        std::vector<std::int64_t> original(count);
        for (std::int64_t& v : original)
            v = std::int64_t(nextRandom(state) % (1u << 21)) - (1 << 20);
        std::vector<std::int64_t> values = original;
        cdf53Forward(values.data(), n, levels);
        EXPECT_NE(values, original);
        cdf53Inverse(values.data(), n, levels);
        EXPECT_EQ(values, original);
        return;
    }
    std::vector<double> original(count);
    for (double& v : original)
        v = double(nextRandom(state) % 2001) - 1000.0 + 1.0 / 3.0;
    std::vector<double> values = original;
    (kind == Kind::Haar ? haarForward : cdf97Forward)(values.data(), n, levels);
    EXPECT_NE(values, original);
    (kind == Kind::Haar ? haarInverse : cdf97Inverse)(values.data(), n, levels);
    for (std::size_t k = 0; k < count; ++k)
        ASSERT_NEAR(values[k], original[k], 1e-9) << "at " << k;
}

INSTANTIATE_TEST_SUITE_P(WaveletsAndLevels, PerfectReconstruction,
                         ::testing::Combine(::testing::Values(Kind::Haar, Kind::Cdf53, Kind::Cdf97),
                                            ::testing::Values(1, 2, 5)));

} // namespace
