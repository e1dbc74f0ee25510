// The functions the page calls. The viewer's own state, keys, status line and picture check are
// the desktop's (Viewer.h, KeyCommands.h); this file adds what only the page has: opening one
// picture after another, the pixels of the canvas, keep-the-largest and the PSNR.

#include "Compression.h"
#include "GreyLevel.h"
#include "KeyCommands.h"
#include "Viewer.h"

#include <emscripten/emscripten.h>

#include <cstddef>
#include <vector>

namespace {

std::size_t cellCount()
{
    return static_cast<std::size_t>(g_imageSize) * static_cast<std::size_t>(g_imageSize);
}

// The picture as last opened, to measure what keep-the-largest and the passes cost.
std::vector<float> g_opened;
// The canvas's RGBA bytes, top row first.
std::vector<unsigned char> g_pixels;

} // namespace

extern "C" {

// Opens the TGA file at `path`; null on success, else the message the desktop would print. A
// refused file changes nothing; an accepted one starts as the desktop starts.
EMSCRIPTEN_KEEPALIVE const char* orlindeOpen(const char* path)
{
    try {
        if (g_transform.getSize() != g_imageSize)
            g_transform.setSize(g_imageSize);
        TGAReadWrite image;
        image.load(path);
        checkImageFormat(image);
        g_scale = 1.0f;
        g_transform.setStandard(false);
        g_transform.setNormalized(false);
        handOverImage(image);
        const float* data = g_transform.getData();
        g_opened.assign(data, data + cellCount());
        return nullptr;
    } catch (const char* message) {
        return message;
    }
}

EMSCRIPTEN_KEEPALIVE void orlindeKey(int key)
{
    applyKey(static_cast<unsigned char>(key));
}

EMSCRIPTEN_KEEPALIVE const char* orlindeStatus()
{
    return g_statusText;
}

EMSCRIPTEN_KEEPALIVE float* orlindeData()
{
    return g_transform.getData();
}

// True when no pass is in effect, so the array is a picture again.
EMSCRIPTEN_KEEPALIVE int orlindeNothingDecomposed()
{
    const int n = g_imageSize;
    return g_transform.getRowLength() == n && g_transform.getColumnLength() == n;
}

// Fills the canvas bytes from the coefficients: v × scale as the window shows it, or in the
// signed view 0.5 + 0.5 × v × scale, so that zero is mid grey. Returns the bytes.
EMSCRIPTEN_KEEPALIVE unsigned char* orlindeRender(int signedView)
{
    const int n = g_imageSize;
    const float* data = g_transform.getData();
    const float scale = g_scale;
    g_pixels.resize(cellCount() * 4);
    unsigned char* out = g_pixels.data();
    // Array row 0 is the picture's bottom line; the canvas starts at the top.
    for (int row = n - 1; row >= 0; --row) {
        const float* line = data + static_cast<std::size_t>(row) * static_cast<std::size_t>(n);
        for (int column = 0; column < n; ++column, out += 4) {
            const float shown = line[column] * scale;
            const unsigned char grey = signedView ? greyByte(0.5f + 0.5f * shown) : greyByte(shown);
            out[0] = grey;
            out[1] = grey;
            out[2] = grey;
            out[3] = 255;
        }
    }
    return g_pixels.data();
}

// Keep-the-largest on the array as it stands; returns how many values stayed, exactly the budget.
EMSCRIPTEN_KEEPALIVE int orlindeKeep(double percent)
{
    return static_cast<int>(keepLargest(g_transform.getData(), cellCount(), percent).kept);
}

EMSCRIPTEN_KEEPALIVE double orlindePsnr()
{
    return psnr(g_transform.getData(), g_opened.data(), cellCount());
}

} // extern "C"
