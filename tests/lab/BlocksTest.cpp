// Block geometry held to the transform itself: on a picture of one grey value every detail
// coefficient is exactly 0 and every average is that value, so a block called a detail must hold
// zeros only and any other block none. Then the names a learner reads.

#include "AutoScale.h"
#include "Blocks.h"
#include "Session.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Picture {
    WaveletTransform transform;
    float scale = 1.0f;
    Session session{transform, scale, false};

    Picture(int n, const std::vector<float>& values) { session.open(values.data(), n); }
    void press(const std::string& keys)
    {
        for (char key : keys)
            session.key(static_cast<unsigned char>(key));
    }
    std::string name(int row, int column) const { return session.blockNameAt(row, column); }
};

} // namespace

TEST(Blocks, TileTheArrayAndMatchWhatThePassesLeave)
{
    const int n = 32;
    const std::vector<float> grey(n * n, 0.25f);
    std::uint32_t seed = 99;
    const char keys[] = "FfRrffrNS";
    // Each block is as tall as its run repeats: one row pass leaves two, each the whole height.
    Picture one(n, grey);
    one.press("f");
    EXPECT_EQ(one.session.blocks().size(), 2u);
    for (int trial = 0; trial < 300; ++trial) {
        Picture p(n, grey);
        for (int step = 0; step < 10; ++step) {
            p.press(std::string(1, keys[nextRandom(seed) % (sizeof keys - 1)]));
            if (!p.session.log().intact())
                break;
            std::vector<int> cover(n * n, 0);
            for (const Block& b : p.session.blocks()) {
                for (int row = b.row; row < b.row + b.height; ++row) {
                    for (int column = b.column; column < b.column + b.width; ++column) {
                        ++cover[row * n + column];
                        const float v = p.transform.getData()[row * n + column];
                        if (b.mixed)
                            continue;
                        if (b.isDetail())
                            ASSERT_EQ(v, 0.0f) << "detail block at " << row << ", " << column;
                        else
                            ASSERT_EQ(v, 0.25f) << "average block at " << row << ", " << column;
                    }
                }
            }
            for (int c : cover)
                ASSERT_EQ(c, 1);
        }
    }
}

TEST(Blocks, NamesInBothArrangements)
{
    const int n = 512;
    const auto image = makeImage(n);
    Picture nonStandard(n, image);
    EXPECT_EQ(nonStandard.name(300, 300), "not transformed yet");
    nonStandard.press("f");
    EXPECT_EQ(nonStandard.name(10, 10), "average");
    EXPECT_EQ(nonStandard.name(10, 300), "level 1 row detail (vertical edges)");
    nonStandard.press("rF");
    EXPECT_EQ(nonStandard.name(0, 0), "average");
    EXPECT_EQ(nonStandard.name(100, 300), "level 1 row detail (vertical edges)");
    EXPECT_EQ(nonStandard.name(300, 100), "level 1 column detail (horizontal edges)");
    EXPECT_EQ(nonStandard.name(300, 300), "level 1 diagonal detail");
    EXPECT_EQ(nonStandard.name(200, 200), "level 2 diagonal detail");
    EXPECT_EQ(nonStandard.name(0, 1), "level 9 row detail (vertical edges)");

    Picture standard(n, image);
    standard.press("S");
    standard.press("F");
    EXPECT_EQ(standard.name(0, 0), "row level 9 average × column level 9 average");
    EXPECT_EQ(standard.name(300, 100), "row level 3 detail × column level 1 detail");
    standard.press("r");
    EXPECT_EQ(standard.name(0, 0), "row level 9 average × column level 8 average");

    // F after a single step makes its passes half a level apart; its last pass pairs entries of
    // two blocks.
    Picture offset(n, image);
    offset.press("fFf");
    EXPECT_EQ(offset.name(0, 0), "a mix of two blocks (the passes were made half a level apart)");

    // Once the passes no longer undo each other, no name fits any more.
    nonStandard.press("rR");
    EXPECT_EQ(nonStandard.name(0, 0), "");
}

TEST(Blocks, AutomaticScaleShowsThe99thPercentileDetailAsWhite)
{
    const int n = 16;
    // Details 1 … 100 repeated; the average block holds a large value that must not count.
    std::vector<float> values(n * n);
    for (int i = 0; i < n * n; ++i)
        values[i] = static_cast<float>(i % 100 + 1);
    values[0] = 1000.0f;
    PassLog log;
    log.record({Direction::rows, true, n, n, Normalization::plain});
    // The right half is row details: 128 values; their 99th percentile by nearest rank is the
    // 127th smallest.
    std::vector<float> details;
    for (int row = 0; row < n; ++row)
        for (int column = n / 2; column < n; ++column)
            details.push_back(values[row * n + column]);
    std::sort(details.begin(), details.end());
    EXPECT_EQ(automaticScale(values.data(), n, blocksInEffect(n, log), false), 1.0f / details[126]);
    // Both signs over many magnitudes, many sharing their upper bits, and ties: the rank-th
    // smallest magnitude; when that is 0, the largest.
    const int m = 64;
    std::vector<float> wide(m * m);
    std::uint32_t seed = 99;
    for (float& v : wide)
        v = std::ldexp(1.0f + static_cast<float>(nextRandom(seed) % 8) / 8192.0f,
                       static_cast<int>(nextRandom(seed) % 40) - 20) *
            (nextRandom(seed) % 2 ? 1.0f : -1.0f);
    PassLog level;
    level.record({Direction::rows, true, m, m, Normalization::plain});
    level.record({Direction::columns, true, m, m, Normalization::plain});
    std::vector<float> magnitudes;
    for (int i = 0; i < m * m; ++i)
        if (i / m >= m / 2 || i % m >= m / 2)
            magnitudes.push_back(std::fabs(wide[i]));
    std::sort(magnitudes.begin(), magnitudes.end());
    const std::size_t rank = (99 * magnitudes.size() + 99) / 100;
    EXPECT_EQ(automaticScale(wide.data(), m, blocksInEffect(m, level), false), 1.0f / magnitudes[rank - 1]);
    for (int i = 0; i < m * m; ++i)
        wide[i] = i == m * m - 1 ? -0.25f : (i % 3 ? 0.0f : -0.0f);
    EXPECT_EQ(automaticScale(wide.data(), m, blocksInEffect(m, level), false), 4.0f);
    // Nothing decomposed: a picture stays at 1, a matrix shows its largest magnitude as white.
    PassLog none;
    EXPECT_EQ(automaticScale(values.data(), n, blocksInEffect(n, none), false), 1.0f);
    EXPECT_EQ(automaticScale(values.data(), n, blocksInEffect(n, none), true), 1.0f / 1000.0f);
}
