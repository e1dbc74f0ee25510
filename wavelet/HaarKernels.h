#pragma once

#include <cstddef>
#include <vector>

enum class Normalization;

// The loops of the transform's passes, compiled once per instruction set the program may meet
// (on x86-64: the baseline every such processor has, x86-64-v3 with AVX2 and x86-64-v4 with
// AVX-512). Every variant gives the same bytes; the widest one this processor runs is chosen once,
// at start-up, and WaveletTransform calls it through active().
struct HaarKernels {
    // One level of the Haar step over lines 0 … lines − 1 of the n × n row-major array `data`:
    // a forward pass turns the first 2 × half entries of each line into half averages and half
    // details, an inverse pass the other way. When normalized, the details are divided by s
    // (forward) or multiplied by it (inverse); the orthonormal step scales averages and details
    // by 1 / √2 instead. `scratch` is room for the pass: n / 2 floats.
    struct Pass {
        float* data;
        std::size_t n;
        int lines;
        int half;
        double s;
        Normalization normalization;
        float* scratch;
    };

    const char* name;
    void (*forwardRows)(const Pass& pass);
    void (*inverseRows)(const Pass& pass);
    void (*forwardColumns)(const Pass& pass);
    void (*inverseColumns)(const Pass& pass);

    // What the processor and its operating system let the program run: all of x86-64-v3 (AVX2,
    // FMA, BMI2, …) and all of x86-64-v4 (AVX-512 F, BW, CD, DQ and VL).
    struct Features {
        bool x86_64_v3;
        bool x86_64_v4;
    };

    // This processor's features as the program sees them (valgrind hides AVX-512).
    static Features detect();
    // The variant for a processor with `features`: the widest one it runs.
    static const HaarKernels& choose(const Features& features);
    // Every variant a processor with `features` runs, narrowest first.
    static std::vector<const HaarKernels*> runnable(const Features& features);

    // The variant the transform uses: choose(detect()) at start-up.
    static const HaarKernels& active();
    // Makes `kernels` the active variant, so that tests can hold each variant's drivers to another's.
    static void use(const HaarKernels& kernels);
};
