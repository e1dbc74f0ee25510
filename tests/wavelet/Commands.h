#pragma once

#include "PassPlan.h"
#include "WaveletTransform.h"

#include <string>

// Applies command letters as the viewer's keys do: F decompose, f decomposeStep, R reconstruct,
// r reconstructStep, N or n toggles normalization (from orthonormal to plain, as the page does),
// O makes the passes orthonormal, S or s toggles the arrangement. Returns false, having
// applied the letters before it, at the first letter that is no command.
inline bool applyCommands(WaveletTransform& t, const std::string& keys)
{
    for (char key : keys) {
        switch (key) {
        case 'F': t.decompose(); break;
        case 'f': t.decomposeStep(); break;
        case 'R': t.reconstruct(); break;
        case 'r': t.reconstructStep(); break;
        case 'N':
        case 'n': t.setNormalized(t.getNormalization() == Normalization::plain); break;
        case 'O': t.setNormalization(Normalization::orthonormal); break;
        case 'S':
        case 's': t.setStandard(!t.isStandard()); break;
        default: return false;
        }
    }
    return true;
}
