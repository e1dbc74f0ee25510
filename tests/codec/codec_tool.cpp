// Test tool: runs one of the coder's forward transforms on an N × N array of doubles (raw, native
// byte order, row-major) and writes the coefficients back in the same form, so that scripts can
// hold the transforms to PyWavelets. The 5/3 takes the doubles as integers.
//
//   codec_tool WAVELET N LEVELS input.raw output.raw      (WAVELET: haar, cdf53 or cdf97)
//
// Exit status 0 on success, 1 with a message on standard error otherwise.

#include "Codec.h"
#include "CodingWavelets.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "codec_tool: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    CodingWavelet wavelet;
    if (argc != 6 || !parseWavelet(argv[1], wavelet))
        return fail("usage: codec_tool haar|cdf53|cdf97 N LEVELS input.raw output.raw");
    const int n = std::atoi(argv[2]), levels = std::atoi(argv[3]);
    if (!codable(n, levels))
        return fail("N must be a power of two from 4 to 512 and LEVELS leave a low band of 2 x 2 or more");
    std::vector<double> values(std::size_t(n) * n);
    std::FILE* in = std::fopen(argv[4], "rb");
    const bool read = in != nullptr && std::fread(values.data(), sizeof(double), values.size(), in) == values.size() &&
                      std::fgetc(in) == EOF;
    if (in != nullptr)
        std::fclose(in);
    if (!read)
        return fail(std::string("cannot read exactly N x N doubles from ") + argv[4]);

    if (wavelet == CodingWavelet::Cdf53) {
        std::vector<std::int64_t> integers(values.begin(), values.end());
        cdf53Forward(integers.data(), n, levels);
        values.assign(integers.begin(), integers.end());
    } else {
        (wavelet == CodingWavelet::Haar ? haarForward : cdf97Forward)(values.data(), n, levels);
    }

    std::FILE* out = std::fopen(argv[5], "wb");
    const bool written = out != nullptr && std::fwrite(values.data(), sizeof(double), values.size(), out) == values.size();
    if (out == nullptr || std::fclose(out) != 0 || !written)
        return fail(std::string("cannot write ") + argv[5]);
    return 0;
}
