// The game's own levels: each is written by leveltool from its source (and matches it), loads
// through levelcheck without a window, and together they use every unit category and every
// kind of goal. The sounds the game plays are all in the sound table.
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "game/heroes/GameController.h"
#include "game/hud/cUnitView.h"
#include "game/world/SoundIds.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cGameSounds.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <regex>
#include <set>
#include <string>

using namespace GameTest;

namespace
{

const std::string kTools = QUILL_BINARY_DIR "/tools/";

// Runs a command and returns its output (stdout and stderr) and exit status.
std::string run(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
    {
        status = -1;
        return output;
    }
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    status = pclose(pipe);
    return output;
}

} // namespace

TEST(ShippedLevels, EachLevelIsWrittenFromItsSource)
{
    ::Test::TempDir out;
    GameFixture fixture;
    const int levels = GameConfig::instance().getConstants().LevelsCount;
    for (int level = 0; level < levels; ++level)
    {
        const std::string name = "n" + std::to_string(level);
        const std::string written = (out.path() / (name + ".xml")).string();
        int status = 0;
        const std::string output =
            run(kTools + "leveltool " QUILL_SOURCE_DIR "/tools/levels/" + name + ".txt " + written, status);
        ASSERT_EQ(status, 0) << output;
        EXPECT_EQ(::Test::readFile(written),
                  ::Test::readFile(QUILL_SOURCE_DIR "/data/Levels/" + name + ".xml"))
            << name << ": run leveltool on its source again";
    }
}

TEST(ShippedLevels, LevelcheckLoadsEveryLevelAndTheyUseEveryCategoryAndGoal)
{
    // The game's grid for its 1024 x 768 screen, as the player's settings give it.
    ::Test::TempDir home;
    home.write("Quillmoor/sys/settings.xml",
               "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>");
    int status = 0;
    const std::string output = run("XDG_DATA_HOME=" + home.path().string() + " " + kTools +
                                       "levelcheck --no-search --data " QUILL_SOURCE_DIR "/data",
                                   status);
    ASSERT_EQ(status, 0) << output;

    GameFixture fixture;
    const int count = GameConfig::instance().getConstants().LevelsCount;
    for (int level = 0; level < count; ++level)
        EXPECT_NE(
            output.find("Level " + std::to_string(level) + ": Levels/n" + std::to_string(level) + ".xml"),
            std::string::npos);
    EXPECT_NE(output.find("grid 53 x 40"), std::string::npos);

    // Every category among the units (tools are attached to heroes only while they work).
    std::set<std::wstring> categories;
    const std::regex unitLine(R"(\n    (\w+) cell \d+;\d+ level \d+ \w+)");
    for (auto it = std::sregex_iterator(output.begin(), output.end(), unitLine); it != std::sregex_iterator();
         ++it)
    {
        const int type = typeId(Engine::fromUtf8((*it)[1]).c_str());
        ASSERT_NE(type, -1) << (*it)[1];
        categories.insert(GameConfig::instance().categoryNames().nameOf(
            GameConfig::instance().getTypeInfo(type)->categoryId));
    }
    for (const wchar_t* category : UnitCategory::all)
    {
        if (std::wstring(category) != UnitCategory::attach)
        {
            EXPECT_TRUE(categories.count(category)) << Engine::toUtf8(category);
        }
    }
    // Every kind of goal.
    for (const char* goal :
         {"\n    clear ", "\n    fulfil ", "\n    put out ", " to level 1 ", " to level 2 "})
        EXPECT_NE(output.find(goal), std::string::npos) << goal;
}

