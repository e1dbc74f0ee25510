#pragma once

#include "Blocks.h"
#include "Command.h"
#include "Compression.h"
#include "History.h"
#include "PassLog.h"
#include "View.h"
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
    // `transform` and `scale` stay the caller's: the picture's are the viewer's own. Their values
    // change only through the session (open included), which keeps a copy of them for its states. A `matrix`
    // worked by hand is written with its row 0 on top and, with nothing decomposed, its automatic
    // scale shows its largest number as white; a picture has row 0 at the bottom and is shown at 1.
    Session(WaveletTransform& transform, float& scale, bool matrix);

    // A new start of side `size` (a power of two), nothing decomposed, the automatic scale off.
    // `open` keeps the flags and the scale and forgets the log and the history, as opening a
    // picture does (the viewer then sets them as the desktop starts); `replaceStart` is a command
    // that can be undone, and starts plain, non-standard, at scale 1, so that a link's start and
    // commands say the whole state.
    void open(const float* values, int size);
    bool replaceStart(const float* values, int size);

    // Runs `command`: 1 when it changed something (and so can be undone), 0 when it changed
    // nothing or was refused (message() then says why), -1 when it is no command for this array
    // (a cell outside it included). A pass that would take a value beyond what a 32-bit float
    // holds is refused, so that no Infinity or NaN ever appears.
    int run(const Command& command);
    // The same for a command's text, as a link writes it.
    int run(const std::string& command);
    // Why the last command changed nothing, when it was refused; "" otherwise.
    const std::string& message() const;
    // Each command by itself; true when it changed something.
    bool key(unsigned char key);
    bool setScale(float scale);
    // Turns the automatic scale on: the scale is set by automaticScale (AutoScale.h) at once and
    // after every later command, until a typed scale, B or b turns it off.
    bool autoScale();
    // Back to the state as opened: the start's values, plain, non-standard, scale 1, the
    // automatic scale off. What the last keep kept stays, for the view that shows it.
    bool reset();
    bool setValue(int row, int column, float value);
    bool keepLargest(double percent, KeepResult& result);
    // The textbook's threshold (Compression.h) on every entry outside the averages of the blocks
    // in effect; refused when nothing is decomposed.
    bool threshold(double epsilon, bool soft);
    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;

    int size() const;
    const float* values() const;
    const std::vector<float>& start() const;
    float scale() const;
    bool automaticScaleOn() const;
    // The desktop's status line, with "Orthonormal" where it names the normalization.
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
    std::vector<std::string> commands() const;
    // What the undo history holds, in bytes (see History).
    std::size_t historyBytes() const;
    // The peak of the PSNR: 1 for a picture, matrixPeak of a matrix's start.
    float peak() const;
    // PSNR in dB of the array against its start, NaN while anything is decomposed.
    double psnr() const;
    // What the last keep-the-largest or threshold since the start did (kind none when neither).
    const Reduction& lastReduction() const;
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
    // True while the state is still `before`, bit for bit.
    bool unchangedSince(const Snapshot& before) const;
    // Makes the passes of `key`; false, with everything as it was, when one would overflow.
    bool pass(char key);
    // Runs a keep or a threshold (`measured` makes it and gives its count) and notes what it did.
    bool reduce(const Command& command, const std::function<std::size_t()>& measured);
    bool nothingDecomposed() const;
    // Runs `change`, and records the state before it as `command`'s when it changed anything.
    // A change that returns false is taken back.
    int changing(const Command& command, const std::function<bool()>& change);

    WaveletTransform& transform;
    float& scaleValue;
    bool matrix;
    // The automatic scale is on: the scale follows every command.
    bool scaleFollows = false;
    Record record;
    History history;
    // The transform's values as the last state kept them, shared with it; null once a command
    // may have changed them. Commands that change only the scale or a flag then copy nothing.
    mutable std::shared_ptr<const std::vector<float>> valuesKept;
    std::string refusal;
    // The blocks are a function of the side and the log alone, and are made from this key and
    // nothing else, so that they cannot outlive either; the readout asks at every pointer move.
    struct BlocksKey {
        int size = 0;
        PassLog log;
        bool operator==(const BlocksKey& other) const;
    };
    mutable BlocksKey blocksKey;
    mutable std::vector<Block> blocksMade;
    mutable bool blocksValid = false;
};
