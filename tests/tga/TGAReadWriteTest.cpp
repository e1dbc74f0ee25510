#include "TGAReadWrite.h"
#include "SysCallFaults.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kUnreadable = "TGAReadWrite: Unable to read file";
const std::string kUnusable = "TGAReadWrite: Unable to read file.";
constexpr float kSentinel = -7.0f;

// Each byte b as b × k rounded once: the product of a byte and a 24-bit significand is exact
// in double.
std::vector<float> expectedFloats(const Bytes& bytes)
{
    std::vector<float> v;
    for (unsigned char b : bytes) {
        v.push_back(static_cast<float>(static_cast<double>(b) * static_cast<double>(byteScale())));
    }
    return v;
}

// Returns "" when load returns normally, otherwise the thrown text.
std::string loadMessage(TGAReadWrite& r, const std::string& path)
{
    try {
        r.load(path.c_str());
    } catch (const char* msg) {
        return msg;
    }
    return "";
}

struct Converted {
    int result;
    std::vector<float> floats; // the first `count` floats written
    bool tailIntact;           // nothing written beyond them
};

Converted convert(const TGAReadWrite& r, size_t count)
{
    std::vector<float> out(count + 8, kSentinel);
    Converted c{r.convertToFloat(out.data()), {}, true};
    c.floats.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count));
    for (size_t i = count; i < out.size(); ++i) {
        c.tailIntact = c.tailIntact && out[i] == kSentinel;
    }
    return c;
}

// True when converting writes nothing and returns 0, as for a reader that holds no file.
bool convertsNothing(const TGAReadWrite& r)
{
    const Converted c = convert(r, 0);
    return c.result == 0 && c.tailIntact;
}

// A 3 × 2 grey picture stored top row first, used as "the file held before".
const Bytes kPreviousPixels = {1, 2, 3, 4, 5, 6};
const Header kPreviousHeader{3, 8, 3, 2, 0x20};
Bytes previousFile()
{
    return tgaFile(kPreviousHeader, kPreviousPixels);
}

// True when `r` still holds previousFile() and converts it as before.
bool holdsPreviousFile(const TGAReadWrite& r)
{
    const Converted c = convert(r, 6);
    return r.getWidth() == 3 && r.getHeight() == 2 && r.getPixelDepth() == 8 && c.result == 6 &&
           c.tailIntact && c.floats == expectedFloats({4, 5, 6, 1, 2, 3});
}

// A scratch folder and a reader that holds previousFile().
class HeldFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(loadMessage(r, previous), ""); }

    TempDir dir;
    const std::string previous = dir.file("prev.tga", previousFile());
    TGAReadWrite r;
};

// ---------------------------------------------------------------------------------------------
// Conversion: pixel order from descriptor bits 4-5, channel order, byte values.

struct ConvertCase {
    const char* name;
    Header header;
    Bytes pixels;   // in file order
    Bytes expected; // byte values in output order, one per float
};

class Convert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Convert, PlacesEveryPixelAndChannel)
{
    const ConvertCase& c = GetParam();
    TempDir dir;
    Bytes body = c.pixels;
    body.insert(body.end(), {0xAB, 0xCD, 0xEF}); // trailing bytes are not pixels
    TGAReadWrite r;
    ASSERT_EQ(loadMessage(r, dir.file("a.tga", tgaFile(c.header, body))), "");
    EXPECT_EQ(r.getPixelDepth(), c.header.pixelDepth);
    EXPECT_EQ(r.getWidth(), c.header.width);
    EXPECT_EQ(r.getHeight(), c.header.height);

    const Converted got = convert(r, c.expected.size());
    EXPECT_EQ(got.result, static_cast<int>(c.pixels.size()));
    EXPECT_EQ(got.floats, expectedFloats(c.expected));
    EXPECT_TRUE(got.tailIntact) << "wrote beyond width × height × n floats";
}

// Grey cases are 3 × 2 (not square, so that a transposition shows) holding 1 … 6 in file order.
const Bytes kGrey = {1, 2, 3, 4, 5, 6};

