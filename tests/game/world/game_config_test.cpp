#include "game/world/GameConfig.h"

#include "engine/core/cConstants.h"
#include "engine/core/cFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

Engine::tPropertiesPtr document(const std::string& xml)
{
    return Engine::cXmlProperties::fromBuffer(xml.data(), xml.size(), "test.xml");
}

const char* const kResources = "<Resources><R Name=\"Money\"/><R Name=\"\"/><R/><R Name=\"Steel\"/>"
                               "<R Name=\"Money\"/><R Name=\"Brick\"/></Resources>";
const char* const kParking = "<StartPoint><Parking><P pos1=\"1;2\" pos2=\"3;4\" pos4=\"-5;6\"/>"
                             "<P pos1=\"7;8\"/></Parking></StartPoint>";

GameConfig::Sources sources(const std::string& game, const std::string& units,
                            const std::string& resources = kResources)
{
    GameConfig::Sources s;
    s.game = document(game);
    s.startPoint = document(kParking);
    s.resources = document(resources);
    s.units = document(units);
    return s;
}

// The C string a call throws; "" when it throws nothing.
template <class F> std::string thrownText(F&& call)
{
    try
    {
        call();
    }
    catch (const char* text)
    {
        return text;
    }
    catch (const Engine::cStringA& text)
    {
        return text;
    }
    return "";
}

} // namespace

TEST(GameConfig, NameIdsFollowTheOrderOfFirstMention)
{
    GameConfig config(sources("<Game/>", "<Units>"
                                         "<Unit Name=\"A\" Category=\"road\" Attach=\"C\"/>"
                                         "<Unit Name=\"B\" Category=\"hero\" BringTo=\"D\"/>"
                                         "<Unit Name=\"C\" Category=\"attach\"/>"
                                         "<Unit Category=\"hero\"/>"
                                         "</Units>"));
    EXPECT_EQ(config.getTypeId(L"A"), 0);
    EXPECT_EQ(config.getTypeId(L"C"), 1);
    EXPECT_EQ(config.getTypeId(L"B"), 2);
    EXPECT_EQ(config.getTypeId(L"D"), 3);
    EXPECT_EQ(config.getTypeInfo(0)->attachTypeId, 1);
    EXPECT_EQ(config.getTypeInfo(0)->bringToTypeId, -1);
    EXPECT_EQ(config.getTypeInfo(2)->bringToTypeId, 3);
    EXPECT_EQ(config.categoryNames().nameOf(config.getTypeInfo(1)->categoryId), L"attach");

    // A name no type defines gets the next id and no record; asking again gives the same id.
    EXPECT_FALSE(config.getTypeInfo(3));
    const int unknown = config.getTypeId(L"Misspelled");
    EXPECT_EQ(unknown, 4);
    EXPECT_FALSE(config.getTypeInfo(unknown));
    EXPECT_EQ(config.getTypeId(L"Misspelled"), unknown);
    EXPECT_EQ(config.unitNames().nameOf(unknown), L"Misspelled");

    // Resource ids in file order; entries without a name are skipped.
    EXPECT_EQ(config.resourceNames().size(), 3);
    EXPECT_EQ(config.getResourceId(L"Steel"), 1);
    EXPECT_EQ(config.resourceNames().nameOf(2), L"Brick");
}

