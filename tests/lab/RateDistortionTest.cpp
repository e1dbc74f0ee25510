#include "Compression.h"
#include "RateDistortion.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kSide = 64;

// The tests' picture with its grey levels cut to eight, so that many coefficients tie.
std::vector<float> tiedPicture()
{
    std::vector<float> picture = makeImage(kSide);
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

// Every point equals the plain route through a transform of its own: decompose, keep, reconstruct.
TEST(RateDistortion, EachPointIsDecomposeKeepReconstruct)
{
    const std::vector<float> picture = tiedPicture();
    RateDistortion data;
    data.start(picture.data(), kSide);
    data.finish();
    ASSERT_TRUE(data.done());
    for (int mode = 0; mode < RateDistortion::kModeCount; ++mode) {
        for (std::size_t s = 0; s < RateDistortion::shares().size(); ++s) {
            WaveletTransform t;
            t.setSize(kSide);
            t.setData(picture.data());
            t.setStandard(RateDistortion::isStandard(mode));
            t.setNormalized(RateDistortion::isNormalized(mode));
            t.decompose();
            keepLargest(t.getData(), picture.size(), RateDistortion::shares()[s]);
            t.reconstruct();
            EXPECT_EQ(data.psnr(mode, s), psnr(t.getData(), picture.data(), picture.size()))
                << "mode " << mode << ", " << RateDistortion::shares()[s] << " %";
        }
    }
}

TEST(RateDistortion, ComesInSlicesAndStartsOver)
{
    const std::vector<float> picture = tiedPicture();
    const std::size_t shareCount = RateDistortion::shares().size();
    RateDistortion data;
    EXPECT_TRUE(data.done());
    data.start(picture.data(), kSide);
    // Per mode one slice to decompose and rank, then one per share.
    int slices = 0;
    while (!data.done()) {
        const int mode = slices / static_cast<int>(shareCount + 1);
        const int within = slices % static_cast<int>(shareCount + 1);
        const std::size_t share = static_cast<std::size_t>(within - 1);
        if (within > 0) {
            EXPECT_TRUE(std::isnan(data.psnr(mode, share)));
        }
        data.step();
        ++slices;
        if (within > 0) {
            EXPECT_FALSE(std::isnan(data.psnr(mode, share)));
        }
    }
    EXPECT_EQ(slices, RateDistortion::kModeCount * static_cast<int>(shareCount + 1));
    EXPECT_FALSE(data.step());

    const double before = data.psnr(3, 0);
    data.start(picture.data(), kSide);
    EXPECT_TRUE(std::isnan(data.psnr(3, 0)));
    data.finish();
    EXPECT_EQ(data.psnr(3, 0), before);

    data.start(picture.data(), 48);
    EXPECT_TRUE(data.done());
    EXPECT_TRUE(std::isnan(data.psnr(0, 0)));
}

} // namespace
