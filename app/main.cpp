#include "Display.h"
#include "Keyboard.h"
#include "LoadImage.h"
#include "Viewer.h"

#include <GL/freeglut.h>

#include <iostream>

// Every failure is a message text thrown during start-up and reported here, as one line on
// standard output; the program then ends with status 1, so that a script can tell a refused
// file from a picture on screen. ESC and closing the window end with 0 elsewhere.
int main(int argc, char** argv)
{
    try {
        if (argc != 2)
            throw "Orlinde: no image given.";
        // On Windows, freeglut's header turns these two calls into the variants that take the
        // process's exit function, so an end caused by GLUT still destroys the globals.
        glutInit(&argc, argv);
        // glutInit removes the options it recognises; if it took the only argument
        // (orlinde -iconic, say), no path is left to read.
        if (argc != 2)
            throw "Orlinde: no image given.";
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
        glutInitWindowSize(g_windowWidth, g_windowHeight);
        glutInitWindowPosition(100, 100);
        glutCreateWindow("Orlinde");

        loadImage(argv[1]);

        glutDisplayFunc(display);
        glutReshapeFunc(reshape);
        glutMouseFunc(mouse);
        glutKeyboardFunc(keyboard);
        glutMainLoop();
    } catch (const char* message) {
        std::cout << message << '\n' << std::flush;
        return 1;
    }
    return 0;
}
