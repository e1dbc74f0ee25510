#include "Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <class Number>
bool sameBits(Number a, Number b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

float readBack(const char* text, float)
{
    return std::strtof(text, nullptr);
}

double readBack(const char* text, double)
{
    return std::strtod(text, nullptr);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

template <class Number>
std::string shortest(Number value, int mostDigits)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    // The fewest significant digits that read back to the same number; 9 always do for a float,
    // 17 for a double.
    char scientific[40];
    for (int digits = 1; digits <= mostDigits; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, static_cast<double>(value));
        if (sameBits(readBack(scientific, value), value))
            break;
    }
    // scientific is [-]d[.ddd]e±xx: its digits and the exponent of the first one.
    const char* p = scientific;
    std::string sign;
    if (*p == '-') {
        sign = "-";
        ++p;
    }
    std::string digits;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    const int exponent = std::atoi(p + 1);
    if (digits == "0")
        return sign + "0";
    if (exponent < -7 || exponent >= 21) {
        std::string text = sign + digits.substr(0, 1);
        if (digits.size() > 1)
            text += "." + digits.substr(1);
        return text + "e" + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
    }
    if (exponent < 0)
        return sign + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return sign + digits + std::string(whole - digits.size(), '0');
    return sign + digits.substr(0, whole) + "." + digits.substr(whole);
}

} // namespace

std::string shortestDecimal(float value)
{
    return shortest(value, 9);
}

std::string shortestDecimal(double value)
{
    return shortest(value, 17);
}

std::vector<std::string> splitText(const std::string& text, char separator)
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

bool parseWhole(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(text.c_str());
    return true;
}

std::string excerpt(const std::string& text)
{
    constexpr std::size_t shown = 40;
    if (text.size() <= shown)
        return text;
    // Cut before a character, not inside one written in several UTF-8 bytes.
    std::size_t cut = shown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut;
    return text.substr(0, cut) + "\xE2\x80\xA6";
}

bool parseFloat(const std::string& text, float& value)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (isBlank(text[begin]) || text[begin] == '\n'))
        ++begin;
    while (end > begin && (isBlank(text[end - 1]) || text[end - 1] == '\n'))
        --end;
    const std::string number = text.substr(begin, end - begin);
    // strtof also takes "inf", "nan" and hexadecimal, none of which a learner means here.
    if (number.empty() || number.find_first_not_of("+-.0123456789eE") != std::string::npos)
        return false;
    char* stop = nullptr;
    const float parsed = std::strtof(number.c_str(), &stop);
    if (stop != number.c_str() + number.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

std::string decimalCommaRefusal(const std::string& text)
{
    if (text.find(',') == std::string::npos)
        return "";
    return "\"" + excerpt(text) + "\" has a comma: write a decimal number with a point, as in 1.5.";
}

namespace {

// The text with the brackets of a MATLAB or NumPy matrix taken away and its rows on lines: a
// leading "np.array(" and its closing ")" go, as do "[" and "]", and ";" or "]," (blanks allowed
// before the comma) end a row.
std::string matrixLines(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::string call = "np.array(";
    if (first != std::string::npos && text.compare(first, call.size(), call) == 0) {
        begin = first + call.size();
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        if (last > begin && text[last] == ')')
            end = last;
    }
    std::string lines;
    lines.reserve(end - begin);
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c == ']') {
            std::size_t next = i + 1;
            while (next < end && isBlank(text[next]))
                ++next;
            if (next < end && text[next] == ',') {
                lines += '\n';
                i = next;
                continue;
            }
        }
        lines += c == ';' ? '\n' : (c == '[' || c == ']' ? ' ' : c);
    }
    return lines;
}

} // namespace

