#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Numbers as a learner reads and types them.

// The shortest decimal that reads back to the same 32-bit float ("550", "-130", "0.5",
// "0.70710677"), written plainly from 1e-7 up to 1e21 and with an exponent beyond ("1.5e-8").
// The library's float to_chars is not available everywhere this runs, hence our own.
std::string shortestDecimal(float value);
// The same for a double, as a percentage typed in is kept.
std::string shortestDecimal(double value);

// A finite 32-bit float from the whole of `text` (a decimal point, not a comma; blanks around it
// allowed), or false.
bool parseFloat(const std::string& text, float& value);

// Why a one-number field refuses `text` when it holds a comma, or "" when it holds none: "1,5" is
// a decimal comma in much of the world, and is asked for again with a point rather than read as 15
// or refused without a word about the comma.
std::string decimalCommaRefusal(const std::string& text);

// The parts of `text` between `separator`s, empty ones included.
std::vector<std::string> splitText(const std::string& text, char separator);

// A whole number of at most 9 digits, nothing else, or false.
bool parseWhole(const std::string& text, int& value);

// What a message quotes of a text it refuses: the text itself when short, else its first
// characters and "…", so that a refused megabyte is not echoed back.
std::string excerpt(const std::string& text);

// A pasted matrix longer than this is refused before it is read.
constexpr std::size_t matrixCharacterCap = 100000;

// A square matrix of side 4, 8 or 16 pasted from a spreadsheet, a book, MATLAB or NumPy: rows on
// lines or ended by ";" or "],", numbers between spaces, tabs or commas, blank lines ignored, and
// the other "[", "]" and a leading "np.array(" with its ")" ignored, so that "[1 2; 3 4]" and
// "[[1, 2], [3, 4]]" read. `values` gets the rows in order.
struct ParsedMatrix {
    bool ok = false;
    int size = 0;
    std::vector<float> values;
    // Names the first bad row and column (counted from 0, as the grid counts them) when not ok.
    std::string message;
};

ParsedMatrix parseMatrix(const std::string& text);

// How a message names a cell, counted from 0 as the grid is: "In row 1, column 2: ".
std::string cellPlace(int row, int column);

// `values` (size × size, rows in order) as parseMatrix reads it: rows on lines, numbers separated
// by single spaces, each as shortestDecimal writes it.
std::string matrixText(const float* values, int size);

// `values` (size × size, rows in order) for a worksheet, each number as shortestDecimal writes it:
// CSV (commas, a row a line), a LaTeX bmatrix, or a NumPy np.array([[…], …]).
enum class MatrixFormat { csv, latex, numpy };
std::string exportText(const float* values, int size, MatrixFormat format);
