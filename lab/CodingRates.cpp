#include "CodingRates.h"

#include "CodedPicture.h"

#include <cmath>
#include <limits>

const std::vector<double>& CodingRates::budgets()
{
    static const std::vector<double> bpp = {0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 4};
    return bpp;
}

CodingWavelet CodingRates::wavelet(int index)
{
    static const CodingWavelet order[kWavelets] = {CodingWavelet::Haar, CodingWavelet::Cdf53, CodingWavelet::Cdf97};
    return order[index];
}

void CodingRates::start(const std::vector<unsigned char>& grey, int n)
{
    picture = grey;
    side = n;
    next = 0;
    stream.clear();
    psnrs.assign(kWavelets * budgets().size(), NAN);
}

bool CodingRates::step()
{
    const std::size_t perWavelet = budgets().size() + 1;
    if (next >= kWavelets * perWavelet)
        return false;
    const auto w = static_cast<int>(next / perWavelet);
    const std::size_t within = next % perWavelet;
    ++next;
    if (within == 0) {
        const std::size_t most = budgetLength(std::numeric_limits<std::size_t>::max(), budgets().back(), side);
        stream = encodePicture(picture.data(), side, wavelet(w), CodedPicture::levelsFor(side), most);
        return true;
    }
    const std::size_t b = within - 1;
    const std::size_t length = budgetLength(stream.size(), budgets()[b], side);
    DecodedPicture out;
    const std::size_t at = static_cast<std::size_t>(w) * budgets().size() + b;
    if (decodePicture(stream.data(), length, out).empty())
        psnrs[at] = greyPsnr(out.grey.data(), picture.data(), picture.size());
    return next < kWavelets * perWavelet;
}

double CodingRates::psnr(int wavelet, std::size_t budget) const
{
    const std::size_t at = static_cast<std::size_t>(wavelet) * budgets().size() + budget;
    return at < psnrs.size() ? psnrs[at] : NAN;
}
