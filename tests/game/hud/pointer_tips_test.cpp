// The tips of the level under the scripted mouse, through the play state's real controls: what
// a refused click says is missing, and tips that follow the pointer whatever order the
// controls tell of it in and whatever hides the control under it.
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cIconText.h"
#include "game/hud/cResourceList.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CPlayState.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace GameTest;

namespace
{
// Field grass, far from every unit of the test levels.
const Engine::cVector2 kGrass(900.0f, 600.0f);

std::string townHall(const std::string& position = "50;50")
{
    return "<Unit Type=\"TownHall\" Position=\"" + position +
           "\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/>"
           "</CameOffsetPoints></Unit>";
}

std::string stock(const std::string& resources)
{
    return "<InitialResources>" + resources + "</InitialResources>";
}

class PointerTips : public ::testing::Test
{
protected:
    ~PointerTips() override { CGameEngine::instance().setLevelPath(L""); }

    void enter(int number, const std::string& xml)
    {
        front.fixture.writeLevel(number, xml);
        ASSERT_TRUE(front.playLevel(L"levels/n" + std::to_wstring(number) + L".xml"));
        front.moveTo(kGrass);
    }

    static cUnitView* view(const wchar_t* type)
    {
        Game& game = *CPlayState::instance().getGame();
        const auto found = game.getUnits().find(typeId(type));
        return found == game.getUnits().end() ? nullptr : found->second->getView();
    }

    // The tip windows and the missing-resources text shown now.
    static std::vector<std::wstring> shownTips()
    {
        TooltipManager& tips = TooltipManager::instance();
        std::vector<std::wstring> shown;
        for (int i = 0; i < TooltipManager::WindowCount; ++i)
            if (tips.getWindow(static_cast<TooltipManager::Window>(i))->isShown())
                shown.push_back(TooltipManager::windowName(static_cast<TooltipManager::Window>(i)));
        if (tips.getTipText()->isShown())
            shown.push_back(L"tooltiptext");
        return shown;
    }

