#pragma once

// The ground of a level that leveltool writes (each tool is one program of its own, so this is
// a header): the "BackGround" layers under and among the units. From the level source's grid
// it lays
//   - the ground picture over the whole screen;
//   - a street tile on every cell of the streets (the walkable cells and the cells of the units
//     that stand on a street: roads, broken roads, fires across a road, rubble, junk, fallen
//     trees, floods), and a canal tile on every canal cell ('~' and the cells of bridges), each
//     tile chosen by which of its eight neighbours are of the same kind, so that curbs, banks,
//     corners, joins and crossings follow the shape of the streets;
//   - the scenery of the grid's other characters ("decor" lines) and the pictures the source
//     places by position ("picture" lines), flat on the ground or standing among the units,
//     which they hide or are hidden by as the units hide one another (by the y of their foot).
// The pictures' sizes, frames and feet come from the art pack's manifest (tools/art).

#include "tools/DataFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tools
{

// One picture of the art pack, as its manifest line gives it.
struct ArtPicture
{
    int frameWidth = 0;
    int frameHeight = 0;
    int columns = 1;
    int rows = 1;
    int frames = 1;
    float fps = 0.0f;
    int anchorX = 0;
    int anchorY = 0;
};

// The pictures of the art manifest by path; throws a message naming the line it cannot read.
inline std::map<std::string, ArtPicture> readArtManifest(const std::string& path)
{
    std::string text;
    if (!readWholeFile(path, text))
        throw std::runtime_error("cannot read the art manifest \"" + path + "\"");
    std::map<std::string, ArtPicture> pictures;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string name;
        std::string size;
        std::string frame;
        std::string grid;
        std::string frames;
        std::string fps;
        std::string anchor;
        ArtPicture picture;
        int width = 0;
        int height = 0;
        if (!(words >> name >> size >> frame >> grid >> frames >> fps >> anchor) ||
            std::sscanf(frame.c_str(), "%dx%d", &picture.frameWidth, &picture.frameHeight) != 2 ||
            std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 ||
            std::sscanf(grid.c_str(), "%dx%d", &picture.columns, &picture.rows) != 2 ||
            std::sscanf(anchor.c_str(), "%d,%d", &picture.anchorX, &picture.anchorY) != 2)
            throw std::runtime_error(path + ":" + std::to_string(number) +
                                     ": not a line of the art manifest");
        picture.frames = std::atoi(frames.c_str());
        picture.fps = static_cast<float>(std::atof(fps.c_str()));
        pictures[name] = picture;
    }
    return pictures;
}

class LevelGround
{
public:
    static constexpr int kColumns = 51;
    static constexpr int kRows = 38;
    static constexpr int kCell = 20;
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;
    // The layers' deeps: the ground picture, the tiles and flat scenery under every unit; a
    // standing picture at the deep a unit standing on its foot would have (units stand at
    // 5000 + their y, roads and what lies on a road at 4000 + their y).
    static constexpr float kGroundDeep = -2000.0f;
    static constexpr float kTileDeep = -1000.0f;
    static constexpr float kFlatDeep = -900.0f;
    static constexpr float kStandingDeep = 5000.0f;

    enum class Kind
    {
        None,
        Street,
        Canal
    };

    // Scenery of one grid character: one of `pictures` on each of its cells (chosen by the
    // cell), or one on each block of its cells (neighbouring cells of the character) standing
    // on the block's middle; flat on the ground or standing.
    struct Decor
    {
        std::vector<std::string> pictures;
        bool block = false;
        bool flat = false;
    };

    // A picture the source places: its foot (its anchor) at the position.
    struct Placed
    {
        float x = 0.0f;
        float y = 0.0f;
        std::string picture;
        bool flat = false;
    };

    LevelGround(std::map<std::string, ArtPicture> art, std::string groundPicture)
        : m_art(std::move(art)), m_groundPicture(std::move(groundPicture))
    {
        needPicture(m_groundPicture);
    }

