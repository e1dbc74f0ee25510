#include "Display.h"

#include "Viewer.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

FrameRect g_frame;

void drawText(int x, int y, const char* text)
{
    if (text == nullptr)
        return;
    glRasterPos2i(x, y);
    for (const char* c = text; *c != '\0'; ++c)
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, static_cast<unsigned char>(*c));
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT);

    // The scale reaches the picture through the pixel transfer, which also clamps to [0, 1];
    // the coefficients themselves are never touched, so changing the scale costs no pass.
    glPixelTransferf(GL_RED_SCALE, g_scale);
    glPixelTransferf(GL_GREEN_SCALE, g_scale);
    glPixelTransferf(GL_BLUE_SCALE, g_scale);

    // The raster colour is latched by glRasterPos, so the colour goes first.
    glColor3f(0.7f, 0.7f, 0.7f);
    drawText(g_frame.x0 + 5, g_frame.y1 + 5, g_statusText);

    glColor3f(0.0f, 0.0f, 0.0f);
    g_frame.drawFilled();
    glColor3f(0.7f, 0.7f, 0.7f);
    g_frame.drawOutline();

    const int n = g_imageSize;
    glRasterPos2i(g_frame.innerX(0), g_frame.innerY(0));
    glDrawPixels(n, n, GL_LUMINANCE, GL_FLOAT, g_transform.getData());

    glutSwapBuffers();

    // Mesa's software renderer learns the window's size only at a buffer swap, so a window
    // resized before its first swap would keep a first frame of the old size until the next
    // event; a second frame is drawn at the size the window then has.
    static bool first = true;
    if (first)
        glutPostRedisplay();
    first = false;
}

void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(width), 0.0, static_cast<double>(height));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Integer vertices lie on pixel corners, where the line rasterization rule puts the frame's
    // left and bottom lines one pixel outside and its right and top lines under the picture.
    // Moving every vertex into its pixel makes the lines land in the columns and rows they
    // name; raster positions stay in the same pixel, so the picture and the text do not move.
    glTranslatef(0.375f, 0.375f, 0.0f);
}

void mouse(int, int, int, int)
{
    glutPostRedisplay();
}
