#include "GreyFiles.h"

#include "GreyLevel.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kTgaHeaderSize = 18;
// A stored deflate block holds at most this many bytes.
constexpr std::size_t kStoredBlockLimit = 65535;

std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

// CRC-32 (ISO 3309, as PNG chunks use it) of bytes [begin, end).
std::uint32_t crc32(const unsigned char* begin, const unsigned char* end)
{
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const unsigned char* p = begin; p != end; ++p)
        c = table[(c ^ *p) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Adler-32 (RFC 1950) of bytes [begin, end); the sums are reduced often enough never to overflow.
std::uint32_t adler32(const unsigned char* begin, const unsigned char* end)
{
    constexpr std::uint32_t kBase = 65521;
    constexpr std::ptrdiff_t kRun = 5552;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    while (begin != end) {
        const unsigned char* runEnd = end - begin > kRun ? begin + kRun : end;
        for (; begin != runEnd; ++begin) {
            a += *begin;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}

void putBigEndian(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v >> 24));
    out.push_back(static_cast<unsigned char>(v >> 16));
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

void putChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data)
{
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(out.data() + typeAt, out.data() + out.size()));
}

// A zlib stream of `raw` in stored blocks.
std::vector<unsigned char> storedZlib(const std::vector<unsigned char>& raw)
{
    std::vector<unsigned char> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kStoredBlockLimit, raw.size() - at);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    putBigEndian(out, adler32(raw.data(), raw.data() + raw.size()));
    return out;
}

} // namespace

std::vector<unsigned char> greyTga(const float* values, int n)
{
    const std::size_t count = n > 0 ? static_cast<std::size_t>(n) * static_cast<std::size_t>(n) : 0;
    std::vector<unsigned char> out(kTgaHeaderSize + count, 0);
    out[2] = 3; // uncompressed grey
    out[12] = static_cast<unsigned char>(n);
    out[13] = static_cast<unsigned char>(n >> 8);
    out[14] = static_cast<unsigned char>(n);
    out[15] = static_cast<unsigned char>(n >> 8);
    out[16] = 8;
    for (std::size_t i = 0; i < count; ++i)
        out[kTgaHeaderSize + i] = greyByte(values[i]);
    return out;
}

std::vector<unsigned char> greyPng(const unsigned char* grey, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const std::size_t w = static_cast<std::size_t>(width);
    std::vector<unsigned char> raw;
    raw.reserve((w + 1) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        raw.push_back(0); // filter type None
        const unsigned char* line = grey + static_cast<std::size_t>(row) * w;
        raw.insert(raw.end(), line, line + w);
    }

    std::vector<unsigned char> header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    // 8 bits, grey, deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 0, 0, 0, 0});

    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", storedZlib(raw));
    putChunk(out, "IEND", {});
    return out;
}
