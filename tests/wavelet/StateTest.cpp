#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
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
    EXPECT_TRUE(holds(t, {0.0f}));
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

TEST(TransformState, SetDataCopiesBitsAndResetsLevelsButNotFlags)
{
    WaveletTransform t;
    const std::vector<float> image = makeImage(16);
    t.setSize(16);
    t.setStandard(true);
    t.setNormalized(true);
    t.setData(image.data());
    t.decompose();
    ASSERT_EQ(lengths(t), (std::vector<int>{1, 1, 2, 2}));
    t.setData(image.data());
    EXPECT_TRUE(holds(t, image));
    EXPECT_EQ(lengths(t), (std::vector<int>{16, 16, 32, 32}));
    EXPECT_TRUE(t.isStandard());
    EXPECT_TRUE(t.isNormalized());
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

    t.setSize(4);
    const std::vector<float> image = makeImage(4);
    t.setData(image.data());
    t.decompose();
    t.reconstruct();
    EXPECT_EQ(lengths(t), (std::vector<int>{4, 4, 8, 8}));
}

TEST(TransformState, CountIsLimitedToTheLinesThatExist)
{
    WaveletTransform clamped, exact;
    const std::vector<float> image = makeImage(8);
    for (WaveletTransform* t : {&clamped, &exact}) {
        t->setSize(8);
        t->setData(image.data());
    }
    clamped.forwardColumns(1 << 30);
    exact.forwardColumns(8);
    EXPECT_TRUE(holds(clamped, std::vector<float>(exact.getData(), exact.getData() + 64)));
    // A pass over no lines still moves the lengths.
    clamped.forwardRows(-7);
    EXPECT_TRUE(holds(clamped, std::vector<float>(exact.getData(), exact.getData() + 64)));
    EXPECT_EQ(lengths(clamped), (std::vector<int>{4, 4, 8, 8}));
}

} // namespace
