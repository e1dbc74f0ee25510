// Uncompressed TGA reader: the whole file is held in one buffer and the pixels are converted
// straight out of it.
//
// A pixel byte b (0..255) becomes the single-precision product b × k, rounded once, where
// k = 0x3B808081 is the float nearest to 1/255 (0x1.010102p-8). So 0 → 0.0 and 255 → 1.0 exactly;
// for 126 byte values this is one unit in the last place away from the quotient b / 255.
//
// Output is row-major with row 0 at the bottom and column 0 at the left. Bits 4 and 5 of the
// image descriptor say where the file's first pixel lies: bit 4 set means rows run right to
// left, bit 5 set means the first row is the top one.
//
// The file is never trusted: every size the header implies is computed in 64 bits and checked
// against the bytes actually read before any pixel is touched. The pixel block therefore lies
// inside a buffer of at most INT32_MAX bytes, which keeps the byte counts returned as int exact.

#include "TGAReadWrite.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUnreadable[] = "TGAReadWrite: Unable to read file";
const char kUnusable[] = "TGAReadWrite: Unable to read file.";

constexpr int kHeaderSize = 18;
constexpr float kByteScale = 0x1.010102p-8f;

// Closes the descriptor on every way out of the reading code, exceptions included.
struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

// The float value of one pixel byte.
inline float byteValue(unsigned char b)
{
    return static_cast<float>(b) * kByteScale;
}

// Stores one pixel of Bytes file bytes (grey, BGR or BGRA) as Bytes floats (grey, RGB or RGBA).
template <int Bytes>
inline void storePixel(const unsigned char* src, float* dst)
{
    if (Bytes == 1) {
        dst[0] = byteValue(src[0]);
    } else {
        dst[0] = byteValue(src[2]);
        dst[1] = byteValue(src[1]);
        dst[2] = byteValue(src[0]);
        if (Bytes == 4) {
            dst[3] = byteValue(src[3]);
        }
    }
}

// Reads width × height pixels of Bytes bytes in file order from src and writes each to its
// bottom-up place in out (Bytes floats per pixel); returns the bytes consumed.
template <int Bytes>
int walkPixels(const unsigned char* src, float* out, int width, int height, int descriptor)
{
    const bool rightToLeft = (descriptor & 0x10) != 0;
    const bool topFirst = (descriptor & 0x20) != 0;
    const std::ptrdiff_t rowFloats = static_cast<std::ptrdiff_t>(width) * Bytes;
    // Indices, not pointers, step through the output: a right-to-left row ends one pixel
    // before its start, which may lie before the array.
    const std::ptrdiff_t step = rightToLeft ? -Bytes : Bytes;
    const std::ptrdiff_t firstInRow = rightToLeft ? rowFloats - Bytes : 0;
    const unsigned char* p = src;
    for (int i = 0; i < height; ++i) {
        const int y = topFirst ? height - 1 - i : i;
        std::ptrdiff_t d = y * rowFloats + firstInRow;
        for (int j = 0; j < width; ++j) {
            storePixel<Bytes>(p, out + d);
            p += Bytes;
            d += step;
        }
    }
    return static_cast<int>(p - src);
}

} // namespace

TGAReadWrite::TGAReadWrite()
    : fileSize(0), fileData(nullptr), idLength(0), colorMapType(0), imageType(0),
      colorMapOrigin(0), colorMapLength(0), colorMapDepth(0), xOrigin(0), yOrigin(0), width(0),
      height(0), pixelDepth(0), imageDescriptor(0)
{
}

TGAReadWrite::~TGAReadWrite()
{
    release();
}

void TGAReadWrite::load(const char* path)
{
    if (!readFile(path)) {
        throw kUnreadable;
    }
    parseHeader();
    if (!holdsUsableImage()) {
        throw kUnusable;
    }
}

int TGAReadWrite::getPixelDepth() const
{
    return pixelDepth;
}

int TGAReadWrite::getWidth() const
{
    return width;
}

int TGAReadWrite::getHeight() const
{
    return height;
}

