#pragma once

#include <map>
#include <string>
#include <vector>

namespace ArtGen
{

// A colour with straight (not premultiplied) alpha, each channel 0 to 1.
struct Colour
{
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 1.0;
};

// `amount` (0 to 1) of the way to the colour's lightest tone of the same hue; never pure white.
Colour lighter(const Colour& colour, double amount);
// `amount` (0 to 1) of the way to the colour's darkest tone of the same hue; never pure black.
Colour darker(const Colour& colour, double amount);
// The same colour with its saturation scaled by `factor` (0 grey, 1 unchanged).
Colour saturated(const Colour& colour, double factor);

// The one palette every picture draws from: named colours read from a file, one a line:
//   name  #rrggbb   what it is for
// ("#" at the start of a line makes a comment). Names are lower case letters, digits and "_".
class Palette
{
public:
    // Throws std::runtime_error "<file>:<line>: <reason>".
    void load(const std::string& path, const std::string& shownName);

    bool has(const std::string& name) const { return m_colours.count(name) != 0; }
    // True when the token starts with a palette name followed by nothing, "+", "-" or "@".
    bool isColourToken(const std::string& token) const;
    // A palette name with optional changes: "name+30" 30% lighter, "name-20" 20% darker,
    // "name@60" at 60% opacity, applied left to right ("name-20@60"). Throws for anything else.
    Colour parse(const std::string& token) const;

    // Names in file order.
    const std::vector<std::string>& names() const { return m_order; }

private:
    std::map<std::string, Colour> m_colours;
    std::vector<std::string> m_order;
};

} // namespace ArtGen
