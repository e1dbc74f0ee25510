// The viewer's logic apart from OpenGL: the status line, what each key does to the state, and
// how a picture is taken.
#include "KeyCommands.h"
#include "TestSupport.h"
#include "Viewer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <unistd.h>
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

// An uncompressed TGA file of `width` × `height` pixels of `depth` bits, bottom row first, byte
// i of the pixel block being i × 7 mod 256; read back through the reader into `image`.
void loadTga(TGAReadWrite& image, int width, int height, int depth)
{
    std::vector<unsigned char> file(18, 0);
    file[2] = depth == 8 ? 3 : 2;
    file[12] = static_cast<unsigned char>(width);
    file[14] = static_cast<unsigned char>(height);
    file[16] = static_cast<unsigned char>(depth);
    for (int i = 0; i < width * height * depth / 8; ++i)
        file.push_back(static_cast<unsigned char>(i * 7));
    char path[] = "/tmp/viewer_tests.XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_NE(fd, -1);
    close(fd);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    image.load(path);
    std::remove(path);
}

class TakeImage : public ViewerState {
protected:
    void SetUp() override
    {
        ViewerState::SetUp();
        g_imageSize = n;
    }
    void TearDown() override { g_imageSize = 512; }
};

TEST_F(TakeImage, StartsAfreshOnTheGreyValuesWhateverCameBefore)
{
    // A transform of another side too, as before the first picture on the page.
    for (const int side : {n, 2 * n}) {
        g_transform.setSize(side);
        g_transform.setData(makeImage(side).data());
        for (const char key : std::string("NsfBB"))
            applyKey(static_cast<unsigned char>(key));
        TGAReadWrite image;
        loadTga(image, n, n, 8);
        takeImage(image);
        std::vector<float> expected;
        for (int i = 0; i < n * n; ++i)
            expected.push_back(static_cast<float>(static_cast<unsigned char>(i * 7)) * byteScale());
        EXPECT_EQ(coefficients(), expected);
        EXPECT_EQ(lengths(g_transform), (std::vector<int>{n, n, 2 * n, 2 * n}));
        EXPECT_EQ(g_scale, 1.0f);
        EXPECT_STREQ(g_statusText,
                     "Time/Wavelet Domain      Transform: Un-Normalized / Non-Standard      Scale (1.000000)");
    }
}

TEST_F(TakeImage, RefusesAnotherSizeOrTrueColourAndChangesNothing)
{
    for (const char key : std::string("NfB"))
        applyKey(static_cast<unsigned char>(key));
    const std::vector<float> before = coefficients();
    const std::vector<int> lengthsBefore = lengths(g_transform);
    const std::string status = g_statusText;
    // One side wrong at a time, so that a check of only one of them, or of both at once, fails.
    for (const auto& [width, height, depth] :
         {std::tuple{n, n - 1, 8}, std::tuple{n - 1, n, 8}, std::tuple{n, n, 24}}) {
        TGAReadWrite image;
        loadTga(image, width, height, depth);
        try {
            takeImage(image);
            ADD_FAILURE() << width << " × " << height << " at " << depth << " bits was taken";
        } catch (const char* message) {
            EXPECT_STREQ(message, "Orlinde: improper image format.");
        }
    }
    EXPECT_EQ(coefficients(), before);
    EXPECT_EQ(lengths(g_transform), lengthsBefore);
    EXPECT_EQ(g_scale, 2.0f);
    EXPECT_EQ(std::string(g_statusText), status);
}

} // namespace
