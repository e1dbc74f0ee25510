#pragma once

#include "Command.h"
#include "Compression.h"
#include "PassLog.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

// What a session keeps beside its transform and scale: the pass log, the start that Reset returns
// to and what the last keep-the-largest kept (both shared between states, since they rarely
// change), and the commands that led here from the start (shared the same way).
struct Record {
    PassLog log;
    std::shared_ptr<const std::vector<float>> start;
    std::shared_ptr<const std::vector<unsigned char>> keptMask;
    PassLog keptLog;
    KeepResult kept{};
    // What the last keep-the-largest or threshold since the start did.
    Reduction reduced;
    CommandList commands;

    // The commands that led here do not count.
    bool operator==(const Record& other) const;
};

// One whole state of a session: every float, the lengths, the arrangement and normalization, the
// scale and whether it follows the commands automatically, and its record.
// The floats are shared with the states next to it while no command changes them.
struct Snapshot {
    int size = 0;
    std::shared_ptr<const std::vector<float>> values;
    int rowLength = 0;
    int columnLength = 0;
    bool standard = false;
    Normalization normalization = Normalization::plain;
    float scale = 1.0f;
    bool automaticScale = false;
    Record record;

    // Bit for bit, the scale and the floats included.
    bool operator==(const Snapshot& other) const;
    // What this state holds alone: itself and its logs, as allocated.
    std::size_t ownBytes() const;
};

// Undo and redo of whole states. Together they hold at most `byteLimit` bytes, counted as
// allocated: each state's own, and each block that states share (its floats, a start, a kept
// mask, the node of a command) once however many hold it, with what it takes to know that. The oldest states go first when a new one would not fit.
class History {
public:
    explicit History(std::size_t byteLimit);

    void clear();
    // `before` is the state a command just changed: it becomes the one Undo returns to, and
    // whatever could be redone is gone.
    void recordChange(Snapshot before);
    // Each gives `now` in exchange for the state to return to; false when there is none.
    bool undo(Snapshot& now);
    bool redo(Snapshot& now);
    bool canUndo() const;
    bool canRedo() const;
    std::size_t bytes() const;

private:
    struct Shared {
        std::size_t holders;
        std::size_t bytes;
    };
    void hold(const Snapshot& state);
    void release(const Snapshot& state);
    void holdBlock(const void* block, std::size_t bytes);
    void releaseBlock(const void* block);
    void fitWithin();

    std::size_t limit;
    std::size_t total = 0;
    std::unordered_map<const void*, Shared> shared;
    // Nearest state last in both.
    std::deque<Snapshot> undoStates;
    std::deque<Snapshot> redoStates;
};
