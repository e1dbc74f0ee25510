#include "Numbers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

// Every float reads back from its text, and no decimal with one digit fewer would.
TEST(Numbers, ShortestDecimalReadsBackAndIsShortest)
{
    EXPECT_EQ(shortestDecimal(550.0f), "550");
    EXPECT_EQ(shortestDecimal(-130.0f), "-130");
    EXPECT_EQ(shortestDecimal(0.5f), "0.5");
    EXPECT_EQ(shortestDecimal(static_cast<float>(std::sqrt(0.5))), "0.70710677");
    EXPECT_EQ(shortestDecimal(-0.0f), "-0");
    EXPECT_EQ(shortestDecimal(1e21f), "1e+21");
    EXPECT_EQ(shortestDecimal(1.5e-8f), "1.5e-8");
    EXPECT_EQ(shortestDecimal(0.000125f), "0.000125");
    EXPECT_EQ(shortestDecimal(16777216.0f), "16777216");
    // Blanks around a typed number are not part of it.
    float typed = 0.0f;
    EXPECT_TRUE(parseFloat(" \t2.5\r\n ", typed) && typed == 2.5f);
    // A decimal comma is asked for again with a point, never read as another number.
    EXPECT_FALSE(parseFloat("1,5", typed));
    EXPECT_EQ(decimalCommaRefusal("1,5"),
              "\"1,5\" has a comma: write a decimal number with a point, as in 1.5.");
    EXPECT_EQ(decimalCommaRefusal(" 1.5e3 "), "");
    std::uint32_t seed = 2024;
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = nextRandom(seed);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        const std::string text = shortestDecimal(value);
        float back = 0.0f;
        ASSERT_TRUE(parseFloat(text, back)) << text;
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
        // Significant digits: those of the mantissa without the zeros at either end.
        std::string digitsOnly;
        for (char c : text.substr(0, text.find('e')))
            if (c >= '0' && c <= '9')
                digitsOnly += c;
        const auto first = digitsOnly.find_first_not_of('0');
        const std::size_t digits = first == std::string::npos
            ? 1 : digitsOnly.find_last_not_of('0') - first + 1;
        if (digits > 1) {
            char shorter[32];
            std::snprintf(shorter, sizeof shorter, "%.*e", static_cast<int>(digits) - 2,
                          static_cast<double>(value));
            ASSERT_NE(std::strtof(shorter, nullptr), value) << text << " could be " << shorter;
        }
    }
}

TEST(Numbers, MatrixReadBackOrRefusedAtTheFirstBadCell)
{
    std::vector<float> values(16);
    for (int i = 0; i < 16; ++i)
        values[i] = static_cast<float>(i) / 3.0f - 2.0f;
    const ParsedMatrix back = parseMatrix(matrixText(values.data(), 4));
    ASSERT_TRUE(back.ok) << back.message;
    EXPECT_EQ(back.size, 4);
    EXPECT_EQ(back.values, values);

    const ParsedMatrix pasted = parseMatrix("\n1,2,3,4\r\n5\t6  7 8\n\n9 10 11 12\n-1 .5 1e3 +2\n");
    ASSERT_TRUE(pasted.ok) << pasted.message;
    EXPECT_EQ(pasted.values[13], 0.5f);
    EXPECT_EQ(pasted.values[14], 1000.0f);

    struct Bad {
        const char* text;
        const char* says;
    };
    const Bad bad[] = {
        {"", "In row 0, column 0"},
        {"1 2 3\n", "In row 0, column 3"},
        {"1 2 3 4\n5 6 x 8\n", "In row 1, column 2: \"x\""},
        {"1 2 3 4\n5 6 7 8\n9 10 11 1e39\n", "In row 2, column 3"},
        {"1 2 3 4\n5 6 7 8\n9 10 11\n", "In row 2, column 3"},
        {"1 2 3 4\n5 6 7 8 9\n", "In row 1, column 4"},
        {"1 2 3 4\n5 6 7 8\n", "In row 2, column 0"},
        {"1 2 3 4\n5 6 7 8\n1 2 3 4\n5 6 7 8\n9 9 9 9\n", "In row 4, column 0"},
        {"1,5 2 3 4\n", "In row 0, column 4"},
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n", "In row 0, column 8: the first row has 15"},
        {"1 2 nan 4\n", "In row 0, column 2"},
        {"1 2 0x10 4\n", "In row 0, column 2"},
        {"1,,2,3,4\n", "In row 0, column 1: the cell is empty."},
        {"1\t2\t3\t4\n5\t6\t7\t\n", "In row 1, column 3: the cell is empty."},
    };
    for (const Bad& b : bad) {
        const ParsedMatrix m = parseMatrix(b.text);
        EXPECT_FALSE(m.ok) << b.text;
        EXPECT_EQ(m.message.rfind(b.says, 0), 0u) << b.text << " gave " << m.message;
    }
    // A refusal quotes at most 40 characters of a cell; a text beyond the cap is not read at all.
    EXPECT_EQ(excerpt(std::string(40, '7')), std::string(40, '7'));
    EXPECT_EQ(excerpt(std::string(39, '7') + "\xC3\xA9" "7"), std::string(39, '7') + "\xE2\x80\xA6");
    EXPECT_EQ(parseMatrix("1 2 " + std::string(1000, '7') + "x 4\n").message,
              "In row 0, column 2: \"" + std::string(40, '7') + "\xE2\x80\xA6\" is not a number that a 32-bit float holds.");
    EXPECT_EQ(parseMatrix(std::string(matrixCharacterCap, ' ')).message.rfind("In row 0, column 0", 0), 0u);
    EXPECT_EQ(parseMatrix(std::string(matrixCharacterCap + 1, ' ')).message,
              "The text has 100001 characters, and a matrix may have at most 100000.");
}