ParsedMatrix parseMatrix(const std::string& pasted)
{
    ParsedMatrix result;
    if (pasted.size() > matrixCharacterCap) {
        result.message = "The text has " + std::to_string(pasted.size()) + " characters, and a matrix " +
                         "may have at most " + std::to_string(matrixCharacterCap) + ".";
        return result;
    }
    const std::string text = matrixLines(pasted);
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string::npos)
            stop = text.size();
        // Blanks only separate; a comma or a tab also ends a cell, so two of them in a row (as a
        // spreadsheet copies an empty cell) or one at either end of a line leave an empty cell.
        std::vector<std::string> fields;
        std::string field;
        bool cellSinceComma = false;
        bool afterComma = false;
        for (std::size_t i = start; i <= stop; ++i) {
            const char c = i < stop ? text[i] : '\n';
            const bool ends = c == ',' || c == '\t';
            if (!ends && !isBlank(c) && c != '\n') {
                field += c;
                continue;
            }
            if (!field.empty()) {
                fields.push_back(field);
                field.clear();
                cellSinceComma = true;
            }
            if ((ends || (c == '\n' && afterComma)) && !cellSinceComma)
                fields.emplace_back();
            if (ends) {
                cellSinceComma = false;
                afterComma = true;
            }
        }
        if (!fields.empty())
            rows.push_back(fields);
        start = stop + 1;
    }
    const auto fail = [&](std::size_t row, std::size_t column, const std::string& why) {
        result.message = cellPlace(static_cast<int>(row), static_cast<int>(column)) + why;
        return result;
    };
    if (rows.empty())
        return fail(0, 0, "there are no numbers; paste a square matrix of side 4, 8 or 16.");
    // An empty cell miscounts its row; name it before the count.
    for (std::size_t column = 0; column < rows[0].size(); ++column)
        if (rows[0][column].empty())
            return fail(0, column, "the cell is empty.");
    const std::size_t n = rows[0].size();
    if (n != 4 && n != 8 && n != 16)
        return fail(0, n < 4 ? n : (n < 8 ? 4 : (n < 16 ? 8 : 16)), "the first row has " + std::to_string(n) +
                                            " numbers; a matrix here has 4, 8 or 16 columns.");
    result.values.reserve(n * n);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (row >= n)
            return fail(row, 0, "there are more than " + std::to_string(n) + " rows.");
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            if (column >= n)
                return fail(row, column, "the row has more than " + std::to_string(n) + " numbers.");
            float value = 0.0f;
            if (rows[row][column].empty())
                return fail(row, column, "the cell is empty.");
            if (!parseFloat(rows[row][column], value))
                return fail(row, column, "\"" + excerpt(rows[row][column]) +
                                             "\" is not a number that a 32-bit float holds.");
            result.values.push_back(value);
        }
        if (rows[row].size() < n)
            return fail(row, rows[row].size(), "the row has only " + std::to_string(rows[row].size()) +
                                                   " of its " + std::to_string(n) + " numbers.");
    }
    if (rows.size() < n)
        return fail(rows.size(), 0, "there are only " + std::to_string(rows.size()) + " of the " +
                                        std::to_string(n) + " rows.");
    result.ok = true;
    result.size = static_cast<int>(n);
    return result;
}

std::string cellPlace(int row, int column)
{
    return "In row " + std::to_string(row) + ", column " + std::to_string(column) + ": ";
}

std::string matrixText(const float* values, int size)
{
    std::string text;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            if (column > 0)
                text += ' ';
            text += shortestDecimal(values[row * size + column]);
        }
        text += '\n';
    }
    return text;
}

std::string exportText(const float* values, int size, MatrixFormat format)
{
    struct Marks {
        const char* open;
        const char* rowOpen;
        const char* between;
        const char* rowClose;
        const char* betweenRows;
        const char* close;
    };
    static const Marks marks[] = {
        {"", "", ",", "\n", "", ""},
        {"\\begin{bmatrix}\n", "", " & ", "", " \\\\\n", "\n\\end{bmatrix}\n"},
        {"np.array([", "[", ", ", "]", ", ", "])"},
    };
    const Marks& m = marks[static_cast<std::size_t>(format)];
    std::string text = m.open;
    for (int row = 0; row < size; ++row) {
        text += row > 0 ? m.betweenRows : "";
        text += m.rowOpen;
        for (int column = 0; column < size; ++column) {
            if (column > 0)
                text += m.between;
            text += shortestDecimal(values[row * size + column]);
        }
        text += m.rowClose;
    }
    return text + m.close;
}
