#include "Session.h"

#include "AutoScale.h"
#include "GreyLevel.h"
#include "Guidance.h"
#include "KeyCommands.h"
#include "Viewer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// Enough for well over 32 steps of a 512 × 512 picture.
constexpr std::size_t historyLimit = 40u << 20;

std::size_t entries(int size)
{
    return static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
}

// Neither infinite nor NaN: the exponent's bits not all set. One pass over the bits, with no
// branch, so that the compiler can take many at once.
bool allFinite(const float* values, std::size_t count)
{
    std::uint32_t infiniteOrNaN = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        infiniteOrNaN |= static_cast<std::uint32_t>((bits & 0x7F800000u) == 0x7F800000u);
    }
    return infiniteOrNaN == 0;
}

// Besides the keys that make passes (Session::pass), the commands that write values.
bool writesValues(const Command& command)
{
    return command.kind == Command::Kind::reset || command.kind == Command::Kind::set ||
           command.kind == Command::Kind::keep || command.kind == Command::Kind::threshold;
}

// 1 for every entry of an n × n array that a threshold acts on: those of the detail blocks, and
// of the blocks that mix details with averages; 0 for the averages (and what no pass has reached).
std::vector<unsigned char> outsideTheAverages(const std::vector<Block>& blocks, int n)
{
    const auto side = static_cast<std::size_t>(n);
    std::vector<unsigned char> acts(side * side, 0);
    for (const Block& block : blocks)
        if (block.isDetail() || block.mixed)
            for (int row = block.row; row < block.row + block.height; ++row)
                std::fill_n(acts.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * side +
                                                                       static_cast<std::size_t>(block.column)),
                            block.width, static_cast<unsigned char>(1));
    return acts;
}

// Writes the RGBA pixels of an n × n array in the order it is shown: a matrix's row 0 first, a
// picture's top line (its last row) first. `grey` gives the byte of entry i.
template <class Grey>
void fillRgba(unsigned char* out, int n, bool rowZeroFirst, Grey grey)
{
    const auto side = static_cast<std::size_t>(n);
    // Opaque black as a word in memory order, whatever the machine's byte order; a grey's word is
    // that plus the grey times the word of three ones, which carries nothing from byte to byte.
    const unsigned char blackBytes[4] = {0, 0, 0, 255};
    const unsigned char onesBytes[4] = {1, 1, 1, 0};
    std::uint32_t black, ones;
    std::memcpy(&black, blackBytes, sizeof black);
    std::memcpy(&ones, onesBytes, sizeof ones);
    std::vector<std::uint32_t> line(side);
    for (std::size_t shown = 0; shown < side; ++shown, out += 4 * side) {
        const std::size_t begin = (rowZeroFirst ? shown : side - 1 - shown) * side;
        for (std::size_t k = 0; k < side; ++k)
            line[k] = black + ones * static_cast<std::uint32_t>(grey(begin + k));
        std::memcpy(out, line.data(), 4 * side);
    }
}

} // namespace

Session::Session(WaveletTransform& transform, float& scale, bool matrix)
    : transform(transform), scaleValue(scale), matrix(matrix), history(historyLimit)
{
}

void Session::open(const float* values, int size)
{
    startAt(values, size);
    record.commands = CommandList();
    history.clear();
    refusal.clear();
}

bool Session::replaceStart(const float* values, int size)
{
    Snapshot before = snapshot();
    startAt(values, size);
    transform.setStandard(false);
    transform.setNormalized(false);
    scaleValue = 1.0f;
    refusal.clear();
    if (unchangedSince(before))
        return false;
    // The new start is where the commands are counted from.
    record.commands = CommandList();
    history.recordChange(std::move(before));
    return true;
}

void Session::startAt(const float* values, int size)
{
    if (transform.getSize() != size)
        transform.setSize(size);
    transform.setData(values);
    valuesKept.reset();
    scaleFollows = false;
    record.start = std::make_shared<const std::vector<float>>(values, values + entries(size));
    record.log.clear();
    record.keptMask.reset();
    record.keptLog.clear();
}

bool Session::key(unsigned char key)
{
    return run(Command::ofKey(static_cast<char>(key))) == 1;
}

bool Session::setScale(float scale)
{
    return run(Command::scale(scale)) == 1;
}

bool Session::autoScale()
{
    return run(Command::of(Command::Kind::autoScale)) == 1;
}

bool Session::reset()
{
    return run(Command::of(Command::Kind::reset)) == 1;
}

bool Session::setValue(int row, int column, float value)
{
    return run(Command::set(row, column, value)) == 1;
}

bool Session::keepLargest(double percent, KeepResult& result)
{
    const bool changed = run(Command::keep(percent)) == 1;
    result = record.kept;
    return changed;
}

bool Session::threshold(double epsilon, bool soft)
{
    return run(Command::threshold(epsilon, soft)) == 1;
}

int Session::run(const std::string& command)
{
    Command parsed;
    if (!parseCommand(command, parsed))
        return -1;
    return run(parsed);
}

