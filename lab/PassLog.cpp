#include "PassLog.h"

#include <algorithm>

bool Pass::operator==(const Pass& other) const
{
    return direction == other.direction && forward == other.forward && length == other.length &&
           count == other.count && normalized == other.normalized;
}

int log2Of(int powerOfTwo)
{
    int bits = 0;
    while ((1 << bits) < powerOfTwo)
        ++bits;
    return bits;
}

bool undoes(const Pass& inverse, const Pass& forward)
{
    return !inverse.forward && forward.forward && inverse.direction == forward.direction &&
           inverse.length == forward.length && inverse.count == forward.count &&
           (inverse.normalized == forward.normalized || forward.length == 2);
}

DriverState driverState(const WaveletTransform& transform)
{
    return {transform.getSize(), transform.getRowLength(), transform.getColumnLength(),
            transform.isStandard(), transform.isNormalized()};
}

namespace {

// The kernels' own guards: a forward pass needs two entries, an inverse pass room to double.
void forwardPass(DriverState& s, Direction direction, int count, std::vector<Pass>& passes)
{
    int& length = direction == Direction::rows ? s.rowLength : s.columnLength;
    if (length < 2)
        return;
    passes.push_back({direction, true, length, std::min(count, s.size), s.normalized});
    length /= 2;
}

void inversePass(DriverState& s, Direction direction, int count, std::vector<Pass>& passes)
{
    int& length = direction == Direction::rows ? s.rowLength : s.columnLength;
    if (2 * length > s.size)
        return;
    passes.push_back({direction, false, 2 * length, std::min(count, s.size), s.normalized});
    length *= 2;
}

} // namespace

std::vector<Pass> plannedPasses(DriverState& s, unsigned char key)
{
    std::vector<Pass> passes;
    if (s.size == 0 || s.rowLength == 0)
        return passes;
    const int n = s.size;
    const auto rows = Direction::rows;
    const auto columns = Direction::columns;
    switch (key) {
    case 'F':
        if (s.standard) {
            while (s.rowLength >= 2)
                forwardPass(s, rows, n, passes);
            while (s.columnLength >= 2)
                forwardPass(s, columns, n, passes);
        } else {
            while (s.rowLength >= 2 && s.columnLength >= 2) {
                forwardPass(s, rows, s.rowLength, passes);
                forwardPass(s, columns, s.columnLength, passes);
            }
        }
        break;
    case 'R':
        if (s.standard) {
            while (2 * s.columnLength <= n)
                inversePass(s, columns, n, passes);
            while (2 * s.rowLength <= n)
                inversePass(s, rows, n, passes);
        } else {
            while (2 * s.rowLength <= n && 2 * s.columnLength <= n) {
                inversePass(s, columns, 2 * s.columnLength, passes);
                inversePass(s, rows, 2 * s.rowLength, passes);
            }
        }
        break;
    case 'f':
        if (s.standard)
            forwardPass(s, s.rowLength >= 2 ? rows : columns, n, passes);
        else if (s.rowLength == s.columnLength)
            forwardPass(s, rows, s.rowLength, passes);
        else
            forwardPass(s, columns, s.columnLength, passes);
        break;
    case 'r':
        if (s.standard)
            inversePass(s, 2 * s.columnLength <= n ? columns : rows, n, passes);
        else if (s.columnLength == s.rowLength)
            inversePass(s, columns, 2 * s.columnLength, passes);
        else
            inversePass(s, rows, 2 * s.rowLength, passes);
        break;
    default:
        break;
    }
    return passes;
}

void PassLog::clear()
{
    passes.clear();
    broken = false;
}

void PassLog::record(const Pass& pass)
{
    if (pass.forward) {
        passes.push_back(pass);
        return;
    }
    if (!passes.empty() && undoes(pass, passes.back())) {
        passes.pop_back();
        return;
    }
    broken = true;
    const auto latest = std::find_if(passes.rbegin(), passes.rend(), [&](const Pass& p) {
        return p.direction == pass.direction;
    });
    if (latest != passes.rend())
        passes.erase(std::next(latest).base());
}

const std::vector<Pass>& PassLog::inEffect() const
{
    return passes;
}

bool PassLog::intact() const
{
    return !broken;
}

int PassLog::rowLevels() const
{
    return static_cast<int>(std::count_if(passes.begin(), passes.end(), [](const Pass& p) {
        return p.direction == Direction::rows;
    }));
}

int PassLog::columnLevels() const
{
    return static_cast<int>(passes.size()) - rowLevels();
}

bool PassLog::operator==(const PassLog& other) const
{
    return broken == other.broken && passes == other.passes;
}
