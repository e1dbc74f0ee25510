// The calls the page makes, thin on purpose. The viewer's own state, keys, status line and
// picture check are the desktop's (Viewer.h, KeyCommands.h); everything the page computes beyond
// them lives in the lab library (Session and what it uses). Two sessions: the picture, on the
// viewer's own transform and scale, and a small matrix worked by hand, on its own.
//
// The bridge: every call is named once, in kCalls at the end, beside its C++ function, and the
// page builds its call table from the list orlindeCalls() gives (bindCalls, web/page/base.js), so
// no signature is written twice. Kinds follow from the C++ types: numbers (and addresses in the
// module's memory) as numbers, std::string as text, std::optional<std::string> as a refusal (null
// when taken), std::vector<unsigned char> as bytes. Text and bytes go in through memory the
// module allocates, never on its small C stack, and a text longer than its call's cap is refused
// before the call, by the page and again here.
// Why not embind: with this emscripten (3.1.6, -O3, SINGLE_FILE) it adds 27.7 KB to even a
// four-function module, about a twentieth of what the whole page may weigh.

#include "CodedPicture.h"
#include "CodingRates.h"
#include "Command.h"
#include "Compression.h"
#include "GreyFiles.h"
#include "GreyLevel.h"
#include "KeyCommands.h"
#include "Link.h"
#include "Numbers.h"
#include "PassMatrix.h"
#include "RateDistortion.h"
#include "Session.h"
#include "TgaPicture.h"
#include "Viewer.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using Refusal = std::optional<std::string>;
using Bytes = std::vector<unsigned char>;

// The longest text each kind of entry takes, in UTF-16 code units as the page counts a string's
// length: enough for any link, matrix or number a learner makes, far below what would strain
// the module's memory.
struct Cap {
    const char* what;
    std::size_t limit;
};
constexpr Cap kCaps[] = {
    {"a link", linkCharacterCap},
    {"a pasted matrix", matrixCharacterCap},
    {"a typed value", 1000},
};
enum CapIndex { kNoCap = -1, kLinkCap, kMatrixCap, kFieldCap };

// A picture of at most TgaPicture::kMaxPixels needs no more than this in its file: 8 bytes a
// pixel (16-bit RGBA, stored) and a MiB of headers and metadata. Larger files are refused unread.
constexpr double kMaxFileBytes = 8 * TgaPicture::kMaxPixels + 1048576;

WaveletTransform g_numbersTransform;
float g_numbersScale = 1.0f;

Session g_picture(g_transform, g_scale, false);
Session g_numbers(g_numbersTransform, g_numbersScale, true);
Session* g_session = &g_picture;

std::vector<unsigned char> g_pixels;
std::vector<int> g_blocks;
// The last link read, for the page to take apart.
Link g_link;
// The rate–distortion data of the picture as opened.
RateDistortion g_chart;
// A TGA file of any size or kind, as RGBA bytes for the page to take like any other picture.
TgaPicture g_tga;
// The picture as opened through the wavelet coder, and the last coded file read.
CodedPicture g_coded;
DecodedPicture g_codedFile;
std::vector<unsigned char> g_codedRgba;
// The coder's rate–distortion table of the picture as opened.
CodingRates g_rates;
// The browser's JPEG and WebP of the picture as opened (View::jpeg, View::webp), decoded to greys
// by the page; empty until it has made them.
std::vector<unsigned char> g_browserCopies[2];
// How many pictures have been opened, so that the page knows when what it worked out for one is old.
int g_openings = 0;

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

// The coder's picture is the picture as opened, in 8-bit greys, top row first (row 0 of the array
// is the picture's bottom line), as an image file holds it.
CodedPicture& coded()
{
    const int n = g_picture.size();
    const float* start = g_picture.start().data();
    std::vector<unsigned char> grey(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column)
            grey[static_cast<std::size_t>(row * n + column)] = greyByte(start[(n - 1 - row) * n + column]);
    g_coded.setPicture(grey, n);
    return g_coded;
}

// RGBA bytes of n × n greys, top row first, as the canvas takes them.
void greyToRgba(const std::vector<unsigned char>& grey, std::vector<unsigned char>& rgba)
{
    rgba.resize(4 * grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i) {
        rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = grey[i];
        rgba[4 * i + 3] = 255;
    }
}

