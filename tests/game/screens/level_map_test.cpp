// The level map over the game's data (and maps of the test's own, written to the shared
// folder, which hides the shipped one): which levels and pages are open, the node pictures,
// the page slides and buttons, the selection, the clouds, and the map state's questions.
#include "engine/core/StringUtils.h"
#include "engine/core/cProps.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cAnimButton.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cCloud.h"
#include "game/hud/cClouds.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cLoadScreen.h"
#include "game/screens/cMap.h"
#include "game/screens/cMapButton.h"
#include "game/screens/cMapNodeButton.h"
#include "game/screens/cYesNoPanel.h"
#include "game/screens/selectNextLevel.h"
#include "game/world/MapPages.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

struct MapParts
{
    std::vector<int> nodes = {2, 2, 2, 2, 2, 2};
    std::string effectTime = "0.5";
    bool fadeEffect = true;
    int shiftStartIndex = 0;
    std::string clouds;
    std::string beginQuestion = "Begin?";
    std::string continueQuestion = "Continue?";
};

// A map of the test's own, with the shipped pictures: `nodes[k]` nodes on page k.
std::string mapXml(const MapParts& parts)
{
    const std::string frames =
        " frames_count=\"4\" anim_columns=\"2\" anim_rows=\"2\" frame_normal=\"0\" frame_hover=\"1\""
        " frame_pressed=\"2\" frame_disabled=\"3\" ";
    std::string xml = "<Map EffectTime=\"" + parts.effectTime +
                      "\" LeftXOffset=\"-512\" RightXOffset=\"1536\" BeginGameString=\"" +
                      parts.beginQuestion + "\" ContinueGameString=\"" + parts.continueQuestion +
                      "\" PictureGold=\"map/node_gold.png\""
                      " PictureSilver=\"map/node_silver.png\" PictureCompleted=\"map/node_completed.png\""
                      " PictureNew=\"map/node_new.png\" PictureSelected=\"map/node_selected.png\""
                      " PictureDisabled=\"map/node_locked.png\">";
    for (size_t k = 0; k < parts.nodes.size(); ++k)
    {
        xml += "<Nodes" + std::to_string(k) + ">";
        for (int j = 0; j < parts.nodes[k]; ++j)
            xml += "<n pos=\"" + std::to_string(200 + 300 * j) + ";400\" deep=\"20\"/>";
        xml += "</Nodes" + std::to_string(k) + ">";
    }
    xml += "<Maps>";
    int level = 0;
    for (size_t k = 0; k < parts.nodes.size(); ++k)
    {
        const int start = level + (k == 1 ? parts.shiftStartIndex : 0);
        xml += "<Page StartIndex=\"" + std::to_string(start) + "\" EndIndex=\"" +
               std::to_string(level + parts.nodes[k] - 1) +
               "\"><Back deep=\"10\" position=\"512;384\" Picture=\"map/page_" + std::to_string(k % 6) +
               ".jpg\"/></Page>";
        level += parts.nodes[k];
    }
    xml += "</Maps><NodeButton size=\"84;84\"" + frames + "IsDeepProcessing=\"1\"/>";
    for (int i = 0; i < 6; ++i)
        xml += "<MapButton" + std::to_string(i) + " Visible=\"1\" Enable=\"1\" deep=\"30\" position=\"" +
               std::to_string(322 + 76 * i) + ";712\" size=\"72;72\" Picture=\"map/page_button_" +
               std::to_string(i) + ".png\"" + frames +
               "IsDeepProcessing=\"1\" SelectScale=\"1.25\" UnselectScale=\"1\" ScaleTime=\"0.3\">"
               "<Sounds Click=\"sounds/page.wav\"/></MapButton" +
               std::to_string(i) + ">";
    xml += "<PrevMap Visible=\"1\" Enable=\"1\" deep=\"30\" position=\"230;712\" size=\"88;64\" "
           "Picture=\"map/arrow_prev.png\"" +
           frames +
           "/><NextMap Visible=\"1\" Enable=\"1\" deep=\"30\" position=\"794;712\" size=\"88;64\""
           " Picture=\"map/arrow_next.png\"" +
           frames +
           "/><Play Visible=\"1\" Enable=\"1\" deep=\"30\" position=\"924;712\" size=\"160;60\""
           " Picture=\"ui/button_small.png\"" +
           frames +
           "/><M Class=\"textanimbutton\" Tag=\"MainMenuButton\" Visible=\"1\" Enable=\"1\" deep=\"30\""
           " position=\"100;712\" size=\"160;60\" Picture=\"ui/button_small.png\"" +
           frames + "/>" + parts.clouds;
    if (parts.fadeEffect)
        xml += "<FadeEffect deep=\"95\" position=\"512;384\" size=\"1024;768\" Picture=\"map/fade.png\"/>";
    return xml + "</Map>";
}

class LevelMap : public ::testing::Test
{
protected:
    explicit LevelMap(const std::wstring& data = QUILL_SOURCE_DIR L"/data/") : front(data)
    {
        front.fixture.startProfile();
    }