TEST(ShippedLevels, EachLevelHasAPlaceOnTheMapAndTheGameHasEveryPictureItNames)
{
    GameFixture fixture;
    const std::string map = ::Test::readFile(QUILL_SOURCE_DIR "/data/Map/Map.xml");
    size_t places = 0;
    for (size_t at = map.find("<n pos="); at != std::string::npos; at = map.find("<n pos=", at + 1))
        ++places;
    const int count = GameConfig::instance().getConstants().LevelsCount;
    EXPECT_LE(static_cast<size_t>(count), places) << "Map/Map.xml: every level needs a place on a page";
    EXPECT_EQ(places, 45u);

    const std::regex picture(R"re(Picture="([^"]+)")re");
    const std::regex look(R"re(<Unit Type="(\w+)"[^>]* ViewStateId="([^"]+)")re");
    for (int level = 0; level < count; ++level)
    {
        const std::string path = "Levels/n" + std::to_string(level) + ".xml";
        const std::string xml = ::Test::readFile(QUILL_SOURCE_DIR "/data/" + path);
        ASSERT_FALSE(xml.empty()) << path;
        std::set<std::string> named;
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), picture); it != std::sregex_iterator();
             ++it)
            named.insert((*it)[1]);
        EXPECT_FALSE(named.empty()) << path << ": no ground";
        for (const std::string& name : named)
            EXPECT_TRUE(fixture.files->isKnown(name))
                << path << ": the picture \"" << name << "\" is missing";
        // A look a unit asks for by its id is one its type's view has.
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), look); it != std::sregex_iterator(); ++it)
        {
            const std::string view =
                ::Test::readFile(QUILL_SOURCE_DIR "/data/Units/" + (*it)[1].str() + ".xml");
            EXPECT_NE(view.find("<Look Id=\"" + (*it)[2].str() + "\""), std::string::npos)
                << path << ": Units/" << (*it)[1] << ".xml has no look \"" << (*it)[2] << "\"";
        }
    }
}

TEST(ShippedLevels, EverySoundTheGamePlaysIsInTheSoundTable)
{
    GameFixture fixture;
    for (const char* id : SoundId::all)
        EXPECT_TRUE(fixture.sounds->hasSound(id)) << id;
}

TEST(ShippedLevels, TheStreetLiesUnderEveryUnitAndUnderTheRoadsAndBarriersStandingOnIt)
{
    GameFixture fixture;
    const std::string xml = ::Test::readFile(QUILL_SOURCE_DIR "/data/Levels/n0.xml");
    const size_t cellsBegin = xml.find("\t<FreeCells>\n");
    const size_t cellsEnd = xml.find("\t</FreeCells>\n");
    ASSERT_NE(cellsBegin, std::string::npos);
    ASSERT_NE(cellsEnd, std::string::npos);
    std::set<std::pair<int, int>> walkable;
    const std::regex cell(R"re(<Cell Pos="(\d+);(\d+)"/>)re");
    const std::string cells = xml.substr(cellsBegin, cellsEnd - cellsBegin);
    for (auto it = std::sregex_iterator(cells.begin(), cells.end(), cell); it != std::sregex_iterator(); ++it)
        walkable.insert({std::stoi((*it)[1]), std::stoi((*it)[2])});
    ASSERT_FALSE(walkable.empty());

    Game& game = fixture.load(0, xml);
    // The ground's pictures by the cell they lie on; the meadow, drawn first, covers the screen.
    std::map<std::pair<int, int>, std::string> tiles;
    const Engine::cView* meadow = nullptr;
    float highestFlat = -1.0e9f;
    for (const Engine::cControl* child : game.getBackgroundContainer()->getChildren())
    {
        const auto* view = dynamic_cast<const Engine::cView*>(child);
        if (!view)
            continue;
        const std::string name = view->getTextureName();
        if (name == "levels/ground.jpg")
        {
            meadow = view;
            continue;
        }
        if (view->getDeep() < 0.0f)
            highestFlat = std::max(highestFlat, view->getDeep());
        if (name.rfind("levels/street_", 0) == 0)
        {
            EXPECT_EQ(view->getSize(), Engine::cVector2(20.0f, 20.0f)) << name;
            tiles[{static_cast<int>(view->getPosition().x) / 20,
                   static_cast<int>(view->getPosition().y) / 20}] = name;
        }
    }
    ASSERT_NE(meadow, nullptr);
    EXPECT_EQ(meadow->getSize(), Engine::cVector2(1024.0f, 768.0f));
    for (const auto& walk : walkable)
        EXPECT_TRUE(tiles.count(walk))
            << "no street under the walkable cell " << walk.first << ";" << walk.second;

    // The rubble and the road stand on street: cleared or built, they leave street that joins
    // the street around it.
    size_t onStreet = 0;
    for (const auto& entry : game.getUnits())
    {
        const cUnit::Ptr& unit = entry.second;
        if ((unit->typeName != L"Rubble" && unit->typeName != L"Road") || !unit->getFreeCells())
            continue;
        for (const auto& [key, point] : *unit->getFreeCells())
        {
            ++onStreet;
            EXPECT_TRUE(tiles.count({point.x, point.y}))
                << Engine::toUtf8(unit->typeName) << " at " << point.x << ";" << point.y;
        }
    }
    EXPECT_GT(onStreet, 0u);

    // Every unit stands over the ground, the tiles and what lies flat on them.
    size_t units = 0;
    for (const auto& entry : game.getUnits())
        if (entry.second->getView())
        {
            ++units;
            EXPECT_LT(highestFlat, entry.second->getView()->getDeep());
            EXPECT_LT(meadow->getDeep(), entry.second->getView()->getDeep());
        }
    EXPECT_GT(units, 0u);
}