bool inGrid(int row, int column)
{
    return row >= 0 && column >= 0 && row < g_session->size() && column < g_session->size();
}

// The readers take a path; the page's bytes become a file in the module's memory file system.
bool asFile(const Bytes& bytes, const char* path)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// ---- The calls, in the page's names.

// Opens a TGA file into the picture, whichever mode the page is in; null when taken, else the
// message the desktop would print. A refused file changes nothing; an accepted one starts as the
// desktop starts, with a history of its own.
Refusal open(const Bytes& file)
{
    const char* path = "/opened.tga";
    try {
        TGAReadWrite image;
        if (!asFile(file, path))
            return "Orlinde: not enough memory to open the file.";
        image.load(path);
        std::remove(path);
        takeImage(image);
        g_picture.open(g_transform.getData(), g_imageSize);
        ++g_openings;
        for (std::vector<unsigned char>& copy : g_browserCopies)
            copy.clear();
        return std::nullopt;
    } catch (const char* message) {
        std::remove(path);
        return message;
    }
}

// The grey TGA file (GreyFiles' writer) of g_imageSize² grey bytes, the top row first, as the
// page's canvas gives them; empty when there are not that many. Each byte b goes in as b / 255,
// which the writer's greyByte turns back into b.
Bytes greyTgaOf(const Bytes& grey)
{
    const auto n = static_cast<std::size_t>(g_imageSize);
    if (grey.size() != n * n)
        return {};
    std::vector<float> values(n * n);
    for (std::size_t row = 0; row < n; ++row)
        for (std::size_t column = 0; column < n; ++column)
            values[row * n + column] = static_cast<float>(grey[(n - 1 - row) * n + column]) / 255.0f;
    return greyTga(values.data(), g_imageSize);
}

int openings()
{
    return g_openings;
}

double maxPixels()
{
    return TgaPicture::kMaxPixels;
}

double maxFileBytes()
{
    return kMaxFileBytes;
}

void setMode(int numbers)
{
    if (numbers && g_numbers.size() == 0) {
        const std::vector<float> example = exampleMatrix(8);
        g_numbers.open(example.data(), 8);
    }
    g_session = numbers ? &g_numbers : &g_picture;
}

int mode()
{
    return g_session == &g_numbers ? 1 : 0;
}

int key(int k)
{
    return g_session->key(static_cast<unsigned char>(k));
}

// Why the last command changed nothing, when it was refused; "" otherwise.
std::string message()
{
    return g_session->message();
}

std::string status()
{
    return g_session->status();
}

int size()
{
    return g_session->size();
}

const float* data()
{
    return g_session->values();
}

// The canvas bytes of the current array (Session::render) in `view`, a View: the coefficients, the
// start, the difference, what keep-the-largest kept or, for the picture, the coded picture.
const unsigned char* renderView(int view, int signedView)
{
    const auto shown = static_cast<View>(std::clamp(view, 0, static_cast<int>(View::webp)));
    const bool coder = shown == View::coded || shown == View::jpeg || shown == View::webp;
    if (coder && g_session == &g_picture) {
        const std::size_t entries = static_cast<std::size_t>(g_picture.size()) * g_picture.size();
        const std::vector<unsigned char>& copy = g_browserCopies[shown == View::webp];
        // A copy not made yet shows black.
        greyToRgba(shown == View::coded ? coded().decoded()
                   : copy.size() == entries ? copy : std::vector<unsigned char>(entries, 0), g_pixels);
    } else {
        g_session->render(coder ? View::opened : shown, signedView != 0, g_pixels);
    }
    return g_pixels.data();
}

int keptViewShows()
{
    return g_session->keptViewShows();
}

int rowLevels()
{
    return g_session->log().rowLevels();
}

int columnLevels()
{
    return g_session->log().columnLevels();
}

std::string where()
{
    return g_session->where();
}

std::string warning()
{
    return g_session->warning();
}

int blockCount()
{
    return static_cast<int>(g_session->blocks().size());
}

// Four ints a block: row, column, height, width, in array coordinates.
const int* blocks()
{
    g_blocks.clear();
    for (const Block& b : g_session->blocks())
        g_blocks.insert(g_blocks.end(), {b.row, b.column, b.height, b.width});
    return g_blocks.data();
}