    // The map, and a level file for each of its places that the game does not ship (the map
    // shows a node only for a level it has; these levels are never started).
    void writeMap(const MapParts& parts = MapParts())
    {
        front.fixture.resources->unload("map/map.xml");
        front.writeShared("map/map.xml", mapXml(parts));
        int places = 0;
        for (int count : parts.nodes)
            places += count;
        for (int level = 0; level < std::min(places, 45); ++level)
        {
            const std::string path = "levels/n" + std::to_string(level) + ".xml";
            if (!front.fixture.files->isKnown(path))
                front.writeShared(path, "<Level/>");
        }
    }
    cMap& enterMap()
    {
        CGameEngine::instance().ChangeState(&CMapState::instance());
        front.frame();
        return *CMapState::instance().getMap();
    }
    static void won(int level, int medal)
    {
        Engine::cProps::set<int>(L"Level" + std::to_wstring(level), medal);
    }
    // Which node picture a level's node shows.
    static int pictureOf(const cMap& map, int level)
    {
        const boost::shared_ptr<Engine::cTexture> texture = map.findNode(level)->getTexture();
        for (int i = 0; i < cMap::PictureCount; ++i)
            if (texture && texture == map.getNodePicture(i))
                return i;
        return -1;
    }
    void slideOver()
    {
        for (int i = 0; i < 100 && CMapState::instance().getMap()->isSliding(); ++i)
            front.frame(0.05f);
    }

    FrontEnd front;
};

TEST_F(LevelMap, ANewPlayerHasTheFirstLevelOpenAndEveryOtherPageLocked)
{
    // The shipped map: 45 places on six pages, eight on each of the first three and seven on
    // each of the last three; a node for every place, the levels not shipped yet locked.
    cMap& map = enterMap();
    const int shipped = GameConfig::instance().getConstants().LevelsCount;
    EXPECT_EQ(map.getPlaceCount(), 45);
    EXPECT_EQ(map.getLevelCount(), shipped);
    const int perPage[cMap::PageCount] = {8, 8, 8, 7, 7, 7};
    int start = 0;
    for (int page = 0; page < cMap::PageCount; ++page)
    {
        EXPECT_EQ(map.getPage(page).nodes.size(), static_cast<size_t>(perPage[page])) << page;
        EXPECT_EQ(mapPages()[static_cast<size_t>(page)].startIndex, start) << page;
        EXPECT_EQ(mapPages()[static_cast<size_t>(page)].endIndex, start + perPage[page] - 1) << page;
        start += perPage[page];
    }
    for (int level = 0; level < 45; ++level)
    {
        ASSERT_NE(map.findNode(level), nullptr) << level;
        EXPECT_EQ(map.findNode(level)->isShipped(), level < shipped) << level;
    }
    EXPECT_TRUE(map.isShown());
    EXPECT_EQ(map.getCurrentPage(), 0);
    EXPECT_TRUE(map.getPagePicture(0)->isShown());
    for (int page = 1; page < cMap::PageCount; ++page)
    {
        EXPECT_FALSE(map.getPagePicture(page)->isShown()) << page;
        EXPECT_FALSE(map.isPageAvailable(page)) << page;
        EXPECT_TRUE(map.getPageButton(page)->isLocked()) << page;
        EXPECT_FALSE(map.getPageButton(page)->isEnabled()) << page;
        EXPECT_EQ(map.getPageButton(page)->getFrame(), 3u) << "the locked look: " << page;
        for (const cMapNodeButton* node : map.getPage(page).nodes)
            EXPECT_FALSE(node->isShown()) << "nodes of other pages stay hidden";
    }
    EXPECT_FALSE(map.getNextButton()->isEnabled());
    EXPECT_FALSE(map.getPreviousButton()->isEnabled());
    cMapNodeButton* first = map.findNode(0);
    EXPECT_TRUE(first->isAvailable());
    EXPECT_EQ(pictureOf(map, 0), cMap::PictureSelected);
    ASSERT_NE(first->getSelectionEffect(), nullptr);
    EXPECT_TRUE(first->getSelectionEffect()->isRunning());
    EXPECT_EQ(first->getSelectionEffect()->getDeep(), first->getDeep() - 0.01f);
}

// The game's data with only its first twelve level files: every other entry of the data folder
// is a link to the shipped one. A game that ships every level the map has a place for leaves
// no place without its level, so a map over fewer levels shows what such a place looks like.
class LevelMapOfTwelveLevels : public LevelMap
{
protected:
    static constexpr int kShipped = 12;
    LevelMapOfTwelveLevels() : LevelMap(data()) {}

private:
    static std::wstring data()
    {
        namespace fs = std::filesystem;
        static const ::Test::TempDir folder;
        static const bool linked = []
        {
            const fs::path shipped = QUILL_SOURCE_DIR "/data";
            for (const fs::directory_entry& entry : fs::directory_iterator(shipped))
                if (entry.path().filename() != "Levels")
                    fs::create_directory_symlink(entry.path(), folder.path() / entry.path().filename());
            fs::create_directory(folder.path() / "Levels");
            static const std::regex levelFile(R"(n(\d+)\.xml)");
            for (const fs::directory_entry& entry : fs::directory_iterator(shipped / "Levels"))
            {
                std::smatch number;
                const std::string name = entry.path().filename().string();
                if (!std::regex_match(name, number, levelFile) || std::stoi(number[1]) < kShipped)
                    fs::create_symlink(entry.path(), folder.path() / "Levels" / name);
            }
            return true;
        }();
        static_cast<void>(linked);
        return Engine::fromUtf8(folder.path().string() + "/");
    }
};

