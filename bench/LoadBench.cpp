#include "TGAReadWrite.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int side = 512;

// Writes an uncompressed 8-bit grey TGA (type 3, origin bottom-left) of side × side pixels.
bool writeGreyTga(const std::filesystem::path& path)
{
    unsigned char header[18] = {};
    header[2] = 3;
    header[12] = side & 0xff;
    header[13] = side >> 8;
    header[14] = side & 0xff;
    header[15] = side >> 8;
    header[16] = 8;
    std::vector<char> pixels(static_cast<std::size_t>(side) * side);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<char>((i * 2654435761u) >> 24);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

// Reading the file whole, checking its header and converting its pixels to floats, as the
// viewer does once at start-up.
void loadAndConvert(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orlinde_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("cannot make a temporary folder");
        return;
    }
    const std::filesystem::path folder(pattern);
    const std::filesystem::path file = folder / "grey512.tga";
    if (!writeGreyTga(file)) {
        state.SkipWithError("cannot write the TGA file");
        std::filesystem::remove_all(folder);
        return;
    }
    std::vector<float> pixels(static_cast<std::size_t>(side) * side);
    try {
        for (auto _ : state) {
            TGAReadWrite image;
            image.load(file.c_str());
            benchmark::DoNotOptimize(image.convertToFloat(pixels.data()));
            benchmark::ClobberMemory();
        }
    } catch (const char* message) {
        state.SkipWithError(message);
    }
    state.SetBytesProcessed(state.iterations() * (18 + side * side));
    std::filesystem::remove_all(folder);
}

} // namespace

BENCHMARK(loadAndConvert);
