// One level of the Haar step on a line x[0 … L − 1], L = 2 × half, pairs (e, o) = (x[2k], x[2k + 1]):
//
//   forward   a = (e + o) × 0.5          x[k]        = float(a)
//             d = (a − o) [/ s]          x[half + k] = float(d)        k = 0 … half − 1
//   inverse   d = float([s ×] x[half + k]),  a = x[k]
//             x[2k + 1] = float(a − d),  x[2k] = float(d + a)
//
//   orthonormal, h = 1 / √2 (the double 0.7071067811865476):
//   forward   x[k] = float((e + o) × h),  x[half + k] = float((e − o) × h)
//   inverse   x[2k] = float((a + d) × h), x[2k + 1] = float((a − d) × h)
//
// Every sum, difference, product and quotient is taken in double from float operands and rounded to
// float only when stored; the detail is taken from the unrounded average a, not from the stored
// float. The normalized kernels scale only the details, by the level factor s = √half rounded to
// float once per pass; averages are never scaled, and at half = 1 they agree with the plain ones.
//
// Every entry is computed from its own pair alone, so the order in which pairs are taken does not
// change a single bit; the kernels choose it for speed, within `scratch` (N / 2 floats) and a few
// dozen floats on the stack as the only room beside the array:
//
// Rows, in place. Forward: the first pairs, up to `headPairs` of them, go through a buffer on the
// stack, since their averages land on entries they read themselves; after them the averages of
// pairs k0 … 2k0 − 1 land on x[k0 … 2k0 − 1], which pairs k0 / 2 … k0 − 1 have already read, so
// windows k0 = headPairs, 2 × headPairs, … upwards never overlap what they read; the details wait
// in `scratch` and are copied behind the averages at the end. Inverse: the details go to `scratch`
// first, then windows k0 = half / 2, …, headPairs downwards rebuild pairs k0 … 2k0 − 1 into
// x[2k0 … 4k0 − 1] while every average still needed lies before x[k0], and the first pairs come
// last, through the stack. Each window is one loop without overlap, which the compiler turns into
// full-width vector code, and the head keeps the short windows, too short for a vector, out of it.
//
// Columns, by sweeps along whole rows instead of strided walks down each column. Forward: one sweep
// turns row pairs (2k, 2k + 1) into an average row at 2k and a detail row at 2k + 1, then the rows
// are permuted in place, 2k → k and 2k + 1 → half + k. With L = 2^m rows that permutation rotates
// the m-bit row number right by one, so its cycles are the rotation classes of m-bit numbers; each
// is walked from its smallest member, the leader's row waiting in `scratch` (half a row at a time)
// while every other row moves straight to its place. Inverse: the opposite rotation, then the sweep
// that rebuilds the row pairs.
//
// Every pass walks the array forwards, row by row, or along the cycles row by row, and leaves
// fetching ahead to the processor: asking for the next row by hand made the wide variants slower at
// every size measured.
//
// Instruction sets: the loops are written once, as templates that are always inlined, and each
// variant's entry points below are the only functions compiled for its set, so no code built for a
// wider set is ever shared with a narrower variant. The vector widths change nothing in the bytes:
// float → double → float conversions are exact at every width, and the library is built with
// contraction off, so no fused multiply-add merges two roundings into one.

#include "HaarKernels.h"

#include "PassPlan.h"

#include <cstring>

#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

