#include "game/world/LevelFileReader.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "game/world/GridPathFinder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwctype>

namespace
{

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// The length of the number that starts at `pos` (a sign, digits and, unless `integer`, a
// fraction and an exponent); 0 when no number starts there.
size_t numberLength(const std::wstring& text, size_t pos, bool integer)
{
    size_t i = pos;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (!integer && i < text.size() && text[i] == L'.')
    {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (!integer && i < text.size() && (text[i] == L'e' || text[i] == L'E'))
    {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == L'+' || text[e] == L'-'))
            ++e;
        size_t exponent = 0;
        while (e < text.size() && isDigit(text[e]))
            ++e, ++exponent;
        if (exponent > 0)
            i = e;
    }
    return i - pos;
}

bool isWholeNumber(const std::wstring& text, bool integer)
{
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    const size_t length = numberLength(text, begin, integer);
    if (length == 0)
        return false;
    for (size_t i = begin + length; i < text.size(); ++i)
        if (!isBlank(text[i]))
            return false;
    if (integer)
    {
        errno = 0;
        const long long value = std::wcstoll(text.c_str() + begin, nullptr, 10);
        return errno == 0 && value >= INT_MIN && value <= INT_MAX;
    }
    return true;
}

std::string quoted(const std::wstring& text)
{
    return "\"" + Engine::toUtf8(text) + "\"";
}

} // namespace

bool LevelFileReader::isInteger(const std::wstring& text)
{
    return isWholeNumber(text, true);
}

bool LevelFileReader::isNumber(const std::wstring& text)
{
    return isWholeNumber(text, false);
}

bool LevelFileReader::isPair(const std::wstring& text, bool integers)
{
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    const size_t first = numberLength(text, begin, integers);
    if (first == 0 || begin + first + 1 >= text.size())
        return false;
    // Exactly one character of any kind separates the two.
    const std::wstring second = text.substr(begin + first + 1);
    return integers ? isInteger(second) : isNumber(second);
}

void LevelFileReader::fail(const std::string& where, const std::string& what) const
{
    const std::string text = "Level file " + quoted(m_path) + ", " + where + ": " + what + ".";
    Engine::getErrorString() = text;
    throw Engine::cStringA(text);
}

void LevelFileReader::read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                           int& target, const std::string& where) const
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return;
    if (!isInteger(text))
        fail(where, quoted(key) + " is " + quoted(text) + ", not a whole number");
    Engine::fromString(target, text);
}

void LevelFileReader::read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                           float& target, const std::string& where) const
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return;
    if (!isNumber(text))
        fail(where, quoted(key) + " is " + quoted(text) + ", not a number");
    Engine::fromString(target, text);
}

void LevelFileReader::read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                           bool& target, const std::string& where) const
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return;
    if (text != L"0" && text != L"1")
        fail(where, quoted(key) + " is " + quoted(text) + ", not 0 or 1");
    target = text == L"1";
}

void LevelFileReader::read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                           Engine::cPoint& target, const std::string& where) const
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return;
    if (!isPair(text, true))
        fail(where, quoted(key) + " is " + quoted(text) + ", not two whole numbers such as \"3;4\"");
    Engine::fromString(target, text);
}

void LevelFileReader::read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                           Engine::cVector2& target, const std::string& where) const
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return;
    if (!isPair(text, false))
        fail(where, quoted(key) + " is " + quoted(text) + ", not two numbers such as \"120;84.5\"");
    Engine::fromString(target, text);
}

Engine::cPoint LevelFileReader::readCell(const boost::shared_ptr<Engine::cProperties>& node,
                                         const wchar_t* key, const GridPathFinder& grid,
                                         const std::string& where) const
{
    Engine::cPoint cell(0, 0);
    read(node, key, cell, where);
    if (!grid.inside(cell))
        fail(where, "the cell " + std::to_string(cell.x) + ";" + std::to_string(cell.y) +
                        " lies outside the grid of " + std::to_string(grid.getWidth()) + " by " +
                        std::to_string(grid.getHeight()) + " cells");
    return cell;
}
