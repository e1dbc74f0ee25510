#pragma once

#include "TGAReadWrite.h"
#include "WaveletTransform.h"

// The viewer's state and everything that changes it apart from drawing. Nothing here touches
// OpenGL, so the desktop window and the web page share one copy of the keys' effects, the status
// line and the picture check.
extern int g_windowWidth;
extern int g_windowHeight;
extern int g_imageSize;
extern float g_scale;
extern char g_statusText[256];
extern TGAReadWrite g_image;
extern WaveletTransform g_transform;

// Formats the status line of `transform` shown at `scale` (normalization, arrangement, scale).
void formatStatusText(char (&text)[256], const WaveletTransform& transform, float scale);

// Formats the viewer's own status line into g_statusText.
void updateStatusText();

// Throws "Orlinde: improper image format." unless `image`, loaded, is 8-bit grey of side
// g_imageSize: the reader also accepts true colour and any size.
void checkImageFormat(const TGAReadWrite& image);

// Copies the grey values of a checked `image` into g_transform, already of side g_imageSize,
// which leaves nothing decomposed, and formats the status line.
void handOverImage(const TGAReadWrite& image);
