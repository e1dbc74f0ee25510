#include "WaveletTransform.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

namespace {

// The grey picture both this benchmark and compare.py build: bytes ((7i + 13j + (i × j) mod 31)
// mod 256) × k, k the float nearest to 1/255, so that both time the very same values.
std::vector<float> makePicture(int n)
{
    const float k = 1.0f / 255.0f;
    std::vector<float> picture(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            picture[static_cast<std::size_t>(i) * n + j] =
                float((7 * i + 13 * j + (i * j) % 31) % 256) * k;
    return picture;
}

// Sizes the transform to n, fills it with the picture and sets both flags.
void load(WaveletTransform& transform, int n, bool standard, bool normalized)
{
    const std::vector<float> picture = makePicture(n);
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
