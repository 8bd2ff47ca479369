// leveltool: writes a level file ("Levels/n<N>.xml") from a readable level source, so that
// nobody types a level's hundreds of cells one by one.
//
//   leveltool [--art <manifest.txt>] <source.txt> <level.xml>
//
// The source draws the field as a grid of characters, one per cell (at most 51 columns and
// 38 rows: the 1024 x 768 screen in cells of 20 units), and says in a legend which unit each
// letter stands for:
//
//   # A comment.
//   level AutoProduceTime="12"          attributes of the level's root element
//   meta GoldTime="90" SilverTime="150"  the "MetaData" element
//   resources Money=10 Brick=2          the player's starting resources
//   grid
//   ......HHH.......                     the field, row 0 first (see below)
//   end
//   unit H <Unit Type="TownHall" BreafId="start"/>
//   unit m <Unit Type="Money"/>
//   place 312;248 <Unit Type="ChimneySmoke"/>   a unit at a field position, on no cell
//   ground levels/ground.jpg            the picture under the whole field (this one when left out)
//   decor ^ units/tree_round.png units/tree_fir.png   scenery of a grid character: one of the
//                                        pictures on each of its cells, chosen by the cell
//   decor # decor/house_red.png block   one picture on each block of the character's cells,
//                                        standing on the block's middle
//   decor " decor/flowerbed.png flat    flat on the ground (else it stands among the units)
//   picture 512;700 decor/pond.png [flat]   a picture with its foot at a field position
//   xml                                  lines copied into the root element as they are
//   <BreafData>...</BreafData>
//   end
//
// In the grid:
//   '.'      a walkable cell
//   'a'-'z'  a walkable cell with a unit standing on it: one unit per letter drawn
//   'A'-'Z'  the cells a building covers (its "FreeCells"): one unit for all cells of a letter,
//            placed at their middle
//   '1'-'9'  a walkable cell where help resources fall ("CheatPoints", in the digits' order)
//   '~'      a canal: water between stone banks
//   ' '      the meadow
//   another character: scenery nobody walks on, which a "decor" line draws
// Every level gets its ground ("BackGround", tools/LevelGround.h): the ground picture over the
// whole screen; street tiles on the walkable cells and under the units that stand on a street
// (roads, broken roads, fires across a road, rubble, junk, fallen trees, floods), so that a
// built road or a cleared barrier leaves street; canal tiles under '~' and bridges; each tile
// with the curbs or banks its neighbours call for; then the scenery. Pictures are named as the
// art pack's manifest lists them (by default tools/art/manifest.txt beside the source's folder).
// A road of several cells is a straight row or column of them (at most 12): its plan shows
// over all of them ("ViewStateId" h<N> or v<N>, given by the tool).
// A building without "CameOffsetPoints" gets one route to the walkable cell beside it that is
// nearest its middle, preferring a cell the heroes can reach from the base at once (over the
// roads and bridges the level places built), then one they can reach once the other buildings'
// cells are open (barriers cleared, roads built), never over the building's own cells. The town
// hall's heroes set out from the cell that holds its middle, so its route goes to a walkable cell
// beside that very cell, straight or diagonally, where there is one.

#include "tools/DataFiles.h"
#include "tools/LevelGround.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

constexpr int kColumns = 51;
constexpr int kRows = 38;
constexpr int kCellWidth = 20;
constexpr const char* kGroundPicture = "levels/ground.jpg";
// The unit types that stand on a street: the street runs on under them.
const std::set<std::string> kStreetTypes = {"Road",     "BrokenRoad", "BarrierFire", "Rubble",
                                            "JunkPile", "FallenTree", "BarrierFlood"};
// The unit types whose cells are open to the heroes once built or cleared (level 1).
const std::set<std::string> kOpenWhenBuilt = {"Road", "Bridge", "BrokenRoad", "BarrierFire"};
// A road's plan covers at most this many cells in a row.
constexpr int kLongestRoad = 12;

struct Cell
{
    int x = 0;
    int y = 0;
    bool operator<(const Cell& o) const { return x != o.x ? x < o.x : y < o.y; }
    bool operator==(const Cell& o) const { return x == o.x && y == o.y; }
};

