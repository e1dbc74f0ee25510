#include "Link.h"

#include "Numbers.h"

#include <cstddef>
#include <string>

namespace {

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t stop = text.find(separator, start);
        parts.push_back(text.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        if (stop == std::string::npos)
            return parts;
        start = stop + 1;
    }
}

bool isWholeNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool isPositive(const std::string& text)
{
    float value = 0.0f;
    return parseFloat(text, value) && value > 0.0f;
}

} // namespace

bool isCommand(const std::string& command)
{
    if (command.size() == 1)
        return std::string("FfRrNnSsBb").find(command[0]) != std::string::npos;
    if (command == "auto" || command == "reset")
        return true;
    const std::vector<std::string> parts = split(command, ':');
    if (parts[0] == "keep" && parts.size() == 2) {
        float percent = 0.0f;
        return parseFloat(parts[1], percent) && percent > 0.0f && percent <= 100.0f;
    }
    if (parts[0] == "scale" && parts.size() == 2)
        return isPositive(parts[1]);
    float value = 0.0f;
    return parts[0] == "set" && parts.size() == 4 && isWholeNumber(parts[1]) &&
           isWholeNumber(parts[2]) && parseFloat(parts[3], value);
}

Link parseLink(const std::string& fragment)
{
    Link link;
    const std::string text = !fragment.empty() && fragment[0] == '#' ? fragment.substr(1) : fragment;
    if (text.empty())
        return link;
    for (const std::string& part : split(text, '&')) {
        const std::size_t equals = part.find('=');
        const std::string name = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        if (name == "sample" && (value == "testcard" || value == "scene")) {
            link.sample = value;
        } else if (name == "do") {
            for (const std::string& command : split(value, ',')) {
                if (isCommand(command))
                    link.commands.push_back(command);
                else if (!command.empty())
                    link.ignored.push_back("do: " + command);
            }
        } else if (name == "signed" && (value == "0" || value == "1")) {
            link.signedView = value == "1";
        } else if (name == "view" &&
                   (value == "coefficients" || value == "opened" || value == "difference" ||
                    value == "kept")) {
            link.view = value;
        } else if (name == "mode" && (value == "numbers" || value == "picture")) {
            link.numbers = value == "numbers";
        } else if (name == "grid" && parseMatrix(gridAsMatrix(value)).ok) {
            link.grid = value;
        } else if (!part.empty()) {
            link.ignored.push_back(part);
        }
    }
    // A grid and edited cells belong to numbers mode; the picture has no cells to edit.
    if (!link.numbers && !link.grid.empty()) {
        link.ignored.push_back("grid=" + link.grid);
        link.grid.clear();
    }
    if (!link.numbers) {
        std::vector<std::string> commands;
        for (const std::string& command : link.commands) {
            if (command.rfind("set:", 0) == 0)
                link.ignored.push_back("do: " + command);
            else
                commands.push_back(command);
        }
        link.commands.swap(commands);
    }
    return link;
}

std::string formatLink(const Link& link)
{
    std::string text;
    const auto add = [&](const std::string& name, const std::string& value) {
        text += (text.empty() ? "" : "&") + name + "=" + value;
    };
    if (link.numbers) {
        add("mode", "numbers");
        if (!link.grid.empty())
            add("grid", link.grid);
    } else if (!link.sample.empty()) {
        add("sample", link.sample);
    }
    if (!link.commands.empty()) {
        std::string commands;
        for (const std::string& command : link.commands)
            commands += (commands.empty() ? "" : ",") + command;
        add("do", commands);
    }
    if (link.signedView)
        add("signed", "1");
    if (link.view != "coefficients")
        add("view", link.view);
    return text;
}

std::string gridAsMatrix(const std::string& grid)
{
    std::string matrix;
    for (const std::string& row : split(grid, ';'))
        matrix += row + "\n";
    return matrix;
}

std::string matrixAsGrid(const float* values, int size)
{
    std::string grid;
    for (int row = 0; row < size; ++row) {
        if (row > 0)
            grid += ';';
        for (int column = 0; column < size; ++column) {
            if (column > 0)
                grid += ',';
            grid += shortestDecimal(values[row * size + column]);
        }
    }
    return grid;
}