TEST_F(LevelMapOfTwelveLevels, APlaceWithoutItsLevelShowsALockedNodeAndALevelWithoutAPlaceIsLogged)
{
    // The twelve levels fill page 0; of page 1's three places only the middle one has a level
    // file, page 2 has three places and pages 3 to 5 one each without files. A level file
    // numbered past the places is written to the error log, and the map works on.
    const int shipped = kShipped;
    MapParts parts;
    parts.nodes = {shipped, 3, 3, 1, 1, 1};
    front.fixture.resources->unload("map/map.xml");
    front.writeShared("map/map.xml", mapXml(parts));
    front.writeShared("levels/n" + std::to_string(shipped + 1) + ".xml", "<Level/>");
    const std::string unplaced = "Levels/n" + std::to_string(shipped + 9) + ".xml";
    front.writeShared("levels/n" + std::to_string(shipped + 9) + ".xml", "<Level/>");
    for (int level = 0; level < shipped; ++level)
        won(level, 1);
    // A medal of a level that is not shipped (a profile of another version of the game).
    won(shipped + 2, 0);

    testing::internal::CaptureStderr();
    cMap& map = enterMap();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("The level file \"" + unplaced + "\" has no place on the map \"Map/Map.xml\""),
              std::string::npos)
        << errors;
    EXPECT_EQ(errors.find("Levels/n" + std::to_string(shipped + 1) + ".xml"), std::string::npos)
        << "a placed level is no error";

    // Every place has its node; the levels without a file stay locked, whatever came before
    // them or whatever the player's values say.
    EXPECT_EQ(map.getPlaceCount(), shipped + 9);
    EXPECT_EQ(map.getLevelCount(), shipped + 1);
    for (int level : {shipped, shipped + 2})
    {
        cMapNodeButton* node = map.findNode(level);
        ASSERT_NE(node, nullptr) << level;
        EXPECT_FALSE(node->isShipped()) << level;
        node->setEnabled(true);
        EXPECT_FALSE(node->isEnabled()) << "a level that is not shipped never opens: " << level;
    }
    ASSERT_NE(map.findNode(shipped + 1), nullptr);
    EXPECT_TRUE(map.findNode(shipped + 1)->isShipped());
    EXPECT_EQ(map.getPage(1).nodes.size(), 3u);
    EXPECT_TRUE(map.isPageAvailable(1)) << "the last level of page 0 is completed";
    for (int page = 2; page < cMap::PageCount; ++page)
    {
        EXPECT_FALSE(map.isPageAvailable(page)) << "a page of levels not shipped stays locked: " << page;
        EXPECT_TRUE(map.getPageButton(page)->isLocked()) << page;
    }

    // Shown, page 1's unshipped nodes wear the locked picture, also the selected one, and a
    // click on one through the pointer starts nothing.
    Engine::cProps::set<int>(L"CurrentSelectedLevel", shipped);
    map.getPageButton(1)->onPress();
    slideOver();
    ASSERT_EQ(map.getCurrentPage(), 1);
    EXPECT_EQ(pictureOf(map, shipped), cMap::PictureDisabled);
    EXPECT_EQ(pictureOf(map, shipped + 2), cMap::PictureDisabled);
    EXPECT_TRUE(map.findNode(shipped)->isShown());
    front.clickAt(map.findNode(shipped)->getPosition());
    front.clickAt(map.findNode(shipped)->getPosition());
    EXPECT_EQ(CGameEngine::instance().getStateCount(), 1u);
    EXPECT_EQ(getCurrentSelectedLevel(), shipped);

    // Nor does the play button with the selection left on it.
    map.getPlayButton()->clickSignal(map.getPlayButton());
    EXPECT_EQ(CGameEngine::instance().getStateCount(), 1u);
}

TEST_F(LevelMap, AMedalPastGoldOrPastNoneShowsThatEnd)
{
    writeMap();
    won(0, -5);
    won(1, 77);
    Engine::cProps::set<int>(L"CurrentSelectedLevel", 2);
    cMap& map = enterMap();
    EXPECT_EQ(pictureOf(map, 0), cMap::PictureGold);
    EXPECT_EQ(pictureOf(map, 1), cMap::PictureCompleted);
}

