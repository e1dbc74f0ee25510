// Test tool: the desktop viewer without its window. Loads and checks IMAGE as the desktop does and
// applies KEYS through the desktop's key handling; then writes the coefficients to standard output
// as native 32-bit floats, row 0 (the bottom) first, and the status line to standard error. For a
// refused file it prints the desktop's message to standard error and ends with status 1.
//
//   viewer_replay IMAGE KEYS > OUT

#include "KeyCommands.h"
#include "Viewer.h"

#include <cstddef>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: viewer_replay IMAGE KEYS > OUT\n");
        return 2;
    }
    try {
        g_image.load(argv[1]);
        takeImage(g_image);
    } catch (const char* message) {
        std::fprintf(stderr, "%s\n", message);
        return 1;
    }
    for (const char* key = argv[2]; *key != '\0'; ++key)
        applyKey(static_cast<unsigned char>(*key));

    std::fprintf(stderr, "%s\n", g_statusText);
    const auto n = static_cast<std::size_t>(g_imageSize);
    return std::fwrite(g_transform.getData(), sizeof(float), n * n, stdout) == n * n ? 0 : 2;
}
