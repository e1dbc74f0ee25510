#include "Session.h"

#include "AutoScale.h"
#include "GreyLevel.h"
#include "Guidance.h"
#include "KeyCommands.h"
#include "Link.h"
#include "Numbers.h"
#include "Viewer.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace {

// Enough for well over 32 steps of a 512 × 512 picture.
constexpr std::size_t historyBytes = 40u << 20;

std::size_t entries(int size)
{
    return static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
}

} // namespace

Session::Session(WaveletTransform& transform, float& scale, bool matrix)
    : transform(transform), scaleValue(scale), matrix(matrix), history(historyBytes)
{
}

void Session::open(const float* values, int size)
{
    startAt(values, size);
    record.commands.clear();
    history.clear();
}

bool Session::replaceStart(const float* values, int size)
{
    const bool changed = changing("", [&] {
        startAt(values, size);
        transform.setStandard(false);
        transform.setNormalized(false);
        scaleValue = 1.0f;
    });
    // The new start is where the commands are counted from.
    if (changed)
        record.commands.clear();
    return changed;
}

void Session::startAt(const float* values, int size)
{
    if (transform.getSize() != size)
        transform.setSize(size);
    transform.setData(values);
    record.start = std::make_shared<const std::vector<float>>(values, values + entries(size));
    record.log.clear();
    record.keptMask.reset();
    record.keptLog.clear();
}

bool Session::key(unsigned char key)
{
    return changing(std::string(1, static_cast<char>(key)), [&] {
        DriverState planned = state();
        const std::vector<Pass> passes = plannedPasses(planned, key);
        applyKey(transform, scaleValue, key);
        for (const Pass& pass : passes)
            record.log.record(pass);
    });
}

bool Session::setScale(float scale)
{
    if (!(scale > 0.0f) || !std::isfinite(scale))
        return false;
    return changing("scale:" + shortestDecimal(scale), [&] { scaleValue = scale; });
}

bool Session::autoScale()
{
    return changing("auto", [&] {
        scaleValue = automaticScale(transform.getData(), size(), blocks(), matrix);
    });
}

bool Session::reset()
{
    return changing("reset", [&] {
        transform.setData(record.start->data());
        record.log.clear();
    });
}

bool Session::setValue(int row, int column, float value)
{
    if (row < 0 || column < 0 || row >= size() || column >= size() || !std::isfinite(value))
        return false;
    const std::string text = "set:" + std::to_string(row) + ":" + std::to_string(column) + ":" +
                             shortestDecimal(value);
    return changing(text, [&] {
        transform.getData()[static_cast<std::size_t>(row) * static_cast<std::size_t>(size()) +
                            static_cast<std::size_t>(column)] = value;
    });
}

bool Session::keepLargest(double percent, KeepResult& result)
{
    return changing("keep:" + shortestDecimal(percent), [&] {
        auto mask = std::make_shared<std::vector<unsigned char>>(entries(size()));
        record.kept = ::keepLargest(transform.getData(), entries(size()), percent, mask->data());
        result = record.kept;
        record.keptMask = std::move(mask);
        record.keptLog = record.log;
    });
}

int Session::run(const std::string& command)
{
    if (!isCommand(command))
        return -1;
    if (command.size() == 1)
        return key(static_cast<unsigned char>(command[0]));
    if (command == "auto")
        return autoScale();
    if (command == "reset")
        return reset();
    const auto colon = command.find(':');
    const std::string name = command.substr(0, colon);
    const std::string rest = command.substr(colon + 1);
    float value = 0.0f;
    if (name == "keep") {
        KeepResult result{};
        return keepLargest(std::strtod(rest.c_str(), nullptr), result);
    }
    if (name == "scale")
        return parseFloat(rest, value) && setScale(value);
    const auto second = rest.find(':');
    const auto third = rest.find(':', second + 1);
    const int row = std::atoi(rest.substr(0, second).c_str());
    const int column = std::atoi(rest.substr(second + 1, third - second - 1).c_str());
    if (row >= size() || column >= size())
        return -1;
    return parseFloat(rest.substr(third + 1), value) && setValue(row, column, value);
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

std::string Session::status() const
{
    char text[256];
    formatStatusText(text, transform, scaleValue);
    return text;
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

const std::vector<Block>& Session::blocks() const
{
    if (blocksSize != size() || !(blocksLog == record.log) || blocksCache.empty()) {
        blocksCache = blocksInEffect(size(), record.log);
        blocksLog = record.log;
        blocksSize = size();
    }
    return blocksCache;
}

std::string Session::blockNameAt(int row, int column) const
{
    const Block* block = blockAt(blocks(), row, column);
    return block ? blockName(*block, size(), record.log, transform.isStandard()) : "";
}

const std::vector<std::string>& Session::commands() const
{
    return record.commands;
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
    const float* values = view == View::opened ? record.start->data() : transform.getData();
    const float* start = record.start->data();
    const bool kept = keptViewShows();
    rgba.resize(entries(n) * 4);
    unsigned char* out = rgba.data();
    for (int line = 0; line < n; ++line) {
        const std::size_t row = static_cast<std::size_t>(matrix ? line : n - 1 - line);
        for (std::size_t i = row * static_cast<std::size_t>(n); i < (row + 1) * static_cast<std::size_t>(n);
             ++i, out += 4) {
            unsigned char grey = 0;
            if (view == View::kept)
                grey = kept && (*record.keptMask)[i] ? 255 : 0;
            else if (view == View::difference)
                grey = greyByte(0.5f + 0.5f * ((values[i] - start[i]) * scaleValue));
            else
                grey = signedView ? greyByte(0.5f + 0.5f * (values[i] * scaleValue))
                                  : greyByte(values[i] * scaleValue);
            out[0] = grey;
            out[1] = grey;
            out[2] = grey;
            out[3] = 255;
        }
    }
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
    s.record = record;
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
    record = s.record;
}

bool Session::changing(const std::string& text, const std::function<void()>& command)
{
    Snapshot before = snapshot();
    command();
    if (before == snapshot())
        return false;
    history.recordChange(std::move(before));
    record.commands.push_back(text);
    return true;
}
