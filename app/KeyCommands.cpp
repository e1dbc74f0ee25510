#include "KeyCommands.h"

#include "Viewer.h"

void applyKey(unsigned char key)
{
    switch (key) {
    case 'B':
        // At 2^24 the sum rounds back to the same float, so the scale simply stops growing.
        g_scale = g_scale + 1.0f;
        updateStatusText();
        break;
    case 'b':
        if (g_scale > 1.0f)
            g_scale = g_scale - 1.0f;
        updateStatusText();
        break;
    case 'F':
        g_transform.decompose();
        break;
    case 'f':
        g_transform.decomposeStep();
        break;
    case 'R':
        g_transform.reconstruct();
        break;
    case 'r':
        g_transform.reconstructStep();
        break;
    case 'N':
    case 'n':
        g_transform.setNormalized(!g_transform.isNormalized());
        updateStatusText();
        break;
    case 'S':
    case 's':
        g_transform.setStandard(!g_transform.isStandard());
        updateStatusText();
        break;
    default:
        break;
    }
}
