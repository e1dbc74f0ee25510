#pragma once

#include <string>
#include <vector>

// A state written into the page's address after '#', so that copying the address shares it:
//   sample=scene&do=N,F,B,B,keep:5,R&signed=1&view=difference
//   mode=numbers&grid=1,2,3,4;5,6,7,8;…&do=F,set:0:1:2.5
// Plain text throughout (':', ',' and ';' are not escaped). Reading a fragment keeps every part
// that makes sense and lists the others, as written, so that the page can say what it ignored.
struct Link {
    std::string sample;                  // "testcard", "scene", or "" for an opened file
    std::vector<std::string> commands;   // as Session::run takes them
    bool signedView = false;
    std::string view = "coefficients";   // coefficients, opened, difference or kept
    bool numbers = false;
    std::string grid;                    // the matrix's start: rows between ';', numbers between ','
    std::vector<std::string> ignored;
};

Link parseLink(const std::string& fragment);
std::string formatLink(const Link& link);

// True for a command Session::run understands: a key letter (F f R r N n S s B b), keep:<percent>,
// scale:<value>, auto, reset, or set:<row>:<column>:<value>.
bool isCommand(const std::string& command);

// The grid written as a matrix's text (rows on lines) and back.
std::string gridAsMatrix(const std::string& grid);
std::string matrixAsGrid(const float* values, int size);
