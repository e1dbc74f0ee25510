// The functions the page calls, thin on purpose. The viewer's own state, keys, status line and
// picture check are the desktop's (Viewer.h, KeyCommands.h); everything the page computes beyond
// them lives in the lab library (Session and what it uses). Two sessions: the picture, on the
// viewer's own transform and scale, and a small matrix worked by hand, on its own.

#include "Compression.h"
#include "GreyFiles.h"
#include "GreyLevel.h"
#include "KeyCommands.h"
#include "Link.h"
#include "Numbers.h"
#include "RateDistortion.h"
#include "Session.h"
#include "TgaPicture.h"
#include "Viewer.h"

#include <emscripten/emscripten.h>

#include <algorithm>
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
// A file to save, until the next save.
std::vector<unsigned char> g_file;
// The last link read, for the page to take apart.
Link g_link;
// The rate–distortion data of the picture as opened.
RateDistortion g_chart;
// A TGA file of any size or kind, as RGBA bytes for the page to take like any other picture.
TgaPicture g_tga;

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
        TGAReadWrite image;
        image.load(path);
        takeImage(image);
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

// The canvas bytes of the current array (Session::render), `view` 0 to 3: the coefficients, the
// start, the difference or what keep-the-largest kept.
EMSCRIPTEN_KEEPALIVE const unsigned char* orlindeRenderView(int view, int signedView)
{
    g_session->render(static_cast<View>(std::clamp(view, 0, 3)), signedView != 0, g_pixels);
    return g_pixels.data();
}

