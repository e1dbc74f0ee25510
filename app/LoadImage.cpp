#include "LoadImage.h"

#include "Display.h"
#include "Viewer.h"

#include <GL/gl.h>

#include <cstddef>

void loadImage(const char* path)
{
    const int n = g_imageSize;
    g_transform.setSize(n);
    g_frame.set(42, 42, n, n);

    g_image.load(path);
    // The reader also accepts true colour and any size; the viewer shows only N × N grey.
    if (g_image.getPixelDepth() != 8)
        throw "Orlinde: improper image format.";
    if (g_image.getWidth() != n)
        throw "Orlinde: improper image format.";
    if (g_image.getHeight() != n)
        throw "Orlinde: improper image format.";

    float* pixels = new float[static_cast<std::size_t>(n) * static_cast<std::size_t>(n)];
    g_image.convertToFloat(pixels);
    g_transform.setData(pixels);
    delete[] pixels;

    updateStatusText();
    glClearColor(0.4f, 0.4f, 0.4f, 0.0f);
}
