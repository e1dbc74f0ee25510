#include "PassPlan.h"

#include "WaveletTransform.h"

#include <cmath>

int Pass::lengthAfter() const
{
    return forward ? length / 2 : length;
}

bool Pass::operator==(const Pass& other) const
{
    return direction == other.direction && forward == other.forward && length == other.length &&
           count == other.count && normalization == other.normalization;
}

DriverState driverState(const WaveletTransform& transform)
{
    return {transform.getSize(), transform.getRowLength(), transform.getColumnLength(),
            transform.isStandard(), transform.getNormalization()};
}

float levelFactor(int half)
{
    return static_cast<float>(std::sqrt(static_cast<double>(half)));
}

int log2Of(int powerOfTwo)
{
    int bits = 0;
    while ((1 << bits) < powerOfTwo)
        ++bits;
    return bits;
}

std::optional<Pass> PassPlan::kernelCall(const DriverState& state, Direction direction, bool forward,
                                         Normalization normalization, int count)
{
    const int now = direction == Direction::rows ? state.rowLength : state.columnLength;
    const int length = forward ? now : 2 * now;
    if (length < 2 || (!forward && length > state.size))
        return std::nullopt;
    const int lines = count < 0 ? 0 : (count > state.size ? state.size : count);
    return Pass{direction, forward, length, lines, normalization};
}

// The non-standard loops test both conditions before each pair of passes and always make the pair
// whole; a step that has nothing left to do makes no pass. Every loop also ends at the first pass
// that cannot be made, so no state, however odd, keeps the plan from ending.
PassPlan::PassPlan(const DriverState& start, Driver driver) : state(start)
{
    const auto fits = [&](int length) { return length >= 1 && length <= state.size; };
    if (!fits(state.rowLength) || !fits(state.columnLength))
        return;
    const int n = state.size;
    const Direction rows = Direction::rows;
    const Direction columns = Direction::columns;
    DriverState& s = state;
    switch (driver) {
    case Driver::decompose:
        if (s.standard) {
            while (s.rowLength >= 2 && add(rows, true, n)) {
            }
            while (s.columnLength >= 2 && add(columns, true, n)) {
            }
        } else {
            while (s.rowLength >= 2 && s.columnLength >= 2 && add(rows, true, s.rowLength) &&
                   add(columns, true, s.columnLength)) {
            }
        }
        break;
    case Driver::reconstruct:
        if (s.standard) {
            while (2 * s.columnLength <= n && add(columns, false, n)) {
            }
            while (2 * s.rowLength <= n && add(rows, false, n)) {
            }
        } else {
            while (2 * s.rowLength <= n && 2 * s.columnLength <= n && add(columns, false, 2 * s.columnLength) &&
                   add(rows, false, 2 * s.rowLength)) {
            }
        }
        break;
    case Driver::decomposeStep:
        if (s.standard)
            add(s.rowLength >= 2 ? rows : columns, true, n);
        else if (s.rowLength == s.columnLength)
            add(rows, true, s.rowLength);
        else
            add(columns, true, s.columnLength);
        break;
    case Driver::reconstructStep:
        if (s.standard)
            add(2 * s.columnLength <= n ? columns : rows, false, n);
        else if (s.columnLength == s.rowLength)
            add(columns, false, 2 * s.columnLength);
        else
            add(rows, false, 2 * s.rowLength);
        break;
    }
}

bool PassPlan::add(Direction direction, bool forward, int count)
{
    const std::optional<Pass> pass = kernelCall(state, direction, forward, state.normalization, count);
    if (!pass || used == capacity)
        return false;
    passes[used++] = *pass;
    (direction == Direction::rows ? state.rowLength : state.columnLength) = pass->lengthAfter();
    return true;
}

const Pass* PassPlan::begin() const
{
    return passes;
}

const Pass* PassPlan::end() const
{
    return passes + used;
}

std::size_t PassPlan::size() const
{
    return static_cast<std::size_t>(used);
}

const Pass& PassPlan::operator[](std::size_t index) const
{
    return passes[index];
}

const DriverState& PassPlan::after() const
{
    return state;
}
