#include "GreyFiles.h"
#include "GreyLevel.h"
#include "TGAReadWrite.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(GreyLevel, RoundsToNearestTiesToEvenAndUndoesTheReader)
{
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(greyByte(static_cast<float>(b) * byteScale()), b) << "byte " << b;
    // Every k + 0.5 is a float product v × 255 for some v; it goes to the even neighbour.
    for (int k = 0; k < 255; ++k) {
        float v = (static_cast<float>(k) + 0.5f) / 255.0f;
        while (v * 255.0f < static_cast<float>(k) + 0.5f)
            v = std::nextafter(v, 1.0f);
        while (v * 255.0f > static_cast<float>(k) + 0.5f)
            v = std::nextafter(v, 0.0f);
        ASSERT_EQ(v * 255.0f, static_cast<float>(k) + 0.5f);
        EXPECT_EQ(greyByte(v), k % 2 == 0 ? k : k + 1) << "tie above " << k;
    }
    EXPECT_EQ(greyByte(-0.5f), 0);
    EXPECT_EQ(greyByte(7.0f), 255);
    EXPECT_EQ(greyByte(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(GreyFiles, TgaReadsBackThroughOurReaderAsThePlainView)
{
    constexpr int n = 16;
    std::vector<float> values = makeImage(n);
    values[0] = -0.25f;
    values[n + 3] = 1.5f;
    const Bytes file = greyTga(values.data(), n);

    TempDir dir;
    TGAReadWrite reader;
    reader.load(dir.file("saved.tga", file).c_str());
    ASSERT_EQ(reader.getWidth(), n);
    ASSERT_EQ(reader.getHeight(), n);
    ASSERT_EQ(reader.getPixelDepth(), 8);
    std::vector<float> read(values.size());
    ASSERT_EQ(reader.convertToFloat(read.data()), n * n);
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(read[i], static_cast<float>(greyByte(values[i])) * byteScale()) << "at " << i;
}

} // namespace
