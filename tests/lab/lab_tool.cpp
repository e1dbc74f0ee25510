// Test tool: runs the page's computations on raw files so that scripts can hold them to independent
// implementations and to other programs' readers.
//
//   lab_tool rd N picture.raw          the rate–distortion data of an N × N float32 picture: one
//                                      line per share, "share psnr …" with six PSNRs in the modes
//                                      order, every number as printf's %.17g
//   lab_tool tga N values.raw out.tga  the saved TGA of an N × N float32 array
//   lab_tool png W H grey.raw out.png  the saved PNG of W × H grey bytes, top row first
//   lab_tool rgba in.tga               "width height" on a line, then the RGBA bytes; or the
//                                      refusal on a line and exit status 1
//
// Raw files are native byte order, row-major, row 0 first. Exit status 2 on a usage or file error.

#include "GreyFiles.h"
#include "RateDistortion.h"
#include "TgaPicture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "lab_tool: %s\n", message.c_str());
    return 2;
}

// The whole file at `path` in `out`; false when it cannot be read or has another size.
template <class T>
bool readExactly(const char* path, std::vector<T>& out)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    const bool whole = std::fread(out.data(), sizeof(T), out.size(), file) == out.size() &&
                       std::fgetc(file) == EOF;
    std::fclose(file);
    return whole;
}

bool writeAll(const char* path, const std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

int side(const char* text)
{
    const long v = std::strtol(text, nullptr, 10);
    return v > 0 && v <= 65535 ? static_cast<int>(v) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "rd" && argc == 4 && side(argv[2]) > 0) {
        const int n = side(argv[2]);
        std::vector<float> picture(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
        if (!readExactly(argv[3], picture))
            return fail("cannot read N × N floats");
        RateDistortion data;
        data.start(picture.data(), n);
        data.finish();
        for (std::size_t s = 0; s < RateDistortion::shares().size(); ++s) {
            std::printf("%.17g", RateDistortion::shares()[s]);
            for (int mode = 0; mode < RateDistortion::kModeCount; ++mode)
                std::printf(" %.17g", data.psnr(mode, s));
            std::printf("\n");
        }
        return 0;
    }
    if (command == "tga" && argc == 5 && side(argv[2]) > 0) {
        const int n = side(argv[2]);
        std::vector<float> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
        if (!readExactly(argv[3], values))
            return fail("cannot read N × N floats");
        return writeAll(argv[4], greyTga(values.data(), n)) ? 0 : fail("cannot write");
    }
    if (command == "png" && argc == 6 && side(argv[2]) > 0 && side(argv[3]) > 0) {
        const int w = side(argv[2]);
        const int h = side(argv[3]);
        std::vector<unsigned char> grey(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        if (!readExactly(argv[4], grey))
            return fail("cannot read W × H bytes");
        return writeAll(argv[5], greyPng(grey.data(), w, h)) ? 0 : fail("cannot write");
    }
    if (command == "rgba" && argc == 3) {
        TgaPicture picture;
        const std::string refusal = picture.load(argv[2]);
        if (!refusal.empty()) {
            std::printf("%s\n", refusal.c_str());
            return 1;
        }
        std::printf("%d %d\n", picture.getWidth(), picture.getHeight());
        const std::vector<unsigned char>& rgba = picture.getRgba();
        std::fwrite(rgba.data(), 1, rgba.size(), stdout);
        return 0;
    }
    return fail("usage: lab_tool rd N picture.raw | tga N values.raw out.tga | "
                "png W H grey.raw out.png | rgba in.tga");
}
