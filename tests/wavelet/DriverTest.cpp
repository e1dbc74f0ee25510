#include "Commands.h"
#include "KernelPass.h"
#include "PassPlan.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Passes = std::vector<Pass>;
constexpr int N = 512;
// Largest difference a full decomposition and reconstruction may leave on grey values in [0, 1]:
// 36 passes, each rounding every entry it writes once to float (about 5e-7 seen on the test image).
constexpr double roundTripTolerance = 2e-6;

// A pass over the first `length` entries of lines 0 … count − 1.
using Kind = Normalization;
constexpr Kind plain = Normalization::plain;

Pass row(int length, int count, Kind kind = plain) { return {Direction::rows, true, length, count, kind}; }
Pass column(int length, int count, Kind kind = plain) { return {Direction::columns, true, length, count, kind}; }
Pass inverseRow(int length, int count, Kind kind = plain) { return {Direction::rows, false, length, count, kind}; }
Pass inverseColumn(int length, int count, Kind kind = plain)
{
    return {Direction::columns, false, length, count, kind};
}

Passes operator+(Passes a, const Passes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Standard: all row levels, then all column levels, every pass over all N lines.
Passes standardForward(Kind kind = plain)
{
    Passes passes;
    for (int length = N; length >= 2; length /= 2)
        passes.push_back(row(length, N, kind));
    for (int length = N; length >= 2; length /= 2)
        passes.push_back(column(length, N, kind));
    return passes;
}

Passes standardInverse(Kind kind = plain)
{
    Passes passes;
    for (int length = 2; length <= N; length *= 2)
        passes.push_back(inverseColumn(length, N, kind));
    for (int length = 2; length <= N; length *= 2)
        passes.push_back(inverseRow(length, N, kind));
    return passes;
}

// Non-standard levels on the block of side L = N, N / 2, …, 2: rows then columns.
Passes levelsForward(Kind kind = plain)
{
    Passes passes;
    for (int length = N; length >= 2; length /= 2)
        passes = passes + Passes{row(length, length, kind), column(length, length, kind)};
    return passes;
}

Passes levelsInverse(Kind kind = plain)
{
    Passes passes;
    for (int length = 2; length <= N; length *= 2)
        passes = passes + Passes{inverseColumn(length, length, kind), inverseRow(length, length, kind)};
    return passes;
}

const std::vector<float>& image()
{
    static const std::vector<float> picture = makeImage(N);
    return picture;
}

// Whether t holds, bit for bit, the image after `passes` made by calling the kernels one by one.
bool holdsReplay(const WaveletTransform& t, const Passes& passes)
{
    WaveletTransform replay;
    replay.setSize(N);
    replay.setData(image().data());
    for (const Pass& pass : passes)
        run(replay, {pass.direction == Direction::rows, pass.forward,
                     pass.normalization == Normalization::normalized, pass.count});
    return std::memcmp(t.getData(), replay.getData(), image().size() * sizeof(float)) == 0;
}

// Applies `keys` to t, and returns the passes the plans of its driver keys held.
Passes planned(WaveletTransform& t, const std::string& keys)
{
    const std::string drivers = "FRfr";  // in the order of Driver
    Passes passes;
    for (char key : keys) {
        if (drivers.find(key) != std::string::npos) {
            const PassPlan plan(driverState(t), static_cast<Driver>(drivers.find(key)));
            passes.insert(passes.end(), plan.begin(), plan.end());
        }
        EXPECT_TRUE(applyCommands(t, std::string(1, key)));
    }
    return passes;
}

double largestDifference(const float* a, const std::vector<float>& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < b.size(); ++i)
        largest = std::fmax(largest, std::fabs(double(a[i]) - double(b[i])));
    return largest;
}

struct Scenario {
    const char* name;
    const char* keys;  // from the loaded image in the non-standard, plain mode
    Passes passes;     // exactly the passes the keys must make, in order
    std::vector<int> end;
};

class DriverSequence : public ::testing::TestWithParam<Scenario> {};

TEST_P(DriverSequence, MakesExactlyTheseKernelPasses)
{
    const Scenario& scenario = GetParam();
    WaveletTransform t;
    t.setSize(N);
    t.setData(image().data());
    EXPECT_EQ(planned(t, scenario.keys), scenario.passes);
    EXPECT_TRUE(holdsReplay(t, scenario.passes));
    EXPECT_EQ(lengths(t), scenario.end);
}

const std::vector<int> start{512, 512, 1024, 1024};
const std::vector<int> full{1, 1, 2, 2};

// (A full decomposition from the loaded image is RoundTrip's case.)
// Non-standard, one row step first: the full drivers keep pairing row then column from there.
Passes afterOddStep()
{
    Passes passes{row(512, 512)};
    for (int length = 256; length >= 2; length /= 2)
        passes = passes + Passes{row(length, length), column(2 * length, 2 * length)};
    return passes;
}

