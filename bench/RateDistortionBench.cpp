#include "RateDistortion.h"
#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// The whole chart of an n × n picture: four modes, every share, one slice at a time as the page
// takes them. The slowest slice is what a frame has to absorb.
void rateDistortion(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<float> picture = makeImage(n);
    RateDistortion data;
    double slowest = 0.0;
    for (auto _ : state) {
        data.start(picture.data(), n);
        bool more = true;
        while (more) {
            const auto begin = std::chrono::steady_clock::now();
            more = data.step();
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begin;
            slowest = std::max(slowest, took.count());
        }
        benchmark::DoNotOptimize(data.psnr(0, 0));
    }
    state.counters["slowest_slice_ms"] = slowest;
}

} // namespace

BENCHMARK(rateDistortion)->Arg(512)->Unit(benchmark::kMillisecond);
