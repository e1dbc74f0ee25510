#pragma once

// The rectangle that frames the picture, in window pixels with the origin at the lower left.
// The lines at x0 and x1 enclose the columns x0 + 1 … x1 − 1 (likewise rows), the inner area.
class FrameRect {
public:
    FrameRect();
    ~FrameRect();

    // Places the lines one pixel outside an area of width × height whose corner is (x + 1, y + 1).
    void set(int x, int y, int width, int height);
    // Window x of column a of the inner area, counted from 0.
    int innerX(int a) const;
    // Window y of row a of the inner area, counted from 0.
    int innerY(int a) const;
    // Both draw with the current OpenGL colour.
    void drawFilled() const;
    void drawOutline() const;

    int x0;
    int y0;
    int x1;
    int y1;
    int offsetX;
    int offsetY;
};
