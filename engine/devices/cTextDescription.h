#pragma once

#include "engine/devices/cMatrix.h"

#include <cstdint>
#include <sstream>
#include <string>

namespace Engine
{

// Reads the text descriptions that `cAnimationWriter` and `cMeshWriter` write files from: one
// statement a line, "#" starts a comment, blank lines are skipped. A statement is a first word
// and the words after it; whatever cannot be read is thrown as std::string "line <n>: <reason>".
//
// Transforms, multiplied in the order written:
//   identity | translate <x> <y> <z> | scale <x> <y> <z> | rotate x|y|z <degrees>
//   | matrix <16 numbers, row by row>
// Rotations turn y towards z (about x), z towards x (about y) and x towards y (about z).
class cTextDescription
{
public:
    explicit cTextDescription(const std::string& text) : m_lines(text) {}

    // Moves to the next statement and gives its first word; false after the last line.
    bool next(std::string& word);
    // The number of the statement's line (after the end, of the last line).
    int line() const { return m_line; }
    // The words of the statement after those read so far.
    std::istringstream& words() { return m_words; }

    [[noreturn]] void fail(const std::string& reason) const;
    // Reads one number; fails with "<what> is missing or not a number".
    float readNumber(const char* what);
    // Reads a whole number from 0 to `highest`.
    uint32_t readWhole(const char* what, uint32_t highest);
    // Reads one word; empty when the statement has no more.
    std::string readWord();
    // Reads transforms from the rest of the statement and multiplies them in that order.
    cMatrix readTransforms();

private:
    std::istringstream m_lines;
    std::istringstream m_words;
    int m_line = 0;
};

} // namespace Engine
