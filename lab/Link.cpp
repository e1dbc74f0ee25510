#include "Link.h"

#include "CodedPicture.h"
#include "Command.h"
#include "Numbers.h"
#include "View.h"

#include <algorithm>
#include <string>

namespace {

// A link full of nonsense is listed this far, then counted.
constexpr std::size_t listedIgnored = 10;

// A command of the link and how many times in a row it runs.
struct Run {
    std::string command;
    std::size_t count;
};

// "B*12" is twelve B; a count is 1 or more, and a run without '*' is one.
bool readRun(const std::string& text, Run& run)
{
    const std::size_t star = text.find('*');
    Command command;
    if (!parseCommand(text.substr(0, star), command))
        return false;
    run.command = commandText(command);
    run.count = 1;
    if (star == std::string::npos)
        return true;
    int count = 0;
    if (!parseWhole(text.substr(star + 1), count) || count == 0)
        return false;
    run.count = static_cast<std::size_t>(count);
    return true;
}

void ignore(Link& link, const std::string& part)
{
    link.ignored.push_back(excerpt(part));
}

} // namespace

const std::vector<std::string>& linkSamples()
{
    static const std::vector<std::string> samples = {"testcard", "scene"};
    return samples;
}

Link parseLink(const std::string& fragment)
{
    Link link;
    if (fragment.size() > linkCharacterCap) {
        link.ignored.push_back("the whole link: it has " + std::to_string(fragment.size()) +
                               " characters, and a link may have at most " +
                               std::to_string(linkCharacterCap));
        return link;
    }
    const std::string text = !fragment.empty() && fragment[0] == '#' ? fragment.substr(1) : fragment;
    if (text.empty())
        return link;
    std::vector<Run> runs;
    for (const std::string& part : splitText(text, '&')) {
        const std::size_t equals = part.find('=');
        const std::string name = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        View view;
        if (name == "sample" &&
            std::find(linkSamples().begin(), linkSamples().end(), value) != linkSamples().end()) {
            link.sample = value;
        } else if (name == "do") {
            for (const std::string& command : splitText(value, ',')) {
                Run run;
                if (readRun(command, run))
                    runs.push_back(run);
                else if (!command.empty())
                    ignore(link, "do: " + command);
            }
        } else if (name == "signed" && (value == "0" || value == "1")) {
            link.signedView = value == "1";
        } else if (name == "view" && viewNamed(value, view)) {
            link.view = value;
        } else if (name == "code" && CodedPicture().setText(value)) {
            link.code = value;
        } else if (name == "mode" && (value == "numbers" || value == "picture")) {
            link.numbers = value == "numbers";
        } else if (name == "grid" && parseMatrix(gridAsMatrix(value)).ok) {
            link.grid = value;
        } else if (!part.empty()) {
            ignore(link, part);
        }
    }
    // A grid and edited cells belong to numbers mode; the picture has no cells to edit.
    if (!link.numbers && !link.grid.empty()) {
        ignore(link, "grid=" + link.grid);
        link.grid.clear();
    }
    for (const Run& run : runs) {
        if (!link.numbers && run.command.rfind("set:", 0) == 0) {
            ignore(link, "do: " + run.command + (run.count > 1 ? "*" + std::to_string(run.count) : ""));
            continue;
        }
        if (run.count > linkCommandCap - link.commands.size()) {
            link.commands.insert(link.commands.end(), linkCommandCap - link.commands.size(), run.command);
            link.ignored.push_back("do: the commands after the first " + std::to_string(linkCommandCap) +
                                   ", the most that a link runs");
            break;
        }
        link.commands.insert(link.commands.end(), run.count, run.command);
    }
    if (link.ignored.size() > listedIgnored) {
        const std::size_t more = link.ignored.size() - listedIgnored;
        link.ignored.resize(listedIgnored);
        link.ignored.push_back("and " + std::to_string(more) + " parts more");
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
        for (std::size_t i = 0; i < link.commands.size();) {
            std::size_t count = 1;
            while (i + count < link.commands.size() && link.commands[i + count] == link.commands[i])
                ++count;
            commands += (commands.empty() ? "" : ",") + link.commands[i] +
                        (count > 1 ? "*" + std::to_string(count) : "");
            i += count;
        }
        add("do", commands);
    }
    if (link.signedView)
        add("signed", "1");
    if (link.view != viewName(View::coefficients))
        add("view", link.view);
    if (!link.code.empty())
        add("code", link.code);
    return text;
}

std::string gridAsMatrix(const std::string& grid)
{
    std::string matrix;
    for (const std::string& row : splitText(grid, ';'))
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
