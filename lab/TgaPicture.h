#pragma once

#include <string>
#include <vector>

// Any TGA file the reader reads, of any size, grey or colour, as RGBA bytes top row first, so that
// the page can take it like any other picture (cut, scale, turn grey).
class TgaPicture {
public:
    // Above this many pixels a picture is refused before its pixels are converted.
    static constexpr double kMaxPixels = 100e6;

    // Reads the file at `path`. Returns "" when it is taken, else the refusal: the reader's own
    // message, or this class's for a picture without pixels or above kMaxPixels. A refused file
    // leaves the picture held before. Running out of memory for the pixels is a refusal too.
    std::string load(const char* path);

    // True when `file` starts as a TGA file does (a TGA has no signature): a whole 18-byte header,
    // no colour map or one, a colour-mapped, true-colour or grey image type, raw or run-length,
    // and a pixel depth such files have. A file that does not is no TGA at all.
    static bool headerReads(const std::vector<unsigned char>& file);

    int getWidth() const;
    int getHeight() const;
    // width × height × 4 bytes, the top row first. Each channel byte is the file's byte (the
    // reader's float of it, rounded back as the view rounds). Alpha comes from a 32-bit file's
    // fourth channel only when the descriptor's low four bits count alpha bits; else it is 255.
    const std::vector<unsigned char>& getRgba() const;

private:
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};
