// Production: a plant's cycle lasts its produce time (shorter under the mills bonus), fills one
// heap beside it and ends idle, also when its level yields nothing; automatic production runs
// on its period and yields nothing without one.
#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/ProduceActionItem.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <cmath>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

// The resource units standing attached to `unit`.
std::vector<cUnit::Ptr> heapsOf(const cUnit::Ptr& unit)
{
    std::vector<cUnit::Ptr> heaps;
    for (const cUnit::Ptr& attached : unit->getAttached())
        if (GameConfig::instance().isOfCategory(attached->getTypeId(), UnitCategory::resource))
            heaps.push_back(attached);
    return heaps;
}

// Starts automatic production as the planner does: registered when it starts.
void startTimed(Game& game, const boost::shared_ptr<AutoProduceActionItem>& item, float period)
{
    item->started.connect(
        boost::bind(&GameController::registerChain, &game.getController(), boost::placeholders::_1));
    item->startWithTime(period);
}

} // namespace

TEST(AuditProduction, APlantsCycleFillsOneHeapInItsTimeAndEndsAlsoWhenItsLevelYieldsNothing)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr plant = fixture.add(L"SteelWorks", game.cellToPos(Engine::cPoint(10, 10)), 1);
    const auto info = plant->getActiveLevelInfo();
    ASSERT_TRUE(info);
    const float produceTime = info->produceTime;
    const cGameResources resOut = info->resOut;
    const int steel = resourceId(L"Steel");
    const int yield = resOut.getCount(steel);
    ASSERT_GT(yield, 0);
    info->produceTime = 2.0f;

    auto first = boost::make_shared<ProduceActionItem>(plant);
    fixture.startRegistered(first);
    EXPECT_EQ(plant->getState(), eUnitState::produce);
    EXPECT_EQ(fixture.runUntilDone(first, kDt, 1000), 128) << "2 s of 1/64 s frames";
    EXPECT_EQ(plant->getState(), eUnitState::idle);
    ASSERT_EQ(heapsOf(plant).size(), 1u);
    const cUnit::Ptr heap = heapsOf(plant).front();
    EXPECT_EQ(heap->resources.getCount(steel), yield);

    // Under the mills bonus the cycle is kMillBonusSpeed times shorter; it adds to the heap.
    const float factor = GameConfig::instance().getConstants().kMillBonusSpeed;
    game.setBonusSpeedMills(true);
    auto second = boost::make_shared<ProduceActionItem>(plant);
    fixture.startRegistered(second);
    EXPECT_EQ(fixture.runUntilDone(second, kDt, 1000), static_cast<int>(std::ceil(2.0f / factor / kDt)));
    game.setBonusSpeedMills(false);
    ASSERT_EQ(heapsOf(plant).size(), 1u) << "no second heap";
    EXPECT_EQ(heap->resources.getCount(steel), 2 * yield);

    // A level that yields nothing ends its cycle too, and leaves the heap alone.
    info->resOut.assign(cGameResources());
    auto empty = boost::make_shared<ProduceActionItem>(plant);
    fixture.startRegistered(empty);
    EXPECT_EQ(fixture.runUntilDone(empty, kDt, 1000), 128);
    EXPECT_EQ(plant->getState(), eUnitState::idle);
    EXPECT_EQ(heap->resources.getCount(steel), 2 * yield);
    EXPECT_EQ(game.getController().runningChainCount(), 0u);

    info->resOut.assign(resOut);
    info->produceTime = produceTime;
}

TEST(AuditProduction, AutomaticProductionYieldsOnItsPeriodAndNeverWithoutOne)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(10, 10)), 1);
    const auto info = market->getActiveLevelInfo();
    ASSERT_TRUE(info);
    const int money = resourceId(L"Money");
    const int yield = info->autoResOut.getCount(money);
    ASSERT_GT(yield, 0);

    // A period of 0, as a level without the key or a damaged record gives: nothing, ever.
    auto none = boost::make_shared<AutoProduceActionItem>(cUnit::Ptr());
    startTimed(game, none, 0.0f);
    const int before = game.getResources().getCount(money);
    fixture.run(64, kDt);
    EXPECT_EQ(game.getResources().getCount(money), before);
    none->stop();

    // A period of 1 s: one yield per second of frames.
    auto timed = boost::make_shared<AutoProduceActionItem>(cUnit::Ptr());
    startTimed(game, timed, 1.0f);
    fixture.run(63, kDt);
    EXPECT_EQ(game.getResources().getCount(money), before);
    fixture.run(1, kDt);
    EXPECT_EQ(game.getResources().getCount(money), before + yield);
    fixture.run(64, kDt);
    EXPECT_EQ(game.getResources().getCount(money), before + 2 * yield);
    timed->stop();
}
