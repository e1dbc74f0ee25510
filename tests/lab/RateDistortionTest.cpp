#include "RateDistortion.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kChartSide = 64;

// The tests' picture with its grey levels cut to eight, so that many coefficients tie.
std::vector<float> tiedPicture()
{
    std::vector<float> picture = makeImage(kChartSide);
    for (float& v : picture)
        v = std::floor(v * 8.0f) / 8.0f;
    return picture;
}

TEST(RateDistortion, SharesSpanTheChartWithTheTableRows)
{
    const std::vector<double>& shares = RateDistortion::shares();
    EXPECT_EQ(shares.front(), 0.1);
    EXPECT_EQ(shares.back(), 100.0);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    for (double row : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0})
        EXPECT_NE(std::find(shares.begin(), shares.end(), row), shares.end()) << row;
    // Never more than a factor 1.5 between neighbours: a smooth curve on a logarithmic axis.
    for (std::size_t i = 1; i < shares.size(); ++i)
        EXPECT_LE(shares[i] / shares[i - 1], 1.5 + 1e-12) << shares[i];
}

// Per mode one slice to decompose and rank, then one per share; a new start forgets every point.
TEST(RateDistortion, ComesInSlicesAndStartsOver)
{
    const std::vector<float> picture = tiedPicture();
    const std::size_t shareCount = RateDistortion::shares().size();
    RateDistortion data;
    EXPECT_TRUE(data.done());
    EXPECT_TRUE(std::isnan(data.psnr(0, 0)));
    data.start(picture.data(), kChartSide);
    int slices = 0;
    for (bool more = true; more; ++slices) {
        EXPECT_TRUE(std::isnan(data.psnr(RateDistortion::kModeCount - 1, shareCount - 1)));
        more = data.step();
    }
    EXPECT_EQ(slices, RateDistortion::kModeCount * static_cast<int>(shareCount + 1));
    EXPECT_FALSE(data.step());
    const double last = data.psnr(RateDistortion::kModeCount - 1, shareCount - 1);
    EXPECT_GT(last, 100.0) << "all kept: only the float rounding of F then R";

    data.start(picture.data(), kChartSide);
    EXPECT_TRUE(std::isnan(data.psnr(0, 0)));
    data.finish();
    EXPECT_EQ(data.psnr(RateDistortion::kModeCount - 1, shareCount - 1), last);

    data.start(picture.data(), 48);
    EXPECT_TRUE(data.done());
    EXPECT_TRUE(std::isnan(data.psnr(0, 0)));
}

} // namespace
