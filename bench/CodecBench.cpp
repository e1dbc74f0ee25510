// The wavelet coder on one picture, outside the test suite; bench/codec_rates.py drives it.
//
//   orlinde_codec_bench rates N LEVELS picture.raw BPP...
//       For each wavelet: the whole stream once, then for each budget the prefix it allows,
//       decoded. One line per wavelet and budget: "wavelet bpp bytes psnr".
//   orlinde_codec_bench time N LEVELS picture.raw BPP
//       Median processor time over 21 runs of encoding up to BPP, of decoding that prefix, of
//       encoding with a record and of replaying the prefix from it, per wavelet:
//       "wavelet encode_ms decode_ms record_ms replay_ms bytes". Processor time, not wall time, so
//       that other work on a shared machine weighs little.
//
// picture.raw holds N × N grey bytes.

#include "Codec.h"
#include "CodingRecord.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr CodingWavelet kWavelets[] = {CodingWavelet::Haar, CodingWavelet::Cdf53, CodingWavelet::Cdf97};
constexpr int kRuns = 21;

int usage()
{
    std::fprintf(stderr, "usage: orlinde_codec_bench rates|time N LEVELS picture.raw BPP...\n");
    return 2;
}

DecodedPicture decoded(const std::vector<unsigned char>& stream, std::size_t length)
{
    DecodedPicture picture;
    const std::string refusal = decodePicture(stream.data(), length, picture);
    if (!refusal.empty()) {
        std::fprintf(stderr, "orlinde_codec_bench: %s\n", refusal.c_str());
        std::exit(1);
    }
    return picture;
}

template <class Work>
double medianMilliseconds(Work work)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const std::clock_t start = std::clock();
        work();
        times.push_back(double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
    return times[kRuns / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6)
        return usage();
    const std::string mode = argv[1];
    const int n = std::atoi(argv[2]), levels = std::atoi(argv[3]);
    if ((mode != "rates" && mode != "time") || !codable(n, levels))
        return usage();
    std::vector<unsigned char> grey(std::size_t(n) * n);
    std::FILE* file = std::fopen(argv[4], "rb");
    const bool read = file != nullptr && std::fread(grey.data(), 1, grey.size(), file) == grey.size();
    if (file != nullptr)
        std::fclose(file);
    if (!read) {
        std::fprintf(stderr, "orlinde_codec_bench: cannot read %d x %d bytes from %s\n", n, n, argv[4]);
        return 1;
    }

    for (CodingWavelet wavelet : kWavelets) {
        if (mode == "rates") {
            const std::vector<unsigned char> stream = encodePicture(grey.data(), n, wavelet, levels);
            for (int k = 5; k < argc; ++k) {
                const double bpp = std::atof(argv[k]);
                const std::size_t length = budgetLength(stream.size(), bpp, n);
                const DecodedPicture picture = decoded(stream, length);
                std::printf("%s %g %zu %.4f\n", waveletName(wavelet), bpp, length,
                            greyPsnr(picture.grey.data(), grey.data(), grey.size()));
            }
            continue;
        }
        const std::size_t budget = budgetLength(std::size_t(-1), std::atof(argv[5]), n);
        std::vector<unsigned char> stream;
        const double encodeMs = medianMilliseconds([&] { stream = encodePicture(grey.data(), n, wavelet, levels, budget); });
        const double decodeMs = medianMilliseconds([&] { decoded(stream, stream.size()); });
        CodingRecord record;
        const double recordMs =
            medianMilliseconds([&] { stream = encodePicture(grey.data(), n, wavelet, levels, budget, &record); });
        DecodedPicture picture;
        const double replayMs = medianMilliseconds([&] { decodeRecorded(stream.data(), stream.size(), record, picture); });
        std::printf("%s %.2f %.2f %.2f %.2f %zu\n", waveletName(wavelet), encodeMs, decodeMs, recordMs, replayMs,
                    stream.size());
    }
    return 0;
}
