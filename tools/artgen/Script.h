#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ArtGen
{

// One statement of a picture source: a line (joined with the next when it ends in "\"), its
// first word, and for a block ("part", "sheet", "scene", "for", "if", "group", "under", "over")
// the statements up to its "end". An "if" keeps its "else" branch in `otherwise`; "elif" is an
// "if" alone in that branch.
struct Statement
{
    std::string file;
    int line = 0;
    std::string keyword;
    // The words after the keyword, as written (variables are put in when the statement runs).
    std::string rest;
    std::vector<Statement> body;
    std::vector<Statement> otherwise;

    // "<file>:<line>: " for messages.
    std::string where() const;
};

// Reads a source file into its top-level statements; a "#" at the start of a word begins a
// comment. Throws std::runtime_error "<file>:<line>: <reason>" for a block without "end", an
// "end" or "else" without a block, and the like.
std::vector<Statement> parseScript(const std::string& text, const std::string& shownName);

// True for the keywords that open a block.
bool opensBlock(const std::string& keyword);

} // namespace ArtGen
