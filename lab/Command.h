#pragma once

#include "PassPlan.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// One change a learner can make to an array, however it arrives: a key, a button, a field or a
// link. Its text is the link's (see Link.h) and is read and written here alone:
//   F f R r N n S s B b     a key of the viewer (keyLetters says what each does)
//   keep:<percent>          keep the largest, 0 < percent <= 100
//   thresh:hard:<epsilon>   the textbook's threshold outside the averages, epsilon >= 0
//   thresh:soft:<epsilon>
//   scale:<value>           a positive scale that a 32-bit float holds
//   auto                    the automatic scale, which then follows every command
//   reset                   back to the start
//   set:<row>:<column>:<value>   one cell of a matrix
//   norm:<kind>             the passes' normalization: plain, normalized or orthonormal
struct Command {
    enum class Kind { key, keep, scale, autoScale, reset, set, normalization, threshold };

    Kind kind = Kind::reset;
    char key = 0;
    Normalization normalization = Normalization::plain;
    // The percent of keep and the epsilon of threshold (doubles, as typed); the float of scale
    // and set.
    double number = 0.0;
    // A soft threshold rather than a hard one.
    bool soft = false;
    int row = 0;
    int column = 0;

    static Command ofKey(char key);
    static Command keep(double percent);
    static Command scale(float value);
    static Command set(int row, int column, float value);
    static Command normalize(Normalization kind);
    static Command threshold(double epsilon, bool soft);
    static Command of(Kind kind);

    // True when the numbers are those a command of its kind may have (the letter a key's, the
    // percent and scale in range, the value and epsilon finite, epsilon not negative, the cell not
    // before the first).
    bool valid() const;
};

// The command written in `text`, or false when the text is none.
bool parseCommand(const std::string& text, Command& command);
// The text of a valid command, the shortest that reads back to the same numbers.
std::string commandText(const Command& command);

// Every normalization, in the order the page lists them; the name of each as the page and its
// links write it, and back.
constexpr Normalization kNormalizations[] = {Normalization::plain, Normalization::normalized,
                                             Normalization::orthonormal};
const char* normalizationName(Normalization kind);
bool parseNormalization(const std::string& name, Normalization& kind);

// The viewer's keys, in the order the page shows them, with what each does.
struct KeyLetter {
    char letter;
    const char* does;
};
const std::vector<KeyLetter>& keyLetters();

// The views' names and the keys as one JSON object, for the page to build its lists from:
//   {"views":["coefficients",…],"keys":[{"key":"F","does":"Decompose all"},…]}
std::string vocabulary();

// The commands that led to a state, shared between the states that a history keeps: each state
// adds its one command to the list of the state before it, so that keeping a state copies
// nothing and a replay of n commands costs time linear in n.
class CommandList {
public:
    std::size_t size() const;
    bool empty() const;
    // This list with `command` after its last.
    CommandList with(const Command& command) const;
    // Oldest first.
    std::vector<Command> all() const;
    // The bytes of the last command's node, which only this list and its copies share, and its
    // address, so that a history counts a node once whichever states hold it.
    static std::size_t nodeBytes();
    const void* lastNode() const;

private:
    struct Node;
    std::shared_ptr<const Node> last;
};
