#include "KernelPass.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The kernels on one short line, in either direction: the plain step's arithmetic, where a
// detail comes from, and that a pass touches only its line and stops when nothing is left. That their values match an independent model bit for bit, normalized
// and with mismatched normalization too, is test_reference.py's business.
constexpr bool Rows = true;
constexpr bool Columns = false;

// The N = 4 cases, on line 0 of either direction, all other entries holding 100 + index.
class SmallLine : public ::testing::TestWithParam<bool> {
protected:
    static constexpr int N = 4;

    void SetUp() override
    {
        std::vector<float> start(N * N);
        for (int i = 0; i < N * N; ++i)
            start[i] = 100.0f + float(i);
        load(start, {1.0f, 3.0f, 5.0f, 7.0f});
    }

    void load(std::vector<float> start, const std::vector<float>& line)
    {
        for (int m = 0; m < N; ++m)
            start[index(m)] = line[m];
        initial = start;
        t.setSize(N);
        t.setData(start.data());
    }

    int index(int m) const { return GetParam() == Rows ? m : m * N; }

    std::vector<float> line() const
    {
        std::vector<float> values(N);
        for (int m = 0; m < N; ++m)
            values[m] = t.getData()[index(m)];
        return values;
    }

    // Every entry outside line 0 still holds what setData put there.
    bool othersUntouched() const
    {
        for (int i = 0; i < N * N; ++i) {
            bool inLine = false;
            for (int m = 0; m < N; ++m)
                inLine = inLine || i == index(m);
            if (!inLine && std::memcmp(&t.getData()[i], &initial[i], sizeof(float)) != 0)
                return false;
        }
        return true;
    }

    // The lengths expected when line 0's direction has `length` and `inverse`; the other
    // direction is never touched.
    std::vector<int> expectLengths(int length, int inverse) const
    {
        if (GetParam() == Rows)
            return {length, N, inverse, 2 * N};
        return {N, length, 2 * N, inverse};
    }

    void pass(bool forward, bool scaled) { run(t, KernelPass{GetParam(), forward, scaled, 1}); }

    WaveletTransform t;
    std::vector<float> initial;
};

TEST_P(SmallLine, PlainForwardTwiceThenNothingLeft)
{
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{2, 6, -1, -1}));
    EXPECT_EQ(lengths(t), expectLengths(2, 4));
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{4, -2, -1, -1}));
    EXPECT_EQ(lengths(t), expectLengths(1, 2));
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{4, -2, -1, -1}));
    EXPECT_EQ(lengths(t), expectLengths(1, 2));
    EXPECT_TRUE(othersUntouched());
}

TEST_P(SmallLine, InverseRestoresExactlyThenStops)
{
    for (bool scaled : {false, true}) {
        SetUp();
        pass(true, scaled);
        pass(true, scaled);
        pass(false, scaled);
        pass(false, scaled);
        EXPECT_EQ(line(), (std::vector<float>{1, 3, 5, 7})) << "scaled " << scaled;
        EXPECT_EQ(lengths(t), expectLengths(4, 8));
        pass(false, scaled);
        EXPECT_EQ(line(), (std::vector<float>{1, 3, 5, 7}));
        EXPECT_EQ(lengths(t), expectLengths(4, 8));
        EXPECT_TRUE(othersUntouched());
    }
}

TEST_P(SmallLine, DetailComesFromUnroundedAverage)
{
    const float tiny = std::ldexp(3.0f, -25);
    load(initial, {3.0f, tiny, 5.0f, 7.0f});
    pass(true, false);
    // The rounded average minus o would be 1.5 − 2^−23.
    EXPECT_EQ(line(), (std::vector<float>{1.5f, 6.0f, 1.5f, -1.0f}));
    pass(false, false);
    EXPECT_EQ(line(), (std::vector<float>{3.0f, 0.0f, 5.0f, 7.0f}));
}

INSTANTIATE_TEST_SUITE_P(BothDirections, SmallLine, ::testing::Values(Rows, Columns),
                         [](const auto& info) { return info.param == Rows ? "Rows" : "Columns"; });

} // namespace
