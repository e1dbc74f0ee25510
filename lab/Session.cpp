#include "Session.h"

#include "AutoScale.h"
#include "Compression.h"
#include "Guidance.h"
#include "KeyCommands.h"
#include "Viewer.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace {

// Enough for well over 32 steps of a 512 × 512 picture.
constexpr std::size_t historyBytes = 40u << 20;

std::size_t entries(int size)
{
    return static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
}

} // namespace

Session::Session(WaveletTransform& transform, float& scale, bool rowZeroOnTop)
    : transform(transform), scaleValue(scale), rowZeroOnTop(rowZeroOnTop), history(historyBytes)
{
}

void Session::open(const float* values, int size)
{
    if (transform.getSize() != size)
        transform.setSize(size);
    transform.setData(values);
    startValues = std::make_shared<const std::vector<float>>(values, values + entries(size));
    passLog.clear();
    history.clear();
}

bool Session::replaceStart(const float* values, int size)
{
    return changing([&] {
        if (transform.getSize() != size)
            transform.setSize(size);
        transform.setData(values);
        startValues = std::make_shared<const std::vector<float>>(values, values + entries(size));
        passLog.clear();
    });
}

bool Session::key(unsigned char key)
{
    return changing([&] {
        DriverState planned = state();
        const std::vector<Pass> passes = plannedPasses(planned, key);
        applyKey(transform, scaleValue, key);
        for (const Pass& pass : passes)
            passLog.record(pass);
    });
}

bool Session::setScale(float scale)
{
    if (!(scale > 0.0f) || !std::isfinite(scale))
        return false;
    return changing([&] { scaleValue = scale; });
}

bool Session::autoScale()
{
    return changing([&] {
        scaleValue = automaticScale(transform.getData(), size(), blocks(), rowZeroOnTop);
    });
}

bool Session::reset()
{
    return changing([&] {
        transform.setData(startValues->data());
        passLog.clear();
    });
}

bool Session::setValue(int row, int column, float value)
{
    if (row < 0 || column < 0 || row >= size() || column >= size() || !std::isfinite(value))
        return false;
    return changing([&] {
        transform.getData()[static_cast<std::size_t>(row) * static_cast<std::size_t>(size()) +
                            static_cast<std::size_t>(column)] = value;
    });
}

bool Session::keepLargest(double percent, std::size_t& kept)
{
    return changing([&] { kept = ::keepLargest(transform.getData(), entries(size()), percent).kept; });
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
    return *startValues;
}

float Session::scale() const
{
    return scaleValue;
}

std::string Session::status() const
{
    char text[256];
    formatStatusText(text, transform, scaleValue);
    return text;
}

const PassLog& Session::log() const
{
    return passLog;
}

DriverState Session::state() const
{
    return driverState(transform);
}

std::string Session::where() const
{
    return describeWhere(state(), passLog, rowZeroOnTop);
}

std::string Session::warning() const
{
    return describeWarning(state(), passLog);
}

const std::vector<Block>& Session::blocks() const
{
    if (blocksSize != size() || !(blocksLog == passLog) || blocksCache.empty()) {
        blocksCache = blocksInEffect(size(), passLog);
        blocksLog = passLog;
        blocksSize = size();
    }
    return blocksCache;
}

std::string Session::blockNameAt(int row, int column) const
{
    const Block* block = blockAt(blocks(), row, column);
    return block ? blockName(*block, size(), passLog, transform.isStandard()) : "";
}

Snapshot Session::snapshot() const
{
    Snapshot s;
    s.size = size();
    s.values.assign(transform.getData(), transform.getData() + entries(s.size));
    s.rowLength = transform.getRowLength();
    s.columnLength = transform.getColumnLength();
    s.standard = transform.isStandard();
    s.normalized = transform.isNormalized();
    s.scale = scaleValue;
    s.log = passLog;
    s.start = startValues;
    return s;
}

void Session::restore(const Snapshot& s)
{
    if (transform.getSize() != s.size)
        transform.setSize(s.size);
    transform.restore(s.values.data(), s.rowLength, s.columnLength);
    transform.setStandard(s.standard);
    transform.setNormalized(s.normalized);
    scaleValue = s.scale;
    passLog = s.log;
    startValues = s.start;
}

bool Session::changing(const std::function<void()>& command)
{
    Snapshot before = snapshot();
    command();
    if (before == snapshot())
        return false;
    history.recordChange(std::move(before));
    return true;
}