struct Source
{
    std::string rootAttributes;
    std::string meta;
    std::vector<std::pair<std::string, std::string>> resources;
    std::vector<std::string> grid;
    std::vector<std::pair<char, std::string>> units;
    std::vector<std::string> xml;
    std::string ground = kGroundPicture;
    std::map<char, Tools::LevelGround::Decor> decors;
    std::vector<Tools::LevelGround::Placed> pictures;
    // Units placed by position: the position, the unit element.
    std::vector<std::pair<std::string, std::string>> placedUnits;
};

// A position written x;y, or false.
bool readPosition(const std::string& text, float& x, float& y)
{
    char separator = 0;
    std::istringstream in(text);
    return static_cast<bool>(in >> x >> separator >> y) && separator == ';' && in.eof();
}

[[noreturn]] void fail(const std::string& source, int line, const std::string& what)
{
    std::cerr << "leveltool: " << source << ":" << line << ": " << what << "\n";
    std::exit(1);
}

std::string trim(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

Source parse(const std::string& path, const std::string& text)
{
    Source source;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    enum class Block
    {
        None,
        Grid,
        Xml,
        Unit
    } block = Block::None;
    char unitLetter = 0;
    std::string unitXml;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (block == Block::Grid)
        {
            if (trim(line) == "end")
                block = Block::None;
            else if (static_cast<int>(line.size()) > kColumns)
                fail(path, number, "a grid row wider than " + std::to_string(kColumns) + " cells");
            else
                source.grid.push_back(line);
            continue;
        }
        if (block == Block::Xml || block == Block::Unit)
        {
            if (trim(line) != "end")
            {
                (block == Block::Xml ? source.xml.push_back(line) : void(unitXml += trim(line)));
                continue;
            }
            if (block == Block::Unit)
                source.units.emplace_back(unitLetter, unitXml);
            block = Block::None;
            continue;
        }
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#')
            continue;
        const std::string word = content.substr(0, content.find(' '));
        const std::string rest = word.size() < content.size() ? trim(content.substr(word.size())) : "";
        if (word == "level")
            source.rootAttributes = rest;
        else if (word == "meta")
            source.meta = rest;
        else if (word == "resources")
        {
            std::istringstream items(rest);
            std::string item;
            while (items >> item)
            {
                const size_t equals = item.find('=');
                if (equals == std::string::npos)
                    fail(path, number, "a resource is written Name=Count, not \"" + item + "\"");
                source.resources.emplace_back(item.substr(0, equals), item.substr(equals + 1));
            }
        }
        else if (word == "ground")
            source.ground = rest;
        else if (word == "decor")
        {
            std::istringstream items(rest);
            std::string letter;
            items >> letter;
            if (letter.size() != 1 || std::isalnum(static_cast<unsigned char>(letter[0])) || letter == "." ||
                letter == "~")
                fail(path, number,
                     "a decor line names a grid character that is no letter, digit, '.' or '~'");
            Tools::LevelGround::Decor decor;
            for (std::string item; items >> item;)
            {
                if (item == "block")
                    decor.block = true;
                else if (item == "flat")
                    decor.flat = true;
                else
                    decor.pictures.push_back(item);
            }
            if (decor.pictures.empty())
                fail(path, number, "a decor line names its pictures");
            if (!source.decors.emplace(letter[0], decor).second)
                fail(path, number, "the decor of \"" + letter + "\" is defined twice");
        }
        else if (word == "picture" || word == "place")
        {
            const std::string at = rest.substr(0, rest.find(' '));
            const std::string what = at.size() < rest.size() ? trim(rest.substr(at.size())) : "";
            float x = 0.0f;
            float y = 0.0f;
            if (!readPosition(at, x, y) || what.empty())
                fail(path, number,
                     "write: " + word + " <x>;<y> " + (word == "place" ? "<Unit .../>" : "<picture> [flat]"));
            if (word == "place")
                source.placedUnits.emplace_back(at, what);
            else
            {
                Tools::LevelGround::Placed placed;
                placed.x = x;
                placed.y = y;
                std::istringstream items(what);
                items >> placed.picture;
                for (std::string item; items >> item;)
                {
                    if (item != "flat")
                        fail(path, number,
                             "a picture line ends in \"flat\" or nothing, not \"" + item + "\"");
                    placed.flat = true;
                }
                source.pictures.push_back(placed);
            }
        }
        else if (word == "grid")
            block = Block::Grid;
        else if (word == "xml")
            block = Block::Xml;
        else if (word == "unit")
        {
            if (rest.empty() || !std::isalpha(static_cast<unsigned char>(rest[0])))
                fail(path, number, "a unit line names its letter first");
            unitLetter = rest[0];
            unitXml = trim(rest.substr(1));
            if (unitXml.empty())
                block = Block::Unit;
            else
                source.units.emplace_back(unitLetter, unitXml);
        }
        else
            fail(path, number, "unknown line \"" + content + "\"");
    }
    if (block != Block::None)
        fail(path, number, "a block is not closed with \"end\"");
    if (static_cast<int>(source.grid.size()) > kRows)
        fail(path, number, "more than " + std::to_string(kRows) + " grid rows");
    return source;
}

