// The level's scripted effects as actions: a unit falling onto the field, a speed bonus
// taken and running, and a cataclysm shaking the field, removing and bringing in units.
#include "engine/core/Random.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cPyro.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/CataclysmActionItem.h"
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/FallingUnitActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/SpeedBonusActionItem.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cmath>
#include <cstring>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

Engine::cVector2 fallRange(const wchar_t* key)
{
    Engine::cVector2 range;
    Engine::cResourceManager::instance()->getXml("Effects/Fall.xml", true)->get(key, range);
    return range;
}

} // namespace

TEST(ScriptedEffectItems, AUnitFallsFromItsDrawnHeightAtTheDrawnSpeedAndABaseLandsWithDust)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    Engine::seedRandom(7);
    const cUnit::Ptr money = fixture.add(L"Money", game.cellToPos(Engine::cPoint(6, 6)));
    const cUnit::Ptr hammer = fixture.add(L"Hammer", game.cellToPos(Engine::cPoint(6, 6)));
    money->attach(hammer);
    auto fall = boost::make_shared<FallingUnitActionItem>(money);
    EXPECT_FALSE(hammer->getView()->isVisible()) << "what the unit carries hides while it falls";

    // "FallingSpeed" 0: the lowest height falls in a time drawn from "FallingTime".
    const Engine::cVector2 heights = fallRange(L"FallingHeight");
    const Engine::cVector2 times = fallRange(L"FallingTime");
    EXPECT_GE(fall->getFallingSpeed(), heights.x / times.y - 1e-3f);
    EXPECT_LE(fall->getFallingSpeed(), heights.x / times.x + 1e-3f);

    fixture.startChain({fall});
    EXPECT_EQ(money->getState(), eUnitState::falling);
    EXPECT_GE(fall->getStartHeight(), heights.x);
    EXPECT_LE(fall->getStartHeight(), heights.y);
    EXPECT_EQ(money->getFallOffset(), fall->getStartHeight());
    ASSERT_TRUE(fall->getParachute()->isShown());
    EXPECT_EQ(fall->getShadow()->getAlpha(), 0.0f);

    // Halfway down: the shadow is half dark, the parachute hangs over the unit.
    const int frames = static_cast<int>(fall->getStartHeight() / (fall->getFallingSpeed() * kDt)) + 1;
    fixture.run(frames / 2, kDt);
    EXPECT_NEAR(fall->getShadow()->getAlpha(), 0.5f, 0.05f);
    EXPECT_FLOAT_EQ(fall->getParachute()->getDeep(), money->getView()->getDeep() + 2.0f);
    EXPECT_FLOAT_EQ(fall->getShadow()->getDeep(), fall->getParachute()->getDeep() - 1.0f);
    EXPECT_LT(fall->getParachute()->getPosition().y, game.unitPos(money).y - money->getFallOffset());

    // Saved halfway (26 bytes), it reads back to the same bytes and lands when the fall would.
    const std::vector<uint8_t> bytes = fixture.record(fall);
    ASSERT_EQ(bytes.size(), 26u);
    EXPECT_FLOAT_EQ(floatAt(bytes, 14), fall->getStartHeight());
    const ActionItem::Ptr restored = fixture.restore(bytes);
    EXPECT_EQ(fixture.record(restored), bytes);

    EXPECT_EQ(fixture.runUntilDone(fall, kDt, 1000), frames - frames / 2);
    EXPECT_EQ(money->getState(), eUnitState::idle);
    EXPECT_EQ(money->getFallOffset(), 0.0f);
    EXPECT_TRUE(hammer->getView()->isVisible());
    EXPECT_EQ(fall->getShadow(), nullptr) << "the landed fall's views are gone";

    // A base: no parachute; it lands with its dust and sound.
    const cUnit::Ptr hall = fixture.add(L"TownHall", game.cellToPos(Engine::cPoint(14, 8)));
    auto drop = boost::make_shared<FallingUnitActionItem>(hall);
    const Engine::cVector2 baseTimes = fallRange(L"FallingBaseTime");
    EXPECT_GE(drop->getFallingSpeed(), heights.x / baseTimes.y - 1e-3f);
    fixture.startChain({drop});
    EXPECT_FALSE(drop->getParachute()->isShown());
    EXPECT_EQ(drop->getDust(), nullptr) << "made when the base lands";
    const int plays = fixture.mixer->count("play");
    ASSERT_GT(fixture.runUntilDone(drop, kDt, 1000), 0);
    Engine::cPyro* dust = drop->getDust();
    ASSERT_NE(dust, nullptr);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 1) << "base_fall";
    EXPECT_TRUE(dust->isShown());
    EXPECT_TRUE(dust->isRunning());
    EXPECT_EQ(dust->getPosition(), hall->getView()->getPosition());

    // A restored fall goes on from the unit's saved height.
    money->setFallOffset(40.0f);
    game.getController().registerChain(restored);
    EXPECT_GT(fixture.runUntilDone(restored, kDt, 1000), 0);
    EXPECT_EQ(money->getFallOffset(), 0.0f) << "the ground saved in the record";
}