std::string blockName(int row, int column)
{
    return inGrid(row, column) ? g_session->blockNameAt(row, column) : "";
}

// The scale as the #scale field shows it, the shortest decimal of its float.
std::string scaleText()
{
    return shortestDecimal(g_session->scale());
}

// Sets a typed scale (or keeps it when it is already the scale); it must be a positive number,
// and one that a 32-bit float holds without becoming infinite or 0.
Refusal setScaleText(const std::string& typed)
{
    if (const std::string comma = decimalCommaRefusal(typed); !comma.empty())
        return comma;
    float value = 0.0f;
    if (!parseFloat(typed, value) || !(value > 0.0f))
        return "The scale must be a positive number that a 32-bit float holds "
               "(from about 1e-45 to 3.4e38).";
    g_session->setScale(value);
    return std::nullopt;
}

// The refusal of a one-number field's text that holds a decimal comma (null when it holds none),
// for the fields whose numbers the page reads itself.
Refusal commaRefusal(const std::string& typed)
{
    std::string comma = decimalCommaRefusal(typed);
    if (comma.empty())
        return std::nullopt;
    return comma;
}

int autoScale()
{
    return g_session->autoScale();
}

int autoScaleOn()
{
    return g_session->automaticScaleOn();
}

// The passes' normalization by its name (plain, normalized or orthonormal), as #normalization
// lists it; 1 changed, 0 it already was, -1 no such name.
std::string normalization()
{
    return normalizationName(g_session->state().normalization);
}

int setNormalization(const std::string& name)
{
    return g_session->run("norm:" + name);
}

int standard()
{
    return g_session->state().standard;
}

int reset()
{
    return g_session->reset();
}

int undo()
{
    return g_session->undo();
}

int redo()
{
    return g_session->redo();
}

int canUndo()
{
    return g_session->canUndo();
}

int canRedo()
{
    return g_session->canRedo();
}

// Keep-the-largest on the current array; returns how many values stayed, exactly the budget.
int keep(double percent)
{
    KeepResult result{};
    g_session->keepLargest(percent, result);
    return static_cast<int>(result.kept);
}

// What the last keep or threshold since the start did, in the page's sentences, "" when none.
std::string keptText()
{
    return reductionText(g_session->lastReduction());
}

// The same as the data- attributes of #kept, a JSON object of strings ({} when none).
std::string keptAttributes()
{
    const Reduction& r = g_session->lastReduction();
    if (r.kind == Reduction::Kind::none)
        return "{}";
    return std::string("{\"on\":\"") + (r.onPixels ? "pixels" : "coefficients") + "\",\"count\":\"" +
           std::to_string(r.count) + "\",\"nonzero-before\":\"" + std::to_string(r.nonZeroBefore) +
           "\",\"nonzero-after\":\"" + std::to_string(r.nonZeroAfter) + "\",\"energy\":\"" +
           shortestDecimal(r.energy) + "\"}";
}

// The textbook's threshold ε as typed, hard or soft; null when made (or when it changed nothing).
Refusal threshold(const std::string& typed, int soft)
{
    if (const std::string comma = decimalCommaRefusal(typed); !comma.empty())
        return comma;
    float value = 0.0f;
    if (!parseFloat(typed, value) || !(value >= 0.0f))
        return "The threshold must be a number of at least 0, written with a decimal point.";
    if (g_session->run(Command::threshold(std::strtod(typed.c_str(), nullptr), soft != 0)) == 0 &&
        !g_session->message().empty())
        return g_session->message();
    return std::nullopt;
}

std::string psnrText()
{
    return psnrSentence(g_session->peak(), g_session->psnr());
}

std::string peakText()
{
    return shortestDecimal(g_session->peak());
}

// The matrix W of the latest pass in effect and its caption; "" when nothing is decomposed.
std::string passMatrixText()
{
    const std::vector<Pass>& passes = g_session->log().inEffect();
    return passes.empty() ? "" : ::passMatrixText(passMatrix(passes.back()));
}

std::string passMatrixCaption()
{
    const std::vector<Pass>& passes = g_session->log().inEffect();
    return passes.empty() ? "" : passCaption(passes.back());
}