char at(const Source& source, const Cell& cell)
{
    if (cell.y < 0 || cell.y >= static_cast<int>(source.grid.size()) || cell.x < 0)
        return ' ';
    const std::string& row = source.grid[static_cast<size_t>(cell.y)];
    return cell.x < static_cast<int>(row.size()) ? row[static_cast<size_t>(cell.x)] : ' ';
}

bool walkable(char c)
{
    return c == '.' || std::islower(static_cast<unsigned char>(c)) ||
           std::isdigit(static_cast<unsigned char>(c));
}

// The cells reachable from `starts` over the cells `open` allows, four directions.
template <class Open> std::set<Cell> reachable(const std::vector<Cell>& starts, Open open)
{
    std::set<Cell> seen(starts.begin(), starts.end());
    std::queue<Cell> next;
    for (const Cell& start : starts)
        next.push(start);
    while (!next.empty())
    {
        const Cell cell = next.front();
        next.pop();
        for (const Cell step : {Cell{1, 0}, Cell{-1, 0}, Cell{0, 1}, Cell{0, -1}})
        {
            const Cell to{cell.x + step.x, cell.y + step.y};
            if (to.x < 0 || to.y < 0 || to.x >= kColumns || to.y >= kRows || seen.count(to) || !open(to))
                continue;
            seen.insert(to);
            next.push(to);
        }
    }
    return seen;
}

