// The results' best time with whoever set it: a time the level ships with has no holder to
// name.
#include "engine/core/cProps.h"
#include "engine/ui/cTextLine.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/world/BestTimes.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace GameTest;

namespace
{

TEST(ResultsHolder, ATimeTheLevelShipsWithNamesNoHolder)
{
    GameFixture fixture;
    fixture.startProfile(L"Ann");
    // Level 21 and its own best time of four minutes, which no player set.
    Engine::cProps::set<int>(L"CurrentLevel", 20);
    ASSERT_EQ(BestTimes::instance().getBestTime(20).name, L" ");
    for (const bool named : {false, true})
    {
        if (named)
            BestTimes::instance().setBestTime(20, BestTimeRecord(L"Bea", 240));
        cLevelFinishPanel results(nullptr);
        results.showResults();
        std::set<std::wstring> shown;
        for (const Engine::cControl* child : results.getChildren())
            if (const auto* text = dynamic_cast<const Engine::cTextLine*>(child); text && text->isShown())
                shown.insert(text->getText());
        EXPECT_EQ(shown.count(L"04:00"), 1u);
        EXPECT_EQ(shown.count(L"Set by"), named ? 1u : 0u);
        EXPECT_EQ(shown.count(L"Bea"), named ? 1u : 0u);
    }
}

} // namespace
