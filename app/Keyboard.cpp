#include "Keyboard.h"

#include "KeyCommands.h"

#include <GL/freeglut.h>

#include <cstdlib>

namespace {
constexpr unsigned char escapeKey = 27;
}

void keyboard(unsigned char key, int, int)
{
    if (key == escapeKey)
        quit();
    applyKey(key);
    glutPostRedisplay();
}

void quit()
{
    std::exit(0);
}