TEST(ScriptedEffectItems, ASpeedBonusRunsForItsUpgradeTimeAndScalesWorkWhileOn)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    const cUnit::Ptr bonus = fixture.add(L"BonusSpeedUpgrades", game.cellToPos(Engine::cPoint(4, 3)));
    const float duration = bonus->getActiveLevelInfo()->upgradeTime;
    ASSERT_GT(duration, 1.0f);
    auto goal = boost::make_shared<Goal>(bonus, cGameResources());
    hero->setGoal(goal);

    // The taking item ends at its second frame, having started the running bonus.
    auto taking = boost::make_shared<SpeedBonusActionItem>(hero, bonus);
    fixture.startChain({taking});
    EXPECT_EQ(goal->getStatus(), Goal::Working);
    EXPECT_TRUE(game.bonusSpeedUpgrades());
    ASSERT_EQ(game.getController().runningChainCount(), 2u);
    // The running bonus, in a chain of its own registered first: its icon and countdown from
    // the bonus's file.
    const auto chain =
        boost::dynamic_pointer_cast<BaseActionsItem>(game.getController().getRunningChains().begin()->second);
    ASSERT_TRUE(chain);
    const auto running = boost::dynamic_pointer_cast<SpeedBonusActionItem>(chain->getCurrent());
    ASSERT_TRUE(running);
    EXPECT_EQ(running->getKind(), L"BonusSpeedUpgrades");
    ASSERT_NE(running->getIcon(), nullptr);
    EXPECT_TRUE(running->getIcon()->isShown());
    EXPECT_EQ(running->getBar()->getMaxValue(), duration);
    fixture.run(1, kDt);
    EXPECT_TRUE(taking->isActive());
    fixture.run(1, kDt);
    EXPECT_FALSE(taking->isActive());
    EXPECT_TRUE(bonus->isRemoved());
    EXPECT_FALSE(hero->getGoal()) << "the hero's goal moved on";

    // While it runs, work goes faster by kUpgradeBonusSpeed: a 4 s clearing takes 2 s.
    const float factor = GameConfig::instance().getConstants().kUpgradeBonusSpeed;
    const cUnit::Ptr rubble = fixture.add(L"Rubble", game.cellToPos(Engine::cPoint(10, 10)));
    rubble->getActiveLevelInfo()->upgradeTime = 4.0f;
    auto clearing = boost::make_shared<DestroyActionItem>(cUnit::Ptr(), rubble, cUnit::Ptr());
    fixture.startRegistered(clearing);
    const int workFrames = fixture.runUntilDone(clearing, kDt, 1000);
    EXPECT_EQ(workFrames, static_cast<int>(std::floor(4.0f / factor / kDt)) + 1);
    rubble->getActiveLevelInfo()->upgradeTime = 0.0f;

    // The running bonus's record: no unit, the time left, its kind; read back it switches its
    // flag on again.
    game.setBonusSpeedUpgrades(false);
    auto saved = boost::make_shared<SpeedBonusActionItem>(L"BonusSpeedUpgrades", 3.0f);
    saved->start();
    EXPECT_TRUE(game.bonusSpeedUpgrades());
    game.setBonusSpeedUpgrades(false);
    std::vector<uint8_t> bytes = fixture.record(saved);
    EXPECT_EQ(bytes.size(), 6u + 4u + 4u + 4u + 2u * 18u);
    EXPECT_EQ(int32At(bytes, 6), -1);
    // A record with the number 0 (the first unit) for the running bonus's unit must not bind it.
    bytes[6] = bytes[7] = bytes[8] = bytes[9] = 0;
    const auto back = boost::dynamic_pointer_cast<SpeedBonusActionItem>(fixture.restore(bytes));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->getBonusUnit());
    EXPECT_TRUE(game.bonusSpeedUpgrades());
    saved->stop();

    // The flag goes off when the bonus ends, in the frame after its time ran out.
    fixture.run(static_cast<int>(std::ceil(duration / kDt)) - 4 - workFrames, kDt);
    EXPECT_TRUE(game.bonusSpeedUpgrades());
    EXPECT_NEAR(running->getBar()->getCurrentValue(), duration - running->getTimeLeft(), 1e-3f);
    EXPECT_GT(running->getBar()->getCurrentValue(), duration - 0.1f);
    const int plays = fixture.mixer->count("play");
    fixture.run(4, kDt);
    EXPECT_FALSE(game.bonusSpeedUpgrades());
    EXPECT_EQ(running->getIcon(), nullptr);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 1) << "bonus_finish";
    EXPECT_EQ(game.getController().runningChainCount(), 0u);
}

