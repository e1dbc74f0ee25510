#pragma once

#include <cstddef>
#include <limits>
#include <optional>

class WaveletTransform;

// The drivers' choice of kernels, stated once: from the side, the two forward lengths and the two
// flags, which passes a driver makes and in which order. The drivers carry out exactly this plan;
// the lab reads the same plan to say where the decomposition stands and what a key would do.

enum class Direction { rows, columns };

// How a pass treats its pair: the desktop's two kinds, averages and differences halved (plain)
// or with the details further divided by the level factor (normalized), and the page's third,
// the orthonormal Haar step with h = 1 / √2.
enum class Normalization { plain, normalized, orthonormal };

// One kernel call: a forward pass over the first `length` entries (its direction's length before
// it) of lines 0 … count − 1, or an inverse pass that rebuilds the first `length` entries (its
// direction's inverse length) of those lines.
struct Pass {
    Direction direction;
    bool forward;
    int length;
    int count;
    Normalization normalization;

    // The direction's (forward) length once the pass is made.
    int lengthAfter() const;
    bool operator==(const Pass& other) const;
};

// What the drivers decide from; the inverse lengths are twice the forward ones.
struct DriverState {
    int size;
    int rowLength;
    int columnLength;
    bool standard;
    Normalization normalization;
};

DriverState driverState(const WaveletTransform& transform);

// The four drivers: F, R, f and r on the keyboard.
enum class Driver { decompose, reconstruct, decomposeStep, reconstructStep };

// The level factor of a normalized pass with `half` pairs: √half in double, rounded to float once.
float levelFactor(int half);

// The factor of every orthonormal step, forward and inverse: 1 / √2 as a double.
constexpr double orthonormalFactor = 0.7071067811865476;

// The exponent of a power of two: how many levels a side of that length has.
int log2Of(int powerOfTwo);

class PassPlan {
public:
    // The passes `driver` makes from `state`, each one whose kernel has something to do. A state
    // with a length outside 1 … size (nothing loaded) gets none.
    PassPlan(const DriverState& state, Driver driver);

    // The pass one kernel call makes from `state` over lines 0 … count − 1 (count held to
    // 0 … size), if it has anything to do: a forward pass needs two entries, an inverse pass room
    // to double within the side.
    static std::optional<Pass> kernelCall(const DriverState& state, Direction direction, bool forward,
                                          Normalization normalization, int count);

    const Pass* begin() const;
    const Pass* end() const;
    std::size_t size() const;
    const Pass& operator[](std::size_t index) const;
    // The state the passes leave.
    const DriverState& after() const;

private:
    // Every pass halves or doubles a length within 1 … size, at most log2(size) times each way.
    static constexpr int capacity = 2 * (std::numeric_limits<int>::digits - 1);

    // Adds the pass of one kernel call and moves the state past it; false if there is none.
    bool add(Direction direction, bool forward, int count);

    DriverState state;
    int used = 0;
    Pass passes[capacity]{};
};
