#pragma once

#include "FrameRect.h"

// The frame around the picture, placed once by loadImage.
extern FrameRect g_frame;

// Writes `text` in GLUT's 12-point Helvetica with its baseline starting at (x, y), in the colour
// current when it is called; a null text draws nothing.
void drawText(int x, int y, const char* text);

// GLUT callbacks.
void display();
void reshape(int width, int height);
void mouse(int button, int state, int x, int y);
