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
#include <cmath>
#include <cstdlib>
#include <list>
#include <map>
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
    // Nine-patch corner ("-" for none), "free" or "bleed", and the free-text use.
    std::string slice, edge, use;
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
            e.look >> e.states >> e.angle >> e.slice >> e.edge;
        EXPECT_FALSE(words.fail()) << line;
        std::getline(words >> std::ws, e.use);
        EXPECT_FALSE(e.use.empty()) << line;
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
        // The field's sheets have sides in powers of two; the interface's pictures have the
        // sizes of the screen's elements.
        const auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
        if ((e.path.rfind("units/", 0) == 0 && e.path.rfind("units/icons/", 0) != 0) ||
            e.path.rfind("heroes/", 0) == 0)
        {
            EXPECT_TRUE(powerOfTwo(e.width) && powerOfTwo(e.height));
        }
        EXPECT_TRUE(e.edge == "free" || e.edge == "bleed") << e.edge;
        EXPECT_EQ(e.frameWidth * e.columns, e.width);
        EXPECT_EQ(e.frameHeight * e.rows, e.height);
        EXPECT_GT(e.frames, (e.rows - 1) * e.columns);
        EXPECT_LE(e.frames, e.rows * e.columns);
        // An animation has a rate; the frames of a still picture (a button's states, a
        // reporter's lips) are named, one state a frame.
        if (e.fps > 0.0)
        {
            EXPECT_GT(e.frames, 1);
        }
        else if (e.frames > 1)
        {
            EXPECT_EQ(std::count(e.states.begin(), e.states.end(), ',') + 1, e.frames)
                << "name every frame in states";
        }
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
            if (e.edge == "free")
            {
                EXPECT_EQ(edge, 0) << "frame " << frame << " is cut off at its edge";
            }
        }
    }
    std::list<std::string> known;
    files.listKnown("", known, true);
    for (const std::string& path : known)
    {
        const bool picture = path.size() > 4 && (path.compare(path.size() - 4, 4, ".png") == 0 ||
                                                 path.compare(path.size() - 4, 4, ".jpg") == 0);
        if (picture && path.rfind("fonts/", 0) != 0)
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

namespace
{

struct Mean
{
    double r = 0.0, g = 0.0, b = 0.0, a = 0.0;

    double brightness() const { return r + g + b; }
    double saturation() const { return std::max({r, g, b}) - std::min({r, g, b}); }
};

// The mean colour of the opaque pixels of a rectangle (alpha-weighted), and their coverage.
Mean meanOf(const Platform::Image& image, uint32_t left, uint32_t top, uint32_t width, uint32_t height)
{
    Mean m;
    double weight = 0.0;
    for (uint32_t y = top; y < top + height; ++y)
        for (uint32_t x = left; x < left + width; ++x)
        {
            const uint8_t* p = image.row(y) + x * 4;
            const double a = p[3] / 255.0;
            m.b += p[0] * a;
            m.g += p[1] * a;
            m.r += p[2] * a;
            weight += a;
        }
    m.a = weight / (static_cast<double>(width) * height);
    if (weight > 0.0)
    {
        m.r /= weight;
        m.g /= weight;
        m.b /= weight;
    }
    return m;
}

class InterfacePictures
{
public:
    InterfacePictures()
        : m_home(), m_dataHome("XDG_DATA_HOME", m_home.path().string()),
          m_files(std::wstring(QUILL_SOURCE_DIR L"/data/"))
    {
        for (const Entry& e : manifest())
            m_entries[e.path] = e;
    }

    const Entry* entry(const std::string& path) const
    {
        const auto found = m_entries.find(path);
        return found == m_entries.end() ? nullptr : &found->second;
    }
    const std::map<std::string, Entry>& entries() const { return m_entries; }

    // The picture as the game reads it, by the name a layout or the code gives (any case).
    Platform::Image read(const std::string& name, Platform::ImageFormat* format = nullptr)
    {
        std::vector<char> bytes;
        EXPECT_TRUE(m_files.isKnown(name)) << name;
        if (!m_files.isKnown(name))
            return {};
        m_files.readFile(name, bytes);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        if (format)
            *format = Platform::detectImageFormat(data, bytes.size());
        return Platform::decodeImage(data, bytes.size());
    }

    // Frame `frame` of a listed sheet.
    Mean frameMean(const Platform::Image& image, const Entry& e, int frame) const
    {
        return meanOf(image, static_cast<uint32_t>(frame % e.columns * e.frameWidth),
                      static_cast<uint32_t>(frame / e.columns * e.frameHeight),
                      static_cast<uint32_t>(e.frameWidth), static_cast<uint32_t>(e.frameHeight));
    }

private:
    ::Test::TempDir m_home;
    ::Test::ScopedEnv m_dataHome;
    Engine::cFileSystem m_files;
    Engine::cResourceManager m_resources;
    std::map<std::string, Entry> m_entries;
};

} // namespace

// The pictures the code names itself are there in the form it asks for: the three logos as
// full-screen JPEGs and every resource's tooltip icon as "Units/Icons/<Name>.jpg". Every button
// sheet's frames read as their states: hover lighter than normal, pressed darker than hover,
// disabled greyer than normal. Every nine-patch has corners inside its frame. The selections
// are green, red, blue and orange as the tooltips choose them.
TEST(ArtPack, InterfacePicturesReadAsTheirStates)
{
    InterfacePictures pictures;
    for (const char* logo : {"logo/logo.jpg", "logo/logo2.jpg", "logo/logo3.jpg"})
    {
        SCOPED_TRACE(logo);
        Platform::ImageFormat format = Platform::ImageFormat::Unknown;
        const Platform::Image image = pictures.read(logo, &format);
        EXPECT_EQ(format, Platform::ImageFormat::Jpeg);
        EXPECT_EQ(image.width, 1024u);
        EXPECT_EQ(image.height, 768u);
    }
    GameConfig config(GameConfig::loadSources());
    for (int id = 0; id < config.resourceNames().size(); ++id)
    {
        const std::string name = narrow(config.resourceNames().nameOf(id));
        SCOPED_TRACE(name);
        Platform::ImageFormat format = Platform::ImageFormat::Unknown;
        const Platform::Image icon = pictures.read("Units/Icons/" + name + ".jpg", &format);
        EXPECT_EQ(format, Platform::ImageFormat::Jpeg);
        EXPECT_EQ(icon.width, 24u);
        // The icon itself, not only the paper it lies on: its middle differs from its corner.
        const Mean corner = meanOf(icon, 0, 0, 3, 3);
        const Mean middle = meanOf(icon, 9, 9, 6, 6);
        EXPECT_GT(std::fabs(corner.brightness() - middle.brightness()) +
                      std::fabs(corner.saturation() - middle.saturation()),
                  40.0);
    }

    int buttons = 0;
    int patches = 0;
    for (const auto& [path, e] : pictures.entries())
    {
        SCOPED_TRACE(path);
        if (e.slice != "-")
        {
            ++patches;
            int sx = 0, sy = 0;
            pair(e.slice, ',', sx, sy);
            EXPECT_TRUE(sx > 0 && sy > 0 && 2 * sx < e.frameWidth && 2 * sy < e.frameHeight);
        }
        if (e.states != "normal,hover,pressed,disabled")
            continue;
        ++buttons;
        const Platform::Image image = pictures.read(path);
        const Mean normal = pictures.frameMean(image, e, 0);
        const Mean hover = pictures.frameMean(image, e, 1);
        const Mean pressed = pictures.frameMean(image, e, 2);
        const Mean disabled = pictures.frameMean(image, e, 3);
        if (path.rfind("map/node_locked", 0) != 0)
        {
            EXPECT_GT(hover.brightness(), normal.brightness() + 6) << "hover lights the button";
            EXPECT_LT(pressed.brightness(), hover.brightness() - 6) << "pressed is darker than hover";
            // Greyer than normal, or grey when normal is a silver medal already.
            EXPECT_LT(disabled.saturation(), std::max(normal.saturation() * 0.75, 20.0))
                << "disabled is greyed out";
        }
    }
    EXPECT_GE(buttons, 30);
    EXPECT_GE(patches, 5);

    for (int size = 1; size <= 4; ++size)
    {
        const auto channel = [&](const char* colour)
        {
            const std::string path = "ui/selection_" + std::to_string(size) + "_" + colour + ".png";
            const Entry* e = pictures.entry(path);
            EXPECT_TRUE(e) << path;
            return e ? meanOf(pictures.read(path), 0, 0, static_cast<uint32_t>(e->frameWidth),
                              static_cast<uint32_t>(e->frameHeight))
                     : Mean();
        };
        const Mean green = channel("green"), red = channel("red"), blue = channel("blue"),
                   orange = channel("orange");
        EXPECT_GT(green.g, green.r + 30);
        EXPECT_GT(red.r, red.g + 40);
        EXPECT_GT(blue.b, blue.r + 40);
        EXPECT_GT(orange.r, orange.b + 60);
        EXPECT_GT(orange.g, red.g + 20) << "orange is told from red";
    }
}

// The six map pages read as one country: where a page ends on the right, the next one goes on
// at its left (the path and the ground run across), while pages that do not meet differ.
TEST(ArtPack, MapPagesMeetAtTheirEdges)
{
    InterfacePictures pictures;
    std::vector<Platform::Image> pages;
    for (int page = 0; page < 6; ++page)
    {
        pages.push_back(pictures.read("map/page_" + std::to_string(page) + ".jpg"));
        ASSERT_EQ(pages.back().width, 1024u);
        ASSERT_EQ(pages.back().height, 768u);
    }
    // The mean difference of two columns, pixel by pixel down the page.
    const auto difference = [&](const Platform::Image& a, uint32_t ax, const Platform::Image& b, uint32_t bx)
    {
        double sum = 0.0;
        for (uint32_t y = 0; y < 768; ++y)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(static_cast<int>(a.row(y)[ax * 4 + static_cast<uint32_t>(c)]) -
                                static_cast<int>(b.row(y)[bx * 4 + static_cast<uint32_t>(c)]));
        return sum / (768.0 * 3.0);
    };
    for (int page = 0; page + 1 < 6; ++page)
    {
        SCOPED_TRACE(page);
        const double seam = difference(pages[page], 1023, pages[page + 1], 0);
        const double within = difference(pages[page], 1022, pages[page], 1023);
        const double apart = difference(pages[page], 1023, pages[(page + 3) % 6], 0);
        EXPECT_LT(seam, within + 8.0) << "the country goes on across the pages";
        EXPECT_GT(apart, seam + 4.0);
    }
}