// MATLAB and NumPy write the same matrix with brackets, ';' and "],"; each export reads back (a
// LaTeX one aside) to the very floats it was made of.
TEST(Numbers, MatlabAndNumpyMatricesReadAndExportsReadBack)
{
    const ParsedMatrix matlab = parseMatrix("[1 2 3 4; 5 6 7 8\n9 10 11 12; 13 14 15 -16];");
    const ParsedMatrix numpy = parseMatrix(" np.array([[1, 2, 3, 4],\n [5, 6, 7, 8], [9, 10, 11, 12] ,[13, 14, 15, -16]])\n");
    ASSERT_TRUE(matlab.ok) << matlab.message;
    ASSERT_TRUE(numpy.ok) << numpy.message;
    EXPECT_EQ(matlab.values, numpy.values);
    EXPECT_EQ(matlab.values[4], 5.0f);
    EXPECT_EQ(matlab.values[15], -16.0f);
    // Brackets inside a row join its pieces, as MATLAB does; only ';' and "]," end a row.
    EXPECT_EQ(parseMatrix("[[1 2] [3 4]; 5 6 7 8\n9 10 11 12; 13 14 15 -16]").values, matlab.values);
    EXPECT_EQ(parseMatrix("[1 2 3 4; 5 6 7]").message.rfind("In row 1, column 3: the row has only 3", 0), 0u);

    const float small[] = {1.0f, -0.5f, 0.1f, 1e21f};
    EXPECT_EQ(exportText(small, 2, MatrixFormat::csv), "1,-0.5\n0.1,1e+21\n");
    EXPECT_EQ(exportText(small, 2, MatrixFormat::latex),
              "\\begin{bmatrix}\n1 & -0.5 \\\\\n0.1 & 1e+21\n\\end{bmatrix}\n");
    EXPECT_EQ(exportText(small, 2, MatrixFormat::numpy), "np.array([[1, -0.5], [0.1, 1e+21]])");
    std::vector<float> values(256);
    std::uint32_t seed = 99;
    for (float& v : values)
        v = static_cast<float>(static_cast<std::int32_t>(nextRandom(seed))) * 1e-7f;
    for (const MatrixFormat format : {MatrixFormat::csv, MatrixFormat::numpy}) {
        const ParsedMatrix back = parseMatrix(exportText(values.data(), 16, format));
        ASSERT_TRUE(back.ok) << back.message;
        EXPECT_EQ(std::memcmp(back.values.data(), values.data(), values.size() * sizeof(float)), 0);
    }
}
