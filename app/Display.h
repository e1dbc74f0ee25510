#pragma once

// Writes `text` in GLUT's 12-point Helvetica with its baseline starting at (x, y), in the colour
// current when it is called; a null text draws nothing.
void drawText(int x, int y, const char* text);
// Formats the status line (normalization, arrangement, scale) into g_statusText.
void updateStatusText();

// GLUT callbacks.
void display();
void reshape(int width, int height);
void mouse(int button, int state, int x, int y);
