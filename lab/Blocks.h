#pragma once

#include "PassLog.h"

#include <string>
#include <vector>

// The blocks of the coefficient array in effect, in array coordinates (row 0 the array's first
// row). Every entry's kind is followed from the start through each forward pass in effect exactly
// as the pass moves the values: the pair (x[2k], x[2k + 1]) of each covered line becomes the
// average x[k] and the detail x[half + k]. A pair whose two entries were of different kinds, as
// when F follows an odd number of non-standard steps, makes entries of mixed kind. The blocks are
// then the rectangles of entries of one kind.
struct Block {
    int row;
    int column;
    int height;
    int width;
    // The level of the latest pass of each direction that covered the block (0: none; 1: the
    // finest) and whether that pass left details in it.
    int rowLevel;
    bool rowDetail;
    int columnLevel;
    bool columnDetail;
    // Made from pairs of entries of different kinds.
    bool mixed;

    bool isDetail() const;
};

std::vector<Block> blocksInEffect(int size, const PassLog& log);

// The name of `block` in the words a textbook uses: a non-standard decomposition (every pass over
// a square corner, so a level is a row pass and a column pass) names "average", "level k row
// detail (vertical edges)", "level k column detail (horizontal edges)" and "level k diagonal
// detail"; a standard one "row level i … × column level j …" with "average" or "detail"; both
// name "not transformed yet", and a mixed block says so. Once the passes no longer undo each
// other no name applies: "".
std::string blockName(const Block& block, int size, const PassLog& log, bool standardNow);

// The block holding entry (row, column), or null when it lies outside the array.
const Block* blockAt(const std::vector<Block>& blocks, int row, int column);
