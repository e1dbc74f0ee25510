#include "Viewer.h"

#include <cstddef>
#include <cstdio>

int g_windowWidth = 600;
int g_windowHeight = 600;
int g_imageSize = 512;
float g_scale = 1.0f;
char g_statusText[256] = {};

// Defined in this order so that they are built in it and torn down in reverse at exit:
// the transform's arrays first, then the reader's file buffer.
TGAReadWrite g_image;
WaveletTransform g_transform;

void updateStatusText()
{
    std::snprintf(g_statusText, sizeof g_statusText,
                  "Time/Wavelet Domain      Transform: %s / %s      Scale (%f)",
                  g_transform.isNormalized() ? "Normalized" : "Un-Normalized",
                  g_transform.isStandard() ? "Standard" : "Non-Standard",
                  static_cast<double>(g_scale));
}

void checkImageFormat(const TGAReadWrite& image)
{
    const int n = g_imageSize;
    if (image.getPixelDepth() != 8)
        throw "Orlinde: improper image format.";
    if (image.getWidth() != n)
        throw "Orlinde: improper image format.";
    if (image.getHeight() != n)
        throw "Orlinde: improper image format.";
}

void handOverImage(const TGAReadWrite& image)
{
    const int n = g_imageSize;
    float* pixels = new float[static_cast<std::size_t>(n) * static_cast<std::size_t>(n)];
    image.convertToFloat(pixels);
    g_transform.setData(pixels);
    delete[] pixels;

    updateStatusText();
}
