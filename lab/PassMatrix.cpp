#include "PassMatrix.h"

#include "Numbers.h"

#include <cstddef>

namespace {

// The weights of a pass's average rows and detail rows, and the name of its normalization: the
// one place that reads it. Plain: ½ and ½. Normalized: the details are divided by the level
// factor s of the pass, as the kernels divide them, so ½ and 1 / (2s). Orthonormal: h and h.
struct Weights {
    double average;
    double detail;
    std::string name;
};

Weights weights(const Pass& pass)
{
    switch (pass.normalization) {
    case Normalization::normalized: {
        const float s = levelFactor(pass.length / 2);
        return {0.5, 1.0 / (2.0 * static_cast<double>(s)), "normalized, level factor " + shortestDecimal(s)};
    }
    case Normalization::orthonormal:
        return {orthonormalFactor, orthonormalFactor, "orthonormal"};
    case Normalization::plain:
        break;
    }
    return {0.5, 0.5, "plain"};
}

} // namespace

PassMatrix passMatrix(const Pass& pass)
{
    PassMatrix matrix;
    matrix.length = pass.length;
    const auto n = static_cast<std::size_t>(pass.length);
    const std::size_t half = n / 2;
    matrix.entries.assign(n * n, 0.0);
    const Weights w = weights(pass);
    for (std::size_t i = 0; i < half; ++i) {
        matrix.entries[i * n + 2 * i] = w.average;
        matrix.entries[i * n + 2 * i + 1] = w.average;
        matrix.entries[(half + i) * n + 2 * i] = w.detail;
        matrix.entries[(half + i) * n + 2 * i + 1] = -w.detail;
    }
    return matrix;
}

std::string passMatrixText(const PassMatrix& matrix)
{
    const auto n = static_cast<std::size_t>(matrix.length);
    std::string text;
    for (std::size_t row = 0; row < n; ++row) {
        for (std::size_t column = 0; column < n; ++column)
            text += (column > 0 ? " " : "") + shortestDecimal(matrix.entries[row * n + column]);
        text += '\n';
    }
    return text;
}

std::string passCaption(const Pass& pass)
{
    const bool rows = pass.direction == Direction::rows;
    const std::string line = rows ? "row" : "column";
    const std::string length = std::to_string(pass.length);
    const std::string lines = pass.count == 1 ? line + " 0"
                                              : line + "s 0 to " + std::to_string(pass.count - 1);
    return "The latest pass, along the " + line + "s (" + weights(pass).name + "): the first " + length +
           " entries x of each of " + lines + " become W x, W this " + length + " × " + length +
           " matrix.";
}
