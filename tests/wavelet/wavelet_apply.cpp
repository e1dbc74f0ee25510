// Test tool: reads an N × N array of 32-bit floats (raw, native byte order, row-major, row 0
// first), loads it into a WaveletTransform, applies command letters as the viewer's keys would
// (F f R r drivers, N n S s mode toggles, O orthonormal passes) and writes the array back in the
// same raw form.
//
//   wavelet_apply N input.raw COMMANDS output.raw
//
// Lets scripts compare the transform with independent implementations. Exit status 0 on success,
// 1 with a message on standard error otherwise.

#include "Commands.h"
#include "WaveletTransform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "wavelet_apply: %s\n", message.c_str());
    return 1;
}

// Fills `values` from `path`; false unless the file holds exactly that many floats.
bool readExactly(const char* path, std::vector<float>& values)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    const std::size_t got = std::fread(values.data(), sizeof(float), values.size(), file);
    const bool atEnd = got == values.size() && std::fgetc(file) == EOF;
    std::fclose(file);
    return atEnd;
}

// Writes `count` floats to `path`; false if any of them could not be written.
bool writeAll(const char* path, const float* values, std::size_t count)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(values, sizeof(float), count, file) == count;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
        return fail("usage: wavelet_apply N input.raw COMMANDS output.raw");
    char* end = nullptr;
    errno = 0;
    const long side = std::strtol(argv[1], &end, 10);
    if (errno != 0 || *end != '\0' || side < 1 || side > 8192 || (side & (side - 1)) != 0)
        return fail("N must be a power of two from 1 to 8192");
    const int n = static_cast<int>(side);
    std::vector<float> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    if (!readExactly(argv[2], values))
        return fail(std::string("cannot read exactly N × N floats from ") + argv[2]);

    WaveletTransform transform;
    transform.setSize(n);
    transform.setData(values.data());
    if (!applyCommands(transform, argv[3]))
        return fail(std::string("unknown command letter in ") + argv[3]);
    if (!writeAll(argv[4], transform.getData(), values.size()))
        return fail(std::string("cannot write ") + argv[4]);
    return 0;
}
