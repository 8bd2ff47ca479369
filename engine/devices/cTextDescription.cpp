#include "engine/devices/cTextDescription.h"

#include <cmath>
#include <cstdlib>

namespace Engine
{

namespace
{

cMatrix rotation(char axis, float degrees)
{
    const float radians = degrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    // Row vectors: p' = p x M.
    const int a = axis == 'x' ? 1 : axis == 'y' ? 2 : 0;
    const int b = axis == 'x' ? 2 : axis == 'y' ? 0 : 1;
    cMatrix m;
    m(a, a) = c;
    m(a, b) = s;
    m(b, a) = -s;
    m(b, b) = c;
    return m;
}

} // namespace

bool cTextDescription::next(std::string& word)
{
    std::string lineText;
    while (std::getline(m_lines, lineText))
    {
        ++m_line;
        m_words.clear();
        m_words.str(lineText.substr(0, lineText.find('#')));
        if (m_words >> word)
            return true;
    }
    return false;
}

void cTextDescription::fail(const std::string& reason) const
{
    throw std::string("line " + std::to_string(m_line) + ": " + reason);
}

float cTextDescription::readNumber(const char* what)
{
    const std::string word = readWord();
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value))
        fail(std::string(what) + " is missing or not a number");
    return value;
}

uint32_t cTextDescription::readWhole(const char* what, uint32_t highest)
{
    const float value = readNumber(what);
    if (value < 0.0f || value > static_cast<float>(highest) || value != std::floor(value))
        fail(std::string(what) + " must be a whole number from 0 to " + std::to_string(highest));
    return static_cast<uint32_t>(value);
}

std::string cTextDescription::readWord()
{
    std::string word;
    m_words >> word;
    return word;
}

cMatrix cTextDescription::readTransforms()
{
    cMatrix result;
    std::string word;
    while (m_words >> word)
    {
        cMatrix step;
        if (word == "identity")
            continue;
        if (word == "translate" || word == "scale")
        {
            const float x = readNumber("x");
            const float y = readNumber("y");
            const float z = readNumber("z");
            step = word == "translate" ? cMatrix::translation(x, y, z) : cMatrix::scaling(x, y, z);
        }
        else if (word == "rotate")
        {
            const std::string axis = readWord();
            if (axis != "x" && axis != "y" && axis != "z")
                fail("rotate needs the axis x, y or z");
            step = rotation(axis[0], readNumber("the angle"));
        }
        else if (word == "matrix")
        {
            for (float& element : step.m)
                element = readNumber("a matrix element");
        }
        else
            fail("unknown transform \"" + word + "\"");
        result.multiplyBy(step);
    }
    return result;
}

} // namespace Engine
