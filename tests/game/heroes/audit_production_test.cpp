// Production: a plant's cycle lasts its produce time (shorter under the mills bonus), fills one
// heap beside it and ends idle, also when its level yields nothing; automatic production runs
// on its period and yields nothing without one.
#include "engine/devices/cSoundSample.h"
#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/ProduceActionItem.h"
#include "game/hud/cFlyingIconText.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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

// The flying texts on the play view.
int flyingTexts()
{
    int count = 0;
    for (Engine::cControl* child : getPlayView()->getChildren())
        if (dynamic_cast<cFlyingIconText*>(child))
            ++count;
    return count;
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

TEST(AuditProduction, TheLevelsClockShowsItsBarOnTheScreenAndAUnitsYieldFliesAndFollowsItsLevel)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(10, 10)), 1);

    // The level's own clock: its bar stands where "UI/autoProgress.xml" puts it and fills
    // over the period.
    auto clock = boost::make_shared<AutoProduceActionItem>(cUnit::Ptr());
    startTimed(game, clock, 2.0f);
    cUnitProgressView* bar = clock->getProgressView();
    ASSERT_NE(bar, nullptr) << "the screen bar";
    EXPECT_TRUE(bar->isShown());
    EXPECT_EQ(bar->getPosition(), Engine::cVector2(648.0f, 72.0f));
    EXPECT_EQ(bar->getParent(), getPlayView());
    fixture.run(64, kDt);
    EXPECT_NEAR(bar->getCurrentValue(), 50.0f, 0.1f) << "half of the period";
    clock->complete();

    // A unit-bound item runs for the unit's own "AutoProduceTime", whatever it is given; each
    // yield flies up from the unit with the sound of resources given.
    const auto info = market->getActiveLevelInfo();
    const float period = info->autoProduceTime;
    ASSERT_GT(period, 0.0f);
    auto own = boost::make_shared<AutoProduceActionItem>(market);
    startTimed(game, own, 99.0f);
    EXPECT_FLOAT_EQ(own->getPeriod(), period);
    EXPECT_EQ(own->getProgressView(), nullptr) << "no screen bar for a unit";
    const int money = resourceId(L"Money");
    const int before = game.getResources().getCount(money);
    const int texts = flyingTexts();
    fixture.mixer->clearLog();
    market->setLevelAndState(2, eUnitState::idle, true);
    const float nextPeriod = market->getActiveLevelInfo()->autoProduceTime;
    ASSERT_NE(nextPeriod, period);
    fixture.run(static_cast<int>(std::ceil(period / kDt)), kDt);
    EXPECT_EQ(game.getResources().getCount(money),
              before + market->getActiveLevelInfo()->autoResOut.getCount(money));
    EXPECT_EQ(flyingTexts(), texts + 1) << "the yield flies up";
    const std::string sound =
        "play " + std::to_string(fixture.sounds->getSample("give_resource")->getId()) + " ";
    EXPECT_EQ(fixture.mixer->count(sound), 1) << "\"give_resource\"";
    EXPECT_FLOAT_EQ(own->getPeriod(), nextPeriod) << "the period follows the unit's level";
    own->complete();

    // Read back, every item shows the screen bar, unit-bound or not.
    const ActionItem::Ptr restored = fixture.restore(fixture.record(own));
    ASSERT_NE(restored->getProgressView(), nullptr);
    EXPECT_EQ(restored->getProgressView()->getPosition(), Engine::cVector2(648.0f, 72.0f));
    restored->progressOff();
}