TEST(ScriptedEffectItems, TwoBonusesOfOneKindOverlapAndATakingItemReadBackFindsItsHero)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    auto first = boost::make_shared<SpeedBonusActionItem>(L"BonusSpeedHero", 1.0f);
    auto second = boost::make_shared<SpeedBonusActionItem>(L"BonusSpeedHero", 2.0f);
    fixture.startRegistered(first);
    fixture.run(32, kDt);
    fixture.startRegistered(second);
    fixture.run(33, kDt);
    EXPECT_FALSE(first->isActive());
    EXPECT_FALSE(game.bonusSpeedHero()) << "the first to end switches the flag off";
    EXPECT_TRUE(second->isActive());
    fixture.run(100, kDt);
    EXPECT_FALSE(second->isActive());

    // A taking item saved between its two frames has no hero in its record: the hero of the
    // goal that took the bonus is found; without such a goal nobody is moved on.
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    const cUnit::Ptr bonus = fixture.add(L"BonusSpeedMan", game.cellToPos(Engine::cPoint(4, 3)));
    auto taking = boost::make_shared<SpeedBonusActionItem>(hero, bonus);
    auto goal = boost::make_shared<Goal>(bonus, cGameResources());
    goal->setHero(hero);
    game.getController().restoreGoal(goal);
    fixture.startRegistered(taking);
    const ActionItem::Ptr restored = fixture.restore(fixture.record(taking));
    game.getController().stopAllActions();
    game.getController().registerChain(restored);
    fixture.run(2, kDt);
    EXPECT_FALSE(restored->isActive());
    EXPECT_TRUE(bonus->isRemoved());
    EXPECT_FALSE(hero->getGoal());

    const cUnit::Ptr other = fixture.add(L"BonusSpeedMan", game.cellToPos(Engine::cPoint(5, 3)));
    auto orphan = boost::make_shared<SpeedBonusActionItem>(cUnit::Ptr(), other);
    fixture.startRegistered(orphan);
    fixture.run(2, kDt);
    EXPECT_FALSE(orphan->isActive());
    EXPECT_TRUE(other->isRemoved());
    game.setBonusSpeedMan(false);
}

