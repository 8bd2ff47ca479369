// The status panel's time bar against its medal marks: the bar's moving edge passes the gold
// mark at the gold time and reaches the silver mark at the silver time.
#include "engine/ui/cProgressFloat.h"
#include "game/hud/cStatusPanel.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace GameTest;

namespace
{

TEST(StatusTimeBar, TheBarsMovingEdgeMeetsEachMarkAtItsTime)
{
    SilentEffects effects;
    GameFixture fixture;
    fixture.load(
        968, GameFixture::levelXml("<Unit Type=\"Road\" Position=\"110;130\" Level=\"0\" TargetType=\"1\" "
                                   "TargetLevel=\"1\" GoalCategory=\"roads\"/>",
                                   "<MetaData GoldTime=\"45\" SilverTime=\"60\"/>"));
    auto* panel = new cStatusPanel(getPlayView());
    panel->enable();
    auto* bar = panel->find<Engine::cProgressFloat>(L"TimeProgress");
    ASSERT_NE(bar, nullptr);
    // The ends of the bar's fill as drawn: one is the bar's end, the other the moving edge.
    const auto fill = [&]
    {
        const Engine::cQuad& quad = bar->getSprite();
        return std::pair(std::min(quad.corners[0].x, quad.corners[1].x),
                         std::max(quad.corners[0].x, quad.corners[1].x));
    };
    const auto markAt = [&](const wchar_t* tag) { return panel->find<Engine::cView>(tag)->getPosition().x; };

    fixture.run(1, 44.0f);
    fixture.run(1, 1.0f);
    ASSERT_EQ(panel->getMedalState(), 0) << "at the gold time";
    const auto [goldLeft, goldRight] = fill();
    EXPECT_TRUE(std::abs(goldLeft - markAt(L"PerfectGoldPicture")) < 0.5f ||
                std::abs(goldRight - markAt(L"PerfectGoldPicture")) < 0.5f)
        << "the fill runs from " << goldLeft << " to " << goldRight;

    fixture.run(1, 15.0f);
    ASSERT_EQ(panel->getMedalState(), 1) << "at the silver time";
    const auto [silverLeft, silverRight] = fill();
    EXPECT_NEAR(silverLeft, markAt(L"PerfectSilverPicture"), 0.5f) << "the bar is spent at the silver mark";
    EXPECT_NEAR(silverRight, markAt(L"PerfectSilverPicture"), 0.5f);
}

} // namespace