namespace {

using Pass = HaarKernels::Pass;

// Pairs taken through the stack at the start of a row: at least one full vector of the widest set.
constexpr int headPairs = 32;

// The step's arithmetic, stated once for one value in double and, in the WebAssembly build, for two
// in one register's double lanes: the average of a pair (e, o), its detail (from the unrounded
// average a: divided by s when normalized; from the pair itself in the orthonormal step), and a
// stored detail as the inverse step takes it (multiplied by s and rounded when normalized).
constexpr double h = orthonormalFactor;

template <Normalization K, class Double>
[[gnu::always_inline]] inline Double averageOf(Double first, Double second)
{
    return K == Normalization::orthonormal ? (first + second) * h : (first + second) * 0.5;
}

template <Normalization K, class Double>
[[gnu::always_inline]] inline Double detailOf(Double a, Double e, Double o, double s)
{
    return K == Normalization::orthonormal ? (e - o) * h : K == Normalization::normalized ? (a - o) / s : a - o;
}

// The inverse step's two entries of a pair from its average a and its detail d as taken.
template <Normalization K, class Double>
[[gnu::always_inline]] inline Double firstOf(Double a, Double d)
{
    return K == Normalization::orthonormal ? (a + d) * h : d + a;
}

template <Normalization K, class Double>
[[gnu::always_inline]] inline Double secondOf(Double a, Double d)
{
    return K == Normalization::orthonormal ? (a - d) * h : a - d;
}

[[gnu::always_inline]] inline double roundedToFloat(double x)
{
    return static_cast<float>(x);
}

#ifdef __wasm_simd128__
// WebAssembly converts a float to a double one lane at a time unless told to take two at once, so
// the pair loops below take four pairs per round through these; promotion and demotion round as
// the scalar conversions do, so the bytes are the scalar loops' bytes.
using Lanes = double __attribute__((vector_size(16)));

[[gnu::always_inline]] inline Lanes lowHalf(v128_t floats)
{
    return reinterpret_cast<Lanes>(wasm_f64x2_promote_low_f32x4(floats));
}

[[gnu::always_inline]] inline Lanes highHalf(v128_t floats)
{
    return lowHalf(wasm_i32x4_shuffle(floats, floats, 2, 3, 2, 3));
}

// The four floats of two pairs of lanes, each rounded once.
[[gnu::always_inline]] inline v128_t floatsOf(Lanes low, Lanes high)
{
    return wasm_i32x4_shuffle(wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(low)),
                              wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(high)), 0, 1, 4, 5);
}

[[gnu::always_inline]] inline Lanes roundedToFloat(Lanes x)
{
    return lowHalf(wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(x)));
}
#endif

template <Normalization K, class Double>
[[gnu::always_inline]] inline Double storedDetail(Double d, double s)
{
    return K == Normalization::normalized ? roundedToFloat(s * d) : d;
}

#ifdef __wasm_simd128__
constexpr int lanePairs = 4;

// Four pairs from in[0 … 7]; the scalar loop of splitPairs, four rounds at once.
template <Normalization K>
[[gnu::always_inline]] inline void splitFour(const float* in, float* avg, float* det, double s)
{
    const v128_t first = wasm_v128_load(in);
    const v128_t second = wasm_v128_load(in + 4);
    const v128_t e = wasm_i32x4_shuffle(first, second, 0, 2, 4, 6);
    const v128_t o = wasm_i32x4_shuffle(first, second, 1, 3, 5, 7);
    const Lanes aLow = averageOf<K>(lowHalf(e), lowHalf(o));
    const Lanes aHigh = averageOf<K>(highHalf(e), highHalf(o));
    wasm_v128_store(avg, floatsOf(aLow, aHigh));
    wasm_v128_store(det, floatsOf(detailOf<K>(aLow, lowHalf(e), lowHalf(o), s),
                                 detailOf<K>(aHigh, highHalf(e), highHalf(o), s)));
}

// The scalar loop of mergePairs, four rounds at once.
template <Normalization K>
[[gnu::always_inline]] inline void mergeFour(const float* avg, const float* det, float* out, double s)
{
    const v128_t a = wasm_v128_load(avg);
    const v128_t stored = wasm_v128_load(det);
    const Lanes dLow = storedDetail<K>(lowHalf(stored), s);
    const Lanes dHigh = storedDetail<K>(highHalf(stored), s);
    const v128_t odd = floatsOf(secondOf<K>(lowHalf(a), dLow), secondOf<K>(highHalf(a), dHigh));
    const v128_t even = floatsOf(firstOf<K>(lowHalf(a), dLow), firstOf<K>(highHalf(a), dHigh));
    wasm_v128_store(out, wasm_i32x4_shuffle(even, odd, 0, 4, 1, 5));
    wasm_v128_store(out + 4, wasm_i32x4_shuffle(even, odd, 2, 6, 3, 7));
}

// The scalar loop of splitRows, four rounds at once.
template <Normalization K>
[[gnu::always_inline]] inline void splitFourRows(float* even, float* odd, double s)
{
    const v128_t e = wasm_v128_load(even);
    const v128_t o = wasm_v128_load(odd);
    const Lanes aLow = averageOf<K>(lowHalf(o), lowHalf(e));
    const Lanes aHigh = averageOf<K>(highHalf(o), highHalf(e));
    wasm_v128_store(even, floatsOf(aLow, aHigh));
    wasm_v128_store(odd, floatsOf(detailOf<K>(aLow, lowHalf(e), lowHalf(o), s),
                                  detailOf<K>(aHigh, highHalf(e), highHalf(o), s)));
}

