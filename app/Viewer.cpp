#include "Viewer.h"

#include <cstddef>
#include <cstdio>
#include <vector>

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

void takeImage(const TGAReadWrite& image)
{
    const int n = g_imageSize;
    if (image.getPixelDepth() != 8 || image.getWidth() != n || image.getHeight() != n)
        throw "Orlinde: improper image format.";

    if (g_transform.getSize() != n)
        g_transform.setSize(n);
    std::vector<float> pixels(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    image.convertToFloat(pixels.data());
    g_transform.setData(pixels.data());
    g_scale = 1.0f;
    g_transform.setStandard(false);
    g_transform.setNormalized(false);
    updateStatusText();
}
