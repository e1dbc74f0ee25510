#pragma once

#include "PassPlan.h"

#include <string>
#include <vector>

// The matrix W that a forward pass multiplies each line it covers by: the pass's `length` L
// leading entries x of each line become W x, up to float rounding. Row i < L/2 averages entries
// 2i and 2i + 1; row L/2 + i holds their detail, + on entry 2i and − on entry 2i + 1.
struct PassMatrix {
    int length = 0;
    // L × L, rows in order.
    std::vector<double> entries;
};

PassMatrix passMatrix(const Pass& pass);

// Rows on lines, each entry the shortest decimal of its double between single spaces.
std::string passMatrixText(const PassMatrix& matrix);

// Which lines `pass` acts on, and how, in a sentence for the matrix's caption.
std::string passCaption(const Pass& pass);
