// The Code panel's picture: one stream a picture and wavelet, a budget its prefix.

#include "CodedPicture.h"
#include "Link.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kCodedSide = 64;

// A smooth ramp with a ripple whose phase makes two pictures differ everywhere.
std::vector<unsigned char> picture(int phase)
{
    std::vector<unsigned char> grey(kCodedSide * kCodedSide);
    for (int row = 0; row < kCodedSide; ++row)
        for (int column = 0; column < kCodedSide; ++column)
            grey[static_cast<std::size_t>(row * kCodedSide + column)] =
                static_cast<unsigned char>(2 * row + column + 40 * std::sin((column + phase) * 0.4) + 64);
    return grey;
}

std::vector<unsigned char> decodedOf(const std::vector<unsigned char>& stream)
{
    DecodedPicture out;
    EXPECT_EQ(decodePicture(stream.data(), stream.size(), out), "");
    return out.grey;
}

} // namespace

TEST(CodedPicture, BudgetShowsTheStreamsPrefixDecodedAndCodesAgainOnlyForANewPictureOrWavelet)
{
    CodedPicture coded;
    const int levels = CodedPicture::levelsFor(kCodedSide);
    const std::vector<unsigned char> first = picture(0), second = picture(7);
    coded.setPicture(first, kCodedSide);
    ASSERT_TRUE(coded.setBudget(0.5));
    EXPECT_EQ(coded.wholeStream(), encodePicture(first.data(), kCodedSide, CodingWavelet::Cdf97, levels));
    const std::vector<unsigned char> half = coded.shownStream();
    EXPECT_EQ(half.size(), 0.5 * kCodedSide * kCodedSide / 8);
    EXPECT_EQ(coded.shownBpp(), 0.5);
    EXPECT_EQ(coded.decoded(), decodedOf(half));
    EXPECT_DOUBLE_EQ(coded.psnr(), greyPsnr(decodedOf(half).data(), first.data(), first.size()));

    // A larger budget decodes its own prefix; the same picture again keeps the stream.
    ASSERT_TRUE(coded.setBudget(2));
    coded.setPicture(first, kCodedSide);
    EXPECT_EQ(coded.shownStream(), std::vector<unsigned char>(coded.wholeStream().begin(),
                                                              coded.wholeStream().begin() + 2 * kCodedSide * kCodedSide / 8));
    EXPECT_EQ(coded.decoded(), decodedOf(coded.shownStream()));
    EXPECT_GT(coded.psnr(), greyPsnr(decodedOf(half).data(), first.data(), first.size()));

    coded.setPicture(second, kCodedSide);
    EXPECT_EQ(coded.decoded(), decodedOf(encodePicture(second.data(), kCodedSide, CodingWavelet::Cdf97, levels,
                                                       2 * kCodedSide * kCodedSide / 8)));
    coded.setWavelet(CodingWavelet::Haar);
    EXPECT_EQ(coded.wholeStream(), encodePicture(second.data(), kCodedSide, CodingWavelet::Haar, levels));
    EXPECT_EQ(coded.decoded(), decodedOf(coded.shownStream()));
}

TEST(CodedPicture, CodingOnlyAsFarAsTheBudgetsAskShowsWhatTheWholeStreamWould)
{
    // The stream is first coded up to kCodedFirstBpp and whole only when asked: every budget,
    // below, at and above that point, in any order, must show the whole stream's prefix, both
    // for streams longer than kCodedFirstBpp allows and for those that end before it (whose
    // first coding is already whole).
    struct Case {
        std::vector<unsigned char> grey;
        bool beyondFirst[2]; // Haar, CDF 5/3
    };
    std::uint32_t state = 5;
    std::vector<unsigned char> noise(kCodedSide * kCodedSide);
    for (unsigned char& grey : noise)
        grey = static_cast<unsigned char>(nextRandom(state));
    const Case cases[] = {{noise, {true, true}},
                          {picture(0), {true, false}},
                          {std::vector<unsigned char>(kCodedSide * kCodedSide, 77), {false, false}}};
    const int levels = CodedPicture::levelsFor(kCodedSide);
    const std::size_t first = budgetLength(kCodedSide * kCodedSide, CodedPicture::kCodedFirstBpp, kCodedSide);
    for (const Case& c : cases) {
        for (CodingWavelet wavelet : {CodingWavelet::Haar, CodingWavelet::Cdf53}) {
            const std::vector<unsigned char> whole = encodePicture(c.grey.data(), kCodedSide, wavelet, levels);
            SCOPED_TRACE(std::string(waveletName(wavelet)) + ", " + std::to_string(whole.size()) + " bytes whole");
            ASSERT_EQ(whole.size() > first, c.beyondFirst[wavelet == CodingWavelet::Cdf53]);
            CodedPicture coded;
            coded.setPicture(c.grey, kCodedSide);
            coded.setWavelet(wavelet);
            for (double bpp : {0.5, CodedPicture::kCodedFirstBpp, 1.99, 2.01, CodedPicture::kMaxBpp, 0.25}) {
                ASSERT_TRUE(coded.setBudget(bpp));
                const std::size_t bytes = budgetLength(whole.size(), bpp, kCodedSide);
                EXPECT_EQ(coded.shownBytes(), bytes) << bpp;
                EXPECT_EQ(coded.shownStream(), std::vector<unsigned char>(whole.begin(), whole.begin() + long(bytes)));
                EXPECT_EQ(coded.decoded(), decodedOf(coded.shownStream())) << bpp;
            }
            EXPECT_EQ(coded.wholeStream(), whole);
        }
    }
}

TEST(CodedPicture, Cdf53AtItsLosslessSizeGivesThePictureBack)
{
    CodedPicture coded;
    const std::vector<unsigned char> grey = picture(3);
    coded.setPicture(grey, kCodedSide);
    coded.setWavelet(CodingWavelet::Cdf53);
    ASSERT_TRUE(coded.setBudget(CodedPicture::kMaxBpp));
    ASSERT_LT(coded.wholeStream().size(), kCodedSide * kCodedSide);
    EXPECT_EQ(coded.shownBytes(), coded.wholeStream().size());
    EXPECT_EQ(coded.decoded(), grey);
    EXPECT_EQ(coded.psnr(), INFINITY);
}

TEST(CodedPicture, TextAndLinksTakeOnlyAWaveletAndABudgetInRange)
{
    EXPECT_EQ(CodedPicture::levelsFor(512), 5);
    EXPECT_EQ(CodedPicture::levelsFor(8), 2);
    CodedPicture coded;
    EXPECT_EQ(coded.text(), "cdf97:1");
    for (const char* bad : {"cdf97", "db4:1", "haar:0.009", "haar:8.01", "haar:x", "haar:nan", "haar:1:2"})
        EXPECT_FALSE(coded.setText(bad)) << bad;
    EXPECT_EQ(coded.text(), "cdf97:1");
    EXPECT_TRUE(coded.setText("cdf53:0.25"));
    EXPECT_EQ(coded.wavelet(), CodingWavelet::Cdf53);
    EXPECT_EQ(coded.text(), "cdf53:0.25");
    EXPECT_TRUE(coded.setText("haar:8"));
    EXPECT_FALSE(coded.setBudget(0));

    const Link link = parseLink("sample=scene&code=haar:0.01&code=haar:9");
    EXPECT_EQ(link.code, "haar:0.01");
    EXPECT_EQ(link.ignored, std::vector<std::string>{"code=haar:9"});
    EXPECT_EQ(formatLink(link), "sample=scene&code=haar:0.01");
}