TEST(ScriptedEffectItems, ACataclysmShakesTheFieldThenRemovesAndBringsInItsUnits)
{
    ItemFixture fixture;
    Game& game = fixture.level("<Unit Type=\"Market\" Position=\"110;110\"/>"
                               "<Unit Type=\"Road\" Position=\"190;110\"/>"
                               "<Unit Type=\"Rubble\" Position=\"250;150\" DisappearOnCataclysm=\"0\"/>"
                               "<Unit Type=\"FallenTree\" Position=\"290;150\" DisappearOnCataclysm=\"0\"/>"
                               "<Unit Type=\"Well\" Position=\"330;190\" AppearOnCataclysm=\"0\"/>"
                               "<Unit Type=\"Statue\" Position=\"370;190\" AppearOnCataclysm=\"1\"/>",
                               "<Cataclysmes><Quake Type=\"1\" Duration=\"2\" RichterPoints=\"3\"/>"
                               "<Quake Type=\"1\" Duration=\"1\" RichterPoints=\"0\"/></Cataclysmes>");
    Engine::seedRandom(3);
    const cUnit::Ptr market = fixture.first(L"Market");
    const cUnit::Ptr road = fixture.first(L"Road");
    const cUnit::Ptr rubble = fixture.first(L"Rubble");
    const cUnit::Ptr tree = fixture.first(L"FallenTree");
    const cUnit::Ptr well = fixture.first(L"Well");
    // What the rubble holds goes with it: the table walk at the end survives removals.
    const cUnit::Ptr money = fixture.add(L"Money", game.unitPos(rubble));
    rubble->attach(money);
    ASSERT_EQ(well->getState(), eUnitState::hidden);
    const Engine::cVector2 marketPlace = market->getView()->getPosition();
    const Engine::cVector2 background = game.getBackgroundContainer()->getPosition();

    auto quake = boost::make_shared<CataclysmActionItem>(0);
    fixture.startChain({quake});
    EXPECT_EQ(rubble->getState(), eUnitState::destroy);
    float farthest = 0.0f;
    for (int frame = 0; frame < 64; ++frame)
    {
        fixture.run(1, kDt);
        const Engine::cVector2 off = market->getView()->getPosition() - marketPlace;
        EXPECT_GE(off.x, 0.0f);
        EXPECT_GE(off.y, 0.0f);
        EXPECT_LE(std::max(off.x, off.y), 3.0f * 3.0f * 1.1f);
        farthest = std::max(farthest, std::max(off.x, off.y));
    }
    EXPECT_GT(farthest, 1.0f) << "the market shook";

    // Saved halfway: 22 bytes, read back to the same bytes.
    const std::vector<uint8_t> bytes = fixture.record(quake);
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(int32At(bytes, 6), 0);
    EXPECT_FLOAT_EQ(floatAt(bytes, 10), 1.0f);
    EXPECT_FLOAT_EQ(floatAt(bytes, 14), 2.0f);
    EXPECT_GT(floatAt(bytes, 18), 0.0f);

    // A shaken unit destroyed meanwhile stops shaking; the others go on.
    road->destroy();
    EXPECT_EQ(fixture.runUntilDone(quake, kDt, 1000), 64);
    EXPECT_EQ(market->getView()->getPosition(), marketPlace);
    EXPECT_EQ(game.getBackgroundContainer()->getPosition(), background);
    EXPECT_TRUE(rubble->isRemoved());
    EXPECT_TRUE(tree->isRemoved());
    EXPECT_TRUE(money->isRemoved());
    EXPECT_EQ(well->getState(), eUnitState::idle);
    EXPECT_EQ(fixture.first(L"Statue")->getState(), eUnitState::hidden);

    // Read back, the saved cataclysm shakes again for the second it had left.
    const ActionItem::Ptr restored = fixture.restore(bytes);
    EXPECT_EQ(fixture.record(restored), bytes);
    game.getController().registerChain(restored);
    EXPECT_EQ(fixture.runUntilDone(restored, kDt, 1000), 64);
    EXPECT_EQ(market->getView()->getPosition(), marketPlace);

    // A damaged record: a shaking far beyond the quake's strength, or a time that is no time.
    const auto damaged = [&bytes](size_t at, float value)
    {
        std::vector<uint8_t> changed = bytes;
        std::memcpy(changed.data() + at, &value, sizeof value);
        return changed;
    };
    EXPECT_ANY_THROW(fixture.restore(damaged(18, 1.0e31f))) << "the amplitude";
    EXPECT_ANY_THROW(fixture.restore(damaged(10, std::nanf("")))) << "the time so far";
    EXPECT_ANY_THROW(fixture.restore(damaged(14, -1.0f))) << "the length";

    // No strength: nothing moves, and its units still come in at the end.
    auto calm = boost::make_shared<CataclysmActionItem>(1);
    fixture.startChain({calm});
    for (int frame = 0; frame < 64; ++frame)
    {
        fixture.run(1, kDt);
        EXPECT_EQ(market->getView()->getPosition(), marketPlace);
    }
    EXPECT_FALSE(calm->isActive());
    EXPECT_EQ(fixture.first(L"Statue")->getState(), eUnitState::idle);
}
