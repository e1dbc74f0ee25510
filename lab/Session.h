#pragma once

#include "Blocks.h"
#include "Compression.h"
#include "History.h"
#include "PassLog.h"
#include "WaveletTransform.h"

#include <functional>
#include <string>
#include <vector>

// What the picture shows: the coefficients; the start (the picture as opened); the coefficients
// minus the start, zero at mid grey; or which coefficients the last keep-the-largest kept.
enum class View { coefficients, opened, difference, kept };

// One array the page lets a learner work on (the picture, or a small matrix): its transform and
// scale, the log of the passes in effect, the start that Reset returns to, and the undo history.
// Every command goes through here so that the log follows each pass and a command that changed
// something can be taken back bit for bit.
class Session {
public:
    // `transform` and `scale` stay the caller's: the picture's are the viewer's own. A `matrix`
    // worked by hand is written with its row 0 on top and, with nothing decomposed, its automatic
    // scale shows its largest number as white; a picture has row 0 at the bottom and is shown at 1.
    Session(WaveletTransform& transform, float& scale, bool matrix);

    // A new start of side `size` (a power of two), nothing decomposed. `open` keeps the flags and
    // the scale and forgets the log and the history, as opening a picture does (the viewer then
    // sets them as the desktop starts); `replaceStart` is a command that can be undone, and starts
    // plain, non-standard, at scale 1, so that a link's start and commands say the whole state.
    void open(const float* values, int size);
    bool replaceStart(const float* values, int size);

    // The commands; each returns whether it changed anything (and so can be undone).
    bool key(unsigned char key);
    bool setScale(float scale);
    bool autoScale();
    bool reset();
    bool setValue(int row, int column, float value);
    bool keepLargest(double percent, KeepResult& result);
    // Any command as a link writes it (see Link.h): 1 when it changed something, 0 when it
    // changed nothing, -1 when it is no command for this array (a cell outside it included).
    int run(const std::string& command);
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
    // The commands since the start that changed something, as run takes them; undo takes the
    // last one back.
    const std::vector<std::string>& commands() const;
    // What the last keep-the-largest since the start kept, or null when none was made.
    const KeepResult* lastKeep() const;
    // True while the passes that the last keep-the-largest was made on are still those in effect.
    bool keptViewShows() const;
    // RGBA bytes of `view`, in the order the array is shown (a picture's top line first, a
    // matrix's row 0 first), each grey as the window's pixel transfer makes it. The signed view
    // shows 0.5 + 0.5 × v × scale, so that zero is mid grey; the difference is always shown so.
    void render(View view, bool signedView, std::vector<unsigned char>& rgba) const;

private:
    // `values` as the start, nothing decomposed, nothing kept.
    void startAt(const float* values, int size);
    Snapshot snapshot() const;
    void restore(const Snapshot& state);
    // Runs `command`, and records the state before it when it changed anything.
    bool changing(const std::string& text, const std::function<void()>& command);

    WaveletTransform& transform;
    float& scaleValue;
    bool matrix;
    Record record;
    History history;
    // The blocks follow the log alone; the readout asks for them at every pointer move.
    mutable std::vector<Block> blocksCache;
    mutable PassLog blocksLog;
    mutable int blocksSize = 0;
};
