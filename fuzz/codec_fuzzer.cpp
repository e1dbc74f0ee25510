// libFuzzer target for the wavelet coder's decoder: every input is decoded as a stream. A refused
// one must be refused with a "Codec: " text and leave the picture as it was; an accepted one must
// give side × side greys of a codable side and levels, and so must its prefix of half its coded
// bytes, since a prefix settles a subset of the same decisions.

#include "Codec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// True when the input is accepted; aborts when the decoder breaks its word.
bool decodes(const uint8_t* data, size_t size)
{
    DecodedPicture picture;
    picture.size = -1;
    const std::string refusal = decodePicture(data, size, picture);
    if (!refusal.empty()) {
        if (refusal.rfind("Codec: ", 0) != 0 || picture.size != -1 || !picture.grey.empty())
            std::abort();
        return false;
    }
    if (!codable(picture.size, picture.levels) ||
        picture.grey.size() != static_cast<size_t>(picture.size) * static_cast<size_t>(picture.size))
        std::abort();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (decodes(data, size) && !decodes(data, kStreamHeaderBytes + (size - kStreamHeaderBytes) / 2))
        std::abort();
    return 0;
}
