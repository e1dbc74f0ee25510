#include "KeyCommands.h"

#include "Viewer.h"

void applyKey(WaveletTransform& transform, float& scale, unsigned char key)
{
    switch (key) {
    case 'B':
        // At 2^24 the sum rounds back to the same float, so the scale simply stops growing.
        scale = scale + 1.0f;
        break;
    case 'b':
        // Keys alone keep the scale a whole number; a scale typed in elsewhere may lie between
        // 1 and 2, and b still never takes it below 1.
        if (scale > 1.0f)
            scale = scale - 1.0f < 1.0f ? 1.0f : scale - 1.0f;
        break;
    case 'F':
        transform.decompose();
        break;
    case 'f':
        transform.decomposeStep();
        break;
    case 'R':
        transform.reconstruct();
        break;
    case 'r':
        transform.reconstructStep();
        break;
    case 'N':
    case 'n':
        transform.setNormalized(!transform.isNormalized());
        break;
    case 'S':
    case 's':
        transform.setStandard(!transform.isStandard());
        break;
    default:
        break;
    }
}

void applyKey(unsigned char key)
{
    applyKey(g_transform, g_scale, key);
    // The line depends only on the flags and the scale, which the driver keys leave alone, so
    // formatting it after every key shows the same text as formatting it after those that change.
    updateStatusText();
}
