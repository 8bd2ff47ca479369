// The art pack as the game sees it: the data folder's "art.pack" read through the engine's file
// system and image decoder, against the manifest that the view descriptions are written from,
// and against the unit types of "Units/Units.xml" that need pictures.
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/devices/cResourceManager.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitTypeInfo.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Entry
{
    std::string path;
    int width = 0, height = 0;
    int frameWidth = 0, frameHeight = 0;
    int columns = 0, rows = 0;
    int frames = 0;
    double fps = 0.0;
    double anchorX = 0.0, anchorY = 0.0;
    std::string unit, levels, look, states, angle;
};

void pair(const std::string& text, char separator, double& a, double& b)
{
    const size_t at = text.find(separator);
    ASSERT_NE(at, std::string::npos) << text;
    a = std::atof(text.substr(0, at).c_str());
    b = std::atof(text.substr(at + 1).c_str());
}

void pair(const std::string& text, char separator, int& a, int& b)
{
    double x = 0.0, y = 0.0;
    pair(text, separator, x, y);
    a = static_cast<int>(x);
    b = static_cast<int>(y);
}

std::vector<Entry> manifest()
{
    std::istringstream in(::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/tools/art/manifest.txt"));
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        Entry e;
        std::string size, frame, grid, anchor;
        words >> e.path >> size >> frame >> grid >> e.frames >> e.fps >> anchor >> e.unit >> e.levels >>
            e.look >> e.states >> e.angle;
        EXPECT_FALSE(words.fail()) << line;
        pair(size, 'x', e.width, e.height);
        pair(frame, 'x', e.frameWidth, e.frameHeight);
        pair(grid, 'x', e.columns, e.rows);
        pair(anchor, ',', e.anchorX, e.anchorY);
        entries.push_back(e);
    }
    return entries;
}

std::set<std::string> split(const std::string& list)
{
    std::set<std::string> out;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');)
        out.insert(item);
    return out;
}

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

} // namespace

// Every picture the manifest lists comes out of the pack through the engine's file system and
// decodes to the listed size, its frame grid fits it, and the pack holds nothing unlisted.
// Every unit type of "Units/Units.xml" has a picture for each of its upgrade levels, and each
// resource its 24 x 24 icon.
TEST(ArtPack, HoldsEveryListedPictureForEveryUnitType)
{
    const std::vector<Entry> entries = manifest();
    ASSERT_FALSE(entries.empty());
    ::Test::TempDir home;
    const ::Test::ScopedEnv dataHome("XDG_DATA_HOME", home.path().string());
    Engine::cFileSystem files(std::wstring(QUILL_SOURCE_DIR L"/data/"));
    Engine::cResourceManager resources;

    std::set<std::string> listed;
    for (const Entry& e : entries)
    {
        SCOPED_TRACE(e.path);
        listed.insert(e.path);
        EXPECT_EQ(e.path, Engine::toLower(e.path));
        std::vector<char> bytes;
        ASSERT_TRUE(files.isKnown(e.path));
        files.readFile(e.path, bytes);
        const Platform::Image image =
            Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(image.width, static_cast<uint32_t>(e.width));
        EXPECT_EQ(image.height, static_cast<uint32_t>(e.height));
        // Textures of sides in powers of two, but for the 24 x 24 icons the interface asks for.
        const auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
        if (e.path.rfind("icons/", 0) != 0)
        {
            EXPECT_TRUE(powerOfTwo(e.width) && powerOfTwo(e.height));
        }
        EXPECT_EQ(e.frameWidth * e.columns, e.width);
        EXPECT_EQ(e.frameHeight * e.rows, e.height);
        EXPECT_GT(e.frames, (e.rows - 1) * e.columns);
        EXPECT_LE(e.frames, e.rows * e.columns);
        EXPECT_EQ(e.fps > 0.0, e.frames > 1);
        EXPECT_TRUE(e.anchorX >= 0.0 && e.anchorX <= e.frameWidth && e.anchorY >= 0.0 &&
                    e.anchorY <= e.frameHeight);
        // Something is drawn in every frame, and nothing is cut off at its edges.
        for (int frame = 0; frame < e.frames; ++frame)
        {
            const uint32_t left = static_cast<uint32_t>(frame % e.columns * e.frameWidth);
            const uint32_t top = static_cast<uint32_t>(frame / e.columns * e.frameHeight);
            const uint32_t right = left + static_cast<uint32_t>(e.frameWidth) - 1;
            const uint32_t bottom = top + static_cast<uint32_t>(e.frameHeight) - 1;
            int opaque = 0;
            int edge = 0;
            for (uint32_t y = top; y <= bottom; ++y)
                for (uint32_t x = left; x <= right; ++x)
                {
                    const uint8_t alpha = image.row(y)[x * 4 + 3];
                    opaque += alpha > 128;
                    edge += (x == left || x == right || y == top || y == bottom) && alpha > 24;
                }
            EXPECT_GT(opaque, 8) << "frame " << frame;
            EXPECT_EQ(edge, 0) << "frame " << frame << " is cut off at its edge";
        }
    }
    std::list<std::string> known;
    files.listKnown("", known, true);
    for (const std::string& path : known)
    {
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0 && path.rfind("fonts/", 0) != 0)
        {
            EXPECT_TRUE(listed.count(path)) << path << " is in the data folder but not in the manifest";
        }
    }

    GameConfig config(GameConfig::loadSources());
    for (const auto& [typeId, info] : config.getTypes())
    {
        const std::string name = narrow(config.unitNames().nameOf(typeId));
        std::set<std::string> levels;
        bool any = false;
        for (const Entry& e : entries)
            if (e.unit == name)
            {
                any = true;
                for (const std::string& level : split(e.levels))
                    levels.insert(level);
            }
        EXPECT_TRUE(any) << name << " has no picture";
        for (int level = 0; level < info->levelCount(); ++level)
            EXPECT_TRUE(levels.count(std::to_string(level))) << name << " has no picture of level " << level;
    }
    for (int id = 0; id < config.resourceNames().size(); ++id)
    {
        const std::string name = narrow(config.resourceNames().nameOf(id));
        const auto icon =
            std::find_if(entries.begin(), entries.end(),
                         [&](const Entry& e) { return e.path == "icons/" + Engine::toLower(name) + ".png"; });
        ASSERT_NE(icon, entries.end()) << name;
        EXPECT_EQ(icon->unit, name);
        EXPECT_EQ(icon->width, 24);
        EXPECT_EQ(icon->height, 24);
    }
}
