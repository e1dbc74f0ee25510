#include "Viewer.h"

int g_windowWidth = 600;
int g_windowHeight = 600;
int g_imageSize = 512;
float g_scale = 1.0f;
char g_statusText[256] = {};

// Defined in this order so that they are built in it and torn down in reverse at exit:
// the frame first, then the transform's arrays, then the reader's file buffer.
TGAReadWrite g_image;
WaveletTransform g_transform;
FrameRect g_frame;
