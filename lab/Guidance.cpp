#include "Guidance.h"

#include "Command.h"

#include <cctype>
#include <string>

namespace {

const char* directionName(const Pass& pass)
{
    return pass.direction == Direction::rows ? "row" : "column";
}

// The block a pass works on: `length` entries of each of `count` lines, from the array's corner.
std::string region(const Pass& pass, int size, bool rowZeroOnTop)
{
    const bool rows = pass.direction == Direction::rows;
    const int width = rows ? pass.length : pass.count;
    const int height = rows ? pass.count : pass.length;
    const std::string dims = std::to_string(width) + " × " + std::to_string(height);
    if (width == size && height == size)
        return "the whole " + dims + " array";
    return std::string(rowZeroOnTop ? "the upper-left " : "the lower-left ") + dims + " block";
}

std::string levelsInEffect(const DriverState& state, const PassLog& log)
{
    const int total = log2Of(state.size);
    const int rowLevels = log2Of(state.size / state.rowLength);
    const int columnLevels = log2Of(state.size / state.columnLength);
    const std::string of = " of " + std::to_string(total);
    std::string text;
    if (!log.intact())
        text = "The passes no longer undo each other; ";
    if (rowLevels == 0 && columnLevels == 0)
        return text + "nothing is decomposed";
    if (rowLevels == columnLevels)
        return text + std::to_string(rowLevels) + of + (total == 1 ? " level" : " levels");
    if (!state.standard && rowLevels == columnLevels + 1)
        return text + "half a level is in effect: " + std::to_string(columnLevels) + of +
               " levels and the row pass of the next";
    return text + std::to_string(rowLevels) + of + " row levels and " +
           std::to_string(columnLevels) + of + " column levels";
}

// The passes `key` would make, each checked against the latest pass in effect at its time.
struct Outcome {
    std::vector<Pass> passes;
    bool allUndo = true;
    // The latest pass in effect when the first pass that does not undo it would be made.
    bool hasLatest = false;
    Pass firstWrong{};
    Pass latest{};
};

Outcome outcome(DriverState state, PassLog log, unsigned char key)
{
    Outcome result;
    result.passes = plannedPasses(state, key);
    for (const Pass& pass : result.passes) {
        const auto& inEffect = log.inEffect();
        if (result.allUndo && (inEffect.empty() || !undoes(pass, inEffect.back()))) {
            result.allUndo = false;
            result.firstWrong = pass;
            result.hasLatest = !inEffect.empty();
            if (result.hasLatest)
                result.latest = inEffect.back();
        }
        log.record(pass);
    }
    return result;
}

std::string nextForward(const DriverState& state, bool rowZeroOnTop)
{
    DriverState s = state;
    const auto passes = plannedPasses(s, 'f');
    if (passes.empty())
        return "next f changes nothing (the decomposition is complete)";
    return std::string("next f: a ") + directionName(passes[0]) + " pass over " +
           region(passes[0], state.size, rowZeroOnTop);
}

std::string nextInverse(const DriverState& state, const PassLog& log, bool rowZeroOnTop)
{
    const Outcome r = outcome(state, log, 'r');
    if (r.passes.empty())
        return "r changes nothing (nothing is decomposed)";
    // Once the passes no longer undo each other, undoing the latest one restores nothing.
    if (r.allUndo && log.intact())
        return std::string("r undoes the ") + directionName(r.passes[0]) + " pass";
    if (r.allUndo)
        return std::string("r makes an inverse ") + directionName(r.passes[0]) + " pass over " +
               region(r.passes[0], state.size, rowZeroOnTop);
    return std::string("r makes an inverse ") + directionName(r.passes[0]) + " pass over " +
           region(r.passes[0], state.size, rowZeroOnTop) + " that does not undo the latest pass";
}

std::string nextFullInverse(const DriverState& state, const PassLog& log)
{
    const Outcome all = outcome(state, log, 'R');
    const std::size_t count = all.passes.size();
    if (count == 0)
        return "R makes no pass now";
    const std::string passes = std::to_string(count) + (count == 1 ? " pass" : " passes");
    if (all.allUndo && log.intact())
        return "R undoes " + (count == log.inEffect().size() ? "all " + passes : passes);
    if (all.allUndo)
        return "R makes " + passes;
    return "R makes " + passes + " that do not all undo the passes in effect";
}

// Why the passes of `key` would not undo those in effect, from the first one that does not.
std::string reason(const DriverState& state, const PassLog& log, unsigned char key,
                   const Outcome& wrong)
{
    for (const Normalization other : kNormalizations) {
        DriverState otherKind = state;
        otherKind.normalization = other;
        if (other == state.normalization || !keyUndoes(otherKind, log, key))
            continue;
        // N goes from plain to normalized and from either of the others to plain.
        const bool byN = other == (state.normalization == Normalization::plain ? Normalization::normalized
                                                                               : Normalization::plain);
        return std::string("the passes in effect were made with ") + normalizationName(other) +
               " details and the kernels are now " + normalizationName(state.normalization) +
               (byN ? " (N switches back)" : " (choose " + std::string(normalizationName(other)) +
                                                 " under Normalization)");
    }
    DriverState otherArrangement = state;
    otherArrangement.standard = !state.standard;
    if (keyUndoes(otherArrangement, log, key))
        return std::string("the passes in effect were made in the ") +
               (state.standard ? "non-standard" : "standard") + " arrangement (S switches back)";
    if (!wrong.hasLatest)
        return "no pass of that direction is in effect";
    if (!state.standard && log.rowLevels() == log.columnLevels() + 1 &&
        wrong.latest.direction == Direction::rows && wrong.firstWrong.direction == Direction::columns)
        return "half a level is in effect, and it would begin with a column pass where the latest "
               "pass is a row pass";
    return std::string("it would make an inverse ") + directionName(wrong.firstWrong) + " pass of " +
           std::to_string(wrong.firstWrong.count) + " lines where the latest pass is a " +
           directionName(wrong.latest) + " pass of " + std::to_string(wrong.latest.count) + " lines";
}

} // namespace

bool keyUndoes(const DriverState& state, const PassLog& log, unsigned char key)
{
    return outcome(state, log, key).allUndo;
}

std::string describeWhere(const DriverState& state, const PassLog& log, bool rowZeroOnTop)
{
    if (state.size == 0 || state.rowLength == 0)
        return "";
    std::string text = levelsInEffect(state, log) + "; " + nextForward(state, rowZeroOnTop) + "; " +
                       nextInverse(state, log, rowZeroOnTop) + "; " + nextFullInverse(state, log) + ".";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string describeWarning(const DriverState& state, const PassLog& log)
{
    if (state.size == 0 || state.rowLength == 0)
        return "";
    const Outcome r = outcome(state, log, 'r');
    const Outcome all = outcome(state, log, 'R');
    std::string text;
    if (!r.allUndo)
        text += "r would not undo the latest pass: " + reason(state, log, 'r', r) + ". ";
    if (!all.allUndo)
        text += "R would not undo the passes in effect: " + reason(state, log, 'R', all) + ". ";
    if (r.allUndo != all.allUndo)
        text += std::string(r.allUndo ? "r" : "R") + " is safe. ";
    if (!log.intact())
        text += "The passes no longer undo each other, so the array is no longer the transform of "
                "the start: Undo or Reset is the way back. ";
    if (!text.empty())
        text.pop_back();
    return text;
}