TEST_F(LevelMap, NodesOpenAfterCompletedOnesPagesAfterTheLastNodeOfThePageBefore)
{
    writeMap();
    won(0, 0);
    won(1, 1);
    won(3, 2);
    Engine::cProps::set<int>(L"CurrentSelectedLevel", 1);
    cMap& map = enterMap();
    EXPECT_EQ(pictureOf(map, 0), cMap::PictureGold);
    EXPECT_EQ(pictureOf(map, 1), cMap::PictureSelected) << "the selected picture over the medal";
    EXPECT_EQ(Engine::cProps::get<int>(L"LevelCompleteCount"), 2);
    EXPECT_EQ(Engine::cProps::get<int>(L"LevelGoldCompleteCount"), 1);
    EXPECT_TRUE(map.isPageAvailable(1));
    EXPECT_TRUE(map.isPageAvailable(2)) << "the last node of page 1 is completed";
    EXPECT_FALSE(map.isPageAvailable(3));
    EXPECT_TRUE(map.getNextButton()->isEnabled());
    EXPECT_FALSE(map.getPageButton(2)->isLocked());
    EXPECT_TRUE(map.getPageButton(3)->isLocked());

    // A click on another node only selects it: picture and effect move.
    map.findNode(0)->clickSignal(map.findNode(0));
    EXPECT_EQ(getCurrentSelectedLevel(), 0);
    EXPECT_EQ(pictureOf(map, 0), cMap::PictureSelected);
    EXPECT_EQ(pictureOf(map, 1), cMap::PictureSilver);
    EXPECT_EQ(map.findNode(1)->getSelectionEffect(), nullptr);
    EXPECT_NE(map.findNode(0)->getSelectionEffect(), nullptr);

    map.getNextButton()->clickSignal(map.getNextButton());
    EXPECT_TRUE(map.isSliding());
    slideOver();
    EXPECT_EQ(map.getCurrentPage(), 1);
    EXPECT_TRUE(map.findNode(2)->isAvailable()) << "page 0 is all completed";
    EXPECT_EQ(pictureOf(map, 2), cMap::PictureNew);
    EXPECT_EQ(pictureOf(map, 3), cMap::PictureCompleted);
    EXPECT_EQ(Engine::cProps::get<int>(L"LevelCompleteCount"), 1) << "the counts of the shown page";

    map.getPageButton(2)->onPress();
    slideOver();
    EXPECT_EQ(map.getCurrentPage(), 2);
    EXPECT_FALSE(map.findNode(4)->isEnabled()) << "page 1 is not all completed";
    EXPECT_EQ(pictureOf(map, 4), cMap::PictureDisabled);
    EXPECT_FALSE(map.findNode(5)->isEnabled());
}

TEST_F(LevelMap, ASlideEndsWithTheNewPageAtHomeAndAPressDuringItIsSilent)
{
    writeMap();
    for (int level = 0; level < 6; ++level)
        won(level, 2);
    cMap& map = enterMap();
    const Engine::cVector2 home = map.getPagePicture(1)->getPosition();
    map.getPageButton(1)->onPress();
    ASSERT_TRUE(map.isSliding());
    EXPECT_FALSE(map.getNodeLayer()->isEnabled()) << "no node, arrow or play while sliding";
    EXPECT_TRUE(map.getPagePicture(0)->isShown());
    EXPECT_TRUE(map.getPagePicture(1)->isShown());
    front.frame(0.25f);
    const float x = map.getPagePicture(1)->getPosition().x;
    EXPECT_NEAR(x, 1536.0f + (home.x - 1536.0f) * std::sin(0.5f * 3.1415927f * 0.5f), 0.01f)
        << "page 1 comes in from the right, eased";
    EXPECT_LT(map.getPagePicture(0)->getPosition().x, home.x) << "page 0 leaves to the left";

    const int sounds = front.fixture.mixer->count("play");
    map.getPageButton(2)->onPress();
    EXPECT_EQ(front.fixture.mixer->count("play"), sounds) << "silent";
    EXPECT_EQ(map.getCurrentPage(), 1) << "and the slide goes on to page 1";
    slideOver();
    EXPECT_EQ(map.getPagePicture(1)->getPosition(), home);
    EXPECT_FALSE(map.getPagePicture(0)->isShown());
    EXPECT_TRUE(map.getNodeLayer()->isEnabled());

    map.getPreviousButton()->clickSignal(map.getPreviousButton());
    front.frame(0.25f);
    EXPECT_GT(map.getPagePicture(1)->getPosition().x, home.x) << "backwards: page 1 leaves to the right";
    slideOver();
    EXPECT_EQ(map.getCurrentPage(), 0);
    EXPECT_EQ(map.getPagePicture(0)->getPosition(), home);
    EXPECT_FALSE(map.getPagePicture(1)->isShown());
}

