#include "View.h"

#include <cstddef>

const std::vector<std::string>& viewNames()
{
    static const std::vector<std::string> names = {"coefficients", "opened", "difference", "kept", "coded", "jpeg", "webp"};
    return names;
}

bool viewNamed(const std::string& name, View& view)
{
    for (std::size_t i = 0; i < viewNames().size(); ++i) {
        if (viewNames()[i] == name) {
            view = static_cast<View>(i);
            return true;
        }
    }
    return false;
}

const std::string& viewName(View view)
{
    return viewNames()[static_cast<std::size_t>(view)];
}
