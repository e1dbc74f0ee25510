#pragma once

#include <cstdint>

// Reads an uncompressed TGA file whole into memory and converts its pixels to floats.
//
// Accepted kinds, all without a colour map: 8-bit grey (type 3), 24-bit BGR and 32-bit BGRA
// true colour (type 2). Failures are thrown as `const char*` message texts:
//   "TGAReadWrite: Unable to read file"   the path could not be opened or read as a file;
//   "TGAReadWrite: Unable to read file."  the file was read but cannot be used.
class TGAReadWrite {
public:
    TGAReadWrite();
    ~TGAReadWrite();
    TGAReadWrite(const TGAReadWrite&) = delete;
    TGAReadWrite& operator=(const TGAReadWrite&) = delete;

    // Reads the file at `path`, decodes and checks its header; throws a message on failure.
    void load(const char* path);

    int getPixelDepth() const;
    int getWidth() const;
    int getHeight() const;
    // Byte 17 of the header: the origin bits (4, 5) and the count of alpha bits per pixel (0 … 3).
    int getImageDescriptor() const;

    // Writes width × height × n floats (n = 1, 3 or 4 by kind) into `out`, row 0 at the bottom;
    // returns the number of pixel-block bytes consumed.
    int convertToFloat(float* out) const;

private:
    bool readFile(const char* path);
    void parseHeader();
    void allocate();
    void release();
    // Offset of the pixel block: past the header, the image ID and the colour-map data.
    uint64_t pixelBlockOffset() const;
    // Size in bytes the header says the file needs up to the end of its pixel block.
    uint64_t requiredSize() const;
    // True when the held file is an accepted kind and holds its whole pixel block.
    bool holdsUsableImage() const;

    int greyToFloat(const unsigned char* src, float* out) const;
    int bgrToFloat(const unsigned char* src, float* out) const;
    int bgraToFloat(const unsigned char* src, float* out) const;

    int32_t fileSize;
    unsigned char* fileData;
    uint8_t idLength;
    uint8_t colorMapType;
    uint8_t imageType;
    uint16_t colorMapOrigin;
    uint16_t colorMapLength;
    uint8_t colorMapDepth;
    uint16_t xOrigin;
    uint16_t yOrigin;
    uint16_t width;
    uint16_t height;
    uint8_t pixelDepth;
    uint8_t imageDescriptor;
};
