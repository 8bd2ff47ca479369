// Resources moving between heroes, units and the level's stock, and animals saved and
// delivered.
#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/ReturnAnimalActionItem.h"
#include "game/heroes/TakeResourcesActionItem.h"
#include "game/heroes/UnloadResourcesActionItem.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

cGameResources resources(const wchar_t* name, int count)
{
    cGameResources set;
    set.insert(resourceId(name), count);
    return set;
}

} // namespace

TEST(ResourceAndAnimalItems, AHeroTakesALoadAndUnloadsItAtHome)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    hero->resources.insert(resourceId(L"Brick"), 1);
    auto take = boost::make_shared<TakeResourcesActionItem>(hero, resources(L"Money", 6));
    auto unload = boost::make_shared<UnloadResourcesActionItem>(hero);
    auto chain = fixture.startChain({take, unload});
    fixture.run(1, kDt);
    EXPECT_EQ(hero->getState(), eUnitState::carry);
    EXPECT_EQ(hero->resources.getCount(resourceId(L"Money")), 6);
    EXPECT_EQ(hero->resources.getCount(resourceId(L"Brick")), 1);

    // Records: the take holds its set (one entry), the unload only its hero.
    const std::vector<uint8_t> takeRecord = fixture.record(take);
    EXPECT_EQ(takeRecord.size(), 6u + 4u + 4u + 8u);
    const auto back = boost::dynamic_pointer_cast<TakeResourcesActionItem>(fixture.restore(takeRecord));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getResources().getCount(resourceId(L"Money")), 6);
    EXPECT_EQ(fixture.record(back), takeRecord);
    EXPECT_EQ(fixture.record(unload).size(), 10u);

    // Without a goal the unload only empties the hero.
    fixture.run(1, kDt);
    EXPECT_FALSE(chain->isActive());
    EXPECT_EQ(hero->getState(), eUnitState::idle);
    EXPECT_TRUE(hero->resources.isEmpty());
}

TEST(ResourceAndAnimalItems, ADeliveredAnimalCountsForTheGoalsAndLeavesTheLevel)
{
    ItemFixture fixture;
    Game& game =
        fixture.level("<Unit Type=\"Hospital\" Position=\"250;150\"/>"
                      "<Unit Type=\"Puppy\" Position=\"110;110\" TargetType=\"3\" GoalCategory=\"pets\"/>"
                      "<Unit Type=\"Kitten\" Position=\"130;110\" TargetType=\"3\" GoalCategory=\"pets\"/>");
    game.buildLevelGoals();
    const cUnit::Ptr hospital = fixture.first(L"Hospital");
    const cUnit::Ptr puppy = fixture.first(L"Puppy");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(12, 7)));
    const cUnit::Ptr hammer = fixture.add(L"Hammer", game.cellToPos(Engine::cPoint(12, 7)));
    hero->attach(hammer);
    hero->attach(puppy);
    puppy->setState(eUnitState::hidden, -1);
    hero->resources.insert(resourceId(L"Money"), 2);
    hero->setState(eUnitState::carry, -1);
    auto goal = boost::make_shared<Goal>(hospital, cGameResources());
    goal->setHero(hero);
    game.getController().restoreGoal(goal);
    const int open = game.countOpenGoals();

    auto deliver = boost::make_shared<ReturnAnimalActionItem>(hero, hospital);
    fixture.startChain({deliver});
    const std::vector<uint8_t> bytes = fixture.record(deliver);
    ASSERT_EQ(bytes.size(), 14u);
    fixture.run(1, kDt);
    EXPECT_FALSE(deliver->isActive());
    EXPECT_TRUE(puppy->targetReached);
    EXPECT_TRUE(puppy->isRemoved());
    EXPECT_EQ(hero->getAttached().size(), 1u) << "the tool stays";
    EXPECT_TRUE(hero->resources.isEmpty());
    EXPECT_EQ(hero->getState(), eUnitState::idle);
    EXPECT_FALSE(hero->getGoal());
    EXPECT_TRUE(game.getController().getPendingGoals().empty());
    EXPECT_EQ(game.countOpenGoals(), open - 1) << "the kitten still waits";

    // Read back from a save that did not keep the hero's goal, a delivery without an animal
    // still empties the hero and sets it idle.
    hero->resources.insert(resourceId(L"Money"), 1);
    const ActionItem::Ptr restored = fixture.restore(bytes);
    EXPECT_EQ(fixture.record(restored), bytes);
    game.getController().registerChain(restored);
    fixture.run(1, kDt);
    EXPECT_FALSE(restored->isActive());
    EXPECT_TRUE(hero->resources.isEmpty());
    EXPECT_FALSE(hero->getGoal());
}

TEST(ResourceAndAnimalItems, ACollectedPileWithAFallingTimeIsSentAgainAndAPlainOneIsNot)
{
    ItemFixture fixture;
    Game& game = fixture.level("<Unit Type=\"Money\" Position=\"110;110\" FallingDelay=\"3\"/>"
                               "<Unit Type=\"Brick\" Position=\"170;110\"/>");
    // The unit of a type still on the field, if any.
    const auto onField = [&](const wchar_t* type)
    {
        const auto range = game.getUnits().equal_range(typeId(type));
        for (auto it = range.first; it != range.second; ++it)
            if (!it->second->isRemoved())
                return it->second;
        return cUnit::Ptr();
    };
    const cUnit::Ptr crate = onField(L"Money");
    const cUnit::Ptr brick = onField(L"Brick");
    ASSERT_TRUE(crate && brick);
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    const int money = game.getResources().getCount(resourceId(L"Money"));
    const int carried = crate->resources.getCount(resourceId(L"Money"));
    ASSERT_GT(carried, 0);
    // The hero collects each pile for a goal of its own, as the planner sends it.
    for (const cUnit::Ptr& pile : {crate, brick})
    {
        auto goal = boost::make_shared<Goal>(pile, cGameResources());
        goal->setHero(hero);
        game.getController().restoreGoal(goal);
        fixture.startChain({boost::make_shared<CollectResourcesActionItem>(hero, pile, cUnit::Ptr())});
        fixture.run(2, kDt);
    }
    EXPECT_TRUE(crate->isRemoved());
    EXPECT_TRUE(brick->isRemoved());
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money + carried);

    const cUnit::Ptr again = onField(L"Money");
    ASSERT_TRUE(again) << "a copy of the crate is on its way";
    EXPECT_NE(again, crate);
    EXPECT_EQ(again->getState(), eUnitState::hidden) << "it waits its falling time";
    EXPECT_EQ(again->getCell(), crate->getCell());
    EXPECT_EQ(again->resources.getCount(resourceId(L"Money")), carried);
    fixture.run(static_cast<int>(8.0f / kDt), kDt);
    EXPECT_NE(again->getState(), eUnitState::hidden) << "and lands in the crate's place";
    EXPECT_FALSE(onField(L"Brick")) << "a pile without a falling time is gone for good";
}
