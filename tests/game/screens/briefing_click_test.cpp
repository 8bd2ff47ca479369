// A briefing that opens while the player holds a key or a button down, through the front end's
// real frame and scripted input: the first level's rubble, cleared, opens its briefing under a
// press on the rubble, and the release that follows was meant for the field, not the briefing.
#include "engine/core/StringUtils.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cBriefing.h"
#include "game/world/Game.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