int Session::run(const Command& command)
{
    refusal.clear();
    if (!command.valid() ||
        (command.kind == Command::Kind::set && (command.row >= size() || command.column >= size())))
        return -1;
    switch (command.kind) {
    case Command::Kind::key:
        return changing(command, [&] { return pass(command.key); });
    case Command::Kind::scale:
        return changing(command, [&] {
            scaleValue = static_cast<float>(command.number);
            scaleFollows = false;
            return true;
        });
    case Command::Kind::autoScale:
        // changing() sets the scale itself while the automatic scale is on.
        return changing(command, [&] {
            scaleFollows = true;
            return true;
        });
    case Command::Kind::reset:
        return changing(command, [&] {
            transform.setData(record.start->data());
            transform.setStandard(false);
            transform.setNormalization(Normalization::plain);
            scaleValue = 1.0f;
            scaleFollows = false;
            record.log.clear();
            return true;
        });
    case Command::Kind::normalization:
        return changing(command, [&] {
            transform.setNormalization(command.normalization);
            return true;
        });
    case Command::Kind::set:
        return changing(command, [&] {
            transform.getData()[static_cast<std::size_t>(command.row) * static_cast<std::size_t>(size()) +
                                static_cast<std::size_t>(command.column)] = static_cast<float>(command.number);
            return true;
        });
    case Command::Kind::keep:
        return changing(command, [&] {
            return reduce(command, [&] {
                auto mask = std::make_shared<std::vector<unsigned char>>(entries(size()));
                record.kept = ::keepLargest(transform.getData(), entries(size()), command.number, mask->data());
                record.keptMask = std::move(mask);
                record.keptLog = record.log;
                return record.kept.kept;
            });
        });
    case Command::Kind::threshold:
        return changing(command, [&] {
            if (nothingDecomposed()) {
                refusal = "Nothing is decomposed: a threshold acts on the details, so decompose first "
                          "(F or f).";
                return false;
            }
            const std::vector<unsigned char> acts = outsideTheAverages(blocks(), size());
            return reduce(command, [&] {
                return ::threshold(transform.getData(), acts.data(), acts.size(), command.number, command.soft);
            });
        });
    }
    return -1;
}

bool Session::pass(char key)
{
    DriverState planned = state();
    const std::vector<Pass> passes = plannedPasses(planned, static_cast<unsigned char>(key));
    if (!passes.empty())
        valuesKept.reset();
    if (key == 'N' || key == 'n')
        // As the desktop's N between plain and normalized; from orthonormal back to plain.
        transform.setNormalized(transform.getNormalization() == Normalization::plain);
    else
        applyKey(transform, scaleValue, static_cast<unsigned char>(key));
    if (key == 'B' || key == 'b')
        scaleFollows = false;
    for (const Pass& made : passes)
        record.log.record(made);
    // Every value is finite before (a start and a typed value must be), so one that is not now
    // came from these passes: a sum or a normalization beyond the largest float.
    if (passes.empty() || allFinite(transform.getData(), entries(size())))
        return true;
    refusal = std::string(1, key) + " was not made: it would take a value beyond the largest that a "
              "32-bit float holds (about 3.4e38), and leave Infinity or NaN.";
    return false;
}

bool Session::reduce(const Command& command, const std::function<std::size_t()>& measured)
{
    const std::vector<float> before(transform.getData(), transform.getData() + entries(size()));
    Reduction made;
    made.kind = command.kind == Command::Kind::keep ? Reduction::Kind::keep : Reduction::Kind::threshold;
    made.soft = command.soft;
    made.epsilon = command.number;
    made.onPixels = nothingDecomposed();
    made.count = measured();
    measureReduction(before.data(), transform.getData(), before.size(), made);
    record.reduced = made;
    return true;
}

bool Session::nothingDecomposed() const
{
    return transform.getRowLength() == size() && transform.getColumnLength() == size();
}

const std::string& Session::message() const
{
    return refusal;
}

bool Session::undo()
{
    Snapshot now = snapshot();
    if (!history.undo(now))
        return false;
    restore(now);
    return true;
}

bool Session::redo()
{
    Snapshot now = snapshot();
    if (!history.redo(now))
        return false;
    restore(now);
    return true;
}

bool Session::canUndo() const
{
    return history.canUndo();
}

bool Session::canRedo() const
{
    return history.canRedo();
}

int Session::size() const
{
    return transform.getSize();
}

const float* Session::values() const
{
    return transform.getData();
}

const std::vector<float>& Session::start() const
{
    return *record.start;
}

float Session::scale() const
{
    return scaleValue;
}

bool Session::automaticScaleOn() const
{
    return scaleFollows;
}

std::string Session::status() const
{
    char text[256];
    formatStatusText(text, transform, scaleValue);
    std::string line = text;
    // The desktop knows two normalizations and calls every other "Un-Normalized".
    const std::string desktopWord = "Un-Normalized";
    const std::size_t at = line.find(desktopWord);
    if (transform.getNormalization() == Normalization::orthonormal && at != std::string::npos)
        line.replace(at, desktopWord.size(), "Orthonormal");
    return line;
}

const PassLog& Session::log() const
{
    return record.log;
}

