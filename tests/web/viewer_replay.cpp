// Test tool: the desktop viewer without its window. Loads IMAGE as the desktop does, applies the
// KEYS through the desktop's key handling, and prints the status line on standard output, or
// the message of a refused file (exit status 1). Writes OUT.raw, the coefficients as native
// 32-bit floats, row 0 (the bottom) first, and OUT.grey, the grey bytes the window's picture
// area shows for them, top row first.
//
//   viewer_replay IMAGE KEYS OUT

#include "KeyCommands.h"
#include "Viewer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool writeAll(const std::string& path, const void* bytes, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: viewer_replay IMAGE KEYS OUT\n");
        return 2;
    }
    const int n = g_imageSize;
    try {
        g_transform.setSize(n);
        g_image.load(argv[1]);
        checkImageFormat(g_image);
        handOverImage(g_image);
    } catch (const char* message) {
        std::printf("%s\n", message);
        return 1;
    }
    for (const char* key = argv[2]; *key != '\0'; ++key)
        applyKey(static_cast<unsigned char>(*key));

    const float* data = g_transform.getData();
    const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    // The window's pixel transfer: v × scale in float, clamped to [0, 1], nearest of 256 levels.
    std::vector<unsigned char> grey;
    grey.reserve(cells);
    for (int row = n - 1; row >= 0; --row)
        for (int column = 0; column < n; ++column) {
            const float shown = std::min(std::max(data[row * n + column] * g_scale, 0.0f), 1.0f);
            grey.push_back(static_cast<unsigned char>(std::rint(shown * 255.0f)));
        }
    const std::string out = argv[3];
    if (!writeAll(out + ".raw", data, cells * sizeof(float)) ||
        !writeAll(out + ".grey", grey.data(), grey.size())) {
        std::fprintf(stderr, "viewer_replay: cannot write %s.*\n", out.c_str());
        return 2;
    }
    std::printf("%s\n", g_statusText);
    return 0;
}
