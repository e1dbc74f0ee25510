#include "HaarModel.h"
#include "TestData.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
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

    std::vector<int> lengths() const
    {
        if (GetParam() == Rows)
            return {t.getRowLength(), t.getRowInverseLength(), t.getColumnLength(), t.getColumnInverseLength()};
        return {t.getColumnLength(), t.getColumnInverseLength(), t.getRowLength(), t.getRowInverseLength()};
    }

    void pass(bool forward, bool scaled) { run(t, Pass{GetParam(), forward, scaled, 1}); }

    WaveletTransform t;
    std::vector<float> initial;
};

TEST_P(SmallLine, PlainForwardTwiceThenNothingLeft)
{
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{2, 6, -1, -1}));
    EXPECT_EQ(lengths(), (std::vector<int>{2, 4, 4, 8}));
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{4, -2, -1, -1}));
    EXPECT_EQ(lengths(), (std::vector<int>{1, 2, 4, 8}));
    pass(true, false);
    EXPECT_EQ(line(), (std::vector<float>{4, -2, -1, -1}));
    EXPECT_EQ(lengths(), (std::vector<int>{1, 2, 4, 8}));
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
    EXPECT_EQ(lengths(), (std::vector<int>{1, 2, 4, 8}));
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
        EXPECT_EQ(lengths(), (std::vector<int>{4, 8, 4, 8}));
        pass(false, scaled);
        EXPECT_EQ(line(), (std::vector<float>{1, 3, 5, 7}));
        EXPECT_EQ(lengths(), (std::vector<int>{4, 8, 4, 8}));
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

// Every kernel against the plain model on data that exposes any change of rounding: sizes, levels
// already in effect (moved with count 0, so the array stays arbitrary) and counts beyond both ends.
using KernelCase = std::tuple<int /*kernel*/, int /*n*/, int /*levels*/, int /*count*/>;

class KernelMatchesModel : public ::testing::TestWithParam<KernelCase> {};

TEST_P(KernelMatchesModel, BitForBit)
{
    const auto [kernel, n, levels, countCode] = GetParam();
    const Pass pass{kernel & 1 ? Columns : Rows, (kernel & 2) == 0, (kernel & 4) != 0,
                    countCode == -2 ? n / 2 + 1 : (countCode == -3 ? 2 * n + 1 : countCode)};
    const std::vector<float> start = makeCoefficients(n, 977u + unsigned(kernel * 131 + n * 7 + levels));
    WaveletTransform t;
    t.setSize(n);
    t.setData(start.data());
    HaarModel model(n, start);
    for (int level = 0; level < levels; ++level) {
        run(t, Pass{pass.direction, true, false, 0});
        model.moveLengths(pass.direction, true);
    }
    ASSERT_TRUE(sameBits(t.getData(), start));

    run(t, pass);
    model.apply(pass);
    EXPECT_TRUE(sameBits(t.getData(), model.values())) << describe(pass);
    EXPECT_EQ(t.getRowLength(), model.rowLength());
    EXPECT_EQ(t.getColumnLength(), model.columnLength());
    EXPECT_EQ(t.getRowInverseLength(), 2 * model.rowLength());
    EXPECT_EQ(t.getColumnInverseLength(), 2 * model.columnLength());
}

INSTANTIATE_TEST_SUITE_P(AllKernels, KernelMatchesModel,
                         ::testing::Combine(::testing::Range(0, 8), ::testing::Values(1, 2, 16, 64),
                                            ::testing::Values(0, 1, 3),
                                            ::testing::Values(-1, 0, 1, -2, 16, -3)));

// Long random runs of all eight kernels with random counts, checked after every pass.
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
        const Pass pass{r & 1 ? Columns : Rows, (r & 2) == 0, (r & 4) != 0, int((r >> 3) % unsigned(n + 2))};
        run(t, pass);
        model.apply(pass);
        ASSERT_TRUE(sameBits(t.getData(), model.values())) << "step " << step << ": " << describe(pass);
        ASSERT_EQ(t.getRowLength(), model.rowLength());
        ASSERT_EQ(t.getColumnLength(), model.columnLength());
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, KernelSequenceMatchesModel, ::testing::Range(1u, 13u));

} // namespace
