// The results' best time with whoever set it: a time the level ships with has no holder to
// name.
#include "engine/core/cProps.h"
#include "engine/ui/cTextLine.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/world/BestTimes.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// The texts the panel shows, in the order of its children.
std::vector<std::wstring> shownTexts(const cLevelFinishPanel& panel)
{
    std::vector<std::wstring> texts;
    for (const Engine::cControl* child : panel.getChildren())
        if (const auto* text = dynamic_cast<const Engine::cTextLine*>(child);
            text && text->isShown() && !text->getText().empty())
            texts.push_back(text->getText());
    return texts;
}

bool shows(const std::vector<std::wstring>& texts, const std::wstring& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(ResultsHolder, ATimeTheLevelShipsWithNamesNoHolder)
{
    GameFixture fixture;
    fixture.startProfile(L"Ann");
    // Level 21 and its own best time of four minutes, which no player set.
    Engine::cProps::set<int>(L"CurrentLevel", 20);
    ASSERT_EQ(BestTimes::instance().getBestTime(20).name, L" ");
    for (const auto& [holder, named] : {std::pair(L"", false), std::pair(L"Bea", true)})
    {
        if (named)
            BestTimes::instance().setBestTime(20, BestTimeRecord(holder, 240));
        cLevelFinishPanel results(nullptr);
        results.showResults();
        const std::vector<std::wstring> texts = shownTexts(results);
        EXPECT_TRUE(shows(texts, L"04:00"));
        EXPECT_EQ(shows(texts, L"Set by"), named);
        EXPECT_EQ(shows(texts, holder), named);
    }
}

} // namespace
