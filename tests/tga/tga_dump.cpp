// Loads one TGA file and writes what the reader makes of it to standard output: a text line
// "width height depth result", then the converted floats as raw native-endian float32. When the
// load throws, the line is the thrown text instead and the exit status is 1.

#include "TGAReadWrite.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tga_dump FILE.tga\n");
        return 2;
    }
    TGAReadWrite reader;
    try {
        reader.load(argv[1]);
    } catch (const char* msg) {
        std::printf("%s\n", msg);
        return 1;
    }
    const size_t count = static_cast<size_t>(reader.getWidth()) * reader.getHeight() *
                         static_cast<size_t>(reader.getPixelDepth() / 8);
    std::vector<float> out(count);
    const int result = reader.convertToFloat(out.data());
    std::printf("%d %d %d %d\n", reader.getWidth(), reader.getHeight(), reader.getPixelDepth(), result);
    std::fwrite(out.data(), sizeof(float), out.size(), stdout);
    return 0;
}
