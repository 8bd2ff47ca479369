// The tooltips over a loaded level: which window a unit under the pointer gets, where a window
// opens near the screen's edges, how the resource rows lay out and colour their amounts, and
// what a refused upgrade says.
#include "engine/core/cXmlProperties.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cIconText.h"
#include "game/hud/cResourceList.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

cUnit::Ptr unitOf(Game& game, const wchar_t* type)
{
    const auto found = game.getUnits().find(typeId(type));
    return found == game.getUnits().end() ? cUnit::Ptr() : found->second;
}

cGameResources resources(const std::string& list)
{
    cGameResources set;
    const std::string xml = "<R>" + list + "</R>";
    set.loadXML(Engine::cXmlProperties::fromBuffer(xml.data(), xml.size(), "resources"));
    return set;
}

TEST(Tooltips, EachKindOfUnitGetsItsWindow)
{
    SilentEffects effects;
    GameFixture fixture;
    Game& game = fixture.load(
        970, GameFixture::levelXml("<Unit Type=\"Market\" Position=\"110;130\"/>"
                                   "<Unit Type=\"BrickKiln\" Position=\"210;130\" Level=\"1\"/>"
                                   "<Unit Type=\"SteelWorks\" Position=\"310;130\" Level=\"1\"/>"
                                   "<Unit Type=\"Rubble\" Position=\"410;130\"/>"
                                   "<Unit Type=\"Puppy\" Position=\"110;230\"/>"
                                   "<Unit Type=\"TownHall\" Position=\"210;230\"/>"
                                   "<Unit Type=\"Workshop\" Position=\"310;230\" Level=\"1\"/>"));
    TooltipManager& tips = TooltipManager::instance();
    const auto hover = [&](const wchar_t* type)
    {
        cUnitView* view = unitOf(game, type)->getView();
        tips.onUnitViewHover(view);
        return tips.getCurrentWindow();
    };
    EXPECT_EQ(hover(L"Market"), tips.getWindow(TooltipManager::PlaceTip)) << "a mill still to build";
    EXPECT_TRUE(tips.getWindow(TooltipManager::PlaceTip)->isShown());
    EXPECT_EQ(hover(L"BrickKiln"), tips.getWindow(TooltipManager::MillTip));
    EXPECT_FALSE(tips.getWindow(TooltipManager::PlaceTip)->isShown()) << "the window before goes";
    EXPECT_EQ(hover(L"SteelWorks"), tips.getWindow(TooltipManager::ProduceTip));
    EXPECT_EQ(hover(L"Rubble"), tips.getWindow(TooltipManager::BarrierTip));
    EXPECT_EQ(hover(L"Puppy"), tips.getWindow(TooltipManager::SaveTip));
    EXPECT_EQ(hover(L"TownHall"), tips.getWindow(TooltipManager::BaseTip));
    EXPECT_NE(tips.getCurrentSelection(), nullptr) << "the town hall is highlighted";
    EXPECT_EQ(tips.getSelectedUnit(), unitOf(game, L"TownHall"));
    EXPECT_FLOAT_EQ(tips.getSoundDelay(), GameConfig::instance().getConstants().UnitSoundDelay);

    unitOf(game, L"Workshop")->inFire = true;
    EXPECT_EQ(hover(L"Workshop"), tips.getWindow(TooltipManager::InFireTip));
    unitOf(game, L"Workshop")->inFire = false;
    unitOf(game, L"Workshop")->isDamaged = true;
    EXPECT_EQ(hover(L"Workshop"), tips.getWindow(TooltipManager::DamagedTip));
    EXPECT_EQ(tips.getWindow(TooltipManager::DamagedTip)->findText(L"UnitName")->getText(),
              GameConfig::instance().unitNames().nameOf(typeId(L"Workshop")))
        << "a type without a view description is named by its type";

    tips.onUnitViewLeave(nullptr);
    EXPECT_FALSE(tips.getCurrentWindow()->isShown());
    EXPECT_EQ(tips.getCurrentSelection(), nullptr);
    EXPECT_EQ(tips.getHoveredUnit(), cUnit::Ptr());

    unitOf(game, L"Puppy")->setState(eUnitState::falling, -1);
    tips.onUnitViewHover(unitOf(game, L"Puppy")->getView());
    EXPECT_EQ(tips.getHoveredUnit(), cUnit::Ptr()) << "a falling unit gives no feedback";
}

