// Test tool: the desktop viewer without its window. Loads and checks IMAGE as the desktop does,
// applies KEYS through the desktop's key handling, prints the status line and writes the
// coefficients to OUT as native 32-bit floats, row 0 (the bottom) first; for a refused file it
// prints the desktop's message and ends with status 1.
//
//   viewer_replay IMAGE KEYS OUT

#include "KeyCommands.h"
#include "Viewer.h"

#include <cstddef>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: viewer_replay IMAGE KEYS OUT\n");
        return 2;
    }
    try {
        g_transform.setSize(g_imageSize);
        g_image.load(argv[1]);
        checkImageFormat(g_image);
        handOverImage(g_image);
    } catch (const char* message) {
        std::puts(message);
        return 1;
    }
    for (const char* key = argv[2]; *key != '\0'; ++key)
        applyKey(static_cast<unsigned char>(*key));

    const auto n = static_cast<std::size_t>(g_imageSize);
    const std::size_t cells = n * n;
    std::FILE* out = std::fopen(argv[3], "wb");
    const bool written =
        out != nullptr && std::fwrite(g_transform.getData(), sizeof(float), cells, out) == cells;
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "viewer_replay: cannot write %s\n", argv[3]);
        return 2;
    }
    std::puts(g_statusText);
    return 0;
}
