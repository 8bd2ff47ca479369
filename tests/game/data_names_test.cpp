// Every name one shipped data file gives for something another file holds, checked against
// what the game's own look-ups find: files (pictures, fonts, sounds, effects, layouts) through
// the resource manager and the file system, which also read the art and sound packs and the
// atlases; unit types, resources and sound ids through the loaded rules and sound table; briefs,
// goal categories and looks through the files that hold them. A name that finds nothing often
// fails nowhere at run time (an unknown type quietly becomes a new id, a missing translation
// shows the raw text), so each failure here names the file, the element and the missing name.
// The walks take whatever data/ holds, so a level or layout added later is checked as well.
#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cStrings.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundSample.h"
#include "engine/devices/cTexture.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cGameSounds.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/game/hud/hud_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Engine::tPropertiesPtr;

const fs::path kData = fs::path(QUILL_SOURCE_DIR) / "data";

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string extensionOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return lower(name.substr(dot + 1));
}

// The shipped files with one of `extensions` (relative, '/'-separated, sorted), loose files only:
// the packs hold pictures and sounds, never the files that name them.
std::vector<std::string> dataFiles(const std::set<std::string>& extensions)
{
    std::vector<std::string> paths;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kData))
        if (entry.is_regular_file() && extensions.count(extensionOf(entry.path().filename().string())))
            paths.push_back(fs::relative(entry.path(), kData).generic_string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

tPropertiesPtr parse(const std::string& path)
{
    const std::string bytes = ::Test::readFile((kData / path).string());
    return Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), path);
}

// One element of a walked document: its name, the names on the way to it ("Root/Row/Text"),
// its attributes and its text.
struct Element
{
    const std::string& file;
    std::string where;
    const Engine::cProperties& node;

    std::string name() const { return where.substr(where.rfind('/') + 1); }
    std::string attribute(const wchar_t* key) const { return Engine::toUtf8(node.getAttribute(key)); }
};

void walk(const std::string& file, const Engine::cProperties& node, const std::string& where,
          const std::function<void(const Element&)>& visit)
{
    visit(Element{file, where, node});
    for (auto it = node.childrenBegin(); it != node.childrenEnd(); ++it)
        walk(file, *it->value(), where + "/" + Engine::toUtf8(it->name()), visit);
}

// Every element of every shipped XML file but the translation table, whose texts are display
// texts, not names.
void walkData(const std::function<void(const Element&)>& visit)
{
    for (const std::string& file : dataFiles({"xml"}))
    {
        if (lower(file) == "sys/strings.xml")
            continue;
        walk(file, *parse(file), "", visit);
    }
}

// The engine over the shipped data: the recording render device, the resource manager (with
// the packs and atlases), the sound object on a recording mixer, the game's sound table and
// its rules.
class DataNames : public ::testing::Test
{
protected:
    DataNames()
    {
        sound = std::make_unique<Engine::cSound>(std::make_unique<Platform::RecordingMixer>());
        sounds = std::make_unique<cGameSounds>();
    }

    ~DataNames() override
    {
        sounds.reset();
        sound.reset();
    }

    GameConfig& config() { return GameConfig::instance(); }

    // The unit type of that name, if Units.xml defines it (the look-up adds no name).
    bool isUnitType(const std::string& name)
    {
        const int id = config().unitNames().find(Engine::fromUtf8(name));
        return id != -1 && config().getTypeInfo(id);
    }

    // The "Id" of every look of the type's states shown by id; empty when the type shows no
    // state by id (a unit's look id then chooses nothing).
    std::set<std::string> looksById(const std::string& type)
    {
        std::set<std::string> ids;
        const std::string path = "Units/" + type + ".xml";
        if (!fs::exists(kData / path))
            return ids;
        walk(path, *parse(path), "",
             [&](const Element& state)
             {
                 if (state.attribute(L"ById") != "1")
                     return;
                 for (auto it = state.node.childrenBegin(); it != state.node.childrenEnd(); ++it)
                     ids.insert(Engine::toUtf8(it->value()->getAttribute(L"Id")));
             });
        return ids;
    }

    HudTest::GameDataEngine engine{HudTest::recordingRender};
    std::unique_ptr<Engine::cSound> sound;
    std::unique_ptr<cGameSounds> sounds;
};

// What a file name's extension makes it, and how the game finds one: the text of the failure,
// empty when found.
std::string findFile(Engine::cResourceManager& resources, const std::string& name)
{
    const std::string extension = extensionOf(name);
    try
    {
        if (extension == "png" || extension == "jpg" || extension == "jpeg" || extension == "tga" ||
            extension == "bmp" || extension == "dds")
        {
            const auto texture = resources.getTexture(name);
            return texture && texture->getImageWidth() > 0 ? "" : "an empty picture";
        }
        if (extension == "fnt")
            return resources.getFont(name)->getGlyphCount() > 0 ? "" : "a font without glyphs";
        if (extension == "wav" || extension == "ogg")
            return resources.getSound(name)->getId() > 0 ? "" : "a sound that does not load";
        return Engine::cFileSystem::instance()->isKnown(name) ? "" : "not in the data folder or its packs";
    }
    catch (...)
    {
        return Engine::currentExceptionText();
    }
}

