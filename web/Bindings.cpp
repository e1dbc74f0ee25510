// The functions the page calls, thin on purpose. The viewer's own state, keys, status line and
// picture check are the desktop's (Viewer.h, KeyCommands.h); everything the page computes beyond
// them lives in the lab library (Session and what it uses). Two sessions: the picture, on the
// viewer's own transform and scale, and a small matrix worked by hand, on its own.

#include "Compression.h"
#include "GreyLevel.h"
#include "KeyCommands.h"
#include "Numbers.h"
#include "Session.h"
#include "Viewer.h"

#include <emscripten/emscripten.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

WaveletTransform g_numbersTransform;
float g_numbersScale = 1.0f;

Session g_picture(g_transform, g_scale, false);
Session g_numbers(g_numbersTransform, g_numbersScale, true);
Session* g_session = &g_picture;

// Returned texts live here until the next call that returns one.
std::string g_text;
std::vector<unsigned char> g_pixels;
std::vector<int> g_blocks;

const char* text(std::string value)
{
    g_text = std::move(value);
    return g_text.c_str();
}

// Our own example for the matrix: whole numbers whose pairs along a row differ by 0 or 2, so the
// first row pass gives whole averages and details of −1, 0 or 1 that are easy to follow.
std::vector<float> exampleMatrix(int n)
{
    std::vector<float> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int row = 0; row < n; ++row) {
        for (int pair = 0; pair < n / 2; ++pair) {
            const int average = 16 * pair + 4 * row + 8;
            const int detail = (row + pair) % 3 - 1;
            values[static_cast<std::size_t>(row * n + 2 * pair)] = static_cast<float>(average + detail);
            values[static_cast<std::size_t>(row * n + 2 * pair + 1)] =
                static_cast<float>(average - detail);
        }
    }
    return values;
}

bool inGrid(int row, int column)
{
    return row >= 0 && column >= 0 && row < g_session->size() && column < g_session->size();
}

std::size_t cellCount()
{
    const auto n = static_cast<std::size_t>(g_session->size());
    return n * n;
}

} // namespace

