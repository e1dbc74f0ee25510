// The viewer's logic apart from OpenGL: the status line and what each key does to the state.
#include "KeyCommands.h"
#include "TestSupport.h"
#include "Viewer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ViewerState : public ::testing::Test {
protected:
    static constexpr int n = 8;

    void SetUp() override
    {
        g_scale = 1.0f;
        g_transform.setStandard(false);
        g_transform.setNormalized(false);
        g_transform.setSize(n);
        image = makeImage(n);
        g_transform.setData(image.data());
        updateStatusText();
    }

    std::vector<float> coefficients() const
    {
        const float* d = g_transform.getData();
        return std::vector<float>(d, d + n * n);
    }

    std::vector<float> image;
};

TEST_F(ViewerState, StatusLineAfterLoadingIsTheFormatWithItsBlanks)
{
    const std::string expected =
        "Time/Wavelet Domain      Transform: Un-Normalized / Non-Standard      Scale (1.000000)";
    EXPECT_EQ(std::string(g_statusText), expected);
}

TEST_F(ViewerState, StatusLineFollowsBothFlagsAndTheScale)
{
    applyKey('N');
    applyKey('s');
    applyKey('B');
    applyKey('B');
    EXPECT_STREQ(g_statusText,
                 "Time/Wavelet Domain      Transform: Normalized / Standard      Scale (3.000000)");
}

TEST_F(ViewerState, ScaleNeverFallsBelowOne)
{
    applyKey('b');
    EXPECT_EQ(g_scale, 1.0f);
    applyKey('B');
    applyKey('B');
    applyKey('b');
    EXPECT_EQ(g_scale, 2.0f);
}

TEST_F(ViewerState, ScaleStopsGrowingWhereFloatsStopHoldingWholeNumbers)
{
    g_scale = 16777215.0f;
    applyKey('B');
    EXPECT_EQ(g_scale, 16777216.0f);
    applyKey('B');
    EXPECT_EQ(g_scale, 16777216.0f);
}

TEST_F(ViewerState, KeysWithoutACommandChangeNothing)
{
    applyKey('f');
    const std::vector<float> before = coefficients();
    const std::string status = g_statusText;
    const std::string commands = "FfRrNnSsBb\x1b";
    for (int key = 0; key < 256; ++key) {
        if (commands.find(static_cast<char>(key)) != std::string::npos)
            continue;
        applyKey(static_cast<unsigned char>(key));
    }
    EXPECT_EQ(coefficients(), before);
    EXPECT_EQ(std::string(g_statusText), status) << "the status line shows both flags and the scale";
}

} // namespace
