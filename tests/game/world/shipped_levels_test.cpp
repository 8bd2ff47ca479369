// The game's own levels: each is written by leveltool from its source (and matches it), loads
// through levelcheck without a window, and together they use every unit category and every
// kind of goal. The sounds the game plays are all in the sound table.
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "game/heroes/GameController.h"
#include "game/hud/cGameSounds.h"
#include "game/hud/cUnitView.h"
#include "game/world/SoundIds.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
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
                                       "levelcheck --data " QUILL_SOURCE_DIR "/data",
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

TEST(ShippedLevels, EverySoundTheGamePlaysIsInTheSoundTable)
{
    GameFixture fixture;
    for (const char* id : SoundId::all)
        EXPECT_TRUE(fixture.sounds->hasSound(id)) << id;
}

TEST(ShippedLevels, TheGroundLiesUnderEveryUnitWithAPavingTileOnEveryWalkableCell)
{
    GameFixture fixture;
    const std::string xml = ::Test::readFile(QUILL_SOURCE_DIR "/data/Levels/n0.xml");
    const size_t cellsBegin = xml.find("\t<FreeCells>\n");
    const size_t cellsEnd = xml.find("\t</FreeCells>\n");
    ASSERT_NE(cellsBegin, std::string::npos);
    ASSERT_NE(cellsEnd, std::string::npos);
    size_t walkable = 0;
    for (size_t at = xml.find("<Cell ", cellsBegin); at < cellsEnd; at = xml.find("<Cell ", at + 1))
        ++walkable;
    ASSERT_GT(walkable, 0u);

    Game& game = fixture.load(0, xml);
    std::vector<const Engine::cView*> ground;
    for (const Engine::cControl* child : game.getBackgroundContainer()->getChildren())
        if (const auto* view = dynamic_cast<const Engine::cView*>(child))
            ground.push_back(view);
    ASSERT_EQ(ground.size(), walkable + 1);
    const auto lowest = std::min_element(ground.begin(), ground.end(),
                                         [](const Engine::cView* a, const Engine::cView* b)
                                         { return a->getDeep() < b->getDeep(); });
    // The meadow, drawn first, covers the screen; every tile is one cell of the pack's paving.
    EXPECT_EQ((*lowest)->getSize(), Engine::cVector2(1024.0f, 768.0f));
    float highest = (*lowest)->getDeep();
    for (const Engine::cView* view : ground)
    {
        if (view == *lowest)
            continue;
        EXPECT_GT(view->getDeep(), (*lowest)->getDeep());
        EXPECT_EQ(view->getSize(), Engine::cVector2(20.0f, 20.0f));
        highest = std::max(highest, view->getDeep());
    }
    size_t units = 0;
    for (const auto& entry : game.getUnits())
        if (entry.second->getView())
        {
            ++units;
            EXPECT_LT(highest, entry.second->getView()->getDeep());
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
