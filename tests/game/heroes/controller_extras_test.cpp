// The planner's pieces the level does not call yet: one unit's own automatic production and
// one animal's countdown, the handlers that end a unit or an item when another item finishes,
// and the chain that waits the heroes' attach delay and then walks, cut short when a given
// item finishes first.
#include "game/heroes/MoveActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "game/heroes/WorkActionItem.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cmath>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

bool isRegistered(Game& game, const ActionItem::Ptr& item)
{
    for (const auto& [id, chain] : game.getController().getRunningChains())
        if (chain == item)
            return true;
    return false;
}

ActionItem::Ptr countdownOf(const cUnit::Ptr& animal)
{
    return findFirstOfKind(animal, UpgradeAction,
                           [](const ActionItem::Ptr& item)
                           {
                               const auto* work = dynamic_cast<const WorkActionItem*>(item.get());
                               return work ? work->getTarget() : cUnit::Ptr();
                           });
}

} // namespace

TEST(ControllerExtras, AUnitsOwnAutomaticProductionYieldsItsOutputEveryPeriodOfItsLevel)
{
    ItemFixture fixture;
    Game& game = fixture.level("<Unit Type=\"Market\" Level=\"1\" Position=\"110;110\"/>"
                               "<Unit Type=\"Market\" Position=\"210;110\"/>");
    const auto range = game.getUnits().equal_range(typeId(L"Market"));
    const cUnit::Ptr producing = range.first->second;
    const cUnit::Ptr unbuilt = std::next(range.first)->second;
    const auto info = producing->getActiveLevelInfo();
    ASSERT_GT(info->autoProduceTime, 0.0f);
    const int perPeriod = info->autoResOut.getCount(resourceId(L"Money"));
    ASSERT_GT(perPeriod, 0);

    EXPECT_FALSE(game.getController().startAutoProduction(unbuilt))
        << "a level without a period yields nothing";
    const ActionItem::Ptr item = game.getController().startAutoProduction(producing);
    ASSERT_TRUE(item);
    EXPECT_TRUE(isRegistered(game, item));
    EXPECT_NE(item, game.getController().getAutoProductionItem()) << "the level's own clock is another";
    const int money = game.getResources().getCount(resourceId(L"Money"));
    const int period = static_cast<int>(std::ceil(info->autoProduceTime / kDt));
    fixture.run(period - 2, kDt);
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money);
    fixture.run(3, kDt);
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money + perPeriod);
    fixture.run(period, kDt);
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money + 2 * perPeriod) << "and again";
    EXPECT_TRUE(item->isActive()) << "for as long as the level lasts";
}

TEST(ControllerExtras, OneAnimalsCountdownRunsAsTheLevelStartsItButLeavesTheAnimalsState)
{
    ItemFixture fixture;
    Game& game = fixture.level(
        "<Unit Type=\"Puppy\" Position=\"110;110\"/><Unit Type=\"Kitten\" Position=\"210;110\"/>");
    const cUnit::Ptr puppy = fixture.first(L"Puppy");
    const cUnit::Ptr kitten = fixture.first(L"Kitten");
    const ActionItem::Ptr item = game.getController().startAnimalUpgrades(puppy);
    ASSERT_TRUE(item);
    EXPECT_EQ(countdownOf(puppy), item) << "registered as the puppy's countdown";
    EXPECT_FALSE(countdownOf(kitten)) << "for the one animal only";
    EXPECT_EQ(puppy->getState(), eUnitState::upgrade) << "its state as the countdown set it";
    const float time = puppy->getActiveLevelInfo()->upgradeTime;
    fixture.runUntilDone(item, kDt, static_cast<int>(time / kDt) + 10);
    EXPECT_FALSE(item->isActive());
    EXPECT_EQ(puppy->getLevel(), 1) << "the countdown ran out: the animal's level rose";

    // The level start's countdowns set every animal idle again.
    game.getController().startAnimalUpgrades();
    EXPECT_EQ(kitten->getState(), eUnitState::idle);
    EXPECT_TRUE(countdownOf(kitten));
}

TEST(ControllerExtras, TheHandlersDestroyAUnitAndCompleteAnItemWhenAnotherItemFinishes)
{
    ItemFixture fixture;
    Game& game = fixture.level("<Unit Type=\"Rubble\" Position=\"110;110\"/>");
    const cUnit::Ptr rubble = fixture.first(L"Rubble");

    // A short wait; when it is over the rubble goes.
    auto wait = boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::idle, 0.5f);
    wait->finished.connect([rubble](const ActionItem::Ptr& raised)
                           { GameController::onDestroyUnit(raised, rubble); });
    // A long wait, completed when the short one is over.
    auto longWait = boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::idle, 100.0f);
    int completed = 0;
    longWait->completed.connect([&](const ActionItem::Ptr&) { ++completed; });
    const auto longChain = fixture.startChain({longWait});
    wait->finished.connect([longWait](const ActionItem::Ptr& raised)
                           { GameController::onCompleteItem(raised, longWait); });
    fixture.startRegistered(wait);
    fixture.runUntilDone(wait, kDt, 64);
    EXPECT_TRUE(rubble->isRemoved());
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(longChain->isActive()) << "the chain of the completed item ends with it";
    EXPECT_FALSE(isRegistered(game, longChain));

    // An item that ended already is not completed a second time; a unit gone stays gone.
    GameController::onCompleteItem(wait, longWait);
    EXPECT_EQ(completed, 1);
    EXPECT_NO_THROW(GameController::onDestroyUnit(wait, rubble));
}

TEST(ControllerExtras, TheWaitAndWalkChainWaitsTheAttachDelayWalksAndStopsWhenItsItemFinishes)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    GameController& controller = game.getController();
    const float delay = GameConfig::instance().getConstants().HeroAttachDelay;
    ASSERT_GT(delay, 0.0f);
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    auto route = boost::make_shared<CellPath>();
    for (int x = 2; x <= 12; ++x)
        route->push_back(Engine::cPoint(x, 2));

    // Left alone, it waits the delay where the hero stands, then walks the whole route.
    const ActionItem::Ptr walk =
        controller.buildStateMoveChain(hero, route, eUnitState::move, Engine::cVector2(), ActionItem::Ptr());
    EXPECT_TRUE(isRegistered(game, walk));
    fixture.run(static_cast<int>(delay / kDt) - 1, kDt);
    EXPECT_EQ(game.unitPos(hero), game.cellToPos(Engine::cPoint(2, 2))) << "waiting";
    fixture.runUntilDone(walk, kDt, 2000);
    EXPECT_FALSE(walk->isActive());
    EXPECT_EQ(hero->getCell(), Engine::cPoint(12, 2));

    // With an item that finishes first, the walk stops where the hero stands.
    auto back = boost::make_shared<CellPath>(route->rbegin(), route->rend());
    auto stop = boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::idle, delay + 1.0f);
    int completed = 0;
    const ActionItem::Ptr cut =
        controller.buildStateMoveChain(hero, back, eUnitState::move, Engine::cVector2(), stop);
    cut->completed.connect([&](const ActionItem::Ptr&) { ++completed; });
    fixture.startRegistered(stop);
    fixture.runUntilDone(stop, kDt, 2000);
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(cut->isActive());
    EXPECT_FALSE(isRegistered(game, cut));
    const Engine::cPoint stoppedAt = hero->getCell();
    EXPECT_GT(stoppedAt.x, 2) << "it stopped on the way";
    EXPECT_LT(stoppedAt.x, 12);
    fixture.run(200, kDt);
    EXPECT_EQ(hero->getCell(), stoppedAt) << "and stays there";
}
