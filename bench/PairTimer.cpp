// F then R on the tests' 512 × 512 picture, plain, timed by the program itself with a steady
// clock: per arrangement, the median over 15 rounds of the mean of 100 pairs, printed as
//
//   ARRANGEMENT MILLISECONDS_PER_PAIR KERNEL_VARIANT
//
// It needs nothing but the transform, so that it builds both natively and to WebAssembly for node,
// and bench/wasm_vs_native.sh runs the two alternately.

#include "HaarKernels.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    constexpr int n = 512;
    constexpr int rounds = 15;
    constexpr int pairs = 100;
    const std::vector<float> picture = makeImage(n);
    for (bool standard : {false, true}) {
        WaveletTransform transform;
        transform.setSize(n);
        transform.setData(picture.data());
        transform.setStandard(standard);
        std::vector<double> perPair;
        for (int round = 0; round < rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            for (int pair = 0; pair < pairs; ++pair) {
                transform.decompose();
                transform.reconstruct();
            }
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            perPair.push_back(elapsed.count() / pairs);
        }
        std::nth_element(perPair.begin(), perPair.begin() + rounds / 2, perPair.end());
        // A sum of the array keeps the work observable.
        double sum = 0.0;
        for (int i = 0; i < n * n; ++i)
            sum += transform.getData()[i];
        std::printf("%s %.4f %s %.6g\n", standard ? "standard" : "nonstandard", perPair[rounds / 2],
                    HaarKernels::active().name, sum);
    }
    return 0;
}