// The current array for a worksheet, `format` 0 to 2: CSV, LaTeX or NumPy.
std::string exportText(int format)
{
    return ::exportText(g_session->values(), g_session->size(),
                        static_cast<MatrixFormat>(std::clamp(format, 0, 2)));
}

std::string cellText(int row, int column)
{
    if (!inGrid(row, column))
        return "";
    return shortestDecimal(g_session->values()[static_cast<std::size_t>(row) *
                                                   static_cast<std::size_t>(g_session->size()) +
                                               static_cast<std::size_t>(column)]);
}

// Parses a typed cell and sets it. The refusal names the cell, not the text: that may be long.
Refusal cellSetText(int row, int column, const std::string& typed)
{
    float value = 0.0f;
    if (!inGrid(row, column))
        return "There is no such cell.";
    if (!parseFloat(typed, value))
        return cellPlace(row, column) + "the text typed is not a number that a 32-bit float holds.";
    g_session->setValue(row, column, value);
    return std::nullopt;
}

int gridSize(int n)
{
    if (n != 4 && n != 8 && n != 16)
        return 0;
    const std::vector<float> example = exampleMatrix(n);
    return g_session->replaceStart(example.data(), n);
}

std::string gridText()
{
    return matrixText(g_session->values(), g_session->size());
}

Refusal gridSet(const std::string& pasted)
{
    const ParsedMatrix matrix = parseMatrix(pasted);
    if (!matrix.ok)
        return matrix.message;
    g_session->replaceStart(matrix.values.data(), matrix.size);
    return std::nullopt;
}

// The state as the address's fragment: the sample (or "" for an opened file), the commands that
// changed something since the start, the signed view and the view (0 to 3).
std::string link(const std::string& sample, int signedView, int view)
{
    Link state;
    state.numbers = g_session == &g_numbers;
    if (state.numbers)
        state.grid = matrixAsGrid(g_numbers.start().data(), g_numbers.size());
    else
        state.sample = sample;
    state.commands = g_session->commands();
    state.signedView = signedView != 0;
    state.view = viewName(static_cast<View>(std::clamp(view, 0, static_cast<int>(viewNames().size()) - 1)));
    if (!state.numbers && g_coded.text() != CodedPicture().text())
        state.code = g_coded.text();
    return formatLink(state);
}

// Reads a fragment; the page then asks for its parts, opens the picture or sets the grid, and
// replays the commands with runLinkCommand. The one refusal is its cap's, made before the call.
// The Code panel takes the link's wavelet and budget (or the page's first ones) at once.
Refusal linkRead(const std::string& fragment)
{
    g_link = parseLink(fragment);
    g_coded.setText(g_link.code.empty() ? CodedPicture().text() : g_link.code);
    return std::nullopt;
}

std::string linkSample()
{
    return g_link.sample;
}

int linkNumbers()
{
    return g_link.numbers;
}

// The grid as a matrix's text for gridSet, "" when the link has none.
std::string linkGrid()
{
    return g_link.grid.empty() ? "" : gridAsMatrix(g_link.grid);
}

int linkSigned()
{
    return g_link.signedView;
}

std::string linkView()
{
    return g_link.view;
}

int linkCommandCount()
{
    return static_cast<int>(g_link.commands.size());
}

std::string linkCommand(int i)
{
    return i >= 0 && i < linkCommandCount() ? g_link.commands[static_cast<std::size_t>(i)] : "";
}

// Runs the link's command `i` as if typed: 1 changed, 0 changed nothing, -1 no command here.
int runLinkCommand(int i)
{
    return i >= 0 && i < linkCommandCount() ? g_session->run(g_link.commands[static_cast<std::size_t>(i)])
                                            : -1;
}

// What the link held that made no sense, one part a line.
std::string linkIgnored()
{
    std::string lines;
    for (const std::string& part : g_link.ignored)
        lines += part + "\n";
    return lines;
}

// The rate–distortion data of the picture as opened, a slice per call of chartStep.
void chartStart()
{
    g_chart.start(g_picture.start().data(), g_picture.size());
}

int chartStep()
{
    return g_chart.step();
}

int chartShareCount()
{
    return static_cast<int>(RateDistortion::shares().size());
}

double chartShare(int i)
{
    return RateDistortion::shares()[static_cast<std::size_t>(std::clamp(i, 0, chartShareCount() - 1))];
}