    void setKind(int x, int y, Kind kind)
    {
        if (inside(x, y))
            m_kinds[y][x] = kind;
    }
    // A cell that counts as street for its neighbours' curbs, without a tile of its own (a
    // bridge's cells: the street runs on over them).
    void joinStreet(int x, int y)
    {
        if (inside(x, y))
            m_joins.insert({x, y});
    }
    // A cell of the scenery of the grid character `letter`.
    void addDecor(int x, int y, char letter, const Decor& decor)
    {
        if (!inside(x, y))
            return;
        m_decors[letter] = &decor;
        m_decorCells[letter].push_back({x, y});
    }
    void place(const Placed& placed)
    {
        needPicture(placed.picture);
        m_placed.push_back(placed);
    }
    void checkDecor(const Decor& decor) const
    {
        for (const std::string& picture : decor.pictures)
            needPicture(picture);
    }

    // The "BackGround" element.
    std::string xml() const
    {
        std::map<float, std::vector<std::string>> layers;
        layers[kGroundDeep].push_back(
            pictureXml(m_groundPicture, kScreenWidth / 2.0f, kScreenHeight / 2.0f, true));
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x)
                if (m_kinds[y][x] != Kind::None)
                    layers[kTileDeep].push_back(pictureXml(tileName(x, y), centre(x), centre(y), true));
        for (const auto& [letter, cells] : m_decorCells)
        {
            const Decor* decor = m_decors.at(letter);
            for (const auto& group : decor->block ? blocks(cells) : singles(cells))
            {
                float x = 0.0f;
                float y = 0.0f;
                for (const auto& cell : group)
                {
                    x += centre(cell.first);
                    y += centre(cell.second);
                }
                x /= static_cast<float>(group.size());
                y /= static_cast<float>(group.size());
                const auto& first = group.front();
                const std::string& picture =
                    decor->pictures[static_cast<size_t>(first.first * 7 + first.second * 13) %
                                    decor->pictures.size()];
                layers[decor->flat ? kFlatDeep : kStandingDeep + y].push_back(
                    pictureXml(picture, x, y, false));
            }
        }
        for (const Placed& placed : m_placed)
            layers[placed.flat ? kFlatDeep : kStandingDeep + placed.y].push_back(
                pictureXml(placed.picture, placed.x, placed.y, false));

        std::string out = "\t<BackGround>\n";
        for (const auto& [deep, pictures] : layers)
        {
            out += "\t\t<Layer deep=\"" + number(deep) + "\">\n";
            for (const std::string& picture : pictures)
                out += "\t\t\t" + picture + "\n";
            out += "\t\t</Layer>\n";
        }
        return out + "\t</BackGround>\n";
    }

    // The tile of a street or canal cell: levels/<kind>_<n><e><s><w><ne><se><sw><nw>.png.
    std::string tileName(int x, int y) const
    {
        const Kind kind = m_kinds[y][x];
        const auto same = [&](int dx, int dy) { return alike(kind, x + dx, y + dy); };
        const bool n = same(0, -1);
        const bool e = same(1, 0);
        const bool s = same(0, 1);
        const bool w = same(-1, 0);
        // A corner is an inside corner where both its sides are alike and the diagonal is not.
        const auto corner = [&](bool a, bool b, int dx, int dy) { return !(a && b && !same(dx, dy)); };
        std::string name = kind == Kind::Canal ? "levels/canal_" : "levels/street_";
        for (bool bit :
             {n, e, s, w, corner(n, e, 1, -1), corner(s, e, 1, 1), corner(s, w, -1, 1), corner(n, w, -1, -1)})
            name += bit ? '1' : '0';
        return name;
    }

