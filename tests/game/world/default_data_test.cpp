// Loads the game's own rule data ("Game/Game.xml", "Units/StartPoint.xml",
// "Resources/Resources.xml", "Units/Units.xml") as the game does, and checks that every name
// they mention exists. A misspelled name never fails a look-up: it silently becomes a new id
// without a record, so this check is what catches it.
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cUnit.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <memory>
#include <set>
#include <string>

namespace
{

const wchar_t* const kResourceNames[] = {L"Money", L"Steel", L"Accum", L"Cement", L"Hardware", L"Brick"};

// The configuration of the whole test program, read from the repository's data folder.
GameConfig& defaultConfig()
{
    static GameConfig* config = nullptr;
    if (!config)
    {
        ::Test::TempDir home;
        const ::Test::ScopedEnv dataHome("XDG_DATA_HOME", home.path().string());
        {
            Engine::cFileSystem files(std::wstring(QUILL_SOURCE_DIR L"/data/"));
            Engine::cResourceManager resources;
            config = &GameConfig::instance();
        }
    }
    return *config;
}

std::set<int> resourceIdsOf(const UnitLevelInfo& block)
{
    std::set<int> ids;
    for (const cGameResources* set :
         {&block.upIn, &block.resIn, &block.resOut, &block.autoResOut, &block.repairRes})
        for (const auto& entry : set->getItems())
            ids.insert(entry.first);
    return ids;
}

} // namespace

TEST(DefaultData, EveryNameItMentionsExists)
{
    GameConfig& config = defaultConfig();
    // Every resource name in the unit types is one of the six of the resource file, in order.
    ASSERT_EQ(config.resourceNames().size(), 6);
    for (int id = 0; id < 6; ++id)
        EXPECT_EQ(config.resourceNames().nameOf(id), kResourceNames[id]);
    for (const auto& [typeId, info] : config.getTypes())
        for (const auto& block : info->levels)
            for (int id : resourceIdsOf(*block))
                EXPECT_LT(id, 6) << "unknown resource in " << typeId;

    // Every "Attach" and "BringTo" names a type with a record: no name without one.
    EXPECT_EQ(config.unitNames().size(), static_cast<int>(config.getTypes().size()));
    for (const auto& [typeId, info] : config.getTypes())
    {
        const std::string name(config.unitNames().nameOf(typeId).begin(),
                               config.unitNames().nameOf(typeId).end());
        if (info->attachTypeId != -1)
        {
            const auto tool = config.getTypeInfo(info->attachTypeId);
            ASSERT_TRUE(tool) << name;
            EXPECT_TRUE(config.isOfCategory(info->attachTypeId, UnitCategory::attach)) << name;
        }
        if (info->bringToTypeId != -1)
        {
            EXPECT_TRUE(config.getTypeInfo(info->bringToTypeId)) << name;
        }
    }

    // The categories are exactly the sixteen, each used at least once.
    std::set<int> used;
    for (const auto& entry : config.getTypes())
        used.insert(entry.second->categoryId);
    EXPECT_EQ(used.size(), 16u);
    for (const wchar_t* category : UnitCategory::all)
        EXPECT_NE(config.categoryNames().find(category), -1);
    EXPECT_EQ(config.categoryNames().size(), 16);
}

