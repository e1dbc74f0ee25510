#include "HaarModel.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Pass = HaarModel::Pass;
constexpr HaarModel::Direction Rows = HaarModel::Rows;
constexpr HaarModel::Direction Columns = HaarModel::Columns;

// Calls the one kernel of the transform that `pass` names.
void run(WaveletTransform& t, const Pass& pass)
{
    const bool rows = pass.direction == Rows;
    if (pass.forward && !pass.scaled)
        rows ? t.forwardRows(pass.count) : t.forwardColumns(pass.count);
    else if (pass.forward)
        rows ? t.forwardRowsNormalized(pass.count) : t.forwardColumnsNormalized(pass.count);
    else if (!pass.scaled)
        rows ? t.inverseRows(pass.count) : t.inverseColumns(pass.count);
    else
        rows ? t.inverseRowsNormalized(pass.count) : t.inverseColumnsNormalized(pass.count);
}

bool sameBits(const float* a, const std::vector<float>& b)
{
    return std::memcmp(a, b.data(), b.size() * sizeof(float)) == 0;
}

// The N = 4 cases, on line 0 of either direction, all other entries holding 100 + index.
class SmallLine : public ::testing::TestWithParam<HaarModel::Direction> {
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

    void pass(bool forward, bool scaled) { run(t, Pass{GetParam(), forward, scaled, 1}); }

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

TEST_P(SmallLine, NormalizedForwardScalesOnlyDetails)
{
    const float s = float(std::sqrt(2.0));
    const float d = float(-1.0 / double(s));
    pass(true, true);
    EXPECT_EQ(line(), (std::vector<float>{2, 6, d, d}));
    pass(true, true);
    EXPECT_EQ(line(), (std::vector<float>{4, -2, d, d}));
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

TEST_P(SmallLine, MismatchedNormalizationScalesDetailsExceptAtCoarsestLevel)
{
    const float s = float(std::sqrt(2.0));
    const double d = float(-1.0 / double(s));
    pass(true, true);
    pass(true, true);
    pass(false, false);  // half = 1: the factor is 1, nothing goes wrong
    EXPECT_EQ(line(), (std::vector<float>{2, 6, float(d), float(d)}));
    pass(false, false);  // half = 2: rebuilt from details s times too small
    EXPECT_EQ(line(), (std::vector<float>{float(d + 2), float(2 - d), float(d + 6), float(6 - d)}));

    SetUp();
    pass(true, false);
    pass(false, true);  // rebuilt from details s times too large
    const double big = float(double(s) * -1.0);
    EXPECT_EQ(line(), (std::vector<float>{float(big + 2), float(2 - big), float(big + 6), float(6 - big)}));
}

INSTANTIATE_TEST_SUITE_P(BothDirections, SmallLine, ::testing::Values(Rows, Columns),
                         [](const auto& info) { return info.param == Rows ? "Rows" : "Columns"; });

// Long random runs of all eight kernels, on sizes 8 to 128, with counts from -1 to N + 2 and
// levels already in effect, checked bit for bit after every pass.
class KernelSequenceMatchesModel : public ::testing::TestWithParam<unsigned> {};

TEST_P(KernelSequenceMatchesModel, BitForBit)
{
    std::uint32_t state = GetParam();
    const int n = 8 << (nextRandom(state) % 5);
    const std::vector<float> start = makeCoefficients(n, GetParam() * 17u + 1u);
    WaveletTransform t;
    t.setSize(n);
    t.setData(start.data());
    HaarModel model(n, start);
    for (int step = 0; step < 200; ++step) {
        const std::uint32_t r = nextRandom(state);
        const Pass pass{r & 1 ? Columns : Rows, (r & 2) == 0, (r & 4) != 0, int((r >> 3) % unsigned(n + 4)) - 1};
        run(t, pass);
        model.apply(pass);
        ASSERT_TRUE(sameBits(t.getData(), model.values())) << "step " << step << ": " << describe(pass);
        ASSERT_EQ(lengths(t), (std::vector<int>{model.rowLength(), model.columnLength(), 2 * model.rowLength(),
                                                2 * model.columnLength()}));
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, KernelSequenceMatchesModel, ::testing::Range(1u, 13u));

} // namespace
