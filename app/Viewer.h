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

// Checks `image`, loaded, and hands it over: the one way a picture reaches the viewer, for the
// window, the web page and the test tools alike. Throws "Orlinde: improper image format." and
// changes nothing unless it is 8-bit grey of side g_imageSize (the reader also accepts true colour
// and any size). Otherwise the viewer starts on it as the window starts: its grey values in
// g_transform (sized first if it is not yet of side g_imageSize), nothing decomposed, scale 1,
// non-standard and un-normalized, and the status line to match.
void takeImage(const TGAReadWrite& image);
