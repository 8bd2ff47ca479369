#include "tools/artgen/Palette.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ArtGen
{

namespace
{

// The ends of the lightness scale a derived tone may reach: fills never turn pure white or black.
constexpr double kLightest = 0.94;
constexpr double kDarkest = 0.07;

struct Hsl
{
    double h, s, l;
};

Hsl toHsl(const Colour& c)
{
    const double high = std::max({c.r, c.g, c.b});
    const double low = std::min({c.r, c.g, c.b});
    Hsl out{0.0, 0.0, (high + low) / 2.0};
    const double range = high - low;
    if (range <= 1e-9)
        return out;
    out.s = out.l > 0.5 ? range / (2.0 - high - low) : range / (high + low);
    if (high == c.r)
        out.h = (c.g - c.b) / range + (c.g < c.b ? 6.0 : 0.0);
    else if (high == c.g)
        out.h = (c.b - c.r) / range + 2.0;
    else
        out.h = (c.r - c.g) / range + 4.0;
    out.h /= 6.0;
    return out;
}

double channel(double p, double q, double t)
{
    if (t < 0.0)
        t += 1.0;
    if (t > 1.0)
        t -= 1.0;
    if (t < 1.0 / 6.0)
        return p + (q - p) * 6.0 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3.0)
        return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

Colour fromHsl(const Hsl& hsl, double alpha)
{
    Colour out;
    out.a = alpha;
    if (hsl.s <= 1e-9)
    {
        out.r = out.g = out.b = hsl.l;
        return out;
    }
    const double q = hsl.l < 0.5 ? hsl.l * (1.0 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
    const double p = 2.0 * hsl.l - q;
    out.r = channel(p, q, hsl.h + 1.0 / 3.0);
    out.g = channel(p, q, hsl.h);
    out.b = channel(p, q, hsl.h - 1.0 / 3.0);
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool validName(const std::string& name)
{
    if (name.empty() || !std::islower(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c)
                       {
                           return std::islower(static_cast<unsigned char>(c)) ||
                                  std::isdigit(static_cast<unsigned char>(c)) || c == '_';
                       });
}

size_t nameLength(const std::string& token)
{
    size_t length = 0;
    while (length < token.size() && token[length] != '+' && token[length] != '-' && token[length] != '@')
        ++length;
    return length;
}

} // namespace

Colour lighter(const Colour& colour, double amount)
{
    Hsl hsl = toHsl(colour);
    const double target = std::max(hsl.l, kLightest);
    hsl.l += (target - hsl.l) * std::clamp(amount, 0.0, 1.0);
    return fromHsl(hsl, colour.a);
}

Colour darker(const Colour& colour, double amount)
{
    Hsl hsl = toHsl(colour);
    const double target = std::min(hsl.l, kDarkest);
    hsl.l -= (hsl.l - target) * std::clamp(amount, 0.0, 1.0);
    return fromHsl(hsl, colour.a);
}

Colour saturated(const Colour& colour, double factor)
{
    Hsl hsl = toHsl(colour);
    hsl.s = std::clamp(hsl.s * factor, 0.0, 1.0);
    return fromHsl(hsl, colour.a);
}

void Palette::load(const std::string& path, const std::string& shownName)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error(shownName + ": cannot be read");
    std::string line;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        std::istringstream words(line);
        std::string name;
        std::string hex;
        if (!(words >> name) || name[0] == '#')
            continue;
        const auto fail = [&](const std::string& reason)
        { throw std::runtime_error(shownName + ":" + std::to_string(number) + ": " + reason); };
        if (!validName(name))
            fail("\"" + name + "\" is not a colour name (lower case letters, digits, _)");
        if (!(words >> hex) || hex.size() != 7 || hex[0] != '#')
            fail("the colour of " + name + " must be written #rrggbb");
        int digits[6];
        for (int i = 0; i < 6; ++i)
            if ((digits[i] = hexDigit(hex[static_cast<size_t>(i) + 1])) < 0)
                fail("the colour of " + name + " must be written #rrggbb");
        if (m_colours.count(name))
            fail(name + " is named twice");
        Colour colour;
        colour.r = (digits[0] * 16 + digits[1]) / 255.0;
        colour.g = (digits[2] * 16 + digits[3]) / 255.0;
        colour.b = (digits[4] * 16 + digits[5]) / 255.0;
        m_colours[name] = colour;
        m_order.push_back(name);
    }
}

bool Palette::isColourToken(const std::string& token) const
{
    return has(token.substr(0, nameLength(token)));
}

Colour Palette::parse(const std::string& token) const
{
    const size_t length = nameLength(token);
    const auto found = m_colours.find(token.substr(0, length));
    if (found == m_colours.end())
        throw std::runtime_error("\"" + token.substr(0, length) + "\" is not a palette colour");
    Colour colour = found->second;
    size_t at = length;
    const auto percent = [&](const char* what)
    {
        const char* start = token.c_str() + at;
        char* end = nullptr;
        const double value = std::strtod(start, &end);
        if (end == start || !(value >= 0.0 && value <= 100.0))
            throw std::runtime_error("in \"" + token + "\": " + what + " must be a percentage from 0 to 100");
        at += static_cast<size_t>(end - start);
        return value / 100.0;
    };
    while (at < token.size())
    {
        const char change = token[at];
        if (change != '+' && change != '-' && change != '@')
            break;
        ++at;
        if (change == '@')
            colour.a = percent("the opacity");
        else
        {
            const double amount = percent("the change of tone");
            colour = change == '+' ? lighter(colour, amount) : darker(colour, amount);
        }
    }
    if (at != token.size())
        throw std::runtime_error("\"" + token + "\" is not a colour (name, name+N, name-N, name@N)");
    return colour;
}

} // namespace ArtGen
