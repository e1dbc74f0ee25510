#pragma once

#include "WaveletTransform.h"

// Key map (a key's case matters unless both cases are listed):
//   F      full decomposition            f   one decomposition pass
//   R      full reconstruction           r   one reconstruction pass
//   N, n   toggle normalized kernels     S, s  toggle standard arrangement
//   B      scale + 1                     b   scale − 1, never below 1
//   ESC    quit with exit status 0 (the window's keyboard callback handles it)
// Every other key only redraws.

// Applies the command of `key` to `transform` and `scale`: the keys' effects in one place, for the
// viewer and for any other transform shown at a scale of its own.
void applyKey(WaveletTransform& transform, float& scale, unsigned char key);

// Applies the command of `key` (any key but ESC) to the viewer's transform, scale and status line.
void applyKey(unsigned char key);
