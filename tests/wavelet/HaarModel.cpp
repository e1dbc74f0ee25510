#include "HaarModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

HaarModel::HaarModel(int side, const std::vector<float>& image) : n(side), x(image), lengths{side, side}
{
}

void HaarModel::moveLengths(Direction direction, bool forward)
{
    int& length = lengths[direction];
    if (forward && length >= 2)
        length /= 2;
    else if (!forward && 2 * length <= n)
        length *= 2;
}

void HaarModel::apply(const Pass& pass)
{
    const int length = pass.forward ? lengths[pass.direction] : 2 * lengths[pass.direction];
    if (pass.forward ? length < 2 : length > n)
        return;
    const int half = length / 2;
    const float s = static_cast<float>(std::sqrt(static_cast<double>(half)));
    const int lines = std::clamp(pass.count, 0, n);
    std::vector<float> in(length), out(length);
    for (int t = 0; t < lines; ++t) {
        auto at = [&](int m) -> float& {
            const std::size_t row = pass.direction == Rows ? t : m;
            const std::size_t column = pass.direction == Rows ? m : t;
            return x[row * n + column];
        };
        for (int m = 0; m < length; ++m)
            in[m] = at(m);
        for (int k = 0; k < half; ++k) {
            if (pass.forward) {
                const double e = in[2 * k], o = in[2 * k + 1];
                const double average = (e + o) / 2.0;
                const double detail = average - o;
                out[k] = static_cast<float>(average);
                out[half + k] = static_cast<float>(pass.scaled ? detail / double(s) : detail);
            } else {
                const double average = in[k];
                const double detail = pass.scaled ? double(float(double(s) * double(in[half + k])))
                                                  : double(in[half + k]);
                out[2 * k] = static_cast<float>(detail + average);
                out[2 * k + 1] = static_cast<float>(average - detail);
            }
        }
        for (int m = 0; m < length; ++m)
            at(m) = out[m];
    }
    moveLengths(pass.direction, pass.forward);
}

void HaarModel::apply(const std::vector<Pass>& passes)
{
    for (const Pass& pass : passes)
        apply(pass);
}

std::string describe(const HaarModel::Pass& pass)
{
    return std::string(pass.forward ? "forward " : "inverse ") +
           (pass.direction == HaarModel::Rows ? "rows " : "columns ") + (pass.scaled ? "scaled " : "") +
           "count " + std::to_string(pass.count);
}
