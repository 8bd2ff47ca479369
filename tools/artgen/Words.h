#pragma once

#include "tools/artgen/Palette.h"
#include "tools/artgen/Value.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ArtGen
{

// The words of statements as the picture sources write them: variables put into the text
// ("$name", "${a_${b}}"), positional words and "key=value" options, colours named through the
// palette or through variables ("wall-15", "wood+(i%2*8)"), and values of part arguments.
// Failures throw std::runtime_error with the reason; the interpreter adds the place.
class Words
{
public:
    // Positional words in order and options, each option to be taken once; `finish` fails on
    // any that no one took (a misspelt key).
    struct Arguments
    {
        std::vector<std::string> positional;
        std::map<std::string, std::string> options;
        std::set<std::string> taken;

        bool has(const std::string& key) const { return options.count(key) != 0; }
        const std::string* take(const std::string& key);
        void finish() const;
    };

    Words(const Palette& palette, const Variables& variables);

    // The statement's words after the keyword, variables put in, split into arguments.
    Arguments arguments(const std::string& rest) const;
    // The text with "$name" and "${name}" replaced by the variables' values.
    std::string substitute(const std::string& text) const;
    // A palette colour token, possibly named through a variable; other tokens come back as
    // they are.
    std::string resolveColour(const std::string& token) const;
    bool isColour(const std::string& token) const;
    // A part argument or a "let" value: a quoted word, a colour, or an expression.
    Value argument(const std::string& token) const;
    // A number of the shared look ("outline", "shadow_dx", ...), `fallback` when not set.
    double style(const char* name, double fallback) const;

    // Words between spaces; spaces inside double quotes belong to the word ("\"Play now\"").
    // Throws for a quote that is not closed.
    static std::vector<std::string> split(const std::string& text);
    static bool isName(const std::string& text);
    // "key=value" (not a comparison such as "a==b").
    static bool splitOption(const std::string& token, std::string& key, std::string& value);
    static std::vector<std::string> splitCommas(const std::string& text);

private:
    std::string resolveColourFrom(const std::string& token, int depth) const;

    const Palette& m_palette;
    const Variables& m_variables;
};

} // namespace ArtGen
