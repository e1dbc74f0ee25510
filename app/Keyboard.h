#pragma once

// GLUT keyboard callback: ESC quits; every other key is applied (key map in KeyCommands.h) and
// followed by a redraw.
void keyboard(unsigned char key, int x, int y);

// Ends the process through exit(0), so the viewer's globals are destroyed as at any exit.
[[noreturn]] void quit();
