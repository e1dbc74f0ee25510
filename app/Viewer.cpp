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

void formatStatusText(char (&text)[256], const WaveletTransform& transform, float scale)
{
    std::snprintf(text, sizeof text, "Time/Wavelet Domain      Transform: %s / %s      Scale (%f)",
                  transform.isNormalized() ? "Normalized" : "Un-Normalized",
                  transform.isStandard() ? "Standard" : "Non-Standard", static_cast<double>(scale));
}

void updateStatusText()
{
    formatStatusText(g_statusText, g_transform, g_scale);
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
