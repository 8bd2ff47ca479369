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

// The level file's values are read with the engine's text conversions (`Engine::fromString`): a
// number as far as it goes ("12abc" gives 12), a flag from 0 or 1, and a text that does not
// begin with a value, like a missing or empty one, keeps the target's default. What would reach
// outside the level's grid is refused here: a cell must lie inside the grid. A refusal names the
// file and the element and throws an Engine::cStringA such as:
//   Level file "Levels/n3.xml", Buildings element 4 ("Rubble"), FreeCells: the cell 60;2 lies
//   outside the grid of 53 by 40 cells.
class LevelFileReader
{
public:
    explicit LevelFileReader(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring& path() const { return m_path; }

    // A cell that must lie inside the grid.
    Engine::cPoint readCell(const boost::shared_ptr<Engine::cProperties>& node, const wchar_t* key,
                            const GridPathFinder& grid, const std::string& where) const;

    [[noreturn]] void fail(const std::string& where, const std::string& what) const;

private:
    std::wstring m_path;
};
