// libFuzzer target for the TGA reader: every input is loaded as a file; a refused one must be
// refused with one of the reader's two texts and convert nothing, an accepted one must convert
// into exactly width × height × n floats and report its pixel block's size.

#include "TGAReadWrite.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Accepted images larger than this many floats are loaded but not converted.
constexpr size_t kMaxFloats = size_t{1} << 24;

// One in-memory file, reopened by path for every input, so no disk file is written.
int memoryFile()
{
    static const int fd = memfd_create("tga_fuzzer", MFD_CLOEXEC);
    if (fd < 0) {
        std::abort();
    }
    return fd;
}

bool isReaderMessage(const char* msg)
{
    return std::strcmp(msg, "TGAReadWrite: Unable to read file.") == 0 ||
           std::strcmp(msg, "TGAReadWrite: Unable to read file") == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = memoryFile();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    TGAReadWrite reader;
    try {
        reader.load(path.c_str());
    } catch (const char* msg) {
        if (!isReaderMessage(msg) || reader.convertToFloat(nullptr) != 0) {
            std::abort();
        }
        return 0;
    }
    const size_t bytesPerPixel = static_cast<size_t>(reader.getPixelDepth() / 8);
    const size_t pixels = static_cast<size_t>(reader.getWidth()) * reader.getHeight();
    if (pixels * bytesPerPixel > kMaxFloats) {
        return 0;
    }
    std::vector<float> out(pixels * bytesPerPixel);
    if (static_cast<size_t>(reader.convertToFloat(out.data())) != pixels * bytesPerPixel) {
        std::abort();
    }
    for (float v : out) {
        if (!(v >= 0.0f && v <= 1.0f)) {
            std::abort();
        }
    }
    return 0;
}