INSTANTIATE_TEST_SUITE_P(
    TGAReadWrite, Convert,
    ::testing::Values(
        ConvertCase{"grey_bottomLeft", {3, 8, 3, 2, 0x00}, kGrey, {1, 2, 3, 4, 5, 6}},
        ConvertCase{"grey_bottomRight", {3, 8, 3, 2, 0x10}, kGrey, {3, 2, 1, 6, 5, 4}},
        ConvertCase{"grey_topLeft", {3, 8, 3, 2, 0x20}, kGrey, {4, 5, 6, 1, 2, 3}},
        ConvertCase{"grey_topRight", {3, 8, 3, 2, 0x30}, kGrey, {6, 5, 4, 3, 2, 1}},
        // Only bits 4 and 5 of the descriptor place pixels; the alpha bits and bits 6-7 do not.
        ConvertCase{"grey_0xCF_as_0x00", {3, 8, 3, 2, 0xCF}, kGrey, {1, 2, 3, 4, 5, 6}},
        ConvertCase{"grey_0xFF_as_0x30", {3, 8, 3, 2, 0xFF}, kGrey, {6, 5, 4, 3, 2, 1}},
        ConvertCase{"grey3x0_topRight", {3, 8, 3, 0, 0x30}, {}, {}},
        ConvertCase{"bgr2x1_bottomLeft", {2, 24, 2, 1, 0x00}, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
        ConvertCase{"bgr2x1_bottomRight", {2, 24, 2, 1, 0x10}, {1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1}},
        ConvertCase{"bgr1x2_topLeft", {2, 24, 1, 2, 0x20}, {1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1}},
        ConvertCase{"bgra2x2_topRight", {2, 32, 2, 2, 0x30},
                    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
                    {15, 14, 13, 16, 11, 10, 9, 12, 7, 6, 5, 8, 3, 2, 1, 4}}),
    [](const ::testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

// The quotient b / 255 would differ from this in 126 of the 256 bytes.
TEST(TGAReadWriteBytes, EveryByteIsItsProductWithTheFloatNearestToOneOver255)
{
    TempDir dir;
    Bytes pixels;
    for (int b = 0; b < 256; ++b) {
        pixels.push_back(static_cast<unsigned char>(b));
    }
    TGAReadWrite r;
    ASSERT_EQ(loadMessage(r, dir.file("ramp.tga", tgaFile({3, 8, 256, 1}, pixels))), "");
    const Converted got = convert(r, 256);
    EXPECT_EQ(got.result, 256);
    EXPECT_TRUE(got.tailIntact);
    EXPECT_EQ(got.floats, expectedFloats(pixels));
}

// ---------------------------------------------------------------------------------------------
// Locating the pixel block: image ID and colour-map data are skipped, whatever they hold.

struct SkipCase {
    uint8_t idLength;
    uint16_t colorMapLength;
    uint8_t colorMapDepth;
    size_t pixelOffset;
};

class Skip : public ::testing::TestWithParam<SkipCase> {};

TEST_P(Skip, FindsThePixelsAfterImageIdAndColourMap)
{
    const SkipCase& c = GetParam();
    TempDir dir;
    const Header h{3, 8, 2, 2, 0, c.idLength, 0, c.colorMapLength, c.colorMapDepth};
    Bytes body(c.pixelOffset - 18, 0xEE);
    body.insert(body.end(), {10, 20, 30, 40});
    TGAReadWrite r;
    ASSERT_EQ(loadMessage(r, dir.file("a.tga", tgaFile(h, body))), "");
    const Converted got = convert(r, 4);
    EXPECT_EQ(got.result, 4);
    EXPECT_EQ(got.floats, expectedFloats({10, 20, 30, 40}));

    body.pop_back();
    EXPECT_EQ(loadMessage(r, dir.file("short.tga", tgaFile(h, body))), kUnusable)
        << "the skipped bytes must count towards the size the file needs";
}

INSTANTIATE_TEST_SUITE_P(TGAReadWrite, Skip,
                         ::testing::Values(SkipCase{5, 0, 0, 23}, SkipCase{255, 0, 0, 273},
                                           SkipCase{0, 4, 24, 30}, SkipCase{0, 4, 15, 26},
                                           SkipCase{0, 5, 1, 23}, SkipCase{0, 5, 0, 18},
                                           SkipCase{0, 0, 24, 18}, SkipCase{7, 300, 8, 325}),
                         [](const ::testing::TestParamInfo<SkipCase>& info) {
                             const SkipCase& c = info.param;
                             return "id" + std::to_string(c.idLength) + "_map" +
                                    std::to_string(c.colorMapLength) + "x" +
                                    std::to_string(c.colorMapDepth) + "bits";
                         });

// ---------------------------------------------------------------------------------------------
// Acceptance of (colour-map type, image type, depth); a rejected file's header stays visible.

struct KindCase {
    uint8_t colorMapType;
    uint8_t imageType;
    uint8_t pixelDepth;
    bool accepted;
};

class Kind : public ::testing::TestWithParam<KindCase> {};

TEST_P(Kind, IsAcceptedOnlyUncompressedWithoutColourMap)
{
    const KindCase& c = GetParam();
    TempDir dir;
    Header h{c.imageType, c.pixelDepth, 2, 1};
    h.colorMapType = c.colorMapType;
    TGAReadWrite r;
    const std::string msg =
        loadMessage(r, dir.file("a.tga", tgaFile(h, Bytes(2u * ((c.pixelDepth + 7u) / 8u), 0x80))));
    EXPECT_EQ(msg, c.accepted ? "" : kUnusable);
    EXPECT_EQ(r.getPixelDepth(), c.pixelDepth);
    EXPECT_EQ(r.getWidth(), 2);
    EXPECT_EQ(r.getHeight(), 1);
    EXPECT_TRUE(c.accepted || convertsNothing(r)) << "a rejected file must not be converted";
}

INSTANTIATE_TEST_SUITE_P(
    TGAReadWrite, Kind,
    ::testing::Values(KindCase{0, 3, 8, true}, KindCase{0, 2, 24, true}, KindCase{0, 2, 32, true},
                      KindCase{0, 2, 8, false}, KindCase{0, 2, 16, false}, KindCase{0, 3, 16, false},
                      KindCase{0, 3, 24, false}, KindCase{0, 1, 8, false}, KindCase{0, 10, 24, false},
                      KindCase{0, 11, 8, false}, KindCase{0, 0, 8, false}, KindCase{1, 2, 24, false},
                      KindCase{1, 3, 8, false}),
    [](const ::testing::TestParamInfo<KindCase>& info) {
        const KindCase& c = info.param;
        return "map" + std::to_string(c.colorMapType) + "_type" + std::to_string(c.imageType) +
               "_depth" + std::to_string(c.pixelDepth);
    });

// ---------------------------------------------------------------------------------------------
// Files that were read but cannot be used: refused with the full stop, nothing converted. (Files
// one byte short after an image ID or a colour map are Skip's cases.)

struct UnusableCase {
    const char* name;
    Bytes file;
};

Bytes withBody(const Header& h, size_t bodyBytes)
{
    return tgaFile(h, Bytes(bodyBytes, 0x55));
}

class Unusable : public HeldFile, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(Unusable, IsRefusedWithFullStopAndNotConverted)
{
    EXPECT_EQ(loadMessage(r, dir.file("bad.tga", GetParam().file)), kUnusable);
    EXPECT_TRUE(convertsNothing(r));
}

INSTANTIATE_TEST_SUITE_P(
    TGAReadWrite, Unusable,
    ::testing::Values(
        UnusableCase{"empty", {}},
        UnusableCase{"oneByte", {3}},
        UnusableCase{"header17Bytes", [] {
                         Bytes b = tgaFile({3, 8, 0, 0});
                         b.pop_back();
                         return b;
                     }()},
        UnusableCase{"headerOnly1x1", withBody({3, 8, 1, 1}, 0)},
        UnusableCase{"bgrOneByteShort", withBody({2, 24, 2, 1}, 5)},
        UnusableCase{"bgraOneByteShort", withBody({2, 32, 1, 1}, 3)},
        UnusableCase{"grey65535x65535", withBody({3, 8, 65535, 65535}, 100)},
        UnusableCase{"bgra65535x65535", withBody({2, 32, 65535, 65535}, 100)},
        // 32768 × 32768 × 4 bytes is exactly 2^32: zero in 32-bit arithmetic.
        UnusableCase{"bgra32768x32768", withBody({2, 32, 32768, 32768}, 16)}),
    [](const ::testing::TestParamInfo<UnusableCase>& info) { return std::string(info.param.name); });

TEST_F(HeldFile, SizesAreUnsignedAndStayVisibleWhenRefused)
{
    EXPECT_EQ(loadMessage(r, dir.file("huge.tga", withBody({2, 24, 65535, 65535}, 9))), kUnusable);
    EXPECT_EQ(r.getWidth(), 65535);
    EXPECT_EQ(r.getHeight(), 65535);
    EXPECT_EQ(r.getPixelDepth(), 24);
}

TEST(TGAReadWriteState, NewReaderIsEmptyAndConvertsNothing)
{
    TGAReadWrite r;
    EXPECT_EQ(r.getWidth(), 0);
    EXPECT_EQ(r.getHeight(), 0);
    EXPECT_EQ(r.getPixelDepth(), 0);
    EXPECT_EQ(r.getImageDescriptor(), 0);
    EXPECT_TRUE(convertsNothing(r));
}

TEST(TGAReadWriteState, SecondLoadReplacesFirst)
{
    TempDir dir;
    TGAReadWrite r;
    ASSERT_EQ(loadMessage(r, dir.file("first.tga", tgaFile({2, 32, 1, 1}, {9, 9, 9, 9}))), "");
    // With standard input closed the file is opened as descriptor 0, as good as any other.
    const int input = dup(0);
    close(0);
    EXPECT_EQ(loadMessage(r, dir.file("second.tga", previousFile())), "");
    dup2(input, 0);
    close(input);
    EXPECT_TRUE(holdsPreviousFile(r));
}

// ---------------------------------------------------------------------------------------------
// Paths that cannot be opened or read as a file: no full stop, and the reader keeps what it had.
// Each runs in a child process with a deadline, so a load that blocks (on a FIFO, say) fails
// the test instead of hanging it, and the child may give up root for the permission case.

enum ChildResult { kPassed = 0, kControlFailed, kNoThrow, kWrongMessage, kStateChanged, kDropFailed };

struct PathCase {
    const char* name;
    std::function<std::string(const TempDir&)> make;
    bool dropPrivileges;
};

class UnreadablePath : public ::testing::TestWithParam<PathCase> {};

TEST_P(UnreadablePath, IsRefusedWithoutFullStopAndChangesNothing)
{
    const PathCase& c = GetParam();
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string previous = dir.file("prev.tga", previousFile());
    const std::string path = c.make(dir);

    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        alarm(10);
        if (c.dropPrivileges && getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 ||
                                                  setuid(65534) != 0)) {
            _exit(kDropFailed);
        }
        TGAReadWrite r;
        if (loadMessage(r, previous) != "") {
            _exit(kControlFailed);
        }
        int result = kPassed;
        try {
            r.load(path.c_str());
            result = kNoThrow;
        } catch (const char* msg) {
            if (msg != kUnreadable) {
                std::fprintf(stderr, "thrown: \"%s\"\n", msg);
                result = kWrongMessage;
            }
        }
        if (result == kPassed && !holdsPreviousFile(r)) {
            result = kStateChanged;
        }
        _exit(result);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child killed by signal " << WTERMSIG(status)
                                   << (WTERMSIG(status) == SIGALRM ? " (load hung)" : "");
    EXPECT_EQ(WEXITSTATUS(status), kPassed)
        << "1: control load failed, 2: no throw, 3: wrong message, 4: state changed, 5: setuid failed";
}

// One path of each kind that open, the regular-file check or the size check turns away.
INSTANTIATE_TEST_SUITE_P(
    TGAReadWrite, UnreadablePath,
    ::testing::Values(
        PathCase{"missing", [](const TempDir& d) { return d.path() + "/missing.tga"; }, false},
        PathCase{"emptyPath", [](const TempDir&) { return std::string(); }, false},
        PathCase{"directory", [](const TempDir& d) { return d.path(); }, false},
        PathCase{"characterDevice", [](const TempDir&) { return std::string("/dev/null"); }, false},
        PathCase{"fifo",
                 [](const TempDir& d) {
                     const std::string p = d.path() + "/fifo";
                     EXPECT_EQ(mkfifo(p.c_str(), 0644), 0);
                     return p;
                 },
                 false},
        PathCase{"noReadPermission",
                 [](const TempDir& d) {
                     const std::string p = d.file("locked.tga", previousFile());
                     EXPECT_EQ(chmod(p.c_str(), 0), 0);
                     return p;
                 },
                 true},
        PathCase{"tooLargeForFileSize",
                 [](const TempDir& d) {
                     const std::string p = d.file("sparse.tga", previousFile());
                     EXPECT_EQ(truncate(p.c_str(), off_t{1} << 31), 0);
                     return p;
                 },
                 false}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Reads and seeks that misbehave (injected at link time), after previousFile() was loaded.

class ReadFaults : public HeldFile {
protected:
    void TearDown() override { g_sysCallFaults = SysCallFaults(); alarm(0); }
};

TEST_F(ReadFaults, PiecemealAndInterruptedReadsStillDeliverTheWholeFile)
{
    Header h = kPreviousHeader;
    h.idLength = 20;
    Bytes body(20, 0xEE);
    body.insert(body.end(), kPreviousPixels.begin(), kPreviousPixels.end());
    const std::string path = dir.file("a.tga", tgaFile(h, body));
    g_sysCallFaults.active = true;
    g_sysCallFaults.interruptFirstRead = true;
    g_sysCallFaults.maxChunk = 1;
    ASSERT_EQ(loadMessage(r, path), "");
    EXPECT_TRUE(holdsPreviousFile(r));
}

struct ShortReadCase {
    const char* name;
    ssize_t bytesBeforeEnd;
    bool failAtEnd;
};

class ShortRead : public ReadFaults, public ::testing::WithParamInterface<ShortReadCase> {};

TEST_P(ShortRead, LeavesNoFileHeldAndIsRefusedWithoutFullStop)
{
    const std::string other = dir.file("other.tga", previousFile());
    alarm(10); // ends a reader that keeps reading at the end of the file
    g_sysCallFaults.active = true;
    g_sysCallFaults.interruptFirstRead = true;   // errno is left EINTR when the end comes
    g_sysCallFaults.maxChunk = 4;
    g_sysCallFaults.bytesBeforeEnd = GetParam().bytesBeforeEnd;
    g_sysCallFaults.failAtEnd = GetParam().failAtEnd;
    EXPECT_EQ(loadMessage(r, other), kUnreadable);
    EXPECT_TRUE(convertsNothing(r));

    g_sysCallFaults.active = false;
    ASSERT_EQ(loadMessage(r, previous), "");
    EXPECT_TRUE(holdsPreviousFile(r));
}

INSTANTIATE_TEST_SUITE_P(TGAReadWrite, ShortRead,
                         ::testing::Values(ShortReadCase{"endOfFileAtOnce", 0, false},
                                           ShortReadCase{"endOfFileInHeader", 10, false},
                                           ShortReadCase{"endOfFileOneByteShort", 23, false},
                                           ShortReadCase{"errorInPixels", 20, true}),
                         [](const ::testing::TestParamInfo<ShortReadCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ReadFaults, SizeThatCannotBeLearnedBySeekingChangesNothing)
{
    g_sysCallFaults.active = true;
    g_sysCallFaults.failSeekEnd = true;
    EXPECT_EQ(loadMessage(r, dir.file("other.tga", withBody({2, 24, 1, 1}, 3))), kUnreadable);
    g_sysCallFaults.active = false;
    EXPECT_TRUE(holdsPreviousFile(r));
}

} // namespace
