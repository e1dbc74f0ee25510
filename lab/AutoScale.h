#pragma once

#include "Blocks.h"

#include <vector>

// The scale at which the 99th percentile of the magnitudes of the detail coefficients in effect
// shows as full white (and, in the signed view, as full black or white: 0.5 ± 0.5 × v × scale
// reaches the ends at the same scale). With no details in effect the array is a picture, shown at
// 1, or, when `largestWithoutDetails`, a matrix shown so that its largest magnitude is white.
float automaticScale(const float* values, int size, const std::vector<Block>& blocks,
                     bool largestWithoutDetails);
