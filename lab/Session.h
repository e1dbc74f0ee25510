#pragma once

#include "Blocks.h"
#include "History.h"
#include "PassLog.h"
#include "WaveletTransform.h"

#include <functional>
#include <string>
#include <vector>

// One array the page lets a learner work on (the picture, or a small matrix): its transform and
// scale, the log of the passes in effect, the start that Reset returns to, and the undo history.
// Every command goes through here so that the log follows each pass and a command that changed
// something can be taken back bit for bit.
class Session {
public:
    // `transform` and `scale` stay the caller's: the picture's are the viewer's own. A matrix is
    // written with its row 0 on top, a picture has it at the bottom.
    Session(WaveletTransform& transform, float& scale, bool rowZeroOnTop);

    // A new start of side `size` (a power of two), nothing decomposed, the flags and the scale as
    // they are. `open` forgets the log and the history, as opening a picture does; `replaceStart`
    // is a command that can be undone.
    void open(const float* values, int size);
    bool replaceStart(const float* values, int size);

    // The commands; each returns whether it changed anything (and so can be undone).
    bool key(unsigned char key);
    bool setScale(float scale);
    bool autoScale();
    bool reset();
    bool setValue(int row, int column, float value);
    bool keepLargest(double percent, std::size_t& kept);
    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;

    int size() const;
    const float* values() const;
    const std::vector<float>& start() const;
    float scale() const;
    std::string status() const;
    const PassLog& log() const;
    DriverState state() const;
    std::string where() const;
    std::string warning() const;
    const std::vector<Block>& blocks() const;
    // The name of the block holding entry (row, column); "" where none applies.
    std::string blockNameAt(int row, int column) const;

private:
    Snapshot snapshot() const;
    void restore(const Snapshot& state);
    // Runs `command`, and records the state before it when it changed anything.
    bool changing(const std::function<void()>& command);

    WaveletTransform& transform;
    float& scaleValue;
    bool rowZeroOnTop;
    PassLog passLog;
    std::shared_ptr<const std::vector<float>> startValues;
    History history;
    // The blocks follow the log alone; the readout asks for them at every pointer move.
    mutable std::vector<Block> blocksCache;
    mutable PassLog blocksLog;
    mutable int blocksSize = 0;
};
