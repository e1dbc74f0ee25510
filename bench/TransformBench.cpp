#include "HaarKernels.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

// Sizes the transform to n, fills it with the tests' image-like picture and sets both flags.
void load(WaveletTransform& transform, int n, bool standard, bool normalized)
{
    const std::vector<float> picture = makeImage(n);
    transform.setSize(n);
    transform.setData(picture.data());
    transform.setStandard(standard);
    transform.setNormalized(normalized);
}

// Full decomposition then full reconstruction; the pair leaves the picture in place, so no
// setData is needed between iterations.
void fullPair(benchmark::State& state, bool standard, bool normalized)
{
    const int n = static_cast<int>(state.range(0));
    WaveletTransform transform;
    load(transform, n, standard, normalized);
    for (auto _ : state) {
        transform.decompose();
        transform.reconstruct();
        benchmark::DoNotOptimize(transform.getData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
    state.SetLabel(HaarKernels::active().name);
}

// The same passes made one key press at a time: every decomposeStep, then every reconstructStep.
void stepPair(benchmark::State& state, bool standard, bool normalized)
{
    const int n = static_cast<int>(state.range(0));
    WaveletTransform transform;
    load(transform, n, standard, normalized);
    int levels = 0;
    for (int side = n; side > 1; side /= 2)
        ++levels;
    for (auto _ : state) {
        for (int step = 0; step < 2 * levels; ++step)
            transform.decomposeStep();
        for (int step = 0; step < 2 * levels; ++step)
            transform.reconstructStep();
        benchmark::DoNotOptimize(transform.getData());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
    state.SetLabel(HaarKernels::active().name);
}

// fullPair, plain, with the kernels of one variant rather than the one chosen at start-up.
void fullPairWith(benchmark::State& state, const HaarKernels* kernels, bool standard)
{
    const HaarKernels& chosen = HaarKernels::active();
    HaarKernels::use(*kernels);
    fullPair(state, standard, false);
    HaarKernels::use(chosen);
}

[[maybe_unused]] const bool variantsRegistered = [] {
    for (const HaarKernels* kernels : HaarKernels::runnable(HaarKernels::detect()))
        for (bool standard : {false, true})
            benchmark::RegisterBenchmark(
                (std::string("fullPairWith/") + kernels->name + (standard ? "/standard" : "/nonstandard")).c_str(),
                fullPairWith, kernels, standard)
                ->RangeMultiplier(8)
                ->Range(512, 4096);
    return true;
}();

// One in-place streaming pass over `count` floats, each read and written once, with the widest
// vectors the processor has, as the transform's kernels use.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")]]
#endif
void rescale(float* x, std::size_t count, float by)
{
    for (std::size_t i = 0; i < count; ++i)
        x[i] *= by;
}

// What memory alone allows fullPair: as many streaming passes over the same array as the
// transform's decomposition and reconstruction make. Each pass over a block reads and writes it
// once, a column pass twice (its sweep, then the exchange of rows), so a level of rows and columns
// streams its block three times. Non-standard blocks shrink by 4 per level, 4/3 of the array in
// all, so 3 × 4/3 = 4 streams each way, 8 in all; standard ones by 2 along one side, twice the
// array in all, so 3 × 2 = 6 each way, 12 in all.
void streamingBound(benchmark::State& state, int streams)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<float> picture = makeImage(n);
    float one = 1.0f;
    benchmark::DoNotOptimize(one);
    for (auto _ : state) {
        for (int pass = 0; pass < streams; ++pass)
            rescale(picture.data(), picture.size(), one);
        benchmark::DoNotOptimize(picture.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}

} // namespace

BENCHMARK_CAPTURE(fullPair, nonstandard_plain, false, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, standard_plain, true, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, nonstandard_normalized, false, true)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, standard_normalized, true, true)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(streamingBound, nonstandard, 8)->RangeMultiplier(8)->Range(512, 4096);
BENCHMARK_CAPTURE(streamingBound, standard, 12)->RangeMultiplier(8)->Range(512, 4096);
BENCHMARK_CAPTURE(stepPair, nonstandard_plain, false, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(stepPair, standard_plain, true, false)->RangeMultiplier(2)->Range(512, 4096);