private:
    using tCell = std::pair<int, int>;

    static bool inside(int x, int y) { return x >= 0 && y >= 0 && x < kColumns && y < kRows; }
    static float centre(int index) { return static_cast<float>(index * kCell + kCell / 2); }

    static std::string number(float value)
    {
        std::ostringstream out;
        out << value;
        return out.str();
    }

    // Whether the cell is of the kind; the field's edge continues what lies along it, so a
    // street running off the screen has no curb across its end.
    bool alike(Kind kind, int x, int y) const
    {
        const int cx = std::min(std::max(x, 0), kColumns - 1);
        const int cy = std::min(std::max(y, 0), kRows - 1);
        if (cx != x || cy != y)
            return m_kinds[cy][cx] == kind || (kind == Kind::Street && m_joins.count({cx, cy}));
        return m_kinds[y][x] == kind || (kind == Kind::Street && m_joins.count({x, y}));
    }

    // A picture named without an extension is a PNG.
    static std::string fileOf(const std::string& picture)
    {
        return picture.find('.') == std::string::npos ? picture + ".png" : picture;
    }

    const ArtPicture& needPicture(const std::string& picture) const
    {
        const auto found = m_art.find(fileOf(picture));
        if (found == m_art.end())
            throw std::runtime_error("the picture \"" + fileOf(picture) +
                                     "\" is not in the art pack's manifest");
        return found->second;
    }

    // A picture with its foot (its anchor) at (x, y); a tile or the ground is placed by its middle.
    std::string pictureXml(const std::string& path, float x, float y, bool byMiddle) const
    {
        const std::string file = fileOf(path);
        const ArtPicture& art = needPicture(file);
        if (!byMiddle)
        {
            x += static_cast<float>(art.frameWidth) / 2.0f - static_cast<float>(art.anchorX);
            y += static_cast<float>(art.frameHeight) / 2.0f - static_cast<float>(art.anchorY);
        }
        std::string xml = "<Picture Visible=\"1\" position=\"" + number(std::round(x)) + ";" +
                          number(std::round(y)) + "\" Picture=\"" + file + "\"";
        if (art.frames > 1)
        {
            const float length = art.fps > 0.0f ? static_cast<float>(art.frames) / art.fps : 1.0f;
            xml += " Enable=\"1\" size=\"" + std::to_string(art.frameWidth) + ";" +
                   std::to_string(art.frameHeight) + "\" frames_count=\"" + std::to_string(art.frames) +
                   "\" anim_columns=\"" + std::to_string(art.columns) + "\" anim_rows=\"" +
                   std::to_string(art.rows) + "\" anim_length=\"" + number(length) +
                   "\" anim_loop=\"1\" PlayAnimation=\"1\"";
        }
        return xml + "/>";
    }

    static std::vector<std::vector<tCell>> singles(const std::vector<tCell>& cells)
    {
        std::vector<std::vector<tCell>> out;
        for (const tCell& cell : cells)
            out.push_back({cell});
        return out;
    }

    // The cells in groups of neighbours (four directions), each group in the cells' order.
    static std::vector<std::vector<tCell>> blocks(const std::vector<tCell>& cells)
    {
        std::set<tCell> left(cells.begin(), cells.end());
        std::vector<std::vector<tCell>> out;
        for (const tCell& start : cells)
        {
            if (!left.count(start))
                continue;
            std::vector<tCell> group{start};
            left.erase(start);
            for (size_t i = 0; i < group.size(); ++i)
                for (const tCell& step : {tCell{1, 0}, tCell{-1, 0}, tCell{0, 1}, tCell{0, -1}})
                {
                    const tCell next{group[i].first + step.first, group[i].second + step.second};
                    if (left.erase(next))
                        group.push_back(next);
                }
            out.push_back(group);
        }
        return out;
    }

    std::map<std::string, ArtPicture> m_art;
    std::string m_groundPicture;
    Kind m_kinds[kRows][kColumns] = {};
    std::set<tCell> m_joins;
    std::map<char, const Decor*> m_decors;
    std::map<char, std::vector<tCell>> m_decorCells;
    std::vector<Placed> m_placed;
};

} // namespace Tools