TEST_F(LevelMap, PageButtonsGrowAndShrinkInTheirTimeAndShowTheirLock)
{
    writeMap();
    won(0, 2);
    won(1, 2);
    cMap& map = enterMap();
    front.frames(20, 0.05f);
    cMapButton* zero = map.getPageButton(0);
    cMapButton* one = map.getPageButton(1);
    EXPECT_FLOAT_EQ(zero->getCurrentScale(), 1.25f);
    EXPECT_EQ(zero->getSize(), zero->getBaseSize() * 1.25f);
    EXPECT_EQ(one->getCurrentScale(), 1.0f);

    one->select();
    EXPECT_FLOAT_EQ(one->getTimeLeft(), 0.3f) << "a whole change";
    front.frame(0.15f);
    EXPECT_NEAR(one->getCurrentScale(), 1.125f, 1e-5f);
    one->unselect();
    EXPECT_NEAR(one->getTimeLeft(), 0.15f, 1e-5f) << "reversed halfway: half the time";
    front.frame(0.1f);
    EXPECT_EQ(one->getScaleState(), cMapButton::Shrinking);
    front.frame(0.1f);
    EXPECT_EQ(one->getScaleState(), cMapButton::Resting);
    EXPECT_EQ(one->getCurrentScale(), 1.0f);

    // Equal scales have nothing to change: the button keeps its size, with no division by zero.
    cMapButton even(0, nullptr);
    const std::string layout = "<b SelectScale=\"1\" UnselectScale=\"1\" size=\"72;72\"/>";
    even.loadXML(Engine::cXmlProperties::fromBuffer(layout.data(), layout.size(), "button.xml"));
    even.select();
    EXPECT_EQ(even.getTimeLeft(), 0.0f);
    even.update();
    EXPECT_EQ(even.getScaleState(), cMapButton::Resting);
    EXPECT_EQ(even.getSize(), Engine::cVector2(72.0f, 72.0f));

    // The shown page's button keeps its normal frame under the pointer; a locked one its
    // disabled frame.
    front.moveTo(zero->getPosition());
    front.frame();
    EXPECT_EQ(zero->getFrame(), 0u);
    cMapButton* three = map.getPageButton(3);
    ASSERT_TRUE(three->isLocked());
    front.moveTo(three->getPosition());
    front.frame();
    EXPECT_EQ(three->getFrame(), 3u);
    front.moveTo(one->getPosition());
    front.frame();
    EXPECT_EQ(one->getFrame(), 1u) << "an open page's button hovers";
}

TEST_F(LevelMap, TheSelectionStopsAtTheLastLevelAndNeverPasses44)
{
    writeMap();
    enterMap();
    EXPECT_EQ(setCurrentSelectedLevel(45), 44);
    EXPECT_EQ(getCurrentSelectedLevel(), 0) << "45 is never stored";
    EXPECT_EQ(setCurrentSelectedLevel(44), 44);
    EXPECT_EQ(getCurrentSelectedLevel(), 44);

    selectNextLevel(2);
    EXPECT_EQ(getCurrentSelectedLevel(), 3);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentMap"), 1) << "the page that shows level 3";
    const int last = GameConfig::instance().getConstants().LevelsCount - 1;
    setCurrentSelectedLevel(1);
    selectNextLevel(last);
    EXPECT_EQ(getCurrentSelectedLevel(), last) << "there is no level after the last";
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentMap"), mapIndexOfLevel(last));
}

TEST_F(LevelMap, ABrokenMapNamesItsFileAndWhatIsWrong)
{
    const auto failure = [&](const MapParts& parts)
    {
        writeMap(parts);
        const std::string text = failureOf([] { delete new cMap(nullptr); });
        EXPECT_NE(text.find("Layout \"Map/Map.xml\""), std::string::npos) << text;
        return text;
    };
    MapParts parts;
    parts.nodes = {2, 2, 2, 2, 2};
    EXPECT_NE(failure(parts).find("\"Nodes5\" is missing"), std::string::npos);
    parts = MapParts();
    parts.fadeEffect = false;
    EXPECT_NE(failure(parts).find("\"FadeEffect\" is missing"), std::string::npos);
    parts = MapParts();
    parts.effectTime = "0";
    EXPECT_NE(failure(parts).find("\"EffectTime\" must be above 0"), std::string::npos);
    parts = MapParts();
    parts.shiftStartIndex = 1;
    EXPECT_NE(failure(parts).find(
                  "page 1 of \"Maps\" shows the levels 3 to 3, but its nodes are the levels 2 to 3"),
              std::string::npos);
    parts = MapParts();
    parts.nodes = {8, 8, 8, 8, 8, 6};
    EXPECT_NE(failure(parts).find("more than 45 levels"), std::string::npos);
    parts = MapParts();
    parts.clouds = "<Clouds><c Picture=\"map/cloud_0.png\" type=\"3\"/></Clouds>";
    EXPECT_NE(failure(parts).find("\"type\" is 3"), std::string::npos)
        << "a fourth kind would be out of range";
    parts.clouds = "<Clouds><c Picture=\"map/cloud_0.png\" type=\"0\"/><c Picture=\"map/cloud_1.png\" "
                   "type=\"1\"/></Clouds>";
    EXPECT_NE(failure(parts).find("All cloud types not found."), std::string::npos);
    parts.clouds = "<Clouds><c Picture=\"map/no_cloud.png\" type=\"0\"/></Clouds>";
    EXPECT_NE(failure(parts).find("map/no_cloud.png"), std::string::npos) << "a missing picture is named";
    front.frame();
    EXPECT_EQ(cMap::instance(), nullptr);
}