TEST(Tooltips, AWindowOpensTowardsTheScreensCentreAndStaysOnIt)
{
    SilentEffects effects;
    GameFixture fixture;
    fixture.newGame();
    cTooltipView* window = TooltipManager::instance().getWindow(TooltipManager::PlaceTip);
    const Engine::cVector2 size = window->getSize();
    const Engine::cVector2 offset = window->getOffset();
    ASSERT_GT(size.x, 0.0f);

    window->place(Engine::cVector2(512.0f, 384.0f));
    EXPECT_FALSE(window->getInverceX()) << "the exact centre opens right and below";
    EXPECT_FALSE(window->getInverceY());
    EXPECT_EQ(window->getPosition(),
              Engine::cVector2(512.0f + size.x * 0.5f + offset.x, 384.0f + size.y * 0.5f + offset.y));

    window->place(Engine::cVector2(1010.0f, 760.0f));
    EXPECT_TRUE(window->getInverceX());
    EXPECT_TRUE(window->getInverceY());
    EXPECT_EQ(window->getPosition(),
              Engine::cVector2(1010.0f - size.x * 0.5f - offset.x, 760.0f - size.y * 0.5f - offset.y));
    EXPECT_LE(window->getPosition().x + size.x * 0.5f, 1024.0f);

    // The children move with the window.
    Engine::cMultiLineText* name = window->findText(L"UnitName");
    ASSERT_NE(name, nullptr);
    const Engine::cVector2 before = name->getPosition() - window->getPosition();
    window->place(Engine::cVector2(40.0f, 40.0f));
    EXPECT_EQ(name->getPosition() - window->getPosition(), before);

    // Pushed off the screen, it places itself again at its next update.
    window->setPosition(Engine::cVector2(1020.0f, 20.0f));
    window->update();
    EXPECT_LE(window->getPosition().x + size.x * 0.5f, 1024.0f);
    EXPECT_GE(window->getPosition().y - size.y * 0.5f, 0.0f);
}

TEST(Tooltips, ResourceRowsLayOutTheirItemsAndGreyWhatTheTownLacks)
{
    SilentEffects effects;
    GameFixture fixture;
    fixture.newGame();
    cResourceList list(nullptr);
    list.setPosition(Engine::cVector2(300.0f, 200.0f));
    list.setCompactOffset(Engine::cVector2(40.0f, 20.0f));
    const std::string four = "<Res Name=\"Money\" Count=\"4\"/><Res Name=\"Steel\" Count=\"2\"/>"
                             "<Res Name=\"Cement\" Count=\"1\"/><Res Name=\"Brick\" Count=\"3\"/>";
    list.setItems(resources(four),
                  resources("<Res Name=\"Money\" Count=\"9\"/><Res Name=\"Steel\" Count=\"1\"/>"));
    EXPECT_TRUE(list.isShown()) << "a row shows itself with its items";
    ASSERT_EQ(list.getItemCount(), 4u);
    EXPECT_EQ(list.getTotal(), 10);
    const auto& items = list.getItems();
    // A 2 x 2 block centred on the list.
    EXPECT_EQ(items[0]->getPosition(), Engine::cVector2(280.0f, 190.0f));
    EXPECT_EQ(items[1]->getPosition(), Engine::cVector2(320.0f, 190.0f));
    EXPECT_EQ(items[2]->getPosition(), Engine::cVector2(280.0f, 210.0f));
    EXPECT_EQ(items[3]->getPosition(), Engine::cVector2(320.0f, 210.0f));
    EXPECT_TRUE(items[0]->isEnabled()) << "9 money cover 4";
    EXPECT_EQ(items[0]->getColor(), list.getEnabledColor());
    EXPECT_FALSE(items[1]->isEnabled()) << "1 steel does not cover 2";
    EXPECT_EQ(items[1]->getColor(), list.getDisabledColor());
    EXPECT_EQ(items[1]->getText(), L"2");

    list.setItems(resources(four + "<Res Name=\"Accum\" Count=\"1\"/><Res Name=\"Hardware\" Count=\"1\"/>"
                                   "<Res Name=\"Accum\" Count=\"0\"/>"),
                  cGameResources());
    EXPECT_EQ(list.getItemCount(), 6u) << "items are reused and added";

    list.setCompact(false);
    list.setShowWithX(true);
    list.setShowWithPlus(true);
    list.setLinearOffset(Engine::cVector2(30.0f, 0.0f));
    list.setItems(resources("<Res Name=\"Money\" Count=\"2\"/><Res Name=\"Steel\" Count=\"0\"/><Res "
                            "Name=\"Brick\" Count=\"1\"/>"),
                  resources("<Res Name=\"Money\" Count=\"2\"/>"));
    EXPECT_EQ(list.getItemCount(), 3u) << "a zero amount still takes an item";
    EXPECT_FALSE(list.getItems()[1]->isShown()) << "but is not shown";
    EXPECT_EQ(list.getItems()[0]->getText(), L"2+") << "the plus wins over the x";
    // Two shown items, centred: the line starts half their 60 units left of the list.
    EXPECT_EQ(list.getItems()[0]->getPosition(), Engine::cVector2(270.0f, 200.0f));
    EXPECT_EQ(list.getItems()[2]->getPosition(), Engine::cVector2(300.0f, 200.0f));
    for (size_t i = 3; i < list.getItems().size(); ++i)
        EXPECT_FALSE(list.getItems()[i]->isShown());
}