Passes undoAfterOddStep()
{
    Passes passes;
    for (int length = 2; length <= 256; length *= 2)
        passes = passes + Passes{inverseColumn(2 * length, 2 * length), inverseRow(length, length)};
    return passes;
}

INSTANTIATE_TEST_SUITE_P(
    FromTheLoadedImage, DriverSequence,
    ::testing::Values(
        Scenario{"StandardStepsCoverAllRows", "sfff", {row(512, 512), row(256, 512), row(128, 512)},
                 {64, 512, 128, 1024}},
        Scenario{"NonStandardStepsAlternate", "ffff",
                 {row(512, 512), column(512, 512), row(256, 256), column(256, 256)},
                 {128, 128, 256, 256}},
        Scenario{"NonStandardInverseStepsAlternate", "Frrr",
                 levelsForward() + Passes{inverseColumn(2, 2), inverseRow(2, 2), inverseColumn(4, 4)}, {2, 4, 4, 8}},
        Scenario{"ReconstructAfterOneRowStepMakesNoPass", "fRr", {row(512, 512), inverseRow(512, 512)}, start},
        Scenario{"ReconstructUndoesTheOddDecompose", "fFRr",
                 afterOddStep() + undoAfterOddStep() + Passes{inverseRow(512, 512)}, start},
        Scenario{"StepsPastTheOddDecompose", "fFfrr",
                 afterOddStep() + Passes{column(2, 2), inverseColumn(2, 2), inverseRow(2, 2)}, {2, 2, 4, 4}},
        Scenario{"ReconstructAfterThreeSteps", "fffR",
                 {row(512, 512), column(512, 512), row(256, 256), inverseColumn(512, 512), inverseRow(256, 256)},
                 {256, 512, 512, 1024}},
        Scenario{"StandardStepsThenNonStandardStep", "sfffsf",
                 {row(512, 512), row(256, 512), row(128, 512), column(512, 512)},
                 {64, 256, 128, 512}},
        Scenario{"NonStandardDecomposeStandardReconstruct", "FsR", levelsForward() + standardInverse(), start},
        Scenario{"StandardDecomposeNonStandardReconstruct", "sFsR", standardForward() + levelsInverse(), start},
        Scenario{"FirstLevelBothPassesUndoneStandard", "ffsrr",
                 {row(512, 512), column(512, 512), inverseColumn(512, 512), inverseRow(512, 512)}, start},
        Scenario{"NormalizationSwitchedBeforeReconstruct", "nFnR", levelsForward(Normalization::normalized) + levelsInverse(), start},
        Scenario{"NothingLeftToDecomposeNonStandard", "FFf", levelsForward(), full},
        Scenario{"NothingLeftToDecomposeStandard", "sFFf", standardForward(), full},
        Scenario{"NothingToReconstructNonStandard", "Rr", {}, start},
        Scenario{"NothingToReconstructStandard", "sRr", {}, start}),
    [](const auto& info) { return std::string(info.param.name); });

// Full drivers and single steps, in all six modes, each way, on the image: the drivers make the
// kernel passes of the mode, and the reconstruction undoes the decomposition up to rounding. The
// orthonormal passes have no kernel of their own on the transform to replay them with; their
// values are held to an independent model by the reference test.
using Mode = std::tuple<bool /*standard*/, Normalization, bool /*steps*/>;

class RoundTrip : public ::testing::TestWithParam<Mode> {};

TEST_P(RoundTrip, RestoresTheImage)
{
    const auto [standard, kind, steps] = GetParam();
    WaveletTransform t;
    t.setSize(N);
    t.setData(image().data());
    t.setStandard(standard);
    t.setNormalization(kind);
    const Passes forward = standard ? standardForward(kind) : levelsForward(kind);
    const Passes inverse = standard ? standardInverse(kind) : levelsInverse(kind);
    const bool replayable = kind != Normalization::orthonormal;

    EXPECT_EQ(planned(t, steps ? std::string(18, 'f') : "F"), forward);
    EXPECT_EQ(lengths(t), full);
    EXPECT_TRUE(!replayable || holdsReplay(t, forward));
    EXPECT_GT(largestDifference(t.getData(), image()), 0.1);

    EXPECT_EQ(planned(t, steps ? std::string(18, 'r') : "R"), inverse);
    EXPECT_EQ(lengths(t), start);
    EXPECT_TRUE(!replayable || holdsReplay(t, forward + inverse));
    EXPECT_LE(largestDifference(t.getData(), image()), roundTripTolerance);
}

std::string modeName(const ::testing::TestParamInfo<Mode>& info)
{
    static const char* const kinds[] = {"Plain", "Normalized", "Orthonormal"};
    return std::string(std::get<0>(info.param) ? "Standard" : "NonStandard") +
           kinds[static_cast<int>(std::get<1>(info.param))] + (std::get<2>(info.param) ? "Steps" : "Full");
}

INSTANTIATE_TEST_SUITE_P(AllModes, RoundTrip,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(Normalization::plain, Normalization::normalized,
                                                              Normalization::orthonormal),
                                            ::testing::Bool()),
                         modeName);

} // namespace