TEST(DefaultData, TheTypesTheCodeNames)
{
    GameConfig& config = defaultConfig();
    const auto hero = config.getTypeInfo(config.getTypeId(L"hero"));
    ASSERT_TRUE(hero);
    EXPECT_EQ(hero->typeId, 0);
    EXPECT_TRUE(config.isOfCategory(hero->typeId, UnitCategory::hero));
    EXPECT_GE(hero->levelCount(), 3); // walking, carrying, celebrating

    for (const wchar_t* name :
         {L"FakeFireBarrier", L"FakeDamagedUnit", L"BarrierFireAttach", L"BarrierFlood", L"Hospital",
          L"BonusSpeedHero", L"BonusSpeedMan", L"BonusSpeedMills", L"BonusSpeedUpgrades"})
        EXPECT_TRUE(config.getTypeInfo(config.getTypeId(name))) << std::string(name, name + wcslen(name));
    EXPECT_NE(config.getFakeFireBarrier()->attachTypeId, -1);
    EXPECT_NE(config.getFakeDamagedUnit()->attachTypeId, -1);
    EXPECT_FALSE(config.getFakeFireBarrier()->levels.front()->resIn.isEmpty()) << "putting a fire out costs";
    // A repair costs the damaged building's own level: the buildings the levels damage list it.
    for (const wchar_t* name : {L"Market", L"Workshop"})
        EXPECT_FALSE(config.getTypeInfo(config.getTypeId(name))->levels.back()->repairRes.isEmpty())
            << std::string(name, name + wcslen(name));

    // A pile type per resource, giving that resource.
    for (int id = 0; id < 6; ++id)
    {
        const auto pile = config.getTypeInfo(config.getTypeId(kResourceNames[id]));
        ASSERT_TRUE(pile);
        EXPECT_TRUE(config.isOfCategory(pile->typeId, UnitCategory::resource));
        EXPECT_GT(pile->levels.front()->resOut.getCount(id), 0);
    }

    // The town hall: one parking entry per level, at most four heroes.
    int bases = 0;
    for (const auto& [typeId, info] : config.getTypes())
    {
        if (!config.isOfCategory(typeId, UnitCategory::base))
            continue;
        ++bases;
        EXPECT_LE(info->levelCount(), 4);
        EXPECT_GE(config.getParkingCount(), info->levelCount());
        for (int level = 0; level < info->levelCount(); ++level)
            for (int place = 0; place <= level; ++place)
                EXPECT_NO_THROW(config.getParkingOffset(level, place));
    }
    EXPECT_EQ(bases, 1);

    // Every mill and plant produces from its first rebuilt level on, and its ruin costs
    // something to rebuild.
    for (const auto& [typeId, info] : config.getTypes())
    {
        if (!config.isOfCategory(typeId, UnitCategory::mill) &&
            !config.isOfCategory(typeId, UnitCategory::plant))
            continue;
        ASSERT_GE(info->levelCount(), 2);
        EXPECT_TRUE(info->levels[0]->resOut.isEmpty());
        EXPECT_FALSE(info->levels[0]->upIn.isEmpty());
        for (int level = 1; level < info->levelCount(); ++level)
            EXPECT_FALSE(info->levels[static_cast<size_t>(level)]->resOut.isEmpty());
    }
}

TEST(DefaultData, Constants)
{
    const GameConstants& c = defaultConfig().getConstants();
    EXPECT_EQ(c.CellWidth, 20);
    EXPECT_EQ(c.MapSize, Engine::cPoint(41, 31));
    EXPECT_GE(c.LevelsCount, 1);
    EXPECT_GT(c.FinishLevelTime, 0.0f);
    EXPECT_GE(c.CheatResourcesPartsNumber, 1);
    EXPECT_GE(c.GoldSilverDeltaParam, 0.0f);
    EXPECT_LT(c.GoldSilverDeltaParam, 1.0f);
    EXPECT_FLOAT_EQ(c.heroSlowSpeed, c.HeroSpeed * c.kSlowCellSpeed);
    EXPECT_FLOAT_EQ(c.manFastSpeed, c.HeroSpeedMan * c.kFastCellSpeed);
}

