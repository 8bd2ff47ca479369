// The results' best time with whoever set it, drawn by the real views into an OpenGL back
// buffer and read back (kept as screenshots/results_holder_*.png in the build folder): a time
// the level ships with has no holder to name, and the row of the holder shows nothing then,
// not even the wells its label and name stand on.
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/ui/cTextLine.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/world/BestTimes.h"
#include "tests/game/hud/hud_test_tools.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{

TEST(ResultsHolder, ATimeTheLevelShipsWithNamesNoHolderAndShowsNoRowForOne)
{
    std::string error;
    HudTest::GameDataEngine engine{[&] { return HudTest::offscreenScreen(error); }};
    ASSERT_TRUE(engine.render) << error;
    Engine::cLogic logic(Engine::makeEngineFrameDevices());
    Engine::cProfileManager profiles(L"Ann");
    // Level 21 and its own best time of four minutes, which no player set.
    Engine::cProps::set<int>(L"CurrentLevel", 20);
    ASSERT_EQ(BestTimes::instance().getBestTime(20).name, L" ");
    for (const bool named : {false, true})
    {
        SCOPED_TRACE(named ? "named" : "not named");
        if (named)
            BestTimes::instance().setBestTime(20, BestTimeRecord(L"Bea", 240));
        cLevelFinishPanel results(nullptr);
        results.showResults();
        HudTest::keepScreen(HudTest::drawnScreen(logic, *engine.render),
                            named ? "results_holder_named" : "results_holder_none");
        std::set<std::wstring> shown;
        for (Engine::cControl* child : results.getChildren())
            if (auto* text = dynamic_cast<Engine::cTextLine*>(child))
            {
                if (text->isShown())
                    shown.insert(text->getText());
                text->hide();
            }
        EXPECT_EQ(shown.count(L"04:00"), 1u);
        EXPECT_EQ(shown.count(L"Set by"), named ? 1u : 0u);
        EXPECT_EQ(shown.count(L"Bea"), named ? 1u : 0u);

        // With the letters off, the holder's row from its label to its name, wells and all, looks
        // as the best time's row above it when it names someone, and not when it does not.
        const std::vector<uint32_t> wells = HudTest::drawnScreen(logic, *engine.render);
        const auto at = [&](const wchar_t* tag) { return results.find<Engine::cView>(tag)->getPosition(); };
        const Engine::cVector2 label = at(L"BestNameLabel");
        const Engine::cVector2 name = at(L"BestNameTextValue");
        const int above = static_cast<int>(name.y - at(L"BestTimeTextValue").y);
        int unlike = 0;
        int all = 0;
        for (int y = static_cast<int>(name.y) - 24; y <= static_cast<int>(name.y) + 24; ++y)
            for (int x = static_cast<int>(label.x); x <= static_cast<int>(name.x); ++x, ++all)
                unlike += !HudTest::near(wells[static_cast<size_t>(y * 1024 + x)],
                                         wells[static_cast<size_t>((y - above) * 1024 + x)], 24);
        EXPECT_TRUE(named ? unlike < all / 100 : unlike > all / 20)
            << unlike << " of " << all << " pixels unlike the best time's row";
    }
}

} // namespace
