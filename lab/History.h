#pragma once

#include "Compression.h"
#include "PassLog.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// What a session keeps beside its transform and scale: the pass log, the start that Reset returns
// to and what the last keep-the-largest kept (both shared between states, since they rarely
// change), and the commands that led here from the start.
struct Record {
    PassLog log;
    std::shared_ptr<const std::vector<float>> start;
    std::shared_ptr<const std::vector<unsigned char>> keptMask;
    PassLog keptLog;
    KeepResult kept{};
    std::vector<std::string> commands;

    // The commands that led here do not count.
    bool operator==(const Record& other) const;
    std::size_t bytes() const;
};

// One whole state of a session: every float, the lengths, both flags, the scale and its record.
struct Snapshot {
    int size = 0;
    std::vector<float> values;
    int rowLength = 0;
    int columnLength = 0;
    bool standard = false;
    bool normalized = false;
    float scale = 1.0f;
    Record record;

    // Bit for bit, the scale and the floats included.
    bool operator==(const Snapshot& other) const;
    std::size_t bytes() const;
};

// Undo and redo of whole states. Together they hold at most `byteLimit` bytes; the oldest states
// go first when a new one would not fit.
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

private:
    void fitWithin();

    std::size_t limit;
    std::vector<Snapshot> undoStates;
    std::vector<Snapshot> redoStates;
};
