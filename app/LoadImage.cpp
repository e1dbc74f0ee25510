#include "LoadImage.h"

#include "Display.h"
#include "Viewer.h"

#include <GL/gl.h>

void loadImage(const char* path)
{
    const int n = g_imageSize;
    g_transform.setSize(n);
    g_frame.set(42, 42, n, n);

    g_image.load(path);
    takeImage(g_image);
    glClearColor(0.4f, 0.4f, 0.4f, 0.0f);
}
