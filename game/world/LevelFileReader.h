#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"

#include <boost/shared_ptr.hpp>

#include <string>

class GridPathFinder;

namespace Engine
{
class cProperties;
}

// Reads the values of a level file strictly. A level file comes from outside the program, and
// a value that the engine's lenient conversions would quietly turn into a default ("12abc",
// "true" for a flag, a cell beyond the grid) would make a different level than its author
// meant. Each read names the file and the element, so a bad value throws an Engine::cStringA
// such as:
//   Level file "Levels/n3.xml", Buildings element 4 ("Rubble"): "Level" is "x", not a whole number.
// A missing or empty value keeps the target's default, as in every data file.
class LevelFileReader
{
public:
    explicit LevelFileReader(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring& path() const { return m_path; }

    void read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key, int& target,
              const std::string& where) const;
    void read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key, float& target,
              const std::string& where) const;
    // "0" or "1".
    void read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key, bool& target,
              const std::string& where) const;
    // Two whole numbers separated by one character ("3;4").
    void read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key, Engine::cPoint& target,
              const std::string& where) const;
    // Two numbers separated by one character ("3.5;-4").
    void read(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
              Engine::cVector2& target, const std::string& where) const;
    // A cell that must lie inside the grid.
    Engine::cPoint readCell(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                            const GridPathFinder& grid, const std::string& where) const;

    [[noreturn]] void fail(const std::string& where, const std::string& what) const;

    // The text is a whole number / a decimal number, with blanks around it allowed.
    static bool isInteger(const std::wstring& text);
    static bool isNumber(const std::wstring& text);
    // Two numbers separated by exactly one character.
    static bool isPair(const std::wstring& text, bool integers);

private:
    std::wstring m_path;
};