// The scalar loop of mergeRows, four rounds at once.
template <Normalization K>
[[gnu::always_inline]] inline void mergeFourRows(float* even, float* odd, double s)
{
    const v128_t a = wasm_v128_load(even);
    const v128_t stored = wasm_v128_load(odd);
    const Lanes dLow = storedDetail<K>(lowHalf(stored), s);
    const Lanes dHigh = storedDetail<K>(highHalf(stored), s);
    wasm_v128_store(odd, floatsOf(secondOf<K>(lowHalf(a), dLow), secondOf<K>(highHalf(a), dHigh)));
    wasm_v128_store(even, floatsOf(firstOf<K>(lowHalf(a), dLow), firstOf<K>(highHalf(a), dHigh)));
}
#endif

// Pairs in[0 … 2n − 1] into averages avg[0 … n − 1] and details det[0 … n − 1]; s divides the
// details when normalized.
template <Normalization K>
[[gnu::always_inline]] inline void splitPairs(const float* __restrict in, float* __restrict avg,
                                              float* __restrict det, int n, double s)
{
    int k = 0;
#ifdef __wasm_simd128__
    for (; k + lanePairs <= n; k += lanePairs)
        splitFour<K>(in + 2 * k, avg + k, det + k, s);
#endif
    for (; k < n; ++k) {
        const double e = in[2 * k];
        const double o = in[2 * k + 1];
        const double a = averageOf<K, double>(e, o);
        avg[k] = static_cast<float>(a);
        det[k] = static_cast<float>(detailOf<K>(a, e, o, s));
    }
}

// Averages avg[0 … n − 1] and stored details det[0 … n − 1] back into pairs out[0 … 2n − 1]; a stored
// detail is first multiplied by s and rounded when normalized.
template <Normalization K>
[[gnu::always_inline]] inline void mergePairs(const float* __restrict avg, const float* __restrict det,
                                              float* __restrict out, int n, double s)
{
    int k = 0;
#ifdef __wasm_simd128__
    for (; k + lanePairs <= n; k += lanePairs)
        mergeFour<K>(avg + k, det + k, out + 2 * k, s);
#endif
    for (; k < n; ++k) {
        const double d = storedDetail<K>(static_cast<double>(det[k]), s);
        const double a = avg[k];
        out[2 * k + 1] = static_cast<float>(secondOf<K>(a, d));
        out[2 * k] = static_cast<float>(firstOf<K>(a, d));
    }
}

[[gnu::always_inline]] inline void copyFloats(float* to, const float* from, int count)
{
    std::memcpy(to, from, static_cast<std::size_t>(count) * sizeof(float));
}

// Forward step on the row x[0 … 2 × half − 1]; tmp holds half floats.
template <Normalization K>
[[gnu::always_inline]] inline void forwardRow(float* x, int half, double s, float* tmp)
{
    const int head = half < headPairs ? half : headPairs;
    float averages[headPairs];
    splitPairs<K>(x, averages, tmp, head, s);
    copyFloats(x, averages, head);
    for (int k0 = head; k0 < half; k0 *= 2)
        splitPairs<K>(x + 2 * k0, x + k0, tmp + k0, k0, s);
    copyFloats(x + half, tmp, half);
}

// Inverse step on the row x[0 … 2 × half − 1]; tmp holds half floats.
template <Normalization K>
[[gnu::always_inline]] inline void inverseRow(float* x, int half, double s, float* tmp)
{
    const int head = half < headPairs ? half : headPairs;
    copyFloats(tmp, x + half, half);
    for (int k0 = half / 2; k0 >= head; k0 /= 2)
        mergePairs<K>(x + k0, tmp + k0, x + 2 * k0, k0, s);
    float pairs[2 * headPairs];
    mergePairs<K>(x, tmp, pairs, head, s);
    copyFloats(x, pairs, 2 * head);
}

// Column step, forward, on entries j < n of the row pair: the average row replaces `even`, the
// detail row `odd`.
template <Normalization K>
[[gnu::always_inline]] inline void splitRows(float* __restrict even, float* __restrict odd, int n, double s)
{
    int j = 0;
#ifdef __wasm_simd128__
    for (; j + lanePairs <= n; j += lanePairs)
        splitFourRows<K>(even + j, odd + j, s);
#endif
    for (; j < n; ++j) {
        const double e = even[j];
        const double o = odd[j];
        const double a = averageOf<K, double>(o, e);
        even[j] = static_cast<float>(a);
        odd[j] = static_cast<float>(detailOf<K>(a, e, o, s));
    }
}

