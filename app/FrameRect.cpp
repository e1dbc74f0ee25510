#include "FrameRect.h"

#include <GL/gl.h>

FrameRect::FrameRect() : x0(0), y0(0), x1(0), y1(0), offsetX(0), offsetY(0) {}

FrameRect::~FrameRect() = default;

void FrameRect::set(int x, int y, int width, int height)
{
    x0 = x;
    y0 = y;
    x1 = x + width + 1;
    y1 = y + height + 1;
}

int FrameRect::innerX(int a) const { return offsetX + x0 + a + 1; }

int FrameRect::innerY(int a) const { return offsetY + y0 + a + 1; }

void FrameRect::drawFilled() const
{
    glBegin(GL_POLYGON);
    glVertex2i(x0, y0);
    glVertex2i(x0, y1);
    glVertex2i(x1, y1);
    glVertex2i(x1, y0);
    glEnd();
}

void FrameRect::drawOutline() const
{
    glBegin(GL_LINE_LOOP);
    glVertex2i(x0, y0);
    glVertex2i(x0, y1);
    glVertex2i(x1, y1);
    glVertex2i(x1, y0);
    glEnd();
}