TEST_F(DataNames, EveryFileAnyDataFileNamesIsFoundByTheGamesLookUp)
{
    // Whatever the key: a value with a file's extension names a file (pictures, fonts, sounds,
    // effects, layouts, atlas maps), in layouts, effects, view descriptions and the rules alike.
    const std::set<std::string> kinds = {"png", "jpg", "jpeg", "tga",  "bmp", "dds",
                                         "fnt", "wav", "ogg",  "pyro", "xml"};
    std::map<std::string, int> checked;
    walkData(
        [&](const Element& element)
        {
            std::vector<std::pair<std::string, std::string>> values;
            for (auto it = element.node.attributesBegin(); it != element.node.attributesEnd(); ++it)
                values.emplace_back(Engine::toUtf8(it->name()), Engine::toUtf8(it->value()));
            values.emplace_back("(text)", element.node.asString());
            for (const auto& [key, value] : values)
            {
                const std::string extension = extensionOf(value);
                if (value.find_first_of(" \t\n") != std::string::npos || !kinds.count(extension))
                    continue;
                ++checked[extension];
                const std::string failure = findFile(*engine.resources, value);
                EXPECT_EQ(failure, "") << element.file << ", element " << element.where << ", key \"" << key
                                       << "\": \"" << value << "\"";
            }
        });
    // The walk met the names of every kind the shipped data uses.
    for (const char* kind : {"png", "fnt", "wav", "pyro", "xml"})
        EXPECT_GT(checked[kind], 0) << kind;
}

TEST_F(DataNames, EveryUnitTypeResourceAndSoundIdNamedExists)
{
    enum class Kind
    {
        UnitType,
        Resource,
        SoundId,
    };
    // Where the rules, levels and views name a unit type, a resource or a game sound: files
    // (a pattern on the path), the element and the key.
    struct Reference
    {
        const char* files;
        const char* element;
        const wchar_t* key;
        Kind kind;
    };
    const Reference references[] = {
        {R"(Levels/.*\.xml)", "Unit", L"Type", Kind::UnitType},
        {R"(Units/Units\.xml)", "Unit", L"Attach", Kind::UnitType},
        {R"(Units/Units\.xml)", "Unit", L"BringTo", Kind::UnitType},
        {R"(.*)", "Res", L"Name", Kind::Resource},
        {R"(Units/.*\.xml)", "*", L"sound_id", Kind::SoundId},
    };
    const char* const kindNames[] = {"unit type", "resource", "sound id"};
    std::vector<std::regex> patterns;
    for (const Reference& reference : references)
        patterns.emplace_back(reference.files);
    std::map<Kind, int> checked;
    walkData(
        [&](const Element& element)
        {
            for (size_t r = 0; r < std::size(references); ++r)
            {
                const Reference& reference = references[r];
                if (!std::regex_match(element.file, patterns[r]) ||
                    (std::string(reference.element) != "*" && element.name() != reference.element))
                    continue;
                const std::string name = element.attribute(reference.key);
                if (name.empty())
                    continue;
                ++checked[reference.kind];
                bool found = false;
                switch (reference.kind)
                {
                case Kind::UnitType:
                    found = isUnitType(name);
                    break;
                case Kind::Resource:
                    found = config().resourceNames().find(Engine::fromUtf8(name)) != -1;
                    break;
                case Kind::SoundId:
                    found = sounds->hasSound(name);
                    break;
                }
                EXPECT_TRUE(found) << element.file << ", element " << element.where << ", key \""
                                   << Engine::toUtf8(reference.key) << "\": no "
                                   << kindNames[static_cast<int>(reference.kind)] << " \"" << name << "\"";
            }
        });
    EXPECT_GT(checked[Kind::UnitType], 0);
    EXPECT_GT(checked[Kind::Resource], 0);
    EXPECT_GT(checked[Kind::SoundId], 0);

    // Each sound id once in the table, so no description's sound hides another's.
    std::map<std::string, int> ids;
    walk("GameSounds.xml", *parse("GameSounds.xml"), "",
         [&](const Element& element)
         {
             if (!element.attribute(L"id").empty())
                 ++ids[element.attribute(L"id")];
         });
    for (const auto& [id, count] : ids)
        EXPECT_EQ(count, 1) << "GameSounds.xml: the sound id \"" << id << "\" is given " << count << " times";

    // Every "Selection" number of the unit types has its highlight style.
    const unsigned styles = parse("UI/selections.xml")->getChildCount();
    for (const auto& [typeId, info] : config().getTypes())
        for (size_t level = 0; level < info->levels.size(); ++level)
            EXPECT_LE(info->levels[level]->selection, static_cast<int>(styles))
                << "Units/Units.xml, unit \"" << Engine::toUtf8(config().unitNames().nameOf(typeId))
                << "\" level " << level << ": no selection style " << info->levels[level]->selection
                << " in UI/selections.xml";
}

