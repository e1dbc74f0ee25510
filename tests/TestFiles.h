#pragma once

// What the C++ tests that touch files share: a private temporary folder and hand-made TGA files.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct Header {
    uint8_t imageType;
    uint8_t pixelDepth;
    uint16_t width;
    uint16_t height;
    uint8_t descriptor = 0;
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapDepth = 0;
};

// The 18 header bytes followed by `body` (image ID, colour map, pixels, trailer as the case needs).
inline Bytes tgaFile(const Header& h, const Bytes& body = {})
{
    Bytes f = {h.idLength, h.colorMapType, h.imageType, 0x34, 0x12,
               static_cast<unsigned char>(h.colorMapLength & 0xFF),
               static_cast<unsigned char>(h.colorMapLength >> 8), h.colorMapDepth, 1, 2, 3, 4,
               static_cast<unsigned char>(h.width & 0xFF), static_cast<unsigned char>(h.width >> 8),
               static_cast<unsigned char>(h.height & 0xFF), static_cast<unsigned char>(h.height >> 8),
               h.pixelDepth, h.descriptor};
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

// A folder of its own for one test, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/orlinde_tests.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name, const Bytes& bytes) const
    {
        const std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

