#pragma once

#include "WaveletTransform.h"

// One call of one of the transform's eight kernels: which lines, which way, plain or normalized,
// over how many lines.
struct KernelPass {
    bool rows;
    bool forward;
    bool scaled;
    int count;
};

// Makes on t the one kernel call that `pass` names.
inline void run(WaveletTransform& t, const KernelPass& pass)
{
    if (pass.forward && !pass.scaled)
        pass.rows ? t.forwardRows(pass.count) : t.forwardColumns(pass.count);
    else if (pass.forward)
        pass.rows ? t.forwardRowsNormalized(pass.count) : t.forwardColumnsNormalized(pass.count);
    else if (!pass.scaled)
        pass.rows ? t.inverseRows(pass.count) : t.inverseColumns(pass.count);
    else
        pass.rows ? t.inverseRowsNormalized(pass.count) : t.inverseColumnsNormalized(pass.count);
}