// Column step, inverse, on entries j < n: the average row `even` and the stored detail row `odd`
// become the row pair again.
template <Normalization K>
[[gnu::always_inline]] inline void mergeRows(float* __restrict even, float* __restrict odd, int n, double s)
{
    int j = 0;
#ifdef __wasm_simd128__
    for (; j + lanePairs <= n; j += lanePairs)
        mergeFourRows<K>(even + j, odd + j, s);
#endif
    for (; j < n; ++j) {
        const double d = storedDetail<K>(static_cast<double>(odd[j]), s);
        const double a = even[j];
        odd[j] = static_cast<float>(secondOf<K>(a, d));
        even[j] = static_cast<float>(firstOf<K>(a, d));
    }
}

// The `bits`-bit number r rotated right by one: bit 0 moves to the top.
unsigned rotateRight(unsigned r, int bits)
{
    return (r >> 1) | ((r & 1u) << (bits - 1));
}

// The `bits`-bit number r rotated left by one: the top bit moves to bit 0.
unsigned rotateLeft(unsigned r, int bits)
{
    return ((r << 1) & ((1u << bits) - 1u)) | (r >> (bits - 1));
}

// True when r is the smallest of its rotations, the member its cycle is walked from.
bool leadsCycle(unsigned r, int bits)
{
    unsigned rotated = r;
    for (int i = 1; i < bits; ++i) {
        rotated = rotateRight(rotated, bits);
        if (rotated < r)
            return false;
    }
    return true;
}

// Moves row r of the rows 0 … 2^bits − 1 (n floats apart) to row rotateRight(r) when `gather`
// (2k → k, 2k + 1 → half + k), to rotateLeft(r) otherwise; only the first `count` floats of each
// row move, in pieces of at most n / 2 floats, the room `scratch` has. Each cycle is walked once
// per piece: the leader's piece waits in `scratch`, every other row's piece moves straight to its
// place, and the leader's piece goes to the last place freed, so every piece is read once and
// written once.
[[gnu::always_inline]] inline void permuteRows(float* data, std::size_t n, int bits, int count, bool gather,
                                               float* scratch)
{
    const unsigned rows = 1u << bits;
    const int room = static_cast<int>(n / 2);
    // Rows 0 and rows − 1 stay where they are.
    for (unsigned leader = 1; leader + 1 < rows; ++leader) {
        if (!leadsCycle(leader, bits))
            continue;
        for (int first = 0; first < count; first += room) {
            const int width = count - first < room ? count - first : room;
            float* const piece = data + first;
            copyFloats(scratch, piece + leader * n, width);
            unsigned to = leader;
            for (;;) {
                const unsigned from = gather ? rotateLeft(to, bits) : rotateRight(to, bits);
                if (from == leader)
                    break;
                copyFloats(piece + to * n, piece + from * n, width);
                to = from;
            }
            copyFloats(piece + to * n, scratch, width);
        }
    }
}

template <Normalization K>
[[gnu::always_inline]] inline void forwardRowsOf(const Pass& p)
{
    for (int i = 0; i < p.lines; ++i) {
        float* const row = p.data + static_cast<std::size_t>(i) * p.n;
        forwardRow<K>(row, p.half, p.s, p.scratch);
    }
}

template <Normalization K>
[[gnu::always_inline]] inline void inverseRowsOf(const Pass& p)
{
    for (int i = 0; i < p.lines; ++i) {
        float* const row = p.data + static_cast<std::size_t>(i) * p.n;
        inverseRow<K>(row, p.half, p.s, p.scratch);
    }
}

template <Normalization K>
[[gnu::always_inline]] inline void forwardColumnsOf(const Pass& p)
{
    for (int k = 0; k < p.half; ++k) {
        float* const even = p.data + 2 * static_cast<std::size_t>(k) * p.n;
        splitRows<K>(even, even + p.n, p.lines, p.s);
    }
    permuteRows(p.data, p.n, log2Of(2 * p.half), p.lines, true, p.scratch);
}

template <Normalization K>
[[gnu::always_inline]] inline void inverseColumnsOf(const Pass& p)
{
    permuteRows(p.data, p.n, log2Of(2 * p.half), p.lines, false, p.scratch);
    for (int k = 0; k < p.half; ++k) {
        float* const even = p.data + 2 * static_cast<std::size_t>(k) * p.n;
        mergeRows<K>(even, even + p.n, p.lines, p.s);
    }
}

// The four loops, each for the normalization of its pass.
enum class Loop { forwardRows, inverseRows, forwardColumns, inverseColumns };

template <Loop L, Normalization K>
[[gnu::always_inline]] inline void loopOf(const Pass& p)
{
    if constexpr (L == Loop::forwardRows)
        forwardRowsOf<K>(p);
    else if constexpr (L == Loop::inverseRows)
        inverseRowsOf<K>(p);
    else if constexpr (L == Loop::forwardColumns)
        forwardColumnsOf<K>(p);
    else
        inverseColumnsOf<K>(p);
}