// PSNR in dB (+infinity where equal, NaN before it is computed); modes in RateDistortion's order.
double chartPsnr(int chartMode, int share)
{
    return g_chart.psnr(chartMode, static_cast<std::size_t>(share));
}

// The picture's current mode in the chart's order, so that the page can mark it.
int chartMode()
{
    const DriverState s = g_picture.state();
    int m = 0;
    while (m + 1 < RateDistortion::kModeCount &&
           (RateDistortion::isStandard(m) != s.standard || RateDistortion::normalization(m) != s.normalization))
        ++m;
    return m;
}

// The picture's array itself, whatever the view and scale, as the desktop program opens it.
Bytes saveTga()
{
    return greyTga(g_picture.values(), g_picture.size());
}

// What the current array shows in `view`, as an 8-bit grey PNG of the canvas's bytes.
Bytes savePng(int view, int signedView)
{
    renderView(view, signedView);
    std::vector<unsigned char> grey(g_pixels.size() / 4);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = g_pixels[4 * i];
    return greyPng(grey.data(), g_session->size(), g_session->size());
}

// ---- The Code panel: the picture as opened through the wavelet coder.

// 1 when `name` is one of the coder's wavelets (haar, cdf53, cdf97), now the panel's; 0 otherwise.
int codeWavelet(const std::string& name)
{
    CodingWavelet wavelet;
    if (!parseWavelet(name, wavelet))
        return 0;
    g_coded.setWavelet(wavelet);
    return 1;
}

std::string codeWaveletName()
{
    return waveletName(g_coded.wavelet());
}

Refusal codeBudget(const std::string& typed)
{
    double bpp = 0;
    if (!CodedPicture::parseBudget(typed, bpp))
        return "The budget must be a number of bits per pixel from " + shortestDecimal(CodedPicture::kMinBpp) +
               " to " + shortestDecimal(CodedPicture::kMaxBpp) + ".";
    g_coded.setBudget(bpp);
    return std::nullopt;
}

std::string codeBudgetText()
{
    return shortestDecimal(g_coded.budget());
}

double codeMinBpp()
{
    return CodedPicture::kMinBpp;
}

double codeMaxBpp()
{
    return CodedPicture::kMaxBpp;
}

// The shown stream's bytes (header included), its bits per pixel and the PSNR of its picture
// against the picture as opened, peak 255, and, with CDF 5/3, the whole stream's bytes (the
// lossless size the panel shows): a JSON object of numbers, the PSNR of an exact picture as the
// string "Infinity". The other wavelets' whole streams are shown nowhere, so they are not coded
// whole for it.
std::string codeStats()
{
    CodedPicture& c = coded();
    const double psnr = c.psnr();
    const std::string whole = c.wavelet() == CodingWavelet::Cdf53
                                  ? ",\"whole\":" + std::to_string(c.wholeStream().size()) : std::string();
    return "{\"bytes\":" + std::to_string(c.shownBytes()) + ",\"bpp\":" + shortestDecimal(c.shownBpp()) +
           ",\"psnr\":" + (std::isinf(psnr) ? std::string("\"Infinity\"") : shortestDecimal(psnr)) + whole + "}";
}

// PSNR in dB of n × n greys (top row first) against the picture as opened, peak 255; NaN when
// they are not the picture's size.
double picturePsnr(const Bytes& grey)
{
    const std::vector<unsigned char>& picture = coded().pictureGreys();
    return grey.size() == picture.size() && !grey.empty() ? greyPsnr(grey.data(), picture.data(), grey.size())
                                                          : NAN;
}

// Keeps the browser's copy `which` (0 JPEG, 1 WebP) of the picture as opened, its greys top row
// first, for its view; returns its PSNR against the picture, peak 255, or NaN when it is not the
// picture's size (none fits the bytes), and the view then shows none.
double browserCopy(int which, const Bytes& grey)
{
    if (which != 0 && which != 1)
        return NAN;
    const double psnr = picturePsnr(grey);
    g_browserCopies[which] = std::isnan(psnr) ? Bytes() : grey;
    return psnr;
}

// The coder's rate–distortion table of the picture as opened, a slice per call of ratesStep.
void ratesStart()
{
    g_rates.start(coded().pictureGreys(), g_picture.size());
}

