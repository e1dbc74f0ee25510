// F then R on the tests' 512 × 512 picture, plain, timed by the program itself with a steady
// clock: per arrangement, the median over 15 rounds of the mean of 100 pairs, printed as
//
//   ARRANGEMENT MILLISECONDS_PER_PAIR KERNEL_VARIANT DIGEST
//
// DIGEST is a hash of the arrays' bytes after the timed pairs and after each of F and R, plain and
// normalized, on values that show any change in where the kernels round: builds that differ in a
// single bit differ there.
//
// It needs nothing but the transform, so that it builds both natively and to WebAssembly for node,
// and bench/wasm_vs_native.sh runs the two alternately and compares their digests.

#include "HaarKernels.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// FNV-1a, 64 bits, over the bytes of the transform's array, continuing from `hash`.
std::uint64_t digest(std::uint64_t hash, const WaveletTransform& transform)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(transform.getData());
    const std::size_t count = sizeof(float) * static_cast<std::size_t>(transform.getSize()) * transform.getSize();
    for (std::size_t i = 0; i < count; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3u;
    return hash;
}

} // namespace

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
        std::uint64_t hash = digest(0xcbf29ce484222325u, transform);
        transform.setData(awkwardValues(n).data());
        for (bool normalized : {false, true}) {
            transform.setNormalized(normalized);
            transform.decompose();
            hash = digest(hash, transform);
            transform.reconstruct();
            hash = digest(hash, transform);
        }
        std::printf("%s %.4f %s %016llx\n", standard ? "standard" : "nonstandard", perPair[rounds / 2],
                    HaarKernels::active().name, static_cast<unsigned long long>(hash));
    }
    return 0;
}
