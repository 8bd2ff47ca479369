// Resources moving between heroes, units and the level's stock, and animals saved and
// delivered.
#include "engine/devices/cSoundSample.h"
#include "engine/ui/cPyro.h"
#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/GiveResourcesActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/ReturnAnimalActionItem.h"
#include "game/heroes/SaveAnimalActionItem.h"
#include "game/heroes/TakeResourcesActionItem.h"
#include "game/heroes/UnloadResourcesActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// The particle views on the play view that play the effect file `pyro`.
std::vector<Engine::cPyro*> effectsPlaying(const std::string& pyro)
{
    std::vector<Engine::cPyro*> found;
    for (Engine::cControl* child : getPlayView()->getChildren())
        if (auto* effect = dynamic_cast<Engine::cPyro*>(child); effect && effect->getPyroFile() == pyro)
            found.push_back(effect);
    return found;
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

TEST(ResourceAndAnimalItems, AFreedAnimalSparklesSoundsShowsItsTipAndItsCountdownEndsWithItsLevelRisen)
{
    ItemFixture fixture;
    // A countdown long enough to be running when the hero arrives.
    const auto puppyType = GameConfig::instance().getTypeInfo(typeId(L"Puppy"));
    const float countdown = puppyType->levels.front()->upgradeTime;
    puppyType->levels.front()->upgradeTime = 30.0f;
    Game& game = fixture.level("<Unit Type=\"Hospital\" Position=\"250;150\"/>"
                               "<Unit Type=\"Puppy\" Position=\"110;110\" TargetType=\"3\"><Tutorial>"
                               "<Tip tip_type=\"0\" event_type=\"1\" text=\"Saved!\"/></Tutorial></Unit>");
    const cUnit::Ptr puppy = fixture.first(L"Puppy");
    game.getController().startAnimalUpgrades();
    fixture.run(64, kDt);
    const ActionItem::Ptr running = findFirstOfKind(puppy, UpgradeAction,
                                                    [](const ActionItem::Ptr& item)
                                                    {
                                                        const auto* work =
                                                            dynamic_cast<const WorkActionItem*>(item.get());
                                                        return work ? work->getTarget() : cUnit::Ptr();
                                                    });
    ASSERT_TRUE(running);
    ASSERT_NE(running->getProgressView(), nullptr) << "the countdown's bar over the puppy";
    bool finished = false;
    bool completed = false;
    running->finished.connect([&](const ActionItem::Ptr&) { finished = true; });
    running->completed.connect([&](const ActionItem::Ptr&) { completed = true; });

    const cUnit::Ptr hero = fixture.add(L"hero", game.unitPos(puppy));
    auto goal = boost::make_shared<Goal>(puppy, cGameResources());
    goal->setHero(hero);
    game.getController().restoreGoal(goal);
    fixture.mixer->clearLog();
    const Engine::cVector2 at = puppy->getView()->getPosition();
    fixture.startChain({boost::make_shared<SaveAnimalActionItem>(hero, puppy, cUnit::Ptr())});
    fixture.run(1, kDt);
    puppyType->levels.front()->upgradeTime = countdown;

    EXPECT_TRUE(finished) << "the countdown finishes at once";
    EXPECT_FALSE(completed);
    EXPECT_EQ(puppy->getLevel(), 1) << "and the animal's level rises";
    EXPECT_EQ(running->getProgressView(), nullptr) << "its bar goes";
    const std::string sound =
        "play " + std::to_string(fixture.sounds->getSample("save_animal")->getId()) + " ";
    EXPECT_EQ(fixture.mixer->count(sound), 1) << "the \"save_animal\" sound";
    const std::vector<Engine::cPyro*> sparkles = effectsPlaying("Effects/Sparkle.pyro");
    ASSERT_EQ(sparkles.size(), 1u) << "the \"Effects/SaveAnimalEffect.xml\" effect";
    EXPECT_EQ(sparkles.front()->getPosition(), at) << "over the animal";
    EXPECT_TRUE(sparkles.front()->isShown());
    EXPECT_TRUE(puppy->tips.empty()) << "the tip of event 1 was shown";
    EXPECT_EQ(puppy->getState(), eUnitState::hidden);
    EXPECT_EQ(hero->getState(), eUnitState::carry);
    ASSERT_TRUE(hero->getGoal());
    EXPECT_EQ(hero->getGoal()->getTarget(), fixture.first(L"Hospital")) << "off to the hospital";
}

TEST(ResourceAndAnimalItems, AFreeingSavedOrStoppedBeforeItsFrameLeavesNoBarAndTheHeroWhereItStands)
{
    ItemFixture fixture;
    Game& game = fixture.level("<Unit Type=\"Puppy\" Position=\"110;110\"/>");
    const cUnit::Ptr puppy = fixture.first(L"Puppy");
    // The approach the hero came by: work points beside the animal.
    puppy->route.steps.push_back({Engine::cVector2(-20.0f, 0.0f), 0.0f});
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(6, 8)));
    const Engine::cPoint cell = hero->getCell();
    const Engine::cVector2 offset = hero->getOffset();
    auto goal = boost::make_shared<Goal>(puppy, cGameResources());
    goal->setHero(hero);
    game.getController().restoreGoal(goal);

    // Saved in the frame the freeing runs: read back, it shows no bar, and it ends in its
    // first frame as the freeing does.
    const auto freeing = boost::make_shared<SaveAnimalActionItem>(hero, puppy, cUnit::Ptr());
    fixture.startChain({freeing});
    ASSERT_TRUE(freeing->isActive());
    EXPECT_EQ(freeing->getProgressView(), nullptr) << "the freeing shows no bar";
    const ActionItem::Ptr restored = fixture.restore(fixture.record(freeing));
    EXPECT_EQ(restored->getProgressView(), nullptr) << "read back, it shows none either";

    // Stopped before its frame (a quake takes the goal, the level is left): the hero stands
    // where it stood, not on the first cell of the field.
    freeing->stop();
    EXPECT_EQ(hero->getCell(), cell);
    EXPECT_EQ(hero->getOffset(), offset);
    EXPECT_EQ(hero->getState(), eUnitState::idle);
    restored->stop();
    EXPECT_EQ(hero->getCell(), cell);
    EXPECT_EQ(hero->getOffset(), offset);
}

