// The coder's rate–distortion table, made in slices.

#include "CodedPicture.h"
#include "CodingRates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(CodingRates, EachCellIsItsBudgetsPrefixDecodedAndTheSlicesEndWithTheTable)
{
    constexpr int n = 64;
    std::vector<unsigned char> grey(n * n);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<unsigned char>(i % n * 3 + i / n + 30 * std::sin(0.3 * static_cast<double>(i % 7)));
    CodingRates rates;
    rates.start(grey, n);
    EXPECT_TRUE(std::isnan(rates.psnr(0, 0)));
    int steps = 1;
    while (rates.step())
        ++steps;
    EXPECT_EQ(steps, CodingRates::kWavelets * static_cast<int>(CodingRates::budgets().size() + 1));
    EXPECT_FALSE(rates.step());
    for (int w = 0; w < CodingRates::kWavelets; ++w) {
        const std::vector<unsigned char> whole =
            encodePicture(grey.data(), n, CodingRates::wavelet(w), CodedPicture::levelsFor(n));
        for (std::size_t b = 0; b < CodingRates::budgets().size(); ++b) {
            const std::size_t length = budgetLength(whole.size(), CodingRates::budgets()[b], n);
            DecodedPicture out;
            ASSERT_EQ(decodePicture(whole.data(), length, out), "");
            EXPECT_EQ(rates.psnr(w, b), greyPsnr(out.grey.data(), grey.data(), grey.size())) << w << " " << b;
        }
    }
    // Starting over forgets the table.
    rates.start(grey, n);
    EXPECT_TRUE(std::isnan(rates.psnr(2, 7)));
}