TEST_F(LevelMap, LevelsAddedPageByPageOpenInTheShippedMap)
{
    // Nine more level files than the game ships, as the next authors add them, as far as the
    // map's 45 places go (a game that ships 37 levels or more leaves no room for nine): the
    // shipped map shows them on their places, opens them in turn and wears their medals; the
    // places past them stay locked.
    const int shipped = GameConfig::instance().getConstants().LevelsCount;
    const int added = std::min(shipped + 9, kMapLevelLimit);
    for (int level = shipped; level < added; ++level)
        front.writeShared("levels/n" + std::to_string(level) + ".xml", "<Level/>");
    for (int level = 0; level < added - 2; ++level)
        won(level, level % 2);
    Engine::cProps::set<int>(L"CurrentSelectedLevel", added - 2);
    cMap& map = enterMap();
    EXPECT_EQ(map.getLevelCount(), added);
    EXPECT_EQ(map.getPlaceCount(), 45);

    // The page of the selected level: the medals won, the next level open (and selected), the
    // one after it locked until that is won, the places without a level locked for good. (The
    // selected level may be the last of its page, the level after it on the next page.)
    const int page = mapPageOfLevel(added - 2);
    map.getPageButton(page)->onPress();
    slideOver();
    ASSERT_EQ(map.getCurrentPage(), page);
    for (const cMapNodeButton* node : map.getPage(page).nodes)
    {
        const int level = node->getLevel();
        SCOPED_TRACE(level);
        EXPECT_TRUE(node->isShown());
        if (level < added - 2)
        {
            EXPECT_EQ(pictureOf(map, level), level % 2 == 0 ? cMap::PictureGold : cMap::PictureSilver);
            EXPECT_TRUE(node->isEnabled());
        }
        else if (level == added - 2)
        {
            EXPECT_EQ(pictureOf(map, level), cMap::PictureSelected);
            EXPECT_TRUE(node->isEnabled());
        }
        else
        {
            EXPECT_EQ(pictureOf(map, level), cMap::PictureDisabled);
            EXPECT_FALSE(node->isEnabled());
            EXPECT_EQ(node->isShipped(), level < added);
        }
    }
    // A click on the selected node through the pointer asks whether to begin it.
    front.clickAt(map.findNode(added - 2)->getPosition());
    EXPECT_EQ(CGameEngine::instance().getStateCount(), 2u) << "the begin question";
}

TEST_F(LevelMap, EveryNodeStandsOnAClearingOfItsPagesPicture)
{
    // The art manifest lists the clearings each page picture draws ("node spots at (x, y), ...");
    // the shipped map's places are those, page by page, in order.
    const std::string manifest = ::Test::readFile(QUILL_SOURCE_DIR "/tools/art/manifest.txt");
    cMap& map = enterMap();
    for (int page = 0; page < cMap::PageCount; ++page)
    {
        const std::string path = "map/page_" + std::to_string(page) + ".jpg";
        const size_t line = manifest.find("\n" + path + " ");
        ASSERT_NE(line, std::string::npos) << path;
        const std::string text = manifest.substr(line, manifest.find('\n', line + 1) - line);
        std::vector<Engine::cVector2> spots;
        const std::regex spot(R"(\((\d+), (\d+)\))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), spot); it != std::sregex_iterator();
             ++it)
            spots.emplace_back(std::stof((*it)[1]), std::stof((*it)[2]));
        const std::vector<cMapNodeButton*>& nodes = map.getPage(page).nodes;
        ASSERT_EQ(nodes.size(), spots.size()) << path;
        for (size_t j = 0; j < nodes.size(); ++j)
            EXPECT_EQ(nodes[j]->getPosition(), spots[j]) << path << " clearing " << j;
    }
}

TEST_F(LevelMap, CloudsDriftOneWayStartScatteredAndComeInTheirPeriods)
{
    const std::string xml = "<Clouds Visible=\"1\" Enable=\"1\" MaxStartClouds0=\"2.5\" MaxStartClouds1=\"0\""
                            " MaxStartClouds2=\"1\" Period0=\"1;1\" Period1=\"0.5;0.5\" Period2=\"100;100\""
                            " YInterval0=\"100;100\" YInterval1=\"200;300\" YInterval2=\"50;50\">"
                            "<c Picture=\"map/cloud_0.png\" Speed=\"-10\" type=\"0\"/>"
                            "<c Picture=\"map/cloud_1.png\" Speed=\"20\" type=\"1\"/>"
                            "<c Picture=\"map/cloud_2.png\" Speed=\"30\" type=\"2\"/></Clouds>";
    const auto count = [](const cClouds& clouds, bool shown)
    {
        int n = 0;
        for (Engine::cControl* child : clouds.getChildren())
            n += child->isShown() == shown ? 1 : 0;
        return n;
    };
    for (int load = 0; load < 8; ++load)
    {
        Engine::cControl host;
        host.show();
        host.enable();
        auto* clouds = new cClouds(&host);
        clouds->loadXML(Engine::cXmlProperties::fromBuffer(xml.data(), xml.size(), "clouds.xml"));
        EXPECT_EQ(count(*clouds, false), 3) << "the prototypes wait hidden";
        for (int kind = 0; kind < cClouds::KindCount; ++kind)
            for (const cCloud* prototype : clouds->getPrototypes(kind))
                EXPECT_EQ(prototype->getSpeed() < 0.0f, clouds->isLeftward()) << "one way for all";
        clouds->spawnInitial();
        EXPECT_EQ(count(*clouds, true), 4) << "2.5 places three, 0 none, 1 one";
        EXPECT_FLOAT_EQ(clouds->getInterval(1), 0.5f);

        // Kind 1 comes every half second: in the frame its timer reaches the interval.
        front.frames(25, 0.02f);
        EXPECT_EQ(count(*clouds, true), 4);
        front.frame(0.02f);
        EXPECT_EQ(count(*clouds, true), 5);
        EXPECT_FLOAT_EQ(clouds->getTimer(1), 0.02f) << "that frame's time goes on the fresh timer";
        const cCloud* entered = nullptr;
        for (Engine::cControl* child : clouds->getChildren())
            if (auto* cloud = dynamic_cast<cCloud*>(child);
                cloud && cloud->isShown() && cloud->getType() == 1)
                entered = cloud;
        ASSERT_NE(entered, nullptr);
        const float half = entered->getSize().x / 2.0f;
        const float edge = clouds->isLeftward() ? 1024.0f + half - 1.0f : 1.0f - half;
        EXPECT_NEAR(entered->getPosition().x, edge, 1e-3f) << "one unit of it inside the band";
        EXPECT_GE(entered->getPosition().y, 200.0f);
        EXPECT_LE(entered->getPosition().y, 300.0f);
    }

    // A cloud just on the far edge stays one more frame; past it, it goes.
    Engine::cControl host;
    host.show();
    host.enable();
    auto* cloud = new cCloud(&host);
    cloud->setSize(Engine::cVector2(100.0f, 50.0f));
    cloud->setSpeed(10.0f);
    cloud->setPosition(Engine::cVector2(1074.0f, 100.0f));
    cloud->show();
    cloud->enable();
    front.frame(0.1f);
    EXPECT_TRUE(Engine::cControl::isAlive(cloud));
    EXPECT_FLOAT_EQ(cloud->getPosition().x, 1075.0f);
    front.frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(cloud));
}

