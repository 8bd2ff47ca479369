#include "game/world/LevelFileReader.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "game/world/GridPathFinder.h"

void LevelFileReader::fail(const std::string& where, const std::string& what) const
{
    const std::string text = "Level file \"" + Engine::toUtf8(m_path) + "\", " + where + ": " + what + ".";
    Engine::getErrorString() = text;
    throw Engine::cStringA(text);
}

Engine::cPoint LevelFileReader::readCell(const boost::shared_ptr<Engine::cProperties>& node,
                                         const wchar_t* key, const GridPathFinder& grid,
                                         const std::string& where) const
{
    Engine::cPoint cell(0, 0);
    Engine::fromString(cell, node->getAttribute(key));
    if (!grid.inside(cell))
        fail(where, "the cell " + std::to_string(cell.x) + ";" + std::to_string(cell.y) +
                        " lies outside the grid of " + std::to_string(grid.getWidth()) + " by " +
                        std::to_string(grid.getHeight()) + " cells");
    return cell;
}