    FrontEnd front;
};

TEST_F(PointerTips, ARefusedClickNamesWhatIsMissingOfThePriceItIsCharged)
{
    // One money in the town: the rubble takes in two, the roads are built of bricks and cement.
    enter(995, GameFixture::levelXml(townHall() + "<Unit Type=\"Rubble\" Position=\"400;300\"/>"
                                                  "<Unit Type=\"BrokenRoad\" Position=\"200;300\"/>"
                                                  "<Unit Type=\"Road\" Position=\"500;160\"/>",
                                     stock("<Res Name=\"Money\" Count=\"1\"/>")));
    const std::pair<const wchar_t*, std::map<std::string, std::wstring>> cases[] = {
        {L"Rubble", {{"Money", L"1"}}},
        {L"BrokenRoad", {{"Brick", L"2"}, {"Cement", L"1"}}},
        {L"Road", {{"Brick", L"1"}}},
    };
    const cTooltipView* answer = TooltipManager::instance().getWindow(TooltipManager::NotEnoughTip);
    for (const auto& [type, expected] : cases)
    {
        ASSERT_TRUE(view(type)) << Engine::toUtf8(type);
        front.click(view(type));
        ASSERT_TRUE(answer->isShown()) << Engine::toUtf8(type);
        std::map<std::string, std::wstring> shown;
        const cResourceList& row = *answer->getInList();
        for (uint32_t i = 0; i < row.getItemCount(); ++i)
            if (const cIconText* item = row.getItems()[i]; item->isShown())
                shown[item->getIcon()->getTextureName()] = item->getText();
        std::map<std::string, std::wstring> icons;
        for (const auto& [resource, count] : expected)
            icons["Units/Icons/" + resource + ".jpg"] = count;
        EXPECT_EQ(shown, icons) << Engine::toUtf8(type);
        front.moveTo(kGrass);
    }
}

TEST(TipsTogether, EachTipGoesOnlyWithItsOwnLeave)
{
    SilentEffects effects;
    GameFixture fixture;
    Game& game = fixture.load(975, GameFixture::levelXml("<Unit Type=\"Market\" Position=\"210;330\"/>",
                                                         stock("<Res Name=\"Money\" Count=\"1\"/>")));
    TooltipManager& tips = TooltipManager::instance();
    const cUnit::Ptr market = game.getUnits().find(typeId(L"Market"))->second;
    tips.onUpgradeButtonHover(nullptr, market->getView());
    tips.onUnitProblem(market, NotEnoughResources);
    EXPECT_TRUE(tips.getWindow(TooltipManager::UpgradeTip)->isShown())
        << "the refused upgrade's text comes over it";
    tips.showProblemTip(market, NotEnoughResources);
    EXPECT_TRUE(tips.getTipText()->isShown()) << "a refused click's window comes beside it";
    tips.onResourceRowHover(market->getView(), L"Steel");
    EXPECT_EQ(tips.getCurrentWindow(), tips.getWindow(TooltipManager::NotEnoughTip))
        << "a resource row's tip is shown, not made the unit's window";
}

TEST_F(PointerTips, ABonusTipEndsWithItsName)
{
    enter(999, GameFixture::levelXml(townHall() + "<Unit Type=\"BonusSpeedHero\" Position=\"400;300\"/>"));
    front.moveTo(view(L"BonusSpeedHero")->getPosition());
    const cTooltipView* tip = TooltipManager::instance().getWindow(TooltipManager::BonusTip);
    ASSERT_TRUE(tip->isShown());
    std::vector<std::wstring> texts;
    for (const Engine::cControl* child : tip->getChildren())
        if (const auto* text = dynamic_cast<const Engine::cMultiLineText*>(child);
            text && text->isShown() && !text->getText().empty())
            texts.push_back(text->getText());
    // A bonus costs nothing: nothing follows its name.
    EXPECT_EQ(texts, std::vector<std::wstring>{L"Heroes walk faster"});
}

TEST_F(PointerTips, ATipFollowsThePointerWhateverOrderItsEventsComeInAndWhateverHidesItsControl)
{
    // The town pays the town hall's first upgrade: its arrow is lit.
    enter(996, GameFixture::levelXml(
                   townHall("300;250") + "<Unit Type=\"Money\" Position=\"500;300\"/>",
                   stock("<Res Name=\"Money\" Count=\"12\"/><Res Name=\"Brick\" Count=\"4\"/>")));
    const std::vector<std::wstring> none;

    // Straight from one resource row to the next, either way along the bar: whichever row hears
    // of the move first, the tip is the next row's.
    const Engine::cForm& bar = *CPlayState::instance().getStatusPanel()->find<Engine::cForm>(L"Resources");
    const cTooltipView* rowTip = TooltipManager::instance().getWindow(TooltipManager::ResourceTip);
    for (const auto& [from, to] : {std::pair(L"Steel", L"Accum"), std::pair(L"Accum", L"Steel")})
    {
        front.moveTo(bar.find<Engine::cView>(from)->getPosition());
        front.moveTo(bar.find<Engine::cView>(to)->getPosition());
        EXPECT_EQ(shownTips(), std::vector<std::wstring>{L"ResourceTip"}) << Engine::toUtf8(to);
        EXPECT_EQ(rowTip->findText(L"UnitName")->getText(),
                  UnitViewLibrary::instance().findOrLoad(typeId(to))->getName());
    }
    front.moveTo(kGrass);
    EXPECT_EQ(shownTips(), none);

    // The arrow hidden under the pointer by the upgrade its click started.
    const cUnit::Ptr hall = view(L"TownHall")->getUnit();
    for (int i = 0; i < 200 && hall->getState() != eUnitState::idle; ++i)
        front.frame(0.05f);
    const Engine::cLightButton* arrow = view(L"TownHall")->getUpgradeButton();
    ASSERT_TRUE(arrow && arrow->isShown() && !arrow->getShowDisabled());
    front.click(arrow);
    EXPECT_FALSE(arrow->isShown());
    front.moveTo(kGrass);
    EXPECT_EQ(shownTips(), none);

    // A click on the pile and the pointer away on grass before the frame reads the buttons: the
    // engine's own devices move the pointer to where a button changed before its handlers run,
    // which the scripted frame devices are told of here.
    const boost::signals2::scoped_connection placed = front.input->connectPointer(
        [this](const Engine::cVector2& place)
        {
            const Engine::cVector2 cursor = front.pointer->cursor;
            front.pointer->cursor = place;
            front.logic->updateMousePosition();
            front.pointer->cursor = cursor;
        });
    const Engine::cVector2 pile = view(L"Money")->getPosition();
    front.script->warpPointer(static_cast<int32_t>(pile.x), static_cast<int32_t>(pile.y));
    front.script->mouseButton(0, true);
    front.script->mouseButton(0, false);
    front.script->mouseMove(static_cast<int32_t>(kGrass.x - pile.x), static_cast<int32_t>(kGrass.y - pile.y));
    front.frames(3);
    EXPECT_EQ(shownTips(), none);
    EXPECT_EQ(TooltipManager::instance().getCurrentSelection(), nullptr);
    front.moveTo(pile);
    EXPECT_EQ(shownTips(), std::vector<std::wstring>{L"ResourceTip"}) << "back on the pile in one move";
}

} // namespace
