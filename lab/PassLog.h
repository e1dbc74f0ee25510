#pragma once

#include "PassPlan.h"

#include <vector>

// The transform records nothing of the passes it makes: its four lengths are its whole memory.
// The page keeps its own log of the passes in effect, so that it can say where the decomposition
// stands, warn before a step that would not undo the latest pass, and name the blocks.
//
// A pass is one kernel call. A forward pass over `length` entries (the direction's length before
// it) of lines 0 … count − 1 is undone exactly only by the inverse pass of the same direction that
// rebuilds the same `length` entries (its inverse length) of the same `count` lines, with the same
// normalization, while it is the latest pass in effect. At length 2 the level factor is 1, so
// there plain and normalized passes are the same; an orthonormal pass differs from both at every
// length.

// True when the inverse pass `inverse` undoes the forward pass `forward`.
bool undoes(const Pass& inverse, const Pass& forward);

// The passes that `key` (F, f, R or r) would make from `state`, in order, without making them:
// the plan of its driver. Any other key makes none. `state` is moved on past them.
std::vector<Pass> plannedPasses(DriverState& state, unsigned char key);

class PassLog {
public:
    // Forgets everything: the picture (or matrix) is as it was opened.
    void clear();

    // Notes a pass as made. A forward pass comes into effect; an inverse pass takes the latest
    // pass in effect back when it undoes it. One that does not leaves an array that no longer is
    // the transform of the start: the log then stays broken until cleared, and takes back the
    // latest pass of the inverse pass's direction so that it still counts the levels the lengths
    // say are in effect.
    void record(const Pass& pass);

    // The passes in effect, oldest first.
    const std::vector<Pass>& inEffect() const;
    // True while every inverse pass since the start undid the latest pass in effect at its time.
    bool intact() const;
    // Forward passes in effect along rows and along columns.
    int rowLevels() const;
    int columnLevels() const;

    bool operator==(const PassLog& other) const;

private:
    std::vector<Pass> passes;
    bool broken = false;
};