int ratesStep()
{
    return g_rates.step();
}

int ratesBudgetCount()
{
    return static_cast<int>(CodingRates::budgets().size());
}

double ratesBudget(int i)
{
    return CodingRates::budgets()[static_cast<std::size_t>(std::clamp(i, 0, ratesBudgetCount() - 1))];
}

// In the table's order of wavelets: Haar, CDF 5/3, CDF 9/7.
double ratesPsnr(int wavelet, int budget)
{
    return g_rates.psnr(std::clamp(wavelet, 0, CodingRates::kWavelets - 1),
                        static_cast<std::size_t>(std::clamp(budget, 0, ratesBudgetCount() - 1)));
}

// The stream as shown: the prefix the budget allows.
Bytes codeSave()
{
    return coded().shownStream();
}

// Decodes a coded file (or any prefix of one); null when taken, else the decoder's refusal.
Refusal codedRead(const Bytes& file)
{
    const std::string refusal = decodePicture(file.data(), file.size(), g_codedFile);
    if (!refusal.empty())
        return refusal;
    greyToRgba(g_codedFile.grey, g_codedRgba);
    return std::nullopt;
}

int codedSize()
{
    return g_codedFile.size;
}

std::string codedWavelet()
{
    return waveletName(g_codedFile.wavelet);
}

const unsigned char* codedRgba()
{
    return g_codedRgba.data();
}

// Reads a TGA file of any size or kind; null when taken, else the refusal.
Refusal tgaRead(const Bytes& file)
{
    const char* path = "/picture.tga";
    if (!asFile(file, path))
        return "Orlinde: not enough memory to open the file.";
    const std::string refusal = g_tga.load(path);
    std::remove(path);
    return refusal.empty() ? Refusal() : refusal;
}

// A file without another kind's signature is taken for a TGA file; one that does not even start as
// a TGA file does is no picture the page reads. `head` is the file's first bytes.
Refusal tgaHeader(const Bytes& head)
{
    if (TgaPicture::headerReads(head))
        return std::nullopt;
    return "Orlinde: the file is no picture this page reads. It reads PNG, JPEG, GIF, WebP, BMP, SVG "
           "and TGA files.";
}

int tgaWidth()
{
    return g_tga.getWidth();
}

int tgaHeight()
{
    return g_tga.getHeight();
}

const unsigned char* tgaRgba()
{
    return g_tga.getRgba().data();
}

// ---- The bridge.

// Arguments and results cross as doubles, exact for every int, float and address. A call's one
// text or bytes argument waits in g_input (orlindeInput, exactly its size) and its word holds
// its length.
using Word = double;
constexpr int kWords = 4;
Word g_words[kWords];
std::vector<unsigned char> g_input;
std::string g_inputText;
// A text or bytes result, kept until the next call.
std::string g_text;
Bytes g_file;

template <typename T, typename = void>
struct Kind;

template <>
struct Kind<void> {
    static constexpr char letter = 'v';
};

template <typename T>
struct Kind<T, std::enable_if_t<std::is_arithmetic_v<T>>> {
    static constexpr char letter = 'n';
    static T from(Word w) { return static_cast<T>(w); }
    static void put(T value) { g_words[0] = static_cast<Word>(value); }
};

template <typename T>
struct Kind<const T*> {
    static constexpr char letter = 'n';
    static void put(const T* address)
    {
        g_words[0] = static_cast<Word>(reinterpret_cast<std::uintptr_t>(address));
    }
};

void putText(std::string value)
{
    g_text = std::move(value);
    g_words[0] = static_cast<Word>(reinterpret_cast<std::uintptr_t>(g_text.data()));
    g_words[1] = static_cast<Word>(g_text.size());
}

template <>
struct Kind<std::string> {
    static constexpr char letter = 's';
    static const std::string& from(Word) { return g_inputText; }
    static void put(std::string value) { putText(std::move(value)); }
};

template <>
struct Kind<Refusal> {
    static constexpr char letter = 'r';
    static void put(Refusal value)
    {
        if (value)
            putText(std::move(*value));
        else
            g_words[1] = -1;
    }
};