TEST(ResourceAndAnimalItems, ARecordThatNamesNoUnitWhereOneIsNeededIsRefused)
{
    ItemFixture fixture;
    fixture.level("<Unit Type=\"Puppy\" Position=\"110;110\"/><Unit Type=\"Money\" Position=\"170;110\"/>");
    const cUnit::Ptr puppy = fixture.first(L"Puppy");
    const cUnit::Ptr money = fixture.first(L"Money");
    const cUnit::Ptr hero = fixture.add(L"hero", Engine::cVector2(50.0f, 50.0f));
    const auto refused = [&](const ActionItem::Ptr& item, size_t unitField)
    {
        std::vector<uint8_t> bytes = fixture.record(item);
        EXPECT_NO_THROW(fixture.restore(bytes));
        for (size_t i = 0; i < 4; ++i)
            bytes.at(unitField + i) = 0xFF; // unit -1
        try
        {
            fixture.restore(bytes);
        }
        catch (...)
        {
            return true;
        }
        return false;
    };
    // The header is 6 bytes; the collect and give records name their carrier, then the other
    // unit; the work record of the freeing names the hero first.
    const auto collect = boost::make_shared<CollectResourcesActionItem>(hero, money, cUnit::Ptr());
    EXPECT_TRUE(refused(collect, 6)) << "a collect without its carrier";
    EXPECT_TRUE(refused(collect, 10)) << "a collect without its source";
    const auto give = boost::make_shared<GiveResourcesActionItem>(hero, puppy);
    EXPECT_TRUE(refused(give, 6)) << "a give without its carrier";
    EXPECT_TRUE(refused(give, 10)) << "a give without its receiver";
    const auto save = boost::make_shared<SaveAnimalActionItem>(hero, puppy, cUnit::Ptr());
    EXPECT_TRUE(refused(save, 6)) << "an animal freed by no hero";
    EXPECT_TRUE(refused(save, 10)) << "an animal freed without the animal";
    EXPECT_FALSE(refused(save, 14)) << "the attach unit may be missing";
}
