#include "RateDistortion.h"

#include "Compression.h"

#include <algorithm>
#include <limits>

namespace {

// Moves the transform's lengths to "fully decomposed" without touching the array: a pass over zero
// lines computes nothing but still advances the lengths. Each point then reconstructs from its own
// kept coefficients without decomposing the picture again.
void markFullyDecomposed(WaveletTransform& transform)
{
    while (transform.getRowLength() >= 2)
        transform.forwardRows(0);
    while (transform.getColumnLength() >= 2)
        transform.forwardColumns(0);
}

} // namespace

bool RateDistortion::isStandard(int mode)
{
    return mode >= 4 ? mode == 5 : mode >= 2;
}

Normalization RateDistortion::normalization(int mode)
{
    if (mode >= 4)
        return Normalization::orthonormal;
    return mode % 2 == 1 ? Normalization::normalized : Normalization::plain;
}

const std::vector<double>& RateDistortion::shares()
{
    static const std::vector<double> list = {0.1, 0.15, 0.2, 0.3, 0.4, 0.5, 0.7, 1,  1.5, 2,  3,
                                             4,   5,    7,   10,  15,  20,  30,  40, 50,  70, 100};
    return list;
}

void RateDistortion::start(const float* values, int n)
{
    if (transform.getSize() != n)
        transform.setSize(n);
    const std::size_t count = static_cast<std::size_t>(transform.getSize()) *
                              static_cast<std::size_t>(transform.getSize());
    const std::size_t pointCount = kModeCount * shares().size();
    results.assign(pointCount, std::numeric_limits<double>::quiet_NaN());
    if (transform.getSize() != n || values == nullptr) {
        mode = kModeCount;
        return;
    }
    picture.assign(values, values + count);
    budgets.clear();
    for (double percent : shares())
        budgets.push_back(keepBudget(count, percent));
    mode = 0;
    share = 0;
    prepared = false;
}

bool RateDistortion::step()
{
    if (done())
        return false;
    if (!prepared)
        prepareMode();
    else
        computePoint();
    return !done();
}

void RateDistortion::finish()
{
    while (step()) {
    }
}

bool RateDistortion::done() const
{
    return mode >= kModeCount;
}

double RateDistortion::psnr(int whichMode, std::size_t whichShare) const
{
    if (results.empty() || whichMode < 0 || whichMode >= kModeCount || whichShare >= shares().size())
        return std::numeric_limits<double>::quiet_NaN();
    return results[static_cast<std::size_t>(whichMode) * shares().size() + whichShare];
}

void RateDistortion::prepareMode()
{
    transform.setStandard(isStandard(mode));
    transform.setNormalization(normalization(mode));
    transform.setData(picture.data());
    transform.decompose();
    const float* data = transform.getData();
    coefficients.assign(data, data + picture.size());
    keys = keepOrderKeys(coefficients.data(), coefficients.size());
    // After this, for every budget m the first m keys are the m that keep-the-largest keeps.
    auto end = keys.end();
    for (auto m = budgets.rbegin(); m != budgets.rend(); ++m) {
        const auto nth = keys.begin() + static_cast<std::ptrdiff_t>(*m);
        std::nth_element(keys.begin(), nth, end);
        end = nth;
    }
    prepared = true;
}

void RateDistortion::computePoint()
{
    markFullyDecomposed(transform);
    float* data = transform.getData();
    std::fill(data, data + coefficients.size(), 0.0f);
    for (std::size_t k = 0; k < budgets[share]; ++k) {
        const std::size_t i = keyIndex(keys[k]);
        data[i] = coefficients[i];
    }
    transform.reconstruct();
    results[static_cast<std::size_t>(mode) * shares().size() + share] =
        ::psnr(data, picture.data(), picture.size());
    if (++share == budgets.size()) {
        share = 0;
        ++mode;
        prepared = false;
    }
}