extern "C" {

// Opens the TGA file at `path` into the picture; null on success, else the message the desktop
// would print. A refused file changes nothing; an accepted one starts as the desktop starts, with
// a history of its own.
EMSCRIPTEN_KEEPALIVE const char* orlindeOpen(const char* path)
{
    try {
        if (g_transform.getSize() != g_imageSize)
            g_transform.setSize(g_imageSize);
        TGAReadWrite image;
        image.load(path);
        checkImageFormat(image);
        g_scale = 1.0f;
        g_transform.setStandard(false);
        g_transform.setNormalized(false);
        handOverImage(image);
        g_picture.open(g_transform.getData(), g_imageSize);
        return nullptr;
    } catch (const char* message) {
        return message;
    }
}

EMSCRIPTEN_KEEPALIVE void orlindeSetMode(int numbers)
{
    if (numbers && g_numbers.size() == 0) {
        const std::vector<float> example = exampleMatrix(8);
        g_numbers.open(example.data(), 8);
    }
    g_session = numbers ? &g_numbers : &g_picture;
}

EMSCRIPTEN_KEEPALIVE int orlindeMode()
{
    return g_session == &g_numbers ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int orlindeKey(int key)
{
    return g_session->key(static_cast<unsigned char>(key));
}

EMSCRIPTEN_KEEPALIVE const char* orlindeStatus()
{
    return text(g_session->status());
}

EMSCRIPTEN_KEEPALIVE int orlindeSize()
{
    return g_session->size();
}

EMSCRIPTEN_KEEPALIVE const float* orlindeData()
{
    return g_session->values();
}

EMSCRIPTEN_KEEPALIVE int orlindeNothingDecomposed()
{
    const DriverState s = g_session->state();
    return s.rowLength == s.size && s.columnLength == s.size;
}

// The canvas bytes of the current array: v × scale as the window shows it, or in the signed view
// 0.5 + 0.5 × v × scale, so that zero is mid grey. A picture's top line is its last array row; a
// matrix is written from its row 0 down.
EMSCRIPTEN_KEEPALIVE const unsigned char* orlindeRender(int signedView)
{
    const int n = g_session->size();
    const bool fromTop = g_session == &g_numbers;
    const float* data = g_session->values();
    const float scale = g_session->scale();
    g_pixels.resize(cellCount() * 4);
    unsigned char* out = g_pixels.data();
    for (int line = 0; line < n; ++line) {
        const int row = fromTop ? line : n - 1 - line;
        const float* values = data + static_cast<std::size_t>(row) * static_cast<std::size_t>(n);
        for (int column = 0; column < n; ++column, out += 4) {
            const float shown = values[column] * scale;
            const unsigned char grey = signedView ? greyByte(0.5f + 0.5f * shown) : greyByte(shown);
            out[0] = grey;
            out[1] = grey;
            out[2] = grey;
            out[3] = 255;
        }
    }
    return g_pixels.data();
}

EMSCRIPTEN_KEEPALIVE int orlindeRowLevels()
{
    return g_session->log().rowLevels();
}

EMSCRIPTEN_KEEPALIVE int orlindeColumnLevels()
{
    return g_session->log().columnLevels();
}

EMSCRIPTEN_KEEPALIVE const char* orlindeWhere()
{
    return text(g_session->where());
}

EMSCRIPTEN_KEEPALIVE const char* orlindeWarning()
{
    return text(g_session->warning());
}

EMSCRIPTEN_KEEPALIVE int orlindeBlockCount()
{
    return static_cast<int>(g_session->blocks().size());
}

// Four ints a block: row, column, height, width, in array coordinates.
EMSCRIPTEN_KEEPALIVE const int* orlindeBlocks()
{
    g_blocks.clear();
    for (const Block& b : g_session->blocks())
        g_blocks.insert(g_blocks.end(), {b.row, b.column, b.height, b.width});
    return g_blocks.data();
}

EMSCRIPTEN_KEEPALIVE const char* orlindeBlockName(int row, int column)
{
    return text(inGrid(row, column) ? g_session->blockNameAt(row, column) : "");
}

EMSCRIPTEN_KEEPALIVE float orlindeScale()
{
    return g_session->scale();
}

EMSCRIPTEN_KEEPALIVE int orlindeSetScale(double value)
{
    return g_session->setScale(static_cast<float>(value));
}

EMSCRIPTEN_KEEPALIVE int orlindeAutoScale()
{
    return g_session->autoScale();
}

EMSCRIPTEN_KEEPALIVE int orlindeReset()
{
    return g_session->reset();
}

EMSCRIPTEN_KEEPALIVE int orlindeUndo()
{
    return g_session->undo();
}

EMSCRIPTEN_KEEPALIVE int orlindeRedo()
{
    return g_session->redo();
}

EMSCRIPTEN_KEEPALIVE int orlindeCanUndo()
{
    return g_session->canUndo();
}

EMSCRIPTEN_KEEPALIVE int orlindeCanRedo()
{
    return g_session->canRedo();
}

// Keep-the-largest on the current array; returns how many values stayed, exactly the budget.
EMSCRIPTEN_KEEPALIVE int orlindeKeep(double percent)
{
    std::size_t kept = 0;
    g_session->keepLargest(percent, kept);
    return static_cast<int>(kept);
}

EMSCRIPTEN_KEEPALIVE double orlindePsnr()
{
    return psnr(g_session->values(), g_session->start().data(), cellCount());
}

EMSCRIPTEN_KEEPALIVE int orlindeSetCell(int row, int column, double value)
{
    return inGrid(row, column) && g_session->setValue(row, column, static_cast<float>(value));
}

EMSCRIPTEN_KEEPALIVE const char* orlindeCellText(int row, int column)
{
    if (!inGrid(row, column))
        return text("");
    return text(shortestDecimal(
        g_session->values()[static_cast<std::size_t>(row) * static_cast<std::size_t>(g_session->size()) +
                            static_cast<std::size_t>(column)]));
}

// Parses a typed cell and sets it; null on success, else why it was refused.
EMSCRIPTEN_KEEPALIVE const char* orlindeCellSetText(int row, int column, const char* typed)
{
    float value = 0.0f;
    if (!inGrid(row, column))
        return text("There is no such cell.");
    if (!parseFloat(typed, value))
        return text("\"" + std::string(typed) + "\" is not a number that a 32-bit float holds.");
    g_session->setValue(row, column, value);
    return nullptr;
}

EMSCRIPTEN_KEEPALIVE int orlindeGridSize(int n)
{
    if (n != 4 && n != 8 && n != 16)
        return 0;
    const std::vector<float> example = exampleMatrix(n);
    return g_session->replaceStart(example.data(), n);
}

EMSCRIPTEN_KEEPALIVE const char* orlindeGridText()
{
    return text(matrixText(g_session->values(), g_session->size()));
}

EMSCRIPTEN_KEEPALIVE const char* orlindeGridSet(const char* pasted)
{
    const ParsedMatrix matrix = parseMatrix(pasted);
    if (!matrix.ok)
        return text(matrix.message);
    g_session->replaceStart(matrix.values.data(), matrix.size);
    return nullptr;
}

} // extern "C"
