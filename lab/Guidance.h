#pragma once

#include "PassLog.h"

#include <string>

// The page's words for where the decomposition stands and for a step about to go wrong, from the
// drivers' state and the log of the passes in effect. `rowZeroOnTop` says how the array is shown:
// a picture has its row 0 at the bottom, a matrix written out by hand at the top.

// How many levels are in effect and what the next f, r and R would do.
std::string describeWhere(const DriverState& state, const PassLog& log, bool rowZeroOnTop);

// Empty exactly when every inverse pass so far undid the latest pass in effect, and the next r
// and every pass of the next R, with the flags as they stand, would each do so too. Otherwise
// which key would go wrong and why, which key is safe, and whether only Undo or Reset leads back.
std::string describeWarning(const DriverState& state, const PassLog& log);

// True when every pass that `key` would make from `state` undoes the latest pass in effect at
// its time (vacuously when it makes none).
bool keyUndoes(const DriverState& state, const PassLog& log, unsigned char key);
