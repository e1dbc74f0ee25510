#pragma once

#include "Codec.h"
#include "CodingRecord.h"

#include <cstddef>
#include <string>
#include <vector>

// The picture as the wavelet coder gives it back at a budget (the page's Code panel): a budget
// takes the stream's first bytes and decodes them. The stream is embedded (its first bytes are the
// stream coded up to that many), so it is coded no further than asked: up to kCodedFirstBpp, where
// a learner mostly moves the budget, and whole only once a larger budget or the whole stream
// itself is asked for (CDF 5/3, whose whole stream is the lossless size shown, at once). Each
// picture and wavelet is thus coded at most twice, and moving the budget below kCodedFirstBpp
// never encodes again.
class CodedPicture {
public:
    // Budgets a learner may choose, in bits per pixel, and the state a page starts in.
    static constexpr double kMinBpp = 0.01;
    static constexpr double kMaxBpp = 8;
    static constexpr CodingWavelet kFirstWavelet = CodingWavelet::Cdf97;
    static constexpr double kFirstBpp = 1;
    // How far a picture and wavelet are coded first, in bits per pixel (docs/performance.md).
    static constexpr double kCodedFirstBpp = 2;

    // The levels the coder uses for an n × n picture: 5, its best for 512 × 512 (docs/performance.md),
    // fewer when the side has fewer.
    static int levelsFor(int n);
    // True, with `bpp` set, when `text` is a number from kMinBpp to kMaxBpp.
    static bool parseBudget(const std::string& text, double& bpp);
    // "cdf97:0.5": the wavelet's name and the budget's shortest decimal, as links write them.
    std::string text() const;
    // True, with the wavelet and budget set, when `text` reads as text() writes it.
    bool setText(const std::string& text);

    // The n × n picture's 8-bit greys, top row first; nothing is coded again while they stay equal.
    void setPicture(const std::vector<unsigned char>& grey, int n);
    void setWavelet(CodingWavelet wavelet);
    // False, changing nothing, when `bpp` is not from kMinBpp to kMaxBpp.
    bool setBudget(double bpp);

    // The picture's greys, as set.
    const std::vector<unsigned char>& pictureGreys() const;
    CodingWavelet wavelet() const;
    double budget() const;
    int size() const;
    // The whole stream of the picture with the wavelet (header included), and the prefix the
    // budget allows, which is what is shown and saved; while the budget stays within
    // kCodedFirstBpp, the prefix codes no more of the stream than that.
    const std::vector<unsigned char>& wholeStream();
    std::vector<unsigned char> shownStream();
    std::size_t shownBytes();
    // The shown bytes × 8 per pixel.
    double shownBpp();
    // The shown stream decoded: size² greys, top row first.
    const std::vector<unsigned char>& decoded();
    // PSNR in dB of decoded() against the picture, peak 255; +infinity when they are equal.
    double psnr();

private:
    // Makes the stream hold at least its first `bytes` bytes, or all of it.
    void codeUpTo(std::size_t bytes);
    void decode();

    std::vector<unsigned char> picture;
    int side = 0;
    CodingWavelet waveletCoded = kFirstWavelet;
    double bpp = kFirstBpp;
    // The stream's first bytes (none while streamValid is false), or all of it when complete.
    std::vector<unsigned char> stream;
    // What coding the stream decided, from which any prefix's picture is replayed.
    CodingRecord record;
    bool streamValid = false;
    bool complete = false;
    std::vector<unsigned char> decodedGrey;
    std::size_t decodedBytes = 0;
    bool decodedValid = false;
};