// What putting out a fire, a repair and freeing an animal cost in the shipped levels, as their
// scripts count it: the fire's own rules, the building's repair list, and every level of an
// animal (its countdown raises its level before a hero comes).
TEST(ShippedLevels, FiresRepairsAndAnimalsCostWhatTheScriptsCount)
{
    GameFixture fixture;
    const auto costOf = [](Game& game, const wchar_t* type) -> std::wstring
    {
        const auto found = game.getUnits().find(typeId(type));
        if (found == game.getUnits().end())
            return L"no unit";
        cGameResources cost;
        Engine::cPoint blocked = kNoCell;
        game.getController().getUnitProblem(found->second, cost, blocked);
        return cost.toText(false);
    };
    const auto text = [](std::initializer_list<std::pair<const wchar_t*, int>> items)
    {
        cGameResources set;
        for (const auto& [name, count] : items)
            set.insert(resourceId(name), count);
        return set.toText(false);
    };

    Game& n11 = fixture.newGame();
    n11.loadLevel(11);
    EXPECT_EQ(costOf(n11, L"Workshop"), text({{L"Money", 3}})) << "the workshop's fire";
    // The click takes the cost from the level's stock.
    const cUnit::Ptr workshop = n11.getUnits().find(typeId(L"Workshop"))->second;
    n11.getController().init();
    const int money = n11.getResources().getCount(resourceId(L"Money"));
    fixture.run(60, 0.1f);
    n11.getController().onUnitClick(workshop->getView());
    EXPECT_EQ(n11.getResources().getCount(resourceId(L"Money")), money - 3);
    // Put out, it is still damaged: mending it costs its own level's repair list.
    workshop->inFire = false;
    workshop->setState(eUnitState::damageIdle, -1);
    workshop->clearTaken();
    EXPECT_EQ(costOf(n11, L"Workshop"), text({{L"Hardware", 1}, {L"Money", 2}})) << "mending the workshop";

    Game& n8 = fixture.newGame();
    n8.loadLevel(8);
    EXPECT_EQ(costOf(n8, L"Market"), text({{L"Hardware", 1}, {L"Money", 2}})) << "the market's repair";

    Game& n4 = fixture.newGame();
    n4.loadLevel(4);
    EXPECT_EQ(costOf(n4, L"Workshop"), text({{L"Money", 3}})) << "the workshop's fire";

    for (const wchar_t* animal : {L"Puppy", L"Kitten", L"Duckling"})
    {
        const auto type = GameConfig::instance().getTypeInfo(typeId(animal));
        ASSERT_TRUE(type);
        for (const auto& level : type->levels)
            EXPECT_EQ(level->resIn.toText(false), type->levels.front()->resIn.toText(false))
                << Engine::toUtf8(animal) << ": the same at every level";
    }
    EXPECT_EQ(GameConfig::instance().getTypeInfo(typeId(L"Duckling"))->levels.back()->resIn.toText(false),
              text({{L"Cement", 1}}));
}
