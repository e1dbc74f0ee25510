#include "TestSupport.h"
#include "WaveletTransform.h"

#include <benchmark/benchmark.h>

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
}

} // namespace

BENCHMARK_CAPTURE(fullPair, nonstandard_plain, false, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, standard_plain, true, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, nonstandard_normalized, false, true)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(fullPair, standard_normalized, true, true)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(stepPair, nonstandard_plain, false, false)->RangeMultiplier(2)->Range(512, 4096);
BENCHMARK_CAPTURE(stepPair, standard_plain, true, false)->RangeMultiplier(2)->Range(512, 4096);
