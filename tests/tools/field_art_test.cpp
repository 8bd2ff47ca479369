// The field's pictures as a player meets them on the shipped levels: each page of the map stands
// on a ground of its own colour, the town hall is the largest building on every field, and every
// resource pile is large enough to find and click at a glance. Read from the data folder's art
// pack through the engine's file system, the levels from "Levels/nK.xml" and the map's pages from
// "Map/Map.xml".
#include "engine/core/cFileSystem.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/Pictures.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kData = QUILL_SOURCE_DIR "/data/";

// A manifest line's path, frame size, frame grid, unit, levels and look.
struct Picture
{
    std::string path;
    int frameWidth = 0, frameHeight = 0, columns = 1;
    std::string unit, look;
    std::set<int> levels;
};

std::vector<Picture> manifest()
{
    std::istringstream in(::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/tools/art/manifest.txt"));
    std::vector<Picture> pictures;
    for (std::string line; std::getline(in, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        Picture p;
        std::string size, frame, grid, frames, fps, anchor, levels;
        words >> p.path >> size >> frame >> grid >> frames >> fps >> anchor >> p.unit >> levels >> p.look;
        std::sscanf(frame.c_str(), "%dx%d", &p.frameWidth, &p.frameHeight);
        std::sscanf(grid.c_str(), "%d", &p.columns);
        std::istringstream list(levels);
        for (std::string level; std::getline(list, level, ',');)
            if (!level.empty() && std::isdigit(static_cast<unsigned char>(level[0])))
                p.levels.insert(std::stoi(level));
        pictures.push_back(p);
    }
    return pictures;
}

// The pack and loose files of the data folder, as the game reads them.
class Art
{
public:
    Art()
        : m_dataHome("XDG_DATA_HOME", m_home.path().string()),
          m_files(std::wstring(QUILL_SOURCE_DIR L"/data/"))
    {
    }

    Platform::Image image(const std::string& path)
    {
        std::vector<char> bytes;
        if (!m_files.isKnown(path))
            return Platform::Image();
        m_files.readFile(path, bytes);
        return Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

private:
    ::Test::TempDir m_home;
    ::Test::ScopedEnv m_dataHome;
    Engine::cFileSystem m_files;
};

// What a frame of a picture covers: its solid pixels (alpha above half) and their bounds.
struct Cover
{
    int pixels = 0;
    int width = 0, height = 0;
};

Cover coverOf(const Platform::Image& image, const Picture& picture, int frame)
{
    const int left = frame % picture.columns * picture.frameWidth;
    const int top = frame / picture.columns * picture.frameHeight;
    int minX = picture.frameWidth, maxX = -1, minY = picture.frameHeight, maxY = -1;
    Cover cover;
    for (int y = 0; y < picture.frameHeight; ++y)
        for (int x = 0; x < picture.frameWidth; ++x)
            if (image.row(static_cast<uint32_t>(top + y))[(left + x) * 4 + 3] > 128)
            {
                ++cover.pixels;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    cover.width = std::max(0, maxX - minX + 1);
    cover.height = std::max(0, maxY - minY + 1);
    return cover;
}

// The categories of "Units/Units.xml" by unit name.
std::map<std::string, std::string> categories()
{
    const std::string units = ::Test::readFile(kData + "Units/Units.xml");
    std::map<std::string, std::string> out;
    const std::regex unit(R"x(<Unit Name="([A-Za-z]+)" Category="([a-z]+)")x");
    for (auto m = std::sregex_iterator(units.begin(), units.end(), unit); m != std::sregex_iterator(); ++m)
        out[(*m)[1]] = (*m)[2];
    return out;
}

// The first level of each page of the map, in page order, and the number of levels shipped.
std::vector<int> pageOpenings()
{
    const std::string map = ::Test::readFile(kData + "Map/Map.xml");
    std::vector<int> out;
    const std::regex start(R"x(StartIndex="([0-9]+)")x");
    for (auto m = std::sregex_iterator(map.begin(), map.end(), start); m != std::sregex_iterator(); ++m)
        out.push_back(std::stoi((*m)[1]));
    return out;
}

int levelsCount()
{
    std::smatch m;
    const std::string game = ::Test::readFile(kData + "Game/Game.xml");
    return std::regex_search(game, m, std::regex(R"x(LevelsCount>([0-9]+)<)x")) ? std::stoi(m[1]) : 0;
}

std::string levelFile(int level)
{
    return ::Test::readFile(kData + "Levels/n" + std::to_string(level) + ".xml");
}

// A unit of a level file: its type and the upgrade levels it can have on the field.
struct PlacedUnit
{
    std::string type;
    int level = 0;
    int highest = 0;
};

std::vector<PlacedUnit> unitsOf(const std::string& level)
{
    std::vector<PlacedUnit> out;
    const std::regex unit(R"x(<Unit Type="([A-Za-z]+)"([^>]*)>)x");
    const auto number = [](const std::string& attributes, const std::string& name)
    {
        std::smatch m;
        return std::regex_search(attributes, m, std::regex(" " + name + R"x(="([0-9]+)")x")) ? std::stoi(m[1])
                                                                                             : 0;
    };
    for (auto m = std::sregex_iterator(level.begin(), level.end(), unit); m != std::sregex_iterator(); ++m)
    {
        PlacedUnit placed;
        placed.type = (*m)[1];
        const std::string attributes = (*m)[2];
        placed.level = number(attributes, "Level");
        placed.highest =
            std::max({placed.level, number(attributes, "MaxLevel"), number(attributes, "TargetLevel")});
        out.push_back(placed);
    }
    return out;
}

std::string groundOf(const std::string& level)
{
    std::smatch m;
    return std::regex_search(level, m,
                             std::regex(R"x(<BackGround>\s*<Layer[^>]*>\s*<Picture [^>]*Picture="([^"]+)")x"))
               ? std::string(m[1])
               : std::string();
}

} // namespace

// Every level of a page stands on its page's ground, and the six grounds' mean colours lie far
// enough apart (a distance in RGB a player sees at once, even at a quarter size) that a look
// at a field tells which part of the country it is in.
TEST(FieldArt, EachPageOfTheMapStandsOnAGroundOfItsOwnColour)
{
    const std::vector<int> openings = pageOpenings();
    const int count = levelsCount();
    ASSERT_EQ(openings.size(), 6u);
    ASSERT_GT(count, openings.back());
    Art art;
    std::vector<std::string> grounds;
    std::vector<std::array<double, 3>> means;
    for (size_t page = 0; page < openings.size(); ++page)
    {
        const int first = openings[page];
        const int last = page + 1 < openings.size() ? openings[page + 1] : count;
        const std::string ground = groundOf(levelFile(first));
        ASSERT_FALSE(ground.empty()) << "level " << first << " names no ground";
        for (int level = first; level < std::min(last, count); ++level)
        {
            EXPECT_EQ(groundOf(levelFile(level)), ground)
                << "level " << level << " stands on another page's ground";
        }
        const Platform::Image image = art.image(ground);
        ASSERT_EQ(image.width, 1024u) << ground;
        grounds.push_back(ground);
        means.push_back(::Test::meanColour(image, 0, 0, image.width, image.height));
    }
    for (size_t a = 0; a < means.size(); ++a)
        for (size_t b = a + 1; b < means.size(); ++b)
            EXPECT_GE(::Test::colourDistance(means[a], means[b]), 30.0)
                << grounds[a] << " and " << grounds[b] << " look alike";
}

// The town hall is where every hero lives and every load goes: on every shipped level its picture
// covers more of the field than any other building's can, whatever level that one is raised to.
TEST(FieldArt, TheTownHallIsTheLargestBuildingOnEveryLevel)
{
    const std::vector<Picture> pictures = manifest();
    const std::map<std::string, std::string> category = categories();
    const std::set<std::string> buildings{"base", "mill", "plant", "service", "quest"};
    Art art;
    // The largest of a unit's pictures at rest (standing, or a ruin before it is built) at a level.
    std::map<std::pair<std::string, int>, int> cache;
    const auto sizeOf = [&](const std::string& unit, int level)
    {
        const auto key = std::make_pair(unit, level);
        if (cache.count(key))
            return cache[key];
        int largest = 0;
        for (const Picture& picture : pictures)
            if (picture.unit == unit && picture.levels.count(level) &&
                (picture.look == "idle" || picture.look == "ruin"))
                largest = std::max(largest, coverOf(art.image(picture.path), picture, 0).pixels);
        return cache[key] = largest;
    };
    for (int level = 0; level < levelsCount(); ++level)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::vector<PlacedUnit> units = unitsOf(levelFile(level));
        const auto hall = std::find_if(units.begin(), units.end(),
                                       [](const PlacedUnit& u) { return u.type == "TownHall"; });
        ASSERT_NE(hall, units.end());
        const int hallSize = sizeOf(hall->type, hall->level);
        ASSERT_GT(hallSize, 0);
        for (const PlacedUnit& unit : units)
        {
            if (unit.type == "TownHall" || !category.count(unit.type) ||
                !buildings.count(category.at(unit.type)))
                continue;
            for (int raised = unit.level; raised <= unit.highest; ++raised)
            {
                EXPECT_GT(hallSize, sizeOf(unit.type, raised))
                    << unit.type << " at level " << raised << " is as large as the town hall at level "
                    << hall->level;
            }
        }
    }
}

// A resource pile is what a player clicks most: every frame of every pile is at least 28 pixels
// across (its solid goods, without the soft shadow under them), and no two resources' piles
// share their colour.
TEST(FieldArt, EveryPileIsLargeEnoughToFindAndOfItsResourcesColour)
{
    const std::map<std::string, std::string> category = categories();
    Art art;
    std::vector<std::pair<std::string, std::array<double, 3>>> colours;
    int piles = 0;
    for (const Picture& picture : manifest())
    {
        if (picture.path.rfind("units/pile_", 0) != 0)
            continue;
        ++piles;
        SCOPED_TRACE(picture.path);
        EXPECT_EQ(category.count(picture.unit) ? category.at(picture.unit) : "", "resource");
        const Platform::Image image = art.image(picture.path);
        ASSERT_GT(image.width, 0u);
        const int frames = static_cast<int>(image.width / static_cast<uint32_t>(picture.frameWidth)) *
                           static_cast<int>(image.height / static_cast<uint32_t>(picture.frameHeight));
        for (int frame = 0; frame < frames; ++frame)
        {
            const Cover cover = coverOf(image, picture, frame);
            EXPECT_GE(cover.width, 28) << "frame " << frame;
            EXPECT_GE(cover.height, 20) << "frame " << frame;
        }
        std::array<double, 3> sum{0.0, 0.0, 0.0};
        double solid = 0.0;
        for (int y = 0; y < picture.frameHeight; ++y)
            for (int x = 0; x < picture.frameWidth; ++x)
            {
                const uint8_t* pixel = image.row(static_cast<uint32_t>(y)) + x * 4;
                if (pixel[3] > 128)
                {
                    for (int c = 0; c < 3; ++c)
                        sum[static_cast<size_t>(c)] += pixel[c];
                    solid += 1.0;
                }
            }
        for (double& channel : sum)
            channel /= std::max(solid, 1.0);
        colours.emplace_back(picture.unit, sum);
    }
    EXPECT_EQ(piles, 6);
    for (size_t a = 0; a < colours.size(); ++a)
        for (size_t b = a + 1; b < colours.size(); ++b)
            EXPECT_GE(::Test::colourDistance(colours[a].second, colours[b].second), 12.0)
                << colours[a].first << " and " << colours[b].first << " piles look alike";
}
