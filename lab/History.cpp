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

template <class Values>
std::size_t vectorBytes(const std::shared_ptr<const Values>& values)
{
    return sizeof(Values) + values->capacity() * sizeof(typename Values::value_type);
}

} // namespace

bool Record::operator==(const Record& other) const
{
    return log == other.log && sameShared(start, other.start) &&
           sameShared(keptMask, other.keptMask) && keptLog == other.keptLog &&
           kept.kept == other.kept.kept && kept.nonZero == other.kept.nonZero && reduced == other.reduced;
}

bool Snapshot::operator==(const Snapshot& other) const
{
    const auto sameBits = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    return size == other.size && values->size() == other.values->size() &&
           std::memcmp(values->data(), other.values->data(), values->size() * sizeof(float)) == 0 &&
           rowLength == other.rowLength && columnLength == other.columnLength &&
           standard == other.standard && normalization == other.normalization &&
           sameBits(scale, other.scale) && automaticScale == other.automaticScale && record == other.record;
}

std::size_t Snapshot::ownBytes() const
{
    return sizeof(Snapshot) + (record.log.inEffect().capacity() + record.keptLog.inEffect().capacity()) * sizeof(Pass);
}

History::History(std::size_t byteLimit) : limit(byteLimit) {}

void History::clear()
{
    undoStates.clear();
    redoStates.clear();
    shared.clear();
    total = 0;
}

void History::recordChange(Snapshot before)
{
    for (const Snapshot& state : redoStates)
        release(state);
    redoStates.clear();
    hold(before);
    undoStates.push_back(std::move(before));
    fitWithin();
}

bool History::undo(Snapshot& now)
{
    if (undoStates.empty())
        return false;
    hold(now);
    redoStates.push_back(std::move(now));
    now = std::move(undoStates.back());
    undoStates.pop_back();
    release(now);
    fitWithin();
    return true;
}

bool History::redo(Snapshot& now)
{
    if (redoStates.empty())
        return false;
    hold(now);
    undoStates.push_back(std::move(now));
    now = std::move(redoStates.back());
    redoStates.pop_back();
    release(now);
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

std::size_t History::bytes() const
{
    return total;
}

void History::hold(const Snapshot& state)
{
    total += state.ownBytes();
    holdBlock(state.values.get(), vectorBytes(state.values));
    if (state.record.start)
        holdBlock(state.record.start.get(), vectorBytes(state.record.start));
    if (state.record.keptMask)
        holdBlock(state.record.keptMask.get(), vectorBytes(state.record.keptMask));
    if (!state.record.commands.empty())
        holdBlock(state.record.commands.lastNode(), CommandList::nodeBytes());
}

void History::release(const Snapshot& state)
{
    total -= state.ownBytes();
    releaseBlock(state.values.get());
    releaseBlock(state.record.start.get());
    releaseBlock(state.record.keptMask.get());
    releaseBlock(state.record.commands.lastNode());
}

void History::holdBlock(const void* block, std::size_t bytes)
{
    Shared& entry = shared[block];
    if (entry.holders++ == 0) {
        // The map's own node and bucket for it too.
        entry.bytes = bytes + sizeof(std::pair<const void* const, Shared>) + 2 * sizeof(void*);
        total += entry.bytes;
    }
}

void History::releaseBlock(const void* block)
{
    const auto it = shared.find(block);
    if (it == shared.end() || --it->second.holders > 0)
        return;
    total -= it->second.bytes;
    shared.erase(it);
}

void History::fitWithin()
{
    // The states furthest from the present go first: the oldest undo, then the furthest redo.
    for (auto* states : {&undoStates, &redoStates}) {
        while (total > limit && !states->empty()) {
            release(states->front());
            states->pop_front();
        }
    }
}
