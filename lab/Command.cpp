#include "Command.h"

#include "Numbers.h"
#include "View.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

bool isKeyLetter(char letter)
{
    for (const KeyLetter& key : keyLetters())
        if (key.letter == letter)
            return true;
    return false;
}

// A JSON string of text that holds no quote, backslash or control character.
std::string quotedJson(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

struct CommandList::Node {
    Command command;
    // Mutable so that the destructor can take it over: a long list then goes without recursion.
    mutable std::shared_ptr<const Node> previous;
    std::size_t count;

    Node(const Command& command, std::shared_ptr<const Node> previous, std::size_t count)
        : command(command), previous(std::move(previous)), count(count)
    {
    }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    // Frees the nodes that only this one held one after another, so that a hundred thousand
    // commands do not take a hundred thousand nested destructor calls of the stack.
    ~Node()
    {
        std::shared_ptr<const Node> next = std::move(previous);
        while (next && next.use_count() == 1)
            next = std::move(next->previous);
    }
};

Command Command::ofKey(char key)
{
    Command c;
    c.kind = Kind::key;
    c.key = key;
    return c;
}

Command Command::keep(double percent)
{
    Command c;
    c.kind = Kind::keep;
    c.number = percent;
    return c;
}

Command Command::scale(float value)
{
    Command c;
    c.kind = Kind::scale;
    c.number = value;
    return c;
}

Command Command::set(int row, int column, float value)
{
    Command c;
    c.kind = Kind::set;
    c.row = row;
    c.column = column;
    c.number = value;
    return c;
}

Command Command::normalize(Normalization kind)
{
    Command c;
    c.kind = Kind::normalization;
    c.normalization = kind;
    return c;
}

Command Command::threshold(double epsilon, bool soft)
{
    Command c;
    c.kind = Kind::threshold;
    c.number = epsilon;
    c.soft = soft;
    return c;
}

Command Command::of(Kind kind)
{
    Command c;
    c.kind = kind;
    return c;
}

bool Command::valid() const
{
    const auto value = static_cast<float>(number);
    switch (kind) {
    case Kind::key:
        return isKeyLetter(key);
    case Kind::keep:
        return number > 0.0 && number <= 100.0;
    case Kind::scale:
        return value > 0.0f && std::isfinite(value);
    case Kind::set:
        return row >= 0 && column >= 0 && std::isfinite(value);
    case Kind::normalization:
        return normalizationName(normalization)[0] != '\0';
    case Kind::threshold:
        return number >= 0.0 && std::isfinite(number);
    case Kind::autoScale:
    case Kind::reset:
        return true;
    }
    return false;
}

bool parseCommand(const std::string& text, Command& command)
{
    if (text.size() == 1) {
        command = Command::ofKey(text[0]);
        return command.valid();
    }
    if (text == "auto" || text == "reset") {
        command = Command::of(text == "auto" ? Command::Kind::autoScale : Command::Kind::reset);
        return true;
    }
    const std::vector<std::string> parts = splitText(text, ':');
    float value = 0.0f;
    if (parts[0] == "keep" && parts.size() == 2 && parseFloat(parts[1], value))
        command = Command::keep(std::strtod(parts[1].c_str(), nullptr));
    else if (parts[0] == "scale" && parts.size() == 2 && parseFloat(parts[1], value))
        command = Command::scale(value);
    else if (parts[0] == "norm" && parts.size() == 2 && parseNormalization(parts[1], command.normalization))
        command = Command::normalize(command.normalization);
    else if (parts[0] == "set" && parts.size() == 4 && parseWhole(parts[1], command.row) &&
             parseWhole(parts[2], command.column) && parseFloat(parts[3], value))
        command = Command::set(command.row, command.column, value);
    else if (parts[0] == "thresh" && parts.size() == 3 && (parts[1] == "hard" || parts[1] == "soft") &&
             parseFloat(parts[2], value))
        command = Command::threshold(std::strtod(parts[2].c_str(), nullptr), parts[1] == "soft");
    else
        return false;
    return command.valid();
}

std::string commandText(const Command& command)
{
    const auto value = static_cast<float>(command.number);
    switch (command.kind) {
    case Command::Kind::key:
        return std::string(1, command.key);
    case Command::Kind::keep:
        return "keep:" + shortestDecimal(command.number);
    case Command::Kind::scale:
        return "scale:" + shortestDecimal(value);
    case Command::Kind::set:
        return "set:" + std::to_string(command.row) + ":" + std::to_string(command.column) + ":" +
               shortestDecimal(value);
    case Command::Kind::normalization:
        return std::string("norm:") + normalizationName(command.normalization);
    case Command::Kind::threshold:
        return std::string("thresh:") + (command.soft ? "soft:" : "hard:") + shortestDecimal(command.number);
    case Command::Kind::autoScale:
        return "auto";
    case Command::Kind::reset:
        return "reset";
    }
    return "";
}

const char* normalizationName(Normalization kind)
{
    switch (kind) {
    case Normalization::plain: return "plain";
    case Normalization::normalized: return "normalized";
    case Normalization::orthonormal: return "orthonormal";
    }
    return "";
}

bool parseNormalization(const std::string& name, Normalization& kind)
{
    for (const Normalization each : kNormalizations)
        if (name == normalizationName(each)) {
            kind = each;
            return true;
        }
    return false;
}

const std::vector<KeyLetter>& keyLetters()
{
    static const std::vector<KeyLetter> keys = {
        {'F', "Decompose all"},      {'f', "One pass forward"},   {'R', "Reconstruct all"},
        {'r', "One pass back"},      {'N', "Normalize on/off"},   {'n', "Normalize on/off"},
        {'S', "Switch arrangement"}, {'s', "Switch arrangement"}, {'B', "Scale up"},
        {'b', "Scale down"},
    };
    return keys;
}

std::string vocabulary()
{
    std::string views;
    for (const std::string& name : viewNames())
        views += (views.empty() ? "" : ",") + quotedJson(name);
    std::string keys;
    for (const KeyLetter& key : keyLetters())
        keys += std::string(keys.empty() ? "" : ",") + "{\"key\":" + quotedJson(std::string(1, key.letter)) +
                ",\"does\":" + quotedJson(key.does) + "}";
    return "{\"views\":[" + views + "],\"keys\":[" + keys + "]}";
}

std::size_t CommandList::size() const
{
    return last ? last->count : 0;
}

bool CommandList::empty() const
{
    return !last;
}

CommandList CommandList::with(const Command& command) const
{
    CommandList longer;
    longer.last = std::make_shared<const Node>(command, last, size() + 1);
    return longer;
}

std::vector<Command> CommandList::all() const
{
    std::vector<Command> commands(size());
    std::size_t i = commands.size();
    for (const Node* node = last.get(); node != nullptr; node = node->previous.get())
        commands[--i] = node->command;
    return commands;
}

std::size_t CommandList::nodeBytes()
{
    return sizeof(Node);
}

const void* CommandList::lastNode() const
{
    return last.get();
}