EMSCRIPTEN_KEEPALIVE int orlindeKeptViewShows()
{
    return g_session->keptViewShows();
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

// The scale as the #scale field shows it, the shortest decimal of its float.
EMSCRIPTEN_KEEPALIVE const char* orlindeScaleText()
{
    return text(shortestDecimal(g_session->scale()));
}

// Sets a typed scale; null when taken (or already the scale), else why it was refused: it must
// be a positive number, and one that a 32-bit float holds without becoming infinite or 0.
EMSCRIPTEN_KEEPALIVE const char* orlindeSetScaleText(const char* typed)
{
    float value = 0.0f;
    if (!parseFloat(typed, value) || !(value > 0.0f))
        return text("The scale must be a positive number that a 32-bit float holds "
                    "(from about 1e-45 to 3.4e38).");
    g_session->setScale(value);
    return nullptr;
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
    KeepResult result{};
    g_session->keepLargest(percent, result);
    return static_cast<int>(result.kept);
}

// How many values the last keep since the start kept (the budget), -1 when none was made.
EMSCRIPTEN_KEEPALIVE int orlindeKeptCount()
{
    const KeepResult* kept = g_session->lastKeep();
    return kept ? static_cast<int>(kept->kept) : -1;
}

// How many of the values the last keep kept are not 0.
EMSCRIPTEN_KEEPALIVE int orlindeKeptNonZero()
{
    const KeepResult* kept = g_session->lastKeep();
    return kept ? static_cast<int>(kept->nonZero) : 0;
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

// The state as the address's fragment: the sample (or "" for an opened file), the commands that
// changed something since the start, the signed view and the view (0 to 3).
EMSCRIPTEN_KEEPALIVE const char* orlindeLink(const char* sample, int signedView, int view)
{
    static const char* const views[] = {"coefficients", "opened", "difference", "kept"};
    Link link;
    link.numbers = g_session == &g_numbers;
    if (link.numbers)
        link.grid = matrixAsGrid(g_numbers.start().data(), g_numbers.size());
    else
        link.sample = sample;
    link.commands = g_session->commands();
    link.signedView = signedView != 0;
    link.view = views[std::clamp(view, 0, 3)];
    return text(formatLink(link));
}

// Reads a fragment; the page then asks for its parts, opens the picture or sets the grid, and
// replays the commands with orlindeRun.
EMSCRIPTEN_KEEPALIVE void orlindeLinkRead(const char* fragment)
{
    g_link = parseLink(fragment);
}

EMSCRIPTEN_KEEPALIVE const char* orlindeLinkSample()
{
    return text(g_link.sample);
}

EMSCRIPTEN_KEEPALIVE int orlindeLinkNumbers()
{
    return g_link.numbers;
}

// The grid as a matrix's text for orlindeGridSet, "" when the link has none.
EMSCRIPTEN_KEEPALIVE const char* orlindeLinkGrid()
{
    return text(g_link.grid.empty() ? "" : gridAsMatrix(g_link.grid));
}

EMSCRIPTEN_KEEPALIVE int orlindeLinkSigned()
{
    return g_link.signedView;
}

EMSCRIPTEN_KEEPALIVE const char* orlindeLinkView()
{
    return text(g_link.view);
}

EMSCRIPTEN_KEEPALIVE int orlindeLinkCommandCount()
{
    return static_cast<int>(g_link.commands.size());
}

EMSCRIPTEN_KEEPALIVE const char* orlindeLinkCommand(int i)
{
    return text(i >= 0 && i < orlindeLinkCommandCount() ? g_link.commands[static_cast<std::size_t>(i)] : "");
}

// What the link held that made no sense, one part a line.
EMSCRIPTEN_KEEPALIVE const char* orlindeLinkIgnored()
{
    std::string lines;
    for (const std::string& part : g_link.ignored)
        lines += part + "\n";
    return text(lines);
}

// Runs one command as a link writes it: 1 changed, 0 changed nothing, -1 no command.
EMSCRIPTEN_KEEPALIVE int orlindeRun(const char* command)
{
    return g_session->run(command);
}

// The rate–distortion data of the picture as opened, a slice per call of orlindeChartStep.
EMSCRIPTEN_KEEPALIVE void orlindeChartStart()
{
    g_chart.start(g_picture.start().data(), g_picture.size());
}

EMSCRIPTEN_KEEPALIVE int orlindeChartStep()
{
    return g_chart.step();
}

EMSCRIPTEN_KEEPALIVE int orlindeChartShareCount()
{
    return static_cast<int>(RateDistortion::shares().size());
}

EMSCRIPTEN_KEEPALIVE double orlindeChartShare(int i)
{
    return RateDistortion::shares()[static_cast<std::size_t>(std::clamp(i, 0, orlindeChartShareCount() - 1))];
}

// PSNR in dB (+infinity where equal, NaN before it is computed); modes in the order plain
// non-standard, normalized non-standard, plain standard, normalized standard.
EMSCRIPTEN_KEEPALIVE double orlindeChartPsnr(int mode, int share)
{
    return g_chart.psnr(mode, static_cast<std::size_t>(share));
}

// The picture's current mode in the chart's order, so that the page can mark it.
EMSCRIPTEN_KEEPALIVE int orlindeChartMode()
{
    const DriverState s = g_picture.state();
    int mode = 0;
    while (mode + 1 < RateDistortion::kModeCount &&
           (RateDistortion::isStandard(mode) != s.standard || RateDistortion::isNormalized(mode) != s.normalized))
        ++mode;
    return mode;
}

// The files the page saves: bytes at the returned address, orlindeFileSize of them.
EMSCRIPTEN_KEEPALIVE int orlindeFileSize()
{
    return static_cast<int>(g_file.size());
}

// The picture's array itself, whatever the view and scale, as the desktop program opens it.
EMSCRIPTEN_KEEPALIVE const unsigned char* orlindeSaveTga()
{
    g_file = greyTga(g_picture.values(), g_picture.size());
    return g_file.data();
}

// What the picture shows in `view`, as an 8-bit grey PNG of the canvas's bytes.
EMSCRIPTEN_KEEPALIVE const unsigned char* orlindeSavePng(int view, int signedView)
{
    g_session->render(static_cast<View>(std::clamp(view, 0, 3)), signedView != 0, g_pixels);
    std::vector<unsigned char> grey(g_pixels.size() / 4);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = g_pixels[4 * i];
    g_file = greyPng(grey.data(), g_session->size(), g_session->size());
    return g_file.data();
}

// Reads a TGA file of any size or kind; null when taken, else the refusal.
EMSCRIPTEN_KEEPALIVE const char* orlindeTgaRead(const char* path)
{
    const std::string refusal = g_tga.load(path);
    return refusal.empty() ? nullptr : text(refusal);
}

EMSCRIPTEN_KEEPALIVE int orlindeTgaWidth()
{
    return g_tga.getWidth();
}

EMSCRIPTEN_KEEPALIVE int orlindeTgaHeight()
{
    return g_tga.getHeight();
}

EMSCRIPTEN_KEEPALIVE const unsigned char* orlindeTgaRgba()
{
    return g_tga.getRgba().data();
}

} // extern "C"