TEST_F(DataNames, EveryLevelIsCountedNamedAndItsBriefsGoalsLooksAndScriptExist)
{
    // The levels are n0 ... n(LevelsCount - 1), every one of them shipped and no other.
    std::set<std::string> levelFiles;
    for (const std::string& file : dataFiles({"xml"}))
        if (std::regex_match(file, std::regex(R"(Levels/[^/]*)")))
            levelFiles.insert(file);
    const int count = config().getConstants().LevelsCount;
    std::set<std::string> counted;
    for (int level = 0; level < count; ++level)
        counted.insert(Engine::toUtf8(Game::levelPath(level)));
    EXPECT_EQ(levelFiles, counted) << "Game/Game.xml: \"LevelsCount\" is " << count;

    // The goal categories the status panel has a text for, and their texts.
    std::map<std::string, std::string> categories;
    walk("UI/PanelStatus.xml", *parse("UI/PanelStatus.xml"), "",
         [&](const Element& element)
         {
             if (element.where.find("/GoalCategories/") != std::string::npos)
                 categories[element.attribute(L"id")] = element.attribute(L"text");
         });

    Engine::cStrings strings;
    for (const std::string& file : levelFiles)
    {
        // The results show a level by its path, translated into its name.
        const std::wstring path = Engine::fromUtf8(file);
        EXPECT_NE(strings.translate(path), path)
            << "sys/strings.xml: no name for the level \"" << file << "\"";

        const tPropertiesPtr root = parse(file);
        std::set<std::string> briefs;
        std::multiset<std::string> types;
        walk(file, *root, "",
             [&](const Element& element)
             {
                 if (element.name() == "Brief")
                     briefs.insert(element.attribute(L"id"));
                 if (element.name() == "Unit" && !element.attribute(L"Type").empty())
                     types.insert(element.attribute(L"Type"));
             });
        walk(file, *root, "",
             [&](const Element& element)
             {
                 if (element.name() != "Unit")
                     return;
                 const std::string brief = element.attribute(L"BreafId");
                 EXPECT_TRUE(brief.empty() || briefs.count(brief))
                     << file << ", element " << element.where << " (" << element.attribute(L"Type")
                     << "): no brief \"" << brief << "\" in its BreafData";
                 // A look by id: the unit's own, or the level's flood look for a flood.
                 const std::string type = element.attribute(L"Type");
                 std::string look = element.attribute(L"ViewStateId");
                 if (look.empty() && type == "BarrierFlood")
                     look = Engine::toUtf8(root->getAttribute(L"FloodId"));
                 const std::set<std::string> looks = looksById(type);
                 EXPECT_TRUE(look.empty() || looks.empty() || looks.count(look))
                     << file << ", element " << element.where << " (" << type << "): no look \"" << look
                     << "\" in Units/" << type << ".xml";
                 const std::string category = element.attribute(L"GoalCategory");
                 EXPECT_TRUE(category.empty() || categories.count(category))
                     << file << ", element " << element.where << " (" << element.attribute(L"Type")
                     << "): the goal category \"" << category << "\" has no text in UI/PanelStatus.xml";
                 // A row that says "Open" speaks of a building that stands unbuilt at the start.
                 const std::string level = element.attribute(L"Level");
                 const auto row = categories.find(category);
                 EXPECT_FALSE(row != categories.end() && row->second.rfind("Open", 0) == 0 &&
                              !level.empty() && level != "0")
                     << file << ", element " << element.where << " (" << type << "): the goal row \""
                     << (row != categories.end() ? row->second : "")
                     << "\" for a building that starts at level " << level;
             });

        // The script that plays the level clicks only units the level holds or makes: the
        // piles of what its mills and plants produce appear while it runs.
        const fs::path script = (kData / file).replace_extension("play");
        if (!fs::exists(script))
            continue;
        std::set<std::string> clickable(types.begin(), types.end());
        for (const std::string& type : types)
        {
            if (!isUnitType(type))
                continue;
            const auto info = config().getTypeInfo(config().unitNames().find(Engine::fromUtf8(type)));
            for (const auto& block : info->levels)
                for (const cGameResources* made : {&block->resOut, &block->autoResOut})
                    for (const auto& item : made->getItems())
                        clickable.insert(Engine::toUtf8(config().resourceNames().nameOf(item.first)));
        }
        std::istringstream lines(::Test::readFile(script.string()));
        std::string line;
        const std::regex action(R"(\s*at\s+\S+\s+(?:click|upgrade)\s+([^\s#]+)(?:#\d+)?\s*(?:#.*)?)");
        for (int number = 1; std::getline(lines, line); ++number)
        {
            std::smatch match;
            if (!std::regex_match(line, match, action))
                continue;
            const std::string type = match[1];
            EXPECT_TRUE(isUnitType(type) && clickable.count(type))
                << fs::relative(script, kData).generic_string() << ", line " << number
                << ": no unit of the type \"" << type << "\" in " << file << " nor made there";
        }
    }
}

} // namespace
