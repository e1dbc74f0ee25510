#include "PassLog.h"

#include <algorithm>

bool undoes(const Pass& inverse, const Pass& forward)
{
    return !inverse.forward && forward.forward && inverse.direction == forward.direction &&
           inverse.length == forward.length && inverse.count == forward.count &&
           (inverse.normalization == forward.normalization ||
            (forward.length == 2 && inverse.normalization != Normalization::orthonormal &&
             forward.normalization != Normalization::orthonormal));
}

std::vector<Pass> plannedPasses(DriverState& state, unsigned char key)
{
    Driver driver;
    switch (key) {
    case 'F': driver = Driver::decompose; break;
    case 'R': driver = Driver::reconstruct; break;
    case 'f': driver = Driver::decomposeStep; break;
    case 'r': driver = Driver::reconstructStep; break;
    default: return {};
    }
    const PassPlan plan(state, driver);
    state = plan.after();
    return {plan.begin(), plan.end()};
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
