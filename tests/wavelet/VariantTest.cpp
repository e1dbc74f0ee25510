#include "Commands.h"
#include "HaarKernels.h"
#include "KernelPass.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Every kernel variant this processor runs, made the transform's kernels in turn, against the
// narrowest one, whose bytes the reference tests hold to an independent model: the same array, the
// same keys or kernel calls, the same bytes after each of them. The sanitizer build runs these
// natively, so it covers every variant, AVX-512 included where the processor has it. Valgrind's
// memcheck hides AVX-512 from the program, so under it (the viewer's memcheck tests) the start-up
// choice falls to x86-64-v3 at best, and the widest variant is not what memcheck sees.

class EveryVariant : public ::testing::Test {
protected:
    void SetUp() override
    {
        variants = HaarKernels::runnable(HaarKernels::detect());
        if (variants.size() < 2)
            GTEST_SKIP() << "this processor runs only the " << variants.front()->name << " kernels";
    }

    void TearDown() override { HaarKernels::use(*chosen); }

    // Loads `values` into a transform per variant; `step` then makes one change on a transform,
    // run with each variant's kernels in turn, and the arrays must agree after every step.
    template <class Step>
    void expectSameBytes(const std::vector<float>& values, int n, int steps, Step step, const std::string& what)
    {
        std::vector<WaveletTransform> transforms(variants.size());
        for (WaveletTransform& t : transforms) {
            t.setSize(n);
            t.setData(values.data());
        }
        for (int i = 0; i < steps; ++i) {
            for (std::size_t v = 0; v < variants.size(); ++v) {
                HaarKernels::use(*variants[v]);
                step(transforms[v], i);
            }
            for (std::size_t v = 1; v < variants.size(); ++v)
                ASSERT_EQ(std::memcmp(transforms[v].getData(), transforms[0].getData(), values.size() * sizeof(float)), 0)
                    << variants[v]->name << " differs from " << variants[0]->name << " at step " << i << " of " << what
                    << ", N = " << n;
        }
    }

    const HaarKernels* chosen = &HaarKernels::active();
    std::vector<const HaarKernels*> variants;
};

TEST_F(EveryVariant, SameBytesForEveryKeyInEveryMode)
{
    const std::string steps18(18, 'f'), back18(18, 'r');
    const std::vector<std::string> sequences{
        "FR", "NFR", "SFR", "SNFR", "OFR", "SOFR",                      // full, the six modes
        steps18 + back18, "n" + steps18 + back18,                        // step by step
        "s" + steps18 + back18, "sn" + steps18 + back18, "O" + steps18 + back18,
        "fsfNfrSrnFsR", "FsR", "sFsR", "nFnR", "fFfrr", "sfffsfRNRr"};  // modes mixed
    for (int n : {2, 32, 512}) {
        const std::vector<float> values = awkwardValues(n);
        for (const std::string& keys : sequences)
            expectSameBytes(values, n, int(keys.size()),
                            [&](WaveletTransform& t, int i) { ASSERT_TRUE(applyCommands(t, keys.substr(i, 1))); },
                            keys);
    }
}

TEST_F(EveryVariant, SameBytesFromEachKernelOverAnyNumberOfLines)
{
    // Line counts that end in a partial vector of every width, as direct kernel calls can ask.
    std::vector<KernelPass> passes;
    for (int count : {37, 5, 17})
        for (bool scaled : {false, true})
            for (bool rows : {true, false})
                passes.push_back({rows, true, scaled, count});
    for (int i = int(passes.size()) - 1; i >= 0; --i)
        passes.push_back({passes[i].rows, false, passes[i].scaled, passes[i].count});
    const std::vector<float> values = awkwardValues(64);
    expectSameBytes(values, 64, int(passes.size()), [&](WaveletTransform& t, int i) { run(t, passes[i]); },
                    "direct kernel calls");
}

TEST(KernelChoice, TheWidestVariantTheProcessorRuns)
{
    using Features = HaarKernels::Features;
    if (std::string(HaarKernels::choose(Features{false, false}).name) != "x86-64")
        GTEST_SKIP() << "built with one variant only";
    EXPECT_STREQ(HaarKernels::choose(Features{true, false}).name, "x86-64-v3");
    EXPECT_STREQ(HaarKernels::choose(Features{true, true}).name, "x86-64-v4");
    EXPECT_STREQ(HaarKernels::choose(Features{false, true}).name, "x86-64");
}

// This processor as Linux lists it: the flags of each level that real processors may lack.
TEST(KernelChoice, StartsWithWhatThisProcessorRuns)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
    }
    if (line.empty() || std::string(HaarKernels::choose({true, true}).name) != "x86-64-v4")
        GTEST_SKIP() << "no x86-64 variants or no /proc/cpuinfo";
    const auto all = [&](std::initializer_list<std::string> flags) {
        return std::all_of(flags.begin(), flags.end(),
                           [&](const std::string& flag) { return (line + " ").find(" " + flag + " ") != std::string::npos; });
    };
    const bool v3 = all({"avx", "avx2", "bmi1", "bmi2", "f16c", "fma", "movbe", "xsave"});
    const bool v4 = v3 && all({"avx512f", "avx512bw", "avx512cd", "avx512dq", "avx512vl"});
    const HaarKernels::Features features = HaarKernels::detect();
    EXPECT_EQ(features.x86_64_v3, v3);
    EXPECT_EQ(features.x86_64_v4, v4);
    EXPECT_EQ(&HaarKernels::active(), &HaarKernels::choose(features));
}

} // namespace