DriverState Session::state() const
{
    return driverState(transform);
}

std::string Session::where() const
{
    return describeWhere(state(), record.log, matrix);
}

std::string Session::warning() const
{
    return describeWarning(state(), record.log);
}

bool Session::BlocksKey::operator==(const BlocksKey& other) const
{
    return size == other.size && log == other.log;
}

const std::vector<Block>& Session::blocks() const
{
    BlocksKey key{size(), record.log};
    if (!blocksValid || !(key == blocksKey)) {
        blocksKey = std::move(key);
        blocksMade = blocksInEffect(blocksKey.size, blocksKey.log);
        blocksValid = true;
    }
    return blocksMade;
}

std::string Session::blockNameAt(int row, int column) const
{
    const Block* block = blockAt(blocks(), row, column);
    return block ? blockName(*block, size(), record.log, transform.isStandard()) : "";
}

std::vector<std::string> Session::commands() const
{
    std::vector<std::string> texts;
    for (const Command& command : record.commands.all())
        texts.push_back(commandText(command));
    return texts;
}

std::size_t Session::historyBytes() const
{
    return history.bytes();
}

float Session::peak() const
{
    return matrix ? matrixPeak(record.start->data(), record.start->size()) : 1.0f;
}

double Session::psnr() const
{
    if (!nothingDecomposed())
        return std::numeric_limits<double>::quiet_NaN();
    return ::psnr(transform.getData(), record.start->data(), entries(size()), peak());
}

const Reduction& Session::lastReduction() const
{
    return record.reduced;
}

const KeepResult* Session::lastKeep() const
{
    return record.keptMask ? &record.kept : nullptr;
}

bool Session::keptViewShows() const
{
    return record.keptMask && record.keptMask->size() == entries(size()) &&
           record.keptLog == record.log;
}

void Session::render(View view, bool signedView, std::vector<unsigned char>& rgba) const
{
    const int n = size();
    rgba.resize(entries(n) * 4);
    unsigned char* out = rgba.data();
    const float* values = view == View::opened ? record.start->data() : transform.getData();
    const float* start = record.start->data();
    const float scale = scaleValue;
    // The view is chosen here, once; each loop below is one grey per entry and nothing else.
    if (view == View::kept && keptViewShows()) {
        const unsigned char* mask = record.keptMask->data();
        fillRgba(out, n, matrix, [mask](std::size_t i) { return mask[i] != 0 ? 255 : 0; });
    } else if (view == View::kept) {
        fillRgba(out, n, matrix, [](std::size_t) { return 0; });
    } else if (view == View::difference) {
        fillRgba(out, n, matrix, [=](std::size_t i) {
            return greyByte(0.5f + 0.5f * ((values[i] - start[i]) * scale));
        });
    } else if (signedView) {
        fillRgba(out, n, matrix, [=](std::size_t i) { return greyByte(0.5f + 0.5f * (values[i] * scale)); });
    } else {
        fillRgba(out, n, matrix, [=](std::size_t i) { return greyByte(values[i] * scale); });
    }
}

Snapshot Session::snapshot() const
{
    Snapshot s;
    s.size = size();
    if (!valuesKept)
        valuesKept = std::make_shared<const std::vector<float>>(transform.getData(),
                                                                transform.getData() + entries(s.size));
    s.values = valuesKept;
    s.rowLength = transform.getRowLength();
    s.columnLength = transform.getColumnLength();
    s.standard = transform.isStandard();
    s.normalization = transform.getNormalization();
    s.scale = scaleValue;
    s.automaticScale = scaleFollows;
    s.record = record;
    return s;
}

void Session::restore(const Snapshot& s)
{
    if (transform.getSize() != s.size)
        transform.setSize(s.size);
    transform.restore(s.values->data(), s.rowLength, s.columnLength);
    transform.setStandard(s.standard);
    transform.setNormalization(s.normalization);
    scaleValue = s.scale;
    scaleFollows = s.automaticScale;
    record = s.record;
    valuesKept = s.values;
}

bool Session::unchangedSince(const Snapshot& before) const
{
    const float* now = transform.getData();
    return before.size == size() &&
           (before.values == valuesKept ||
            std::memcmp(before.values->data(), now, before.values->size() * sizeof(float)) == 0) &&
           before.rowLength == transform.getRowLength() &&
           before.columnLength == transform.getColumnLength() &&
           before.standard == transform.isStandard() &&
           before.normalization == transform.getNormalization() &&
           std::memcmp(&before.scale, &scaleValue, sizeof scaleValue) == 0 &&
           before.automaticScale == scaleFollows && before.record == record;
}

int Session::changing(const Command& command, const std::function<bool()>& change)
{
    Snapshot before = snapshot();
    if (writesValues(command))
        valuesKept.reset();
    const bool kept = change();
    if (!kept)
        restore(before);
    else if (scaleFollows)
        scaleValue = automaticScale(transform.getData(), size(), blocks(), matrix);
    if (!kept || unchangedSince(before))
        return 0;
    history.recordChange(std::move(before));
    record.commands = record.commands.with(command);
    return 1;
}