template <>
struct Kind<Bytes> {
    static constexpr char letter = 'b';
    static const Bytes& from(Word) { return g_input; }
    static void put(Bytes value)
    {
        g_file = std::move(value);
        g_words[0] = static_cast<Word>(reinterpret_cast<std::uintptr_t>(g_file.data()));
        g_words[1] = static_cast<Word>(g_file.size());
    }
};

template <typename T>
using KindOf = Kind<std::remove_cv_t<std::remove_reference_t<T>>>;

// The length of UTF-8 `text` in UTF-16 code units, as the page counts it.
std::size_t utf16Length(const std::string& text)
{
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

std::string capRefusal(const Cap& cap)
{
    char text[100];
    std::snprintf(text, sizeof text, "Refused: %s may hold at most %zu characters.", cap.what, cap.limit);
    return text;
}

template <auto F>
struct Invoke;

template <typename R, typename... A, R (*F)(A...)>
struct Invoke<F> {
    static_assert(sizeof...(A) <= kWords, "too many arguments");
    // The result's kind, then the arguments'.
    static constexpr char kinds[] = {Kind<R>::letter, KindOf<A>::letter..., '\0'};
    static constexpr bool takesText = ((KindOf<A>::letter == 's') || ... || false);
    static_assert((0 + ... + (KindOf<A>::letter == 's' || KindOf<A>::letter == 'b')) <= 1,
                  "one text or bytes a call: they share g_input");

    static void run() { call(std::index_sequence_for<A...>{}); }

    template <std::size_t... I>
    static void call(std::index_sequence<I...>)
    {
        if constexpr (std::is_void_v<R>)
            F(KindOf<A>::from(g_words[I])...);
        else
            Kind<R>::put(F(KindOf<A>::from(g_words[I])...));
    }
};

struct Call {
    const char* name;
    const char* kinds;
    // Of kCaps, for the call's text; kNoCap when it takes none.
    int cap;
    void (*run)();
};

template <auto F, int cap = kNoCap>
constexpr Call bind(const char* name)
{
    static_assert(Invoke<F>::takesText == (cap != kNoCap), "a text, and only a text, has a cap");
    return {name, Invoke<F>::kinds, cap, &Invoke<F>::run};
}

constexpr Call kCalls[] = {
    bind<open>("open"),
    bind<greyTgaOf>("greyTga"),
    bind<openings>("openings"),
    bind<maxPixels>("maxPixels"),
    bind<maxFileBytes>("maxFileBytes"),
    bind<setMode>("setMode"),
    bind<mode>("mode"),
    bind<key>("key"),
    bind<status>("status"),
    bind<message>("message"),
    bind<vocabulary>("vocabulary"),
    bind<size>("size"),
    bind<data>("data"),
    bind<renderView>("renderView"),
    bind<keptViewShows>("keptViewShows"),
    bind<rowLevels>("rowLevels"),
    bind<columnLevels>("columnLevels"),
    bind<where>("where"),
    bind<warning>("warning"),
    bind<blockCount>("blockCount"),
    bind<blocks>("blocks"),
    bind<blockName>("blockName"),
    bind<scaleText>("scaleText"),
    bind<setScaleText, kFieldCap>("setScaleText"),
    bind<commaRefusal, kFieldCap>("commaRefusal"),
    bind<autoScale>("autoScale"),
    bind<autoScaleOn>("autoScaleOn"),
    bind<normalization>("normalization"),
    bind<setNormalization, kFieldCap>("setNormalization"),
    bind<standard>("standard"),
    bind<reset>("reset"),
    bind<undo>("undo"),
    bind<redo>("redo"),
    bind<canUndo>("canUndo"),
    bind<canRedo>("canRedo"),
    bind<keep>("keep"),
    bind<keptText>("keptText"),
    bind<keptAttributes>("keptAttributes"),
    bind<threshold, kFieldCap>("threshold"),
    bind<psnrText>("psnrText"),
    bind<peakText>("peakText"),
    bind<passMatrixText>("passMatrixText"),
    bind<passMatrixCaption>("passMatrixCaption"),
    bind<exportText>("exportText"),
    bind<cellText>("cellText"),
    bind<cellSetText, kFieldCap>("cellSetText"),
    bind<gridSize>("gridSize"),
    bind<gridText>("gridText"),
    bind<gridSet, kMatrixCap>("gridSet"),
    bind<link, kFieldCap>("link"),
    bind<linkRead, kLinkCap>("linkRead"),
    bind<linkSample>("linkSample"),
    bind<linkNumbers>("linkNumbers"),
    bind<linkGrid>("linkGrid"),
    bind<linkSigned>("linkSigned"),
    bind<linkView>("linkView"),
    bind<linkCommandCount>("linkCommandCount"),
    bind<linkCommand>("linkCommand"),
    bind<runLinkCommand>("runLinkCommand"),
    bind<linkIgnored>("linkIgnored"),
    bind<chartStart>("chartStart"),
    bind<chartStep>("chartStep"),
    bind<chartShareCount>("chartShareCount"),
    bind<chartShare>("chartShare"),
    bind<chartPsnr>("chartPsnr"),
    bind<chartMode>("chartMode"),
    bind<saveTga>("saveTga"),
    bind<savePng>("savePng"),
    bind<codeWavelet, kFieldCap>("codeWavelet"),
    bind<codeWaveletName>("codeWaveletName"),
    bind<codeBudget, kFieldCap>("codeBudget"),
    bind<codeBudgetText>("codeBudgetText"),
    bind<codeMinBpp>("codeMinBpp"),
    bind<codeMaxBpp>("codeMaxBpp"),
    bind<codeStats>("codeStats"),
    bind<codeSave>("codeSave"),
    bind<browserCopy>("browserCopy"),
    bind<picturePsnr>("picturePsnr"),
    bind<ratesStart>("ratesStart"),
    bind<ratesStep>("ratesStep"),
    bind<ratesBudgetCount>("ratesBudgetCount"),
    bind<ratesBudget>("ratesBudget"),
    bind<ratesPsnr>("ratesPsnr"),
    bind<codedRead>("codedRead"),
    bind<codedSize>("codedSize"),
    bind<codedWavelet>("codedWavelet"),
    bind<codedRgba>("codedRgba"),
    bind<tgaRead>("tgaRead"),
    bind<tgaHeader>("tgaHeader"),
    bind<tgaWidth>("tgaWidth"),
    bind<tgaHeight>("tgaHeight"),
    bind<tgaRgba>("tgaRgba"),
};

} // namespace

