#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace {

bool holds(const WaveletTransform& t, const std::vector<float>& values)
{
    return t.getData() != nullptr && std::memcmp(t.getData(), values.data(), values.size() * sizeof(float)) == 0;
}

// Every public operation that works on the array, in both directions and both modes.
void runEverything(WaveletTransform& t)
{
    for (bool standard : {false, true}) {
        for (bool normalized : {false, true}) {
            t.setStandard(standard);
            t.setNormalized(normalized);
            t.decompose();
            t.decomposeStep();
            t.reconstruct();
            t.reconstructStep();
        }
    }
    for (int count : {-1, 0, 1, 4, 1 << 20}) {
        t.forwardRows(count);
        t.forwardColumns(count);
        t.inverseRows(count);
        t.inverseColumns(count);
        t.forwardRowsNormalized(count);
        t.forwardColumnsNormalized(count);
        t.inverseRowsNormalized(count);
        t.inverseColumnsNormalized(count);
    }
    t.setStandard(false);
    t.setNormalized(false);
}

TEST(TransformState, NewTransformIsEmptyNonStandardPlainAndInert)
{
    WaveletTransform t;
    EXPECT_FALSE(t.isStandard());
    EXPECT_FALSE(t.isNormalized());
    EXPECT_EQ(t.getData(), nullptr);
    EXPECT_EQ(t.getSize(), 0);
    EXPECT_EQ(lengths(t), (std::vector<int>{0, 0, 0, 0}));
    const float one = 1.0f;
    t.setData(&one);
    runEverything(t);
    EXPECT_EQ(t.getData(), nullptr);
    EXPECT_EQ(lengths(t), (std::vector<int>{0, 0, 0, 0}));
}

TEST(TransformState, SizeOneIsAcceptedAndAlreadyFullyDecomposed)
{
    WaveletTransform t;
    t.setSize(1);
    ASSERT_EQ(t.getSize(), 1);
    t.setData(std::vector<float>{0.25f}.data());
    EXPECT_EQ(lengths(t), (std::vector<int>{1, 1, 2, 2}));
    runEverything(t);
    EXPECT_TRUE(holds(t, {0.25f}));
    EXPECT_EQ(lengths(t), (std::vector<int>{1, 1, 2, 2}));
}

class RejectedSize : public ::testing::TestWithParam<int> {};

TEST_P(RejectedSize, ChangesNothingAtAll)
{
    WaveletTransform t;
    const std::vector<float> image = makeImage(8);
    t.setSize(8);
    t.setData(image.data());
    t.decomposeStep();
    const std::vector<float> partly(t.getData(), t.getData() + 64);
    const float* array = t.getData();

    t.setSize(GetParam());
    EXPECT_EQ(t.getSize(), 8);
    EXPECT_EQ(t.getData(), array);
    EXPECT_TRUE(holds(t, partly));
    EXPECT_EQ(lengths(t), (std::vector<int>{4, 8, 8, 16}));
}

INSTANTIATE_TEST_SUITE_P(NotPowersOfTwo, RejectedSize, ::testing::Values(0, 3, 513, 768, -512, INT_MIN, INT_MAX));

TEST(TransformState, ResizingALoadedTransformForgetsTheOldLevels)
{
    // Lengths kept from the 512 array would drive passes over 512 entries of 8-entry lines. The
    // new array is zeroed and does not count as loaded: with all lengths 0, reconstruction must
    // neither loop forever nor touch anything.
    WaveletTransform t;
    const std::vector<float> image = makeImage(512);
    t.setSize(512);
    t.setData(image.data());
    t.decomposeStep();
    t.setSize(8);
    EXPECT_EQ(t.getSize(), 8);
    EXPECT_EQ(lengths(t), (std::vector<int>{0, 0, 0, 0}));
    runEverything(t);
    EXPECT_TRUE(holds(t, std::vector<float>(64, 0.0f)));

    const std::vector<float> small = makeImage(8);
    t.setData(small.data());
    EXPECT_EQ(lengths(t), (std::vector<int>{8, 8, 16, 16}));
    t.decompose();
    t.reconstruct();
    EXPECT_EQ(lengths(t), (std::vector<int>{8, 8, 16, 16}));
}

TEST(TransformState, SetDataAndRestoreCopyBitsAndSetLevelsButNotFlags)
{
    WaveletTransform t;
    const std::vector<float> image = makeImage(16);
    t.setSize(16);
    t.setStandard(true);
    t.setNormalized(true);
    t.setData(image.data());
    t.decompose();
    t.setData(image.data());
    EXPECT_TRUE(holds(t, image));
    EXPECT_EQ(lengths(t), (std::vector<int>{16, 16, 32, 32}));
    EXPECT_TRUE(t.isStandard());
    EXPECT_TRUE(t.isNormalized());
    // Undo puts back a state whose lengths are powers of two within 1 … 16, or changes nothing.
    const std::vector<float> other = awkwardValues(16);
    t.restore(other.data(), 16, 1);
    for (const auto& [row, column] : std::vector<std::pair<int, int>>{{0, 4}, {4, 32}, {3, 4}})
        t.restore(image.data(), row, column);
    t.restore(nullptr, 4, 4);
    EXPECT_TRUE(holds(t, other));
    EXPECT_EQ(lengths(t), (std::vector<int>{16, 1, 32, 2}));
}

TEST(TransformState, ReleaseLeavesNothingBehindAndCanBeRepeated)
{
    // Dangling pointers after release would make every later call, and the destructor, touch
    // freed memory; under the sanitizers this test fails on the first such access.
    WaveletTransform t;
    t.setSize(32);
    t.setData(makeImage(32).data());
    t.setStandard(true);
    t.decomposeStep();
    t.release();
    EXPECT_EQ(t.getData(), nullptr);
    EXPECT_EQ(t.getSize(), 0);
    EXPECT_EQ(lengths(t), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(t.isStandard());
    t.setData(makeImage(32).data());
    runEverything(t);
    t.release();
    EXPECT_EQ(t.getData(), nullptr);
}

TEST(TransformState, APassTouchesOnlyTheLinesItCounts)
{
    // Counts past the lines are clamped; rows move in pieces of half a row, the last one short here.
    WaveletTransform clamped, five;
    const std::vector<float> image = makeImage(8);
    for (WaveletTransform* t : {&clamped, &five}) {
        t->setSize(8);
        t->setData(image.data());
    }
    clamped.forwardColumns(1 << 30);
    five.forwardColumns(5);
    std::vector<float> expected = image;
    for (int i = 0; i < 64; ++i)
        expected[i] = i % 8 < 5 ? clamped.getData()[i] : image[i];
    EXPECT_TRUE(holds(five, expected));
    // A pass over no lines still moves the lengths.
    five.forwardRows(-7);
    EXPECT_TRUE(holds(five, expected));
    EXPECT_EQ(lengths(five), (std::vector<int>{4, 4, 8, 8}));
}

} // namespace
