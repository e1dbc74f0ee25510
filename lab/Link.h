#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A state written into the page's address after '#', so that copying the address shares it:
//   sample=scene&do=N,F,B*2,keep:5,R&signed=1&view=difference&code=cdf53:0.5
//   mode=numbers&grid=1,2,3,4;5,6,7,8;…&do=F,set:0:1:2.5
// Plain text throughout (':', ',' and ';' are not escaped); a run of one command is written once
// with its count after '*'. Reading a fragment keeps every part that makes sense and lists the
// others, as written (a long one shortened), so that the page can say what it ignored.
struct Link {
    std::string sample;                  // one of linkSamples(), or "" for an opened file
    std::vector<std::string> commands;   // as Session::run takes them, one a command
    bool signedView = false;
    std::string view = "coefficients";   // one of viewNames()
    bool numbers = false;
    std::string grid;                    // the matrix's start: rows between ';', numbers between ','
    std::string code;                    // the Code panel's wavelet:bpp (CodedPicture::text), "" as the page starts
    std::vector<std::string> ignored;
};

// A link longer than this is refused whole, before any of it is read; of its commands, those
// after this many are not run. Either way `ignored` names the cap.
constexpr std::size_t linkCharacterCap = 300000;
constexpr std::size_t linkCommandCap = 10000;

// The samples a link can name.
const std::vector<std::string>& linkSamples();

Link parseLink(const std::string& fragment);
std::string formatLink(const Link& link);

// The grid written as a matrix's text (rows on lines) and back.
std::string gridAsMatrix(const std::string& grid);
std::string matrixAsGrid(const float* values, int size);
