#pragma once

#include "FrameRect.h"
#include "TGAReadWrite.h"
#include "WaveletTransform.h"

// The viewer's state, shared by the GLUT callbacks and alive for the whole process.
extern int g_windowWidth;
extern int g_windowHeight;
extern int g_imageSize;
extern float g_scale;
extern char g_statusText[256];
extern TGAReadWrite g_image;
extern WaveletTransform g_transform;
extern FrameRect g_frame;