TEST(GameConfig, UnitTypesAndTheirLevels)
{
    GameConfig config(sources("<Game/>", R"(<Units>
        <Unit Name="Plain" Category="barrier"/>
        <Unit Name="Mill" Category="mill" Distance="2.5">
            <Upgrades>
                <Level FreeCell="0" UpgradeTime="4" Selection="3">
                    <UpIn><Res Name="Money" Count="5"/><Res Name="Money" Count="9"/><Res Name="Steel"/></UpIn>
                </Level>
                <Level Selection="0" ProduceTime="6" AutoProduceTime="7">
                    <ResIn><Res Name="Brick" Count="2"/></ResIn>
                    <ResOut><Res Name="Gold" Count="1"/><Res Count="4"/></ResOut>
                    <AutoResOut><Res Name="Steel" Count="3"/></AutoResOut>
                    <RepairRes><Res Name="Money" Count="1"/></RepairRes>
                </Level>
                <Level FreeCell="1"/>
            </Upgrades>
        </Unit>
        <Unit Name="Plain" Category="hero" Attach="Tool"><Upgrades><Level/><Level/></Upgrades></Unit>
        <Unit Name="Empty" Category="road"><Upgrades/></Unit>
    </Units>)"));

    const auto plain = config.getTypeInfo(config.getTypeId(L"Plain"));
    ASSERT_TRUE(plain);
    // The first record of a repeated name stays, but the later one's names still get ids.
    EXPECT_EQ(plain->levelCount(), 1);
    EXPECT_EQ(config.categoryNames().nameOf(plain->categoryId), L"barrier");
    EXPECT_EQ(plain->attachTypeId, -1);
    EXPECT_NE(config.unitNames().find(L"Tool"), -1);
    // Without level blocks: one default block, highlighted.
    const auto& only = *plain->levels.front();
    EXPECT_EQ(only.freeCell, 2);
    EXPECT_EQ(only.upgradeTime, 0.0f);
    EXPECT_EQ(only.selection, 1);
    EXPECT_TRUE(only.upIn.getItems().empty());
    EXPECT_EQ(config.getTypeInfo(config.getTypeId(L"Empty"))->levelCount(), 1);

    const auto mill = config.getTypeInfo(config.getTypeId(L"Mill"));
    ASSERT_EQ(mill->levelCount(), 3);
    EXPECT_FLOAT_EQ(mill->distance, 2.5f);
    const int money = config.getResourceId(L"Money");
    const int steel = config.getResourceId(L"Steel");
    const int brick = config.getResourceId(L"Brick");
    const auto& first = *mill->levels[0];
    EXPECT_EQ(first.freeCell, 0);
    EXPECT_FLOAT_EQ(first.upgradeTime, 4.0f);
    EXPECT_EQ(first.selection, 3);
    // A resource listed twice keeps its first count; a missing count is 0.
    EXPECT_EQ(first.upIn.getItems(), (cGameResources::Items{{money, 5}, {steel, 0}}));
    const auto& second = *mill->levels[1];
    EXPECT_EQ(second.freeCell, 2); // no "FreeCell": leave the cells alone
    EXPECT_EQ(second.selection, 0);
    EXPECT_FLOAT_EQ(second.produceTime, 6.0f);
    EXPECT_FLOAT_EQ(second.autoProduceTime, 7.0f);
    EXPECT_EQ(second.resIn.getItems(), (cGameResources::Items{{brick, 2}}));
    EXPECT_EQ(second.autoResOut.getItems(), (cGameResources::Items{{steel, 3}}));
    EXPECT_EQ(second.repairRes.getItems(), (cGameResources::Items{{money, 1}}));
    // A resource the resource file lacks silently gets the next id: the data check guards this.
    EXPECT_EQ(config.resourceNames().find(L"Gold"), 3);
    EXPECT_EQ(second.resOut.getItems(), (cGameResources::Items{{3, 1}}));
    EXPECT_EQ(mill->levels[2]->freeCell, 1);

    // Levels outside the list read the nearest block.
    EXPECT_EQ(mill->levelInfo(7), mill->levels[2]);
    EXPECT_EQ(mill->levelInfo(-1), mill->levels[0]);
}

TEST(GameConfig, ConstantsAndDerivedSpeeds)
{
    GameConfig defaults(
        sources("<Game><MapSize>100;100</MapSize><HeroSpeed></HeroSpeed></Game>", "<Units/>"));
    const GameConstants& c = defaults.getConstants();
    EXPECT_EQ(c.HeroSpeed, 2.0f);
    EXPECT_EQ(c.heroSlowSpeed, 1.5f);
    EXPECT_EQ(c.heroFastSpeed, 3.0f);
    EXPECT_EQ(c.manSlowSpeed, 0.75f);
    EXPECT_EQ(c.manFastSpeed, 1.5f);
    EXPECT_EQ(c.MapSize, Engine::cPoint(41, 31));
    EXPECT_EQ(c.FunHeroesOffset, Engine::cVector2(10.0f, 0.0f));
    EXPECT_EQ(c.CheatResourcesPartsNumber, 10);

    GameConfig::Sources big = sources("<Game><CellWidth>20</CellWidth><HeroSpeed>3</HeroSpeed>"
                                      "<HeroSpeedMan>1.5</HeroSpeedMan><kSlowCellSpeed>0.5</kSlowCellSpeed>"
                                      "<FunHeroesOffset>30;-2</FunHeroesOffset><LevelsCount>12</LevelsCount>"
                                      "</Game>",
                                      "<Units/>");
    big.windowWidth = 1024;
    big.windowHeight = 768;
    GameConfig config(big);
    const GameConstants& k = config.getConstants();
    EXPECT_EQ(k.MapSize, Engine::cPoint(53, 40));
    EXPECT_EQ(k.LevelsCount, 12);
    EXPECT_EQ(k.heroSlowSpeed, 1.5f);
    EXPECT_EQ(k.heroFastSpeed, 4.5f);
    EXPECT_EQ(k.manSlowSpeed, 0.75f);
    EXPECT_EQ(k.manFastSpeed, 2.25f);
    EXPECT_EQ(k.FunHeroesOffset, Engine::cVector2(30.0f, -2.0f));
    const WalkSpeeds speeds = config.getWalkSpeeds();
    EXPECT_EQ(speeds.hero, 3.0f);
    EXPECT_EQ(speeds.man, 1.5f);
    EXPECT_EQ(speeds.heroSlow, 1.5f);

    EXPECT_EQ(GameConfig::mapSizeFor(800, 600, 20), Engine::cPoint(41, 31));
    EXPECT_EQ(GameConfig::mapSizeFor(1024, 768, 20), Engine::cPoint(53, 40));
    EXPECT_EQ(GameConfig::mapSizeFor(810, 600, 20), Engine::cPoint(42, 31));

    // Values every walking time divides by must be usable.
    EXPECT_NE(
        thrownText([] { GameConfig bad(sources("<Game><HeroSpeed>0</HeroSpeed></Game>", "<Units/>")); }), "");
    EXPECT_NE(
        thrownText([] { GameConfig bad(sources("<Game><CellWidth>0</CellWidth></Game>", "<Units/>")); }), "");
}

TEST(GameConfig, ParkingOffsets)
{
    GameConfig config(sources("<Game/>", "<Units/>"));
    ASSERT_EQ(config.getParkingCount(), 2);
    EXPECT_EQ(config.getParkingOffset(0, 0), Engine::cVector2(1.0f, 2.0f));
    EXPECT_EQ(config.getParkingOffset(0, 1), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(config.getParkingOffset(0, 2), Engine::cVector2(0.0f, 0.0f)); // no "pos3"
    EXPECT_EQ(config.getParkingOffset(0, 3), Engine::cVector2(-5.0f, 6.0f));
    EXPECT_EQ(config.getParkingOffset(1, 0), Engine::cVector2(7.0f, 8.0f));
    EXPECT_EQ(thrownText([&] { config.getParkingOffset(-1, 0); }),
              "GameConfig::getParkingOffset(): bad upgrade number");
    EXPECT_EQ(thrownText([&] { config.getParkingOffset(2, 0); }),
              "GameConfig::getParkingOffset(): bad upgrade number");
    EXPECT_EQ(thrownText([&] { config.getParkingOffset(0, 4); }),
              "GameConfig::getParkingOffset(): bad position");

    // A start-point file without "Parking" has no entries.
    GameConfig::Sources none = sources("<Game/>", "<Units/>");
    none.startPoint = document("<StartPoint/>");
    GameConfig empty(none);
    EXPECT_EQ(thrownText([&] { empty.getParkingOffset(0, 0); }),
              "GameConfig::getParkingOffset(): bad upgrade number");
}

TEST(GameConfig, DepthLayers)
{
    GameConfig config(sources("<Game/>", "<Units>"
                                         "<Unit Name=\"Pave\" Category=\"road\"/>"
                                         "<Unit Name=\"Odd\" Category=\"castle\"/>"
                                         "<Unit Name=\"Hut\" Category=\"base\"/>"
                                         "</Units>"));
    EXPECT_EQ(config.getDepthLayerOfCategory(L"road"), 4);
    EXPECT_EQ(config.getDepthLayerOfCategory(L"barrierroad"), 4);
    EXPECT_EQ(config.getDepthLayerOfCategory(L"hero"), 5);
    EXPECT_EQ(config.getDepthLayerOfCategory(L"castle"), 0);
    EXPECT_EQ(config.getDepthLayer(999), 0);
    EXPECT_EQ(config.getDepthLayerOfType(L"Pave"), 4);
    EXPECT_EQ(config.getDepthLayerOfType(L"Hut"), 5);
    EXPECT_EQ(config.getDepthLayerOfType(L"Odd"), 0);
    EXPECT_EQ(config.getDepthLayerOfType(L"Nowhere"), 0);
    EXPECT_TRUE(config.isOfCategory(config.getTypeId(L"Hut"), L"base"));
    EXPECT_FALSE(config.isOfCategory(config.getTypeId(L"Hut"), L"road"));

    // The fake types are required by name.
    EXPECT_NE(thrownText([&] { config.getFakeFireBarrier(); }).find("FakeFireBarrier"), std::string::npos);
    EXPECT_NE(thrownText([&] { config.getFakeDamagedUnit(); }).find("FakeDamagedUnit"), std::string::npos);
}

TEST(GameConfig, SavePath)
{
    EXPECT_EQ(GameConfig::profileIdText(3), "00000003");
    EXPECT_EQ(GameConfig::profileIdText(12345678), "12345678");
    EXPECT_EQ(GameConfig::savePathFor("Profiles", GameConfig::profileIdText(3)), "profiles/00000003.save");
    EXPECT_EQ(GameConfig::savePathFor("profiles/", "00000003"), "profiles/00000003.save");
    EXPECT_EQ(GameConfig::savePathFor("", "0000000A"), "0000000a.save");
    EXPECT_EQ(GameConfig::savePathFor("Saves/\xc3\x89T\xc3\xa9", "1"), "saves/\xc3\x89t\xc3\xa9/1.save");
}

TEST(GameConfig, SavedLevelFile)
{
    ::Test::EngineFixture engine("QuillmoorTest");
    engine.data("sys/constants.xml",
                "<constants><game app_directory=\"QuillmoorTest\" profiles=\"Profiles\"/></constants>");
    Engine::cFileSystem& files = engine.startFiles();
    GameConfig config(sources("<Game/>", "<Units/>"));

    EXPECT_EQ(thrownText([&] { config.savePath(); }), "ProfileID error.");
    // The lambda captures its id: GCC takes the empty buffer of a capture-less lambda held in a
    // boost::function for uninitialised bytes when the function is copied.
    config.setProfileIdSource([id = 3] { return GameConfig::profileIdText(id); });
    // Without the constants the file lies at the top of the shared folder.
    EXPECT_EQ(config.savePath(), "00000003.save");
    Engine::cConstants constants("sys/constants.xml");
    EXPECT_EQ(config.savePath(), "profiles/00000003.save");
    EXPECT_FALSE(config.hasSavedLevel());

    auto write = [&](const std::string& bytes)
    {
        auto stream = files.createFile(config.savePath(), true);
        stream->write(bytes.data(), static_cast<unsigned>(bytes.size()));
        stream->close();
    };
    write(std::string("\x07\x01\x00\x00rest", 8));
    EXPECT_TRUE(config.hasSavedLevel());
    EXPECT_EQ(config.savedLevelNumber(), 263);
    write(std::string("\x07\x01", 2));
    EXPECT_EQ(config.savedLevelNumber(), -1);
    config.deleteSavedLevel();
    EXPECT_FALSE(config.hasSavedLevel());
    config.deleteSavedLevel(); // nothing left: no error
}