TEST_F(LevelMap, TheQuestionsBeginOrContinueTheChosenLevel)
{
    writeMap();
    won(0, 0);
    CGameEngine& engine = CGameEngine::instance();
    cMap& map = enterMap();
    front.takeTraces();
    map.findNode(1)->clickSignal(map.findNode(1));
    EXPECT_EQ(engine.getStateCount(), 1u) << "the first click selects";
    map.getPlayButton()->clickSignal(map.getPlayButton());
    ASSERT_EQ(engine.getStateCount(), 2u) << "play asks";
    auto question = CDialogState<cYesNoPanel>::instance().getPanel();
    EXPECT_EQ(question->getText()->getText(), L"Begin?");
    EXPECT_EQ(question->getDeep(), 12000.0f);
    EXPECT_FALSE(map.isEffectivelyEnabled());
    front.key(1);
    EXPECT_EQ(engine.getStateCount(), 1u) << "no: back on the map";
    EXPECT_TRUE(map.isEffectivelyEnabled());

    // An unfinished game of level 1: choosing it asks to continue; no keeps the game, and
    // choosing it again asks to begin, whose yes drops the game.
    const std::string save = GameConfig::instance().savePath();
    front.writeShared(save, std::string("\x01\0\0\0", 4));
    map.findNode(1)->clickSignal(map.findNode(1));
    EXPECT_EQ(CDialogState<cYesNoPanel>::instance().getPanel()->getText()->getText(), L"Continue?");
    front.key(1);
    EXPECT_TRUE(GameConfig::instance().hasSavedLevel());
    map.findNode(1)->clickSignal(map.findNode(1));
    EXPECT_EQ(CDialogState<cYesNoPanel>::instance().getPanel()->getText()->getText(), L"Begin?");
    front.takeTraces();
    front.key(28);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 1);
    EXPECT_FALSE(GameConfig::instance().hasSavedLevel());
    const std::vector<std::wstring> traces = front.takeTraces();
    ASSERT_GE(traces.size(), 4u);
    EXPECT_EQ(std::vector<std::wstring>(traces.begin(), traces.begin() + 4),
              (std::vector<std::wstring>{L"CDialogState Cleanup\n", L"CMapState Resume\n",
                                         L"CMapState Cleanup\n", L"CPlayState Init\n"}))
        << "yes: the level starts";

    for (int i = 0; i < 50 && cLoadScreen::instance(); ++i)
        front.frame();
    EXPECT_TRUE(CPlayState::instance().isRunning()) << "the level has loaded";
}

TEST_F(LevelMap, PlayStartsOnlyALevelThePlayerMayPlay)
{
    writeMap();
    won(0, 0);
    // A selection left on a locked level, as a level won from an older selection used to leave it.
    setCurrentSelectedLevel(2);
    CGameEngine& engine = CGameEngine::instance();
    cMap& map = enterMap();
    ASSERT_FALSE(map.findNode(2)->isEnabled());
    front.click(map.getPlayButton());
    EXPECT_EQ(engine.getStateCount(), 1u) << "a locked level does not start";
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 0);

    // The open level next to it does.
    front.click(map.findNode(1));
    EXPECT_EQ(getCurrentSelectedLevel(), 1);
    front.click(map.getPlayButton());
    ASSERT_EQ(engine.getStateCount(), 2u) << "play asks";
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 0) << "asked about, not chosen yet";
    front.key(28);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 1) << "yes chooses it";
}

