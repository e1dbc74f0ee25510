#include "TGAReadWrite.h"
#include "TestFiles.h"
#include "TgaPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

// A 3 × 2 picture: grey spread to three channels, the colour channels' order, the alpha rule; the
// expected RGBA bytes are top row first.
TEST(TgaPicture, EveryKindAsRgbaTopRowFirst)
{
    const struct {
        const char* name;
        Header header;
        Bytes pixels;
        Bytes rgba;
    } cases[] = {
        {"grey, top row first", {3, 8, 3, 2, 0x20}, {1, 2, 3, 4, 5, 6},
         {1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255, 4, 4, 4, 255, 5, 5, 5, 255, 6, 6, 6, 255}},
        {"BGRA with 8 alpha bits, right to left", {2, 32, 3, 2, 0x38},
         {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 1, 13, 14, 15, 2, 16, 17, 18, 3},
         {9, 8, 7, 255, 6, 5, 4, 128, 3, 2, 1, 0, 18, 17, 16, 3, 15, 14, 13, 2, 12, 11, 10, 1}},
        {"BGRA without alpha bits", {2, 32, 3, 2, 0x20},
         {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 1, 13, 14, 15, 2, 16, 17, 18, 3},
         {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255, 15, 14, 13, 255, 18, 17, 16, 255}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TgaPicture picture;
        EXPECT_EQ(picture.load(dir.file("p.tga", tgaFile(c.header, c.pixels)).c_str()), "");
        EXPECT_EQ(picture.getWidth(), 3);
        EXPECT_EQ(picture.getHeight(), 2);
        EXPECT_EQ(picture.getRgba(), c.rgba);
        EXPECT_TRUE(TgaPicture::headerReads(tgaFile(c.header, c.pixels)));
    }
    // No TGA file starts as a text does, nor is shorter than its header.
    const std::string text = "Not a picture: a shopping list.\n";
    EXPECT_FALSE(TgaPicture::headerReads(Bytes(text.begin(), text.end())));
    Bytes cut = tgaFile({3, 8, 1, 1});
    cut.resize(17);
    EXPECT_FALSE(TgaPicture::headerReads(cut));
    EXPECT_FALSE(TgaPicture::headerReads(tgaFile({2, 12, 1, 1})));
}

TEST(TgaPicture, RefusalsNameTheReasonAndKeepThePictureHeld)
{
    TempDir dir;
    TgaPicture picture;
    ASSERT_EQ(picture.load(dir.file("held.tga", tgaFile({3, 8, 1, 1}, {77})).c_str()), "");

    // 10001 × 10000 grey pixels, the file as long as the header says but sparse on disk.
    const std::string huge = dir.file("huge.tga", tgaFile({3, 8, 10001, 10000}));
    ASSERT_EQ(truncate(huge.c_str(), 18 + 10001L * 10000L), 0);
    const struct {
        const char* name;
        std::string path;
        std::string message; // "" for the reader's own
    } cases[] = {
        {"missing", dir.path() + "/none.tga", ""},
        {"truncated", dir.file("short.tga", tgaFile({3, 8, 4, 4}, {1, 2, 3})), ""},
        {"colour-mapped", dir.file("map.tga", tgaFile({1, 8, 1, 1, 0, 0, 1, 1, 24}, {0, 0, 0, 0})), ""},
        {"no pixels", dir.file("empty.tga", tgaFile({2, 24, 0, 5})),
         "Orlinde: the file holds no pixels (0 × 5 pixels)."},
        {"huge", huge, "Orlinde: the picture is 10001 × 10000 pixels, more than 100 megapixels."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string expected = c.message;
        if (expected.empty()) {
            TGAReadWrite reader;
            try {
                reader.load(c.path.c_str());
            } catch (const char* message) {
                expected = message;
            }
            ASSERT_FALSE(expected.empty());
        }
        EXPECT_EQ(picture.load(c.path.c_str()), expected);
        EXPECT_EQ(picture.getWidth(), 1);
        EXPECT_EQ(picture.getHeight(), 1);
        EXPECT_EQ(picture.getRgba(), (Bytes{77, 77, 77, 255}));
    }
}

} // namespace