int TGAReadWrite::getImageDescriptor() const
{
    return imageDescriptor;
}

// Opened non-blocking so that a FIFO or device cannot stall the open; only a regular file,
// whose size seeking reports truthfully, is read. Everything that can fail before the old
// buffer is freed leaves the reader as it was.
bool TGAReadWrite::readFile(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const FileCloser closer{fd};

    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0 || end > INT32_MAX || ::lseek(fd, 0, SEEK_SET) != 0) {
        return false;
    }

    release();
    fileSize = static_cast<int32_t>(end);
    allocate();

    int32_t got = 0;
    while (got < fileSize) {
        const ssize_t n = ::read(fd, fileData + got, static_cast<size_t>(fileSize - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<int32_t>(n);
    }
    if (got < fileSize) {
        release();
        fileSize = 0;
        return false;
    }
    return true;
}

// A file shorter than the header is decoded as if zero-padded; holdsUsableImage refuses it.
void TGAReadWrite::parseHeader()
{
    unsigned char h[kHeaderSize] = {};
    if (fileData != nullptr) {
        std::memcpy(h, fileData, fileSize < kHeaderSize ? static_cast<size_t>(fileSize)
                                                         : static_cast<size_t>(kHeaderSize));
    }
    idLength = h[0];
    colorMapType = h[1];
    imageType = h[2];
    colorMapOrigin = static_cast<uint16_t>(h[3] + 256 * h[4]);
    colorMapLength = static_cast<uint16_t>(h[5] + 256 * h[6]);
    colorMapDepth = h[7];
    xOrigin = static_cast<uint16_t>(h[8] + 256 * h[9]);
    yOrigin = static_cast<uint16_t>(h[10] + 256 * h[11]);
    width = static_cast<uint16_t>(h[12] + 256 * h[13]);
    height = static_cast<uint16_t>(h[14] + 256 * h[15]);
    pixelDepth = h[16];
    imageDescriptor = h[17];
}

void TGAReadWrite::allocate()
{
    if (fileSize > 0) {
        fileData = new unsigned char[fileSize];
    }
}

void TGAReadWrite::release()
{
    if (fileData != nullptr) {
        delete[] fileData;
        fileData = nullptr;
    }
}

uint64_t TGAReadWrite::pixelBlockOffset() const
{
    return kHeaderSize + uint64_t{idLength} + uint64_t{colorMapLength} * ((colorMapDepth + 7u) / 8u);
}

// At most 18 + 255 + 65535 × 32 + 65535 × 65535 × 4 bytes: no overflow in 64 bits.
uint64_t TGAReadWrite::requiredSize() const
{
    return pixelBlockOffset() + uint64_t{width} * height * (pixelDepth / 8u);
}

bool TGAReadWrite::holdsUsableImage() const
{
    if (fileData == nullptr || fileSize < kHeaderSize || colorMapType != 0) {
        return false;
    }
    const bool accepted = (imageType == 2 && (pixelDepth == 24 || pixelDepth == 32)) ||
                          (imageType == 3 && pixelDepth == 8);
    return accepted && requiredSize() <= static_cast<uint64_t>(fileSize);
}

// Converts nothing unless the held file passed load's checks, so that a reader without a
// successful load never reads outside its buffer.
int TGAReadWrite::convertToFloat(float* out) const
{
    if (!holdsUsableImage()) {
        return 0;
    }
    const unsigned char* block = fileData + pixelBlockOffset();
    if (imageType == 2) {
        return pixelDepth == 24 ? bgrToFloat(block, out) : bgraToFloat(block, out);
    }
    return greyToFloat(block, out);
}

int TGAReadWrite::greyToFloat(const unsigned char* src, float* out) const
{
    return walkPixels<1>(src, out, width, height, imageDescriptor);
}

int TGAReadWrite::bgrToFloat(const unsigned char* src, float* out) const
{
    return walkPixels<3>(src, out, width, height, imageDescriptor);
}

int TGAReadWrite::bgraToFloat(const unsigned char* src, float* out) const
{
    return walkPixels<4>(src, out, width, height, imageDescriptor);
}