template <Loop L>
[[gnu::always_inline]] inline void byNormalization(const Pass& p)
{
    switch (p.normalization) {
    case Normalization::plain: loopOf<L, Normalization::plain>(p); break;
    case Normalization::normalized: loopOf<L, Normalization::normalized>(p); break;
    case Normalization::orthonormal: loopOf<L, Normalization::orthonormal>(p); break;
    }
}

// Each variant's entry points: the whole pass, loops inlined, compiled for that variant's set.

void forwardRowsBaseline(const Pass& p) { byNormalization<Loop::forwardRows>(p); }
void inverseRowsBaseline(const Pass& p) { byNormalization<Loop::inverseRows>(p); }
void forwardColumnsBaseline(const Pass& p) { byNormalization<Loop::forwardColumns>(p); }
void inverseColumnsBaseline(const Pass& p) { byNormalization<Loop::inverseColumns>(p); }

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// GCC names the x86-64 levels both in target attributes and in __builtin_cpu_supports, whose
// check includes the operating system's support for the wider registers.
#define HAAR_WIDE_VARIANTS 1

[[gnu::target("arch=x86-64-v3")]] void forwardRowsV3(const Pass& p) { byNormalization<Loop::forwardRows>(p); }
[[gnu::target("arch=x86-64-v3")]] void inverseRowsV3(const Pass& p) { byNormalization<Loop::inverseRows>(p); }
[[gnu::target("arch=x86-64-v3")]] void forwardColumnsV3(const Pass& p)
{
    byNormalization<Loop::forwardColumns>(p);
}
[[gnu::target("arch=x86-64-v3")]] void inverseColumnsV3(const Pass& p)
{
    byNormalization<Loop::inverseColumns>(p);
}

[[gnu::target("arch=x86-64-v4")]] void forwardRowsV4(const Pass& p) { byNormalization<Loop::forwardRows>(p); }
[[gnu::target("arch=x86-64-v4")]] void inverseRowsV4(const Pass& p) { byNormalization<Loop::inverseRows>(p); }
[[gnu::target("arch=x86-64-v4")]] void forwardColumnsV4(const Pass& p)
{
    byNormalization<Loop::forwardColumns>(p);
}
[[gnu::target("arch=x86-64-v4")]] void inverseColumnsV4(const Pass& p)
{
    byNormalization<Loop::inverseColumns>(p);
}
#endif

#ifdef HAAR_WIDE_VARIANTS
constexpr HaarKernels baseline{"x86-64", forwardRowsBaseline, inverseRowsBaseline, forwardColumnsBaseline,
                               inverseColumnsBaseline};
constexpr HaarKernels v3{"x86-64-v3", forwardRowsV3, inverseRowsV3, forwardColumnsV3, inverseColumnsV3};
constexpr HaarKernels v4{"x86-64-v4", forwardRowsV4, inverseRowsV4, forwardColumnsV4, inverseColumnsV4};
#else
// Elsewhere (WebAssembly among them) the one variant is built for whatever the compiler targets.
constexpr HaarKernels baseline{"default", forwardRowsBaseline, inverseRowsBaseline, forwardColumnsBaseline,
                               inverseColumnsBaseline};
#endif

const HaarKernels* activeKernels = &HaarKernels::choose(HaarKernels::detect());

} // namespace

HaarKernels::Features HaarKernels::detect()
{
#ifdef HAAR_WIDE_VARIANTS
    __builtin_cpu_init();
    return {__builtin_cpu_supports("x86-64-v3") != 0, __builtin_cpu_supports("x86-64-v4") != 0};
#else
    return {false, false};
#endif
}

std::vector<const HaarKernels*> HaarKernels::runnable(const Features& features)
{
    std::vector<const HaarKernels*> variants{&baseline};
#ifdef HAAR_WIDE_VARIANTS
    // x86-64-v4 takes in every instruction of x86-64-v3.
    if (features.x86_64_v3)
        variants.push_back(&v3);
    if (features.x86_64_v3 && features.x86_64_v4)
        variants.push_back(&v4);
#else
    static_cast<void>(features);
#endif
    return variants;
}

const HaarKernels& HaarKernels::choose(const Features& features)
{
    return *runnable(features).back();
}

const HaarKernels& HaarKernels::active()
{
    return *activeKernels;
}

void HaarKernels::use(const HaarKernels& kernels)
{
    activeKernels = &kernels;
}