std::string number(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

// Puts an attribute at the end of the unit's start tag, unless it is there already.
void addAttribute(std::string& xml, const std::string& name, const std::string& value)
{
    if (xml.find(" " + name + "=\"") != std::string::npos)
        return;
    size_t tagEnd = xml.find('>');
    if (tagEnd > 0 && xml[tagEnd - 1] == '/')
        --tagEnd;
    xml.insert(tagEnd, " " + name + "=\"" + value + "\"");
}

// Puts child elements into the unit element.
void addChildren(std::string& xml, const std::string& children)
{
    if (xml.size() >= 2 && xml.compare(xml.size() - 2, 2, "/>") == 0)
    {
        const size_t nameEnd = xml.find_first_of(" />", 1);
        const std::string name = xml.substr(1, nameEnd - 1);
        xml = xml.substr(0, xml.size() - 2) + ">" + children + "</" + name + ">";
        return;
    }
    const size_t close = xml.rfind("</");
    xml.insert(close, children);
}

std::string cellText(const Cell& cell)
{
    return std::to_string(cell.x) + ";" + std::to_string(cell.y);
}

std::string cellCentre(const Cell& cell)
{
    return std::to_string(cell.x * kCellWidth + kCellWidth / 2) + ";" +
           std::to_string(cell.y * kCellWidth + kCellWidth / 2);
}

// The unit type a unit element names.
std::string typeOf(const std::string& xml)
{
    const size_t at = xml.find(" Type=\"");
    if (at == std::string::npos)
        return std::string();
    const size_t begin = at + 7;
    return xml.substr(begin, xml.find('"', begin) - begin);
}

// The "Level" a unit element gives, 0 when it gives none.
int levelOf(const std::string& xml)
{
    const size_t at = xml.find(" Level=\"");
    return at == std::string::npos ? 0 : std::atoi(xml.c_str() + at + 8);
}

// The look of a road's plan that covers its cells: "h<N>" along a row, "v<N>" down a column,
// nothing for one cell.
std::string roadLook(const std::string& path, char letter, const std::vector<Cell>& cells)
{
    int left = kColumns;
    int right = -1;
    int top = kRows;
    int bottom = -1;
    for (const Cell& cell : cells)
    {
        left = std::min(left, cell.x);
        right = std::max(right, cell.x);
        top = std::min(top, cell.y);
        bottom = std::max(bottom, cell.y);
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    if ((width > 1 && height > 1) || static_cast<int>(cells.size()) != width * height)
        fail(path, 0, std::string("the road ") + letter + " is no straight row or column of cells");
    if (std::max(width, height) > kLongestRoad)
        fail(path, 0,
             std::string("the road ") + letter + " is longer than " + std::to_string(kLongestRoad) +
                 " cells: make it two roads");
    if (width > 1)
        return "h" + std::to_string(width);
    return height > 1 ? "v" + std::to_string(height) : std::string();
}

// The level's ground: the streets, canals and scenery of the grid, and the placed pictures.
std::string ground(const std::string& path, const Source& source,
                   const std::map<char, std::vector<Cell>>& letters,
                   std::map<std::string, Tools::ArtPicture> art)
{
    try
    {
        Tools::LevelGround ground(std::move(art), source.ground);
        for (const auto& [letter, decor] : source.decors)
            ground.checkDecor(decor);
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x)
            {
                const char c = at(source, Cell{x, y});
                if (walkable(c))
                    ground.setKind(x, y, Tools::LevelGround::Kind::Street);
                else if (c == '~')
                    ground.setKind(x, y, Tools::LevelGround::Kind::Canal);
                else if (c != ' ' && !std::isalpha(static_cast<unsigned char>(c)))
                {
                    const auto decor = source.decors.find(c);
                    if (decor == source.decors.end())
                        fail(path, 0, std::string("the grid character \"") + c + "\" has no decor line");
                    ground.addDecor(x, y, c, decor->second);
                }
            }
        for (const auto& [letter, xml] : source.units)
        {
            const auto cells = letters.find(letter);
            if (cells == letters.end() || !std::isupper(static_cast<unsigned char>(letter)))
                continue;
            const std::string type = typeOf(xml);
            for (const Cell& cell : cells->second)
                if (kStreetTypes.count(type))
                    ground.setKind(cell.x, cell.y, Tools::LevelGround::Kind::Street);
                else if (type == "Bridge")
                {
                    ground.setKind(cell.x, cell.y, Tools::LevelGround::Kind::Canal);
                    ground.joinStreet(cell.x, cell.y);
                }
        }
        for (const Tools::LevelGround::Placed& placed : source.pictures)
            ground.place(placed);
        return ground.xml();
    }
    catch (const std::runtime_error& failure)
    {
        fail(path, 0, failure.what());
    }
}

std::string build(const std::string& path, const Source& source, std::map<std::string, Tools::ArtPicture> art)
{
    std::map<char, std::vector<Cell>> letters;
    std::vector<Cell> freeCells;
    std::vector<std::pair<char, Cell>> cheats;
    for (int y = 0; y < static_cast<int>(source.grid.size()); ++y)
        for (int x = 0; x < kColumns; ++x)
        {
            const Cell cell{x, y};
            const char c = at(source, cell);
            if (walkable(c))
                freeCells.push_back(cell);
            if (std::isalpha(static_cast<unsigned char>(c)))
                letters[c].push_back(cell);
            if (std::isdigit(static_cast<unsigned char>(c)) && c != '0')
                cheats.emplace_back(c, cell);
        }
    std::stable_sort(cheats.begin(), cheats.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // A second "BackGround" element would re-open the first instead of adding layers.
    for (const std::string& line : source.xml)
        if (line.find("<BackGround") != std::string::npos)
            fail(path, 0, "the ground (\"BackGround\") is written by the tool, not in the xml block");

    std::map<char, std::string> legend;
    for (const auto& [letter, xml] : source.units)
    {
        if (legend.count(letter))
            fail(path, 0, std::string("the letter ") + letter + " is defined twice");
        legend[letter] = xml;
    }
    for (const auto& [letter, cells] : letters)
        if (!legend.count(letter))
            fail(path, 0, std::string("the letter ") + letter + " is drawn but no unit line defines it");

    // Where the heroes come from: beside the base, which is the building whose unit line says
    // "TownHall"; without one, every walkable cell counts as reachable.
    // A road, bridge or barrier on a road that the level places already built or cleared
    // ("Level" 1) opens its cells from the start: the heroes walk over it at once.
    std::set<Cell> footprints;
    std::set<Cell> opened;
    for (const auto& [letter, cells] : letters)
        if (std::isupper(static_cast<unsigned char>(letter)))
        {
            footprints.insert(cells.begin(), cells.end());
            const char drawn = letter;
            const auto unit = std::find_if(source.units.begin(), source.units.end(),
                                           [drawn](const auto& u) { return u.first == drawn; });
            if (unit != source.units.end() && kOpenWhenBuilt.count(typeOf(unit->second)) &&
                levelOf(unit->second) >= 1)
                opened.insert(cells.begin(), cells.end());
        }
    std::set<Cell> now(freeCells.begin(), freeCells.end());
    const std::vector<Cell>* hall = nullptr;
    for (const auto& [letter, xml] : source.units)
        if (xml.find("Type=\"TownHall\"") != std::string::npos && letters.count(letter))
        {
            // The heroes step out of the base's cells onto the walkable cells beside them.
            hall = &letters[letter];
            const auto inHall = [&](const Cell& c)
            { return std::find(hall->begin(), hall->end(), c) != hall->end(); };
            now = reachable(*hall, [&](const Cell& c)
                            { return walkable(at(source, c)) || inHall(c) || opened.count(c); });
        }
    // Where the heroes get once the other buildings' cells are open: a unit is worked from
    // outside, so its own cells never lead to its approach (a road's far end is not reached
    // over the road before it is built).
    const auto reachableLater = [&](const std::vector<Cell>& own)
    {
        if (!hall)
            return std::set<Cell>(freeCells.begin(), freeCells.end());
        const std::set<Cell> ownCells(own.begin(), own.end());
        return reachable(*hall, [&](const Cell& c)
                         { return walkable(at(source, c)) || (footprints.count(c) && !ownCells.count(c)); });
    };

    std::vector<std::string> units;
    for (const auto& [letter, definition] : source.units)
    {
        const auto found = letters.find(letter);
        if (found == letters.end())
            fail(path, 0, std::string("the unit of the letter ") + letter + " is not drawn in the grid");
        const std::vector<Cell>& cells = found->second;
        if (std::islower(static_cast<unsigned char>(letter)))
        {
            for (const Cell& cell : cells)
            {
                std::string xml = definition;
                addAttribute(xml, "Position", cellCentre(cell));
                units.push_back(xml);
            }
            continue;
        }
        float cx = 0.0f;
        float cy = 0.0f;
        for (const Cell& cell : cells)
        {
            cx += static_cast<float>(cell.x * kCellWidth + kCellWidth / 2);
            cy += static_cast<float>(cell.y * kCellWidth + kCellWidth / 2);
        }
        cx /= static_cast<float>(cells.size());
        cy /= static_cast<float>(cells.size());
        std::string xml = definition;
        addAttribute(xml, "Position", number(cx) + ";" + number(cy));
        if (typeOf(xml) == "Road")
        {
            const std::string look = roadLook(path, letter, cells);
            if (!look.empty())
                addAttribute(xml, "ViewStateId", look);
        }
        std::string children = "<FreeCells>";
        for (const Cell& cell : cells)
            children += "<Cell Pos=\"" + cellText(cell) + "\"/>";
        children += "</FreeCells>";
        if (xml.find("<CameOffsetPoints") == std::string::npos)
        {
            // The walkable cell beside the building nearest its middle, reachable if possible.
            const std::set<Cell> later = reachableLater(cells);
            // The game plans the town hall's routes from the cell of its middle: its door is
            // best a neighbour of that cell, straight or diagonal, where the heroes step out.
            const bool base = typeOf(xml) == "TownHall";
            const Cell middle{static_cast<int>(cx) / kCellWidth, static_cast<int>(cy) / kCellWidth};
            const Cell* best = nullptr;
            int bestRank = 6;
            float bestDistance = 0.0f;
            std::vector<Cell> beside;
            for (const Cell& cell : cells)
                for (const Cell step : {Cell{0, 1}, Cell{1, 0}, Cell{-1, 0}, Cell{0, -1}})
                {
                    const Cell to{cell.x + step.x, cell.y + step.y};
                    if (walkable(at(source, to)))
                        beside.push_back(to);
                }
            for (const Cell& cell : beside)
            {
                const bool byMiddle = std::max(std::abs(cell.x - middle.x), std::abs(cell.y - middle.y)) == 1;
                const int rank = (base && !byMiddle ? 3 : 0) + (now.count(cell)     ? 0
                                                                : later.count(cell) ? 1
                                                                                    : 2);
                const float dx = static_cast<float>(cell.x * kCellWidth + kCellWidth / 2) - cx;
                const float dy = static_cast<float>(cell.y * kCellWidth + kCellWidth / 2) - cy;
                const float distance = std::sqrt(dx * dx + dy * dy);
                if (!best || rank < bestRank || (rank == bestRank && distance < bestDistance))
                {
                    best = &cell;
                    bestRank = rank;
                    bestDistance = distance;
                }
            }
            if (best)
                children += "<CameOffsetPoints><Route Pos=\"" +
                            number(static_cast<float>(best->x * kCellWidth + kCellWidth / 2) - cx) + ";" +
                            number(static_cast<float>(best->y * kCellWidth + kCellWidth / 2) - cy) +
                            "\"/></CameOffsetPoints>";
        }
        addChildren(xml, children);
        units.push_back(xml);
    }

    for (const auto& [position, definition] : source.placedUnits)
    {
        std::string xml = definition;
        addAttribute(xml, "Position", position);
        units.push_back(xml);
    }

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<!-- Written by leveltool from its level source: change the source and run the tool again. -->\n";
    out += "<Level" + (source.rootAttributes.empty() ? std::string() : " " + source.rootAttributes) + ">\n";
    // The medal times first: the best-times table looks them up in every level file and finds
    // them here without following the elements after them.
    if (!source.meta.empty())
        out += "\t<MetaData " + source.meta + "/>\n";
    out += "\t<FreeCells>\n";
    for (const Cell& cell : freeCells)
        out += "\t\t<Cell Pos=\"" + cellText(cell) + "\"/>\n";
    out += "\t</FreeCells>\n";
    if (!cheats.empty())
    {
        out += "\t<CheatPoints>\n";
        for (const auto& cheat : cheats)
            out += "\t\t<Cell Pos=\"" + cellText(cheat.second) + "\"/>\n";
        out += "\t</CheatPoints>\n";
    }
    for (const std::string& line : source.xml)
        out += "\t" + line + "\n";
    out += ground(path, source, letters, std::move(art));
    out += "\t<Buildings>\n";
    for (const std::string& unit : units)
        out += "\t\t" + unit + "\n";
    out += "\t</Buildings>\n";
    if (!source.resources.empty())
    {
        out += "\t<InitialResources>\n";
        for (const auto& [name, count] : source.resources)
            out += "\t\t<Res Name=\"" + name + "\" Count=\"" + count + "\"/>\n";
        out += "\t</InitialResources>\n";
    }
    out += "</Level>\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string manifest;
    if (arguments.size() == 4 && arguments[0] == "--art")
    {
        manifest = arguments[1];
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() != 2)
    {
        std::cerr << "usage: leveltool [--art <manifest.txt>] <source.txt> <level.xml>\n";
        return 2;
    }
    const std::string& sourcePath = arguments[0];
    std::string text;
    if (!Tools::readWholeFile(sourcePath, text))
    {
        std::cerr << "leveltool: cannot read \"" << sourcePath << "\"\n";
        return 1;
    }
    // The art pack's manifest beside the sources' folder: tools/levels/nK.txt, tools/art/manifest.txt.
    if (manifest.empty())
    {
        const size_t slash = sourcePath.find_last_of('/');
        manifest = (slash == std::string::npos ? std::string(".") : sourcePath.substr(0, slash)) +
                   "/../art/manifest.txt";
    }
    std::map<std::string, Tools::ArtPicture> art;
    try
    {
        art = Tools::readArtManifest(manifest);
    }
    catch (const std::runtime_error& failure)
    {
        std::cerr << "leveltool: " << failure.what() << "\n";
        return 1;
    }
    const std::string xml = build(sourcePath, parse(sourcePath, text), std::move(art));
    return Tools::writeWholeFile("leveltool", arguments[1], xml) ? 0 : 1;
}
