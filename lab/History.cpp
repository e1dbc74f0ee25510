#include "History.h"

#include <cstring>
#include <utility>

namespace {

// Shared values are equal when they are one and the same, or hold the same.
template <class Values>
bool sameShared(const std::shared_ptr<const Values>& a, const std::shared_ptr<const Values>& b)
{
    return a == b || (a && b && *a == *b);
}

} // namespace

bool Record::operator==(const Record& other) const
{
    return log == other.log && sameShared(start, other.start) &&
           sameShared(keptMask, other.keptMask) && keptLog == other.keptLog &&
           kept.kept == other.kept.kept && kept.nonZero == other.kept.nonZero;
}

std::size_t Record::bytes() const
{
    std::size_t commandBytes = 0;
    for (const std::string& command : commands)
        commandBytes += sizeof command + command.size();
    return (log.inEffect().size() + keptLog.inEffect().size()) * sizeof(Pass) + commandBytes +
           (keptMask ? keptMask->size() : 0);
}

bool Snapshot::operator==(const Snapshot& other) const
{
    const auto sameBits = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    return size == other.size && values.size() == other.values.size() &&
           std::memcmp(values.data(), other.values.data(), values.size() * sizeof(float)) == 0 &&
           rowLength == other.rowLength && columnLength == other.columnLength &&
           standard == other.standard && normalized == other.normalized &&
           sameBits(scale, other.scale) && record == other.record;
}

std::size_t Snapshot::bytes() const
{
    return sizeof(Snapshot) + values.size() * sizeof(float) + record.bytes();
}

History::History(std::size_t byteLimit) : limit(byteLimit) {}

void History::clear()
{
    undoStates.clear();
    redoStates.clear();
}

void History::recordChange(Snapshot before)
{
    redoStates.clear();
    undoStates.push_back(std::move(before));
    fitWithin();
}

bool History::undo(Snapshot& now)
{
    if (undoStates.empty())
        return false;
    redoStates.push_back(std::move(now));
    now = std::move(undoStates.back());
    undoStates.pop_back();
    fitWithin();
    return true;
}

bool History::redo(Snapshot& now)
{
    if (redoStates.empty())
        return false;
    undoStates.push_back(std::move(now));
    now = std::move(redoStates.back());
    redoStates.pop_back();
    fitWithin();
    return true;
}

bool History::canUndo() const
{
    return !undoStates.empty();
}

bool History::canRedo() const
{
    return !redoStates.empty();
}

void History::fitWithin()
{
    std::size_t total = 0;
    for (const Snapshot& s : undoStates)
        total += s.bytes();
    for (const Snapshot& s : redoStates)
        total += s.bytes();
    // The states furthest from the present go first: the oldest undo, then the furthest redo.
    std::size_t dropUndo = 0;
    while (total > limit && dropUndo < undoStates.size())
        total -= undoStates[dropUndo++].bytes();
    undoStates.erase(undoStates.begin(), undoStates.begin() + static_cast<std::ptrdiff_t>(dropUndo));
    std::size_t dropRedo = 0;
    while (total > limit && dropRedo < redoStates.size())
        total -= redoStates[dropRedo++].bytes();
    redoStates.erase(redoStates.begin(), redoStates.begin() + static_cast<std::ptrdiff_t>(dropRedo));
}