TEST(DefaultData, UnitRulesComeFromTheirTypes)
{
    GameConfig& config = defaultConfig();
    auto hall = boost::make_shared<cUnit>(config.getTypeId(L"TownHall"));
    const auto type = hall->getTypeInfo();
    ASSERT_TRUE(type);
    EXPECT_EQ(hall->getLevelInfo(), type->levels[0]);
    hall->setLevelAndState(2, eUnitState::idle, true);
    EXPECT_EQ(hall->getActiveLevelInfo(), type->levels[2]);
    // A level beyond the type's blocks reads the last one instead of past the end.
    hall->setLevelAndState(40, eUnitState::idle, true);
    EXPECT_EQ(hall->getLevelInfo(), type->levels.back());

    // A burning unit without fire blocks of its own follows the fire rules, whatever its level.
    hall->inFire = true;
    EXPECT_EQ(hall->getActiveLevelInfo(), config.getFakeFireBarrier()->levels[0]);
    auto own = boost::make_shared<UnitLevelInfo>();
    hall->fireLevels.push_back(own);
    EXPECT_EQ(hall->getActiveLevelInfo(), own);
    hall->inFire = false;
    hall->isDamaged = true; // damage plays no part
    hall->hasOwnLevels = true;
    hall->ownLevels = {boost::make_shared<UnitLevelInfo>(), own};
    hall->setLevelAndState(1, eUnitState::idle, true);
    EXPECT_EQ(hall->getActiveLevelInfo(), own);

    // A type id without a record has no rules at all.
    cUnit stranger(config.getTypeId(L"NoSuchType"));
    EXPECT_FALSE(stranger.getTypeInfo());
    EXPECT_FALSE(stranger.getLevelInfo());

    // A hero's tool is the first attached unit of the "attach" category.
    auto hero = boost::make_shared<cUnit>(config.getTypeId(L"hero"));
    EXPECT_FALSE(hero->getAttachedOfType());
    auto puppy = boost::make_shared<cUnit>(config.getTypeId(L"Puppy"));
    auto shovel = boost::make_shared<cUnit>(config.getTypeId(L"Shovel"));
    hero->attach(puppy);
    hero->attach(shovel);
    EXPECT_EQ(hero->getAttachedOfType(), shovel);
}

TEST(DefaultData, ShippedSettingsAreInRangeAndTheGridCoversTheirWindow)
{
    const size_t typeCount = defaultConfig().getTypes().size();
    ::Test::TempDir data;
    ::Test::TempDir home;
    const ::Test::ScopedEnv dataHome("XDG_DATA_HOME", home.path().string());
    for (const char* file : {"sys/constants.xml", "sys/settings.xml", "Game/Game.xml", "Units/StartPoint.xml",
                             "Resources/Resources.xml", "Units/Units.xml"})
        data.write(file, ::Test::readFile(std::string(QUILL_SOURCE_DIR "/data/") + file));
    {
        Engine::cFileSystem files(data.path().wstring() + L"/");
        Engine::cResourceManager resources;
        Engine::cSettings settings("sys/settings.xml");

        // A window of the game's virtual screen.
        int width = 0;
        int height = 0;
        bool fullscreen = true;
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_TRUE(settings.get(L"graphics", L"height", height));
        EXPECT_TRUE(settings.get(L"graphics", L"fullscreen", fullscreen));
        EXPECT_EQ(width, 1024);
        EXPECT_EQ(height, 768);
        EXPECT_FALSE(fullscreen);

        // Volumes are whole numbers up to 100, and a first run is heard: a fraction such as "0.7"
        // would read as silence.
        unsigned music = 1000;
        unsigned effects = 1000;
        EXPECT_TRUE(settings.get(L"Sound", L"Music", music));
        EXPECT_TRUE(settings.get(L"Sound", L"Sound", effects));
        for (const unsigned volume : {music, effects})
        {
            EXPECT_GE(volume, 10u);
            EXPECT_LE(volume, 100u);
        }
        {
            // The sound object takes them as they are.
            Engine::cSound sound(std::make_unique<Platform::RecordingMixer>());
            EXPECT_EQ(sound.getMusicVolume(), music);
            EXPECT_EQ(sound.getSoundVolume(), effects);
            EXPECT_GT(sound.getMusicGroupVolume(), 0);
        }

        const GameConfig::Sources sources = GameConfig::loadSources();
        EXPECT_EQ(sources.windowWidth, 1024);
        EXPECT_EQ(sources.windowHeight, 768);
        GameConfig config(sources);
        EXPECT_EQ(config.getConstants().MapSize, Engine::cPoint(53, 40));
        EXPECT_EQ(config.getTypes().size(), typeCount);
    }
}