extern "C" {

// The calls as JSON: {"words": their address, "caps": [[limit, refusal]…], "calls": [[name,
// kinds (the result's, then the arguments'), cap index or -1]…]}, a call's index its place.
EMSCRIPTEN_KEEPALIVE const char* orlindeCalls()
{
    static std::string json;
    char part[160];
    std::snprintf(part, sizeof part, "{\"words\":%zu,\"caps\":[", reinterpret_cast<std::size_t>(g_words));
    json = part;
    for (const Cap& cap : kCaps) {
        std::snprintf(part, sizeof part, "%s[%zu,\"%s\"]", &cap == kCaps ? "" : ",", cap.limit,
                      capRefusal(cap).c_str());
        json += part;
    }
    json += "],\"calls\":[";
    for (const Call& call : kCalls) {
        std::snprintf(part, sizeof part, "%s[\"%s\",\"%s\",%d]", &call == kCalls ? "" : ",", call.name,
                      call.kinds, call.cap);
        json += part;
    }
    json += "]}";
    return json.c_str();
}

// Room for the next call's text or bytes, `size` of them; null for none, or when the memory
// cannot grow.
EMSCRIPTEN_KEEPALIVE unsigned char* orlindeInput(double size)
{
    try {
        g_input.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        return nullptr;
    }
    return g_input.data();
}

// Runs call `index` on the arguments in the words; the result goes back in them: [0] the number
// or where the text or bytes are, [1] their length (-1: no refusal), [2] 1 when the call's text
// was over its cap and the call was not made.
EMSCRIPTEN_KEEPALIVE void orlindeCall(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kCalls)))
        return;
    const Call& call = kCalls[index];
    if (call.cap != kNoCap) {
        g_inputText.assign(g_input.begin(), g_input.end());
        if (utf16Length(g_inputText) > kCaps[call.cap].limit) {
            putText(capRefusal(kCaps[call.cap]));
            g_words[2] = 1;
            return;
        }
    }
    call.run();
    g_words[2] = 0;
}

} // extern "C"
