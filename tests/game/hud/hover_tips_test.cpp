// The tips of the level under the player's pointer, in the play state with the scripted mouse:
// what a road barrier's tip offers, what a resource of the bar shows, where the tips stand among
// the head-up display's views, and where the answer to a refused click stands and when it goes.
#include "engine/core/StringUtils.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cIconText.h"
#include "game/hud/cResourceList.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CPlayState.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kTownHall = "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

class HoverTips : public ::testing::Test
{
protected:
    ~HoverTips() override { CGameEngine::instance().setLevelPath(L""); }

    Game& enter(int number, const std::string& xml)
    {
        front.fixture.writeLevel(number, xml);
        EXPECT_TRUE(front.playLevel(L"levels/n" + std::to_wstring(number) + L".xml"));
        return *CPlayState::instance().getGame();
    }

    static cUnit::Ptr unit(const wchar_t* type)
    {
        Game& game = *CPlayState::instance().getGame();
        auto found = game.getUnits().find(typeId(type));
        return found == game.getUnits().end() ? cUnit::Ptr() : found->second;
    }

    // The icons an icon row shows, by picture.
    static std::set<std::string> iconsOf(const cResourceList& list)
    {
        std::set<std::string> icons;
        for (uint32_t i = 0; i < list.getItemCount(); ++i)
        {
            const cIconText* item = list.getItems()[i];
            if (item->isShown() && !item->getIcon()->getTextureName().empty())
                icons.insert(item->getIcon()->getTextureName());
        }
        return icons;
    }

    static cTooltipView* shownTip()
    {
        cTooltipView* window = TooltipManager::instance().getCurrentWindow();
        return window && window->isShown() ? window : nullptr;
    }

    FrontEnd front;
};

TEST_F(HoverTips, ARoadBarrierTellsWhatClearingItCosts)
{
    enter(992, GameFixture::levelXml(kTownHall + "<Unit Type=\"BrokenRoad\" Position=\"300;300\"/>"
                                                 "<Unit Type=\"BarrierFire\" Position=\"600;300\"/>"));
    for (const wchar_t* type : {L"BrokenRoad", L"BarrierFire"})
    {
        const cUnit::Ptr barrier = unit(type);
        ASSERT_TRUE(barrier && barrier->getView()) << type;
        front.moveTo(barrier->getView()->getPosition());
        cTooltipView* tip = shownTip();
        ASSERT_EQ(tip, TooltipManager::instance().getWindow(TooltipManager::BarrierTip)) << type;
        const cGameResources& cost = barrier->getActiveLevelInfo()->upIn;
        ASSERT_FALSE(cost.isEmpty());
        EXPECT_EQ(tip->getInList()->getItemCount(), cost.getItems().size())
            << type << ": every resource a click takes";
        EXPECT_TRUE(tip->getInList()->isShown());
        EXPECT_EQ(iconsOf(*tip->getInList()).size(), cost.getItems().size());
        ASSERT_TRUE(tip->findText(L"in"));
        EXPECT_TRUE(tip->findText(L"in")->isShown()) << type << ": the cost has its heading";
        front.moveTo(Engine::cVector2(1000.0f, 700.0f));
    }
}

TEST_F(HoverTips, AResourceOfTheBarNamesItselfWithNoHeadingOverAnEmptyList)
{
    enter(995, GameFixture::levelXml(kTownHall));
    const Engine::cForm& bar = *CPlayState::instance().getStatusPanel()->find<Engine::cForm>(L"Resources");
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (int id = 0; id < names.size(); ++id)
    {
        const std::string name = Engine::toUtf8(names.nameOf(id));
        const auto* row = bar.find<Engine::cView>(names.nameOf(id));
        ASSERT_TRUE(row) << name;
        front.moveTo(row->getPosition());
        const cTooltipView* tip = TooltipManager::instance().getWindow(TooltipManager::ResourceTip);
        ASSERT_TRUE(tip->isShown()) << name;
        // A heading stands only over a list that shows something.
        for (const auto& [heading, list] :
             {std::pair(L"in", tip->getInList()), std::pair(L"out", tip->getOutList())})
        {
            const Engine::cMultiLineText* text = tip->findText(heading);
            ASSERT_TRUE(text) << name;
            EXPECT_EQ(text->isShown(), !iconsOf(*list).empty())
                << name << ": the heading \"" << Engine::toUtf8(text->getText()) << "\"";
        }
        front.moveTo(Engine::cVector2(1000.0f, 700.0f));
    }
}

TEST_F(HoverTips, EveryTipStandsAboveTheHeadUpDisplay)
{
    enter(993,
          GameFixture::levelXml(kTownHall + "<Unit Type=\"PowerStation\" Position=\"830;240\" "
                                            "TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"works\"/>"));
    const cUnit::Ptr station = unit(L"PowerStation");
    front.moveTo(station->getView()->getPosition());
    cTooltipView* tip = shownTip();
    ASSERT_TRUE(tip);
    float hud = std::numeric_limits<float>::lowest();
    const std::function<void(const Engine::cControl&)> walk = [&](const Engine::cControl& control)
    {
        for (const Engine::cControl* child : control.getChildren())
        {
            if (const auto* view = dynamic_cast<const Engine::cView*>(child); view && view->isShown())
                hud = std::max(hud, view->getDeep());
            walk(*child);
        }
    };
    walk(*CPlayState::instance().getStatusPanel());
    EXPECT_GT(tip->getDeep(), hud);
    // Every part of the tip that draws something: its texts and pictures, and the items of its
    // rows (a row the window's layout does not have draws nothing).
    std::vector<const Engine::cView*> parts;
    const std::function<void(const Engine::cControl&)> collect = [&](const Engine::cControl& control)
    {
        for (const Engine::cControl* child : control.getChildren())
        {
            const auto* view = dynamic_cast<const Engine::cView*>(child);
            if (!view || !view->isShown())
                continue;
            // Rows and multi-line texts draw nothing themselves: their items and lines do.
            if (!dynamic_cast<const cResourceList*>(view) &&
                !dynamic_cast<const Engine::cMultiLineText*>(view))
                parts.push_back(view);
            collect(*view);
        }
    };
    collect(*tip);
    ASSERT_FALSE(parts.empty());
    for (const Engine::cView* part : parts)
        EXPECT_GT(part->getDeep(), hud) << "every part of the tip";
}

TEST_F(HoverTips, TheAnswerToARefusedClickStandsAtTheUnitUntilThePointerLeavesIt)
{
    // A heap that costs money the town does not have.
    enter(994, GameFixture::levelXml(kTownHall + "<Unit Type=\"Rubble\" Position=\"400;300\"/>"));
    TooltipManager& tips = TooltipManager::instance();
    const Engine::cVector2 at = unit(L"Rubble")->getView()->getPosition();
    front.clickAt(at);
    cTooltipView* answer = tips.getWindow(TooltipManager::NotEnoughTip);
    ASSERT_EQ(shownTip(), answer) << "not enough money";
    const Engine::cVector2 shown = answer->getPosition();
    answer->place(at);
    EXPECT_EQ(answer->getPosition(), shown) << "where the window places itself beside the heap";
    front.moveTo(Engine::cVector2(700.0f, 600.0f));
    EXPECT_FALSE(answer->isShown()) << "the pointer left the heap";
    front.moveTo(at);
    EXPECT_EQ(shownTip(), tips.getWindow(TooltipManager::BarrierTip)) << "the heap's own tip";
}

} // namespace
