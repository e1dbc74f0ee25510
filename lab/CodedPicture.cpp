#include "CodedPicture.h"

#include "Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

int CodedPicture::levelsFor(int n)
{
    int levels = 0;
    while (levels < 5 && codable(n, levels + 1))
        ++levels;
    return levels;
}

bool CodedPicture::parseBudget(const std::string& text, double& bpp)
{
    float value = 0.0f;
    if (!parseFloat(text, value))
        return false;
    const double typed = std::strtod(text.c_str(), nullptr);
    if (!(typed >= kMinBpp && typed <= kMaxBpp))
        return false;
    bpp = typed;
    return true;
}

std::string CodedPicture::text() const
{
    return std::string(waveletName(waveletCoded)) + ":" + shortestDecimal(bpp);
}

bool CodedPicture::setText(const std::string& text)
{
    const std::size_t colon = text.find(':');
    CodingWavelet named;
    double budget = 0;
    if (colon == std::string::npos || !parseWavelet(text.substr(0, colon), named) ||
        !parseBudget(text.substr(colon + 1), budget))
        return false;
    setWavelet(named);
    return setBudget(budget);
}

void CodedPicture::setPicture(const std::vector<unsigned char>& grey, int n)
{
    if (n == side && grey == picture)
        return;
    picture = grey;
    side = n;
    streamValid = false;
    decodedValid = false;
}

void CodedPicture::setWavelet(CodingWavelet wavelet)
{
    if (wavelet == waveletCoded)
        return;
    waveletCoded = wavelet;
    streamValid = false;
    decodedValid = false;
}

bool CodedPicture::setBudget(double budget)
{
    if (!(budget >= kMinBpp && budget <= kMaxBpp))
        return false;
    bpp = budget;
    return true;
}

const std::vector<unsigned char>& CodedPicture::pictureGreys() const
{
    return picture;
}

CodingWavelet CodedPicture::wavelet() const
{
    return waveletCoded;
}

double CodedPicture::budget() const
{
    return bpp;
}

int CodedPicture::size() const
{
    return side;
}

void CodedPicture::codeUpTo(std::size_t bytes)
{
    if (streamValid && (complete || stream.size() >= bytes))
        return;
    const std::size_t first = budgetLength(std::numeric_limits<std::size_t>::max(), kCodedFirstBpp, side);
    // CDF 5/3's whole stream is its lossless size, which the panel shows: coded whole at once,
    // rather than up to kCodedFirstBpp for the budget and whole again for the size.
    const bool whole = bytes > first || waveletCoded == CodingWavelet::Cdf53;
    // One byte more than wanted tells a stream cut at the limit from one that ends there.
    const std::size_t limit = whole ? std::numeric_limits<std::size_t>::max() : first + 1;
    // Budgets up to kCodedFirstBpp are replayed from the record; those beyond it, asked for
    // rarely, decode, and spare every whole stream a record twice as long.
    record.reachAtMost(first);
    stream = encodePicture(picture.data(), side, waveletCoded, levelsFor(side), limit, &record);
    complete = stream.size() < limit;
    streamValid = true;
}

const std::vector<unsigned char>& CodedPicture::wholeStream()
{
    codeUpTo(std::numeric_limits<std::size_t>::max());
    return stream;
}

// A stream still cut short is longer than the budget it was coded for, so the budget takes
// exactly the bytes it allows.
std::size_t CodedPicture::shownBytes()
{
    const std::size_t allowed = budgetLength(std::numeric_limits<std::size_t>::max(), bpp, side);
    codeUpTo(allowed);
    return complete ? budgetLength(stream.size(), bpp, side) : allowed;
}

std::vector<unsigned char> CodedPicture::shownStream()
{
    const std::size_t bytes = shownBytes();
    return {stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(bytes)};
}

double CodedPicture::shownBpp()
{
    return side == 0 ? 0 : static_cast<double>(shownBytes()) * 8 / (static_cast<double>(side) * side);
}

// A prefix decodes again only when its length changed: budgets that allow the same bytes show the
// same picture. It is replayed from the coding's record, so that the picture follows a moving
// budget: the decoder's passes over a 2 bpp prefix take longer than a frame.
void CodedPicture::decode()
{
    const std::size_t bytes = shownBytes();
    if (decodedValid && bytes == decodedBytes)
        return;
    DecodedPicture out;
    // Too few bytes for the header (a picture too small for the budget) settle nothing: mid grey.
    if (decodeRecorded(stream.data(), bytes, record, out).empty())
        decodedGrey = std::move(out.grey);
    else
        decodedGrey.assign(picture.size(), 128);
    decodedBytes = bytes;
    decodedValid = true;
}

const std::vector<unsigned char>& CodedPicture::decoded()
{
    decode();
    return decodedGrey;
}

double CodedPicture::psnr()
{
    decode();
    return greyPsnr(decodedGrey.data(), picture.data(), picture.size());
}
