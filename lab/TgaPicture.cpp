#include "TgaPicture.h"

#include "GreyLevel.h"
#include "TGAReadWrite.h"

#include <cstddef>
#include <new>

std::string TgaPicture::load(const char* path)
{
    TGAReadWrite reader;
    try {
        reader.load(path);
    } catch (const char* message) {
        return message;
    }
    const int w = reader.getWidth();
    const int h = reader.getHeight();
    const std::string size = std::to_string(w) + " × " + std::to_string(h) + " pixels";
    if (w == 0 || h == 0)
        return "Orlinde: the file holds no pixels (" + size + ").";
    if (static_cast<double>(w) * static_cast<double>(h) > kMaxPixels)
        return "Orlinde: the picture is " + size + ", more than " +
               std::to_string(static_cast<int>(kMaxPixels / 1e6)) + " megapixels.";

    const int channels = reader.getPixelDepth() / 8;
    const bool hasAlpha = channels == 4 && (reader.getImageDescriptor() & 0x0F) != 0;
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    // The reader converts to floats only, four bytes a channel on top of the RGBA bytes; in the
    // page's bounded memory a large picture can exhaust it, which must be a refusal, not an abort.
    std::vector<float> values;
    std::vector<unsigned char> out;
    try {
        values.resize(pixels * static_cast<std::size_t>(channels));
        out.resize(pixels * 4);
    } catch (const std::bad_alloc&) {
        return "Orlinde: not enough memory to open a picture of " + size + ".";
    }
    reader.convertToFloat(values.data());

    unsigned char* p = out.data();
    // The reader's row 0 is the bottom line; these bytes start at the top.
    for (int row = h - 1; row >= 0; --row) {
        const float* v = values.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(w) *
                                             static_cast<std::size_t>(channels);
        for (int column = 0; column < w; ++column, v += channels, p += 4) {
            if (channels == 1) {
                p[0] = p[1] = p[2] = greyByte(v[0]);
            } else {
                p[0] = greyByte(v[0]);
                p[1] = greyByte(v[1]);
                p[2] = greyByte(v[2]);
            }
            p[3] = hasAlpha ? greyByte(v[3]) : 255;
        }
    }
    width = w;
    height = h;
    rgba.swap(out);
    return "";
}

bool TgaPicture::headerReads(const std::vector<unsigned char>& file)
{
    if (file.size() < 18 || file[1] > 1)
        return false;
    const unsigned char type = file[2];
    const unsigned char depth = file[16];
    return (type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11) &&
           (depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32);
}

int TgaPicture::getWidth() const
{
    return width;
}

int TgaPicture::getHeight() const
{
    return height;
}

const std::vector<unsigned char>& TgaPicture::getRgba() const
{
    return rgba;
}