TEST_F(LevelMap, EnteredFromTheMainMenuWithAnUnfinishedGameTheMapAsksAtOnce)
{
    writeMap();
    const std::string save = GameConfig::instance().savePath();
    front.writeShared(save, std::string(4, '\0'));
    CGameEngine& engine = CGameEngine::instance();
    engine.setEnteredFromMainMenu(false);
    engine.ChangeState(&CMapState::instance());
    EXPECT_EQ(engine.getStateCount(), 1u) << "from the level's menu the map asks nothing";
    engine.PopState();
    front.frame();
    engine.setEnteredFromMainMenu(true);
    engine.ChangeState(&CMapState::instance());
    ASSERT_EQ(engine.getStateCount(), 2u);
    EXPECT_EQ(CDialogState<cYesNoPanel>::instance().getPanel()->getText()->getText(), L"Continue?");
    cMap* map = CMapState::instance().getMap();
    EXPECT_TRUE(map->isShown());
    EXPECT_FALSE(map->isEffectivelyEnabled());
    front.key(1);
    EXPECT_EQ(engine.getStateCount(), 1u);
    EXPECT_TRUE(GameConfig::instance().hasSavedLevel()) << "no: the unfinished game stays";
    EXPECT_TRUE(map->isEffectivelyEnabled());
}

TEST_F(LevelMap, TheContinueQuestionNamesTheSavedLevelAndNoToBeginLeavesTheProfile)
{
    MapParts parts;
    parts.beginQuestion = "Begin level {number}?";
    parts.continueQuestion = "Level {number} is unfinished. Continue?";
    writeMap(parts);
    won(0, 0);
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    front.fixture.profiles->save();
    CGameEngine& engine = CGameEngine::instance();
    cMap& map = enterMap();

    // The second level chosen with two clicks on its node, and No.
    front.click(map.findNode(1));
    front.click(map.findNode(1));
    ASSERT_EQ(engine.getStateCount(), 2u);
    EXPECT_EQ(CDialogState<cYesNoPanel>::instance().getPanel()->getText()->getText(), L"Begin level 2?");
    front.click(CDialogState<cYesNoPanel>::instance().getPanel()->getNoButton());
    EXPECT_EQ(engine.getStateCount(), 1u);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 0) << "No leaves the profile as it was";

    // The player's unfinished game is of the first level: the map entered from the main menu
    // asks about that one.
    front.writeShared(GameConfig::instance().savePath(), std::string(4, '\0'));
    engine.PopState();
    front.frame();
    engine.ChangeState(&CMapState::instance());
    front.frame();
    ASSERT_EQ(engine.getStateCount(), 2u);
    EXPECT_EQ(CDialogState<cYesNoPanel>::instance().getPanel()->getText()->getText(),
              L"Level 1 is unfinished. Continue?");
    EXPECT_FALSE(
        Engine::cView::isInRenderRegistry(CDialogState<cYesNoPanel>::instance().getPanel()->getText()))
        << "the question's box draws nothing itself: only its lines, over the panel's parchment";
    front.takeTraces();
    front.click(CDialogState<cYesNoPanel>::instance().getPanel()->getYesButton());
    EXPECT_EQ(engine.topState(), &CPlayState::instance());
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 0) << "the saved level is the one continued";
    for (int i = 0; i < 50 && cLoadScreen::instance(); ++i)
        front.frame();
}

} // namespace

namespace
{

TEST_F(LevelMap, TheCloudsDriftUnderTheLevelPlacesTheCurrentOneToo)
{
    cMap& map = enterMap();
    const Engine::cVector2 screen(1024.0f, 768.0f);
    int passes = 0;
    // A few minutes of drifting clouds over the first page, its first level the current one.
    for (int step = 0; step < 400; ++step)
    {
        front.frame(0.5f);
        std::vector<Engine::cView*> order;
        Engine::cView::renderPass([&](Engine::cView* view) { order.push_back(view); });
        const auto drawnAt = [&](const Engine::cView* view)
        { return std::find(order.begin(), order.end(), view) - order.begin(); };
        for (Engine::cControl* child : map.getClouds()->getChildren())
        {
            const auto* cloud = dynamic_cast<const cCloud*>(child);
            if (!cloud || !cloud->isShown())
                continue;
            const Engine::cVector2 c = cloud->getPosition();
            const Engine::cVector2 half = cloud->getSize() * 0.5f;
            for (const cMapNodeButton* node : map.getPage(0).nodes)
            {
                const Engine::cVector2 n = node->getPosition();
                const Engine::cVector2 reach = half + node->getSize() * 0.5f;
                if (std::fabs(c.x - n.x) >= reach.x || std::fabs(c.y - n.y) >= reach.y || c.x < -half.x ||
                    c.x > screen.x + half.x)
                    continue;
                ++passes;
                ASSERT_LT(drawnAt(cloud), drawnAt(node))
                    << "a cloud drawn over the place of level " << node->getLevel();
                for (const Engine::cControl* part : node->getChildren())
                    if (const auto* effect = dynamic_cast<const Engine::cView*>(part);
                        effect && effect->isShown())
                    {
                        EXPECT_LT(drawnAt(cloud), drawnAt(effect)) << "over the current level's mark";
                    }
            }
        }
    }
    EXPECT_GT(passes, 0) << "a cloud passed over a place";
}

} // namespace
