// A briefing that opens while the player holds a key or a button down, through the front end's
// real frame and scripted input: the first level's rubble, cleared, opens its briefing under a
// press on the rubble, and the release that follows was meant for the field, not the briefing.
// A briefing under a message that opens as its level starts waits for the message's OK, and
// the click on the OK answers the message alone.
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cBriefing.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "tests/game/screens/drawn_texts.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

using namespace GameTest;

namespace
{

constexpr uint8_t Escape = 1;
constexpr uint8_t Space = 57;

int saidWhole(const std::vector<std::wstring>& traces)
{
    return static_cast<int>(std::count(traces.begin(), traces.end(), L"Briefing speech said whole\n"));
}

TEST(BriefingOpenedUnderAPress, ThePressesReleaseLeavesItAsItWasAndTheNextKeyAnswersIt)
{
    using Hold = std::function<void(Platform::ScriptedInput&, bool down)>;
    const std::pair<const char*, Hold> held[] = {
        {"the primary button, on the rubble",
         [](Platform::ScriptedInput& s, bool down) { s.mouseButton(0, down); }},
        {"Space", [](Platform::ScriptedInput& s, bool down) { down ? s.keyDown(Space) : s.keyUp(Space); }},
        {"Escape", [](Platform::ScriptedInput& s, bool down) { down ? s.keyDown(Escape) : s.keyUp(Escape); }},
    };
    for (const auto& [what, hold] : held)
    {
        SCOPED_TRACE(what);
        FrontEnd front;
        front.fixture.startProfile();
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(L"levels/n0.xml");
        engine.ChangeState(&CPlayState::instance());
        for (int i = 0; i < 200 && engine.topState() != &BriefState::instance(); ++i)
            front.frame(0.05f);
        front.key(Escape);
        ASSERT_EQ(engine.topState(), &CPlayState::instance()) << "the opening briefing skipped";
        const Game::UnitMap& units = CPlayState::instance().getGame()->getUnits();
        const auto rubble = units.find(typeId(L"Rubble"));
        ASSERT_NE(rubble, units.end());
        front.clickAt(rubble->second->getView()->getPosition());

        // Held down while the rubble is cleared, until its briefing opens; let go after.
        hold(*front.script, true);
        for (int i = 0; i < 2000 && engine.topState() != &BriefState::instance(); ++i)
            front.frame(0.05f);
        ASSERT_EQ(engine.topState(), &BriefState::instance()) << "the rubble's briefing";
        front.takeTraces();
        hold(*front.script, false);
        front.frames(5, 0.05f);
        EXPECT_EQ(engine.topState(), &BriefState::instance()) << "the briefing stays";
        EXPECT_EQ(saidWhole(front.takeTraces()), 0) << "its speech goes on";
        front.key(Space);
        EXPECT_EQ(saidWhole(front.takeTraces()), 1) << "the next key answers it";
        engine.setLevelPath(L"");
    }
}

TEST(BriefingUnderAMessage, WaitsForItsOkAndTheOkAnswersTheMessageAlone)
{
    const Engine::cVector2 mapPlay(922.0f, 710.0f), yes(402.0f, 478.0f), no(622.0f, 478.0f);
    // The unfinished level the main menu finds (none, one cut short after its level number, one
    // whole), and the player's clicks on the map up to the first level; the progress cannot be
    // saved once the map is entered.
    const struct
    {
        const char* what;
        std::string save;
        std::vector<Engine::cVector2> clicks;
    } rows[] = {
        {"the progress cannot be saved", "", {mapPlay, yes}},
        {"the unfinished level damaged and kept aside", std::string("\0\0\0\0\x05", 5), {yes}},
        {"the unfinished level dropped", std::string(4, '\0'), {no, mapPlay, yes}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        FrontEnd front;
        Engine::resetSaveFailures();
        CGameEngine& engine = CGameEngine::instance();
        engine.watchSaveFailures();
        // A first start: the player's name, then the main menu and its Play.
        engine.ChangeState(&CMenuState::instance());
        front.type(L"Ann");
        front.key(28);
        front.frames(5);
        if (!row.save.empty())
            front.writeShared(GameConfig::instance().savePath(), row.save);
        front.clickAt(Engine::cVector2(820.0f, 360.0f));
        front.frames(5);
        std::filesystem::create_directories(
            std::filesystem::path(Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder())) /
            "profiles/00000001.xml.tmp");
        for (const Engine::cVector2& place : row.clicks)
        {
            front.clickAt(place);
            front.frames(5);
        }
        cBriefing& briefing = BriefState::instance().getBriefing();
        // The level loads under the message; a briefing that opens there waits.
        for (int i = 0; i < 400 && !(engine.isTelling() && CPlayState::instance().getGame()); ++i)
            front.frame(0.05f);
        ASSERT_TRUE(engine.isTelling()) << ::testing::PrintToString(front.traces);
        for (int i = 0; i < 200; ++i)
        {
            front.frame(0.05f);
            const std::vector<DrawnText> texts = drawnTexts();
            ASSERT_EQ(texts.size(), 1u) << "at frame " << i;
            ASSERT_EQ(texts[0].speaker, "system message");
        }
        EXPECT_EQ(briefing.getTime(), 0.0f);

        // Each message in its turn, closed by its OK.
        front.takeTraces();
        for (int told = 0; told < 3 && engine.isTelling(); ++told)
        {
            front.clickAt(Engine::cVector2(512.0f, 472.0f));
            EXPECT_LE(drawnTexts().size(), 1u);
        }
        ASSERT_FALSE(engine.isTelling());
        for (int i = 0; i < 400 && !(briefing.isPlaying() && briefing.getActive(cBriefing::kSpeech)); ++i)
            front.frame(0.05f);
        ASSERT_TRUE(briefing.getActive(cBriefing::kSpeech))
            << "the briefing speaks once the message has gone" << ::testing::PrintToString(front.traces);
        EXPECT_EQ(briefing.getNextAction(), 2u) << "from its first speech on";
        // The player's first key after the message answers the briefing: its press says the speech.
        EXPECT_EQ(saidWhole(front.takeTraces()), 0) << "the OK's click said nothing";
        front.script->keyDown(Space);
        front.frame();
        EXPECT_EQ(saidWhole(front.takeTraces()), 1);
        front.script->keyUp(Space);
        front.frame();
        Engine::setSaveFailureListener({});
    }
}

} // namespace