TEST(Tooltips, ARefusedUpgradeSaysWhatIsMissingAndTheLevelsEndSilencesTheTips)
{
    SilentEffects effects;
    GameFixture fixture;
    Game& game = fixture.load(971, GameFixture::levelXml("<Unit Type=\"Market\" Position=\"210;330\"/>",
                                                         "<InitialResources><Res Name=\"Money\" Count=\"1\"/>"
                                                         "</InitialResources>"));
    TooltipManager& tips = TooltipManager::instance();
    const cUnit::Ptr market = unitOf(game, L"Market");
    tips.onUnitProblem(market, NotEnoughResources);
    Engine::cMultiLineText* text = tips.getTipText();
    EXPECT_TRUE(text->isShown());
    const std::wstring missing =
        TooltipManager::missing(game.getResources(), market->getActiveLevelInfo()->upIn).toText(false);
    EXPECT_FALSE(missing.empty());
    EXPECT_EQ(text->getText().substr(0, 1), L"\n");
    EXPECT_EQ(text->getText().substr(text->getText().size() - missing.size()), missing);
    const cUnitView* view = market->getView();
    EXPECT_EQ(text->getPosition(),
              view->getPosition() - Engine::cVector2(0.0f, (view->getSize().y + text->getSize().y) * 0.5f))
        << "above the unit";

    EXPECT_EQ(
        TooltipManager::missing(resources("<Res Name=\"Money\" Count=\"3\"/>"),
                                resources("<Res Name=\"Money\" Count=\"5\"/><Res Name=\"Brick\" Count=\"2\"/>"
                                          "<Res Name=\"Steel\" Count=\"0\"/>"))
            .getItems(),
        (cGameResources::Items{{resourceId(L"Money"), 2}, {resourceId(L"Brick"), 2}}));

    tips.showProblemTip(market, NotEnoughResources);
    EXPECT_EQ(tips.getCurrentWindow(), tips.getWindow(TooltipManager::NotEnoughTip));
    EXPECT_TRUE(tips.getCurrentWindow()->getInList()->getItems()[0]->isShown());
    tips.showProblemTip(market, NoRoute);
    EXPECT_EQ(tips.getCurrentWindow(), tips.getWindow(TooltipManager::NoWayTip));

    tips.reset();
    EXPECT_FALSE(text->isShown());
    EXPECT_EQ(tips.getCurrentWindow(), nullptr);
}

} // namespace
