#include "game/world/cUnit.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <string>
#include <vector>

namespace
{

// Goals belong to the planner; the unit only keeps the pointer, so any address will do.
boost::shared_ptr<Goal> someGoal()
{
    auto owner = boost::make_shared<int>(0);
    return boost::shared_ptr<Goal>(owner, reinterpret_cast<Goal*>(owner.get()));
}

using Log = std::vector<std::string>;

// Records every signal of a unit as "<name>:<tag>" (tag: the unit's type id).
void record(const cUnit::Ptr& unit, Log& log)
{
    auto note = [&log](const char* name)
    {
        return [&log, name](cUnit::Ptr u)
        { log.push_back(std::string(name) + ":" + std::to_string(u->getTypeId())); };
    };
    unit->connectAngleChanged(note("angle"));
    unit->connectStateChanged(note("state"));
    unit->connectStateTransition(
        [&log](cUnit::Ptr u, eUnitState from, eUnitState to)
        {
            log.push_back("transition:" + std::to_string(u->getTypeId()) + ":" +
                          std::to_string(static_cast<int>(from)) + ">" +
                          std::to_string(static_cast<int>(to)));
        });
    unit->connectRefreshed(note("refreshed"));
    unit->connectPositionChanged(note("position"));
    unit->connectRemoved(note("removed"));
    unit->connectLevelChanged(note("level"));
    unit->connectAttached(note("attached"));
    unit->connectDetached(note("detached"));
    unit->connectLastDetached(note("lastDetached"));
    unit->connectParentSet(note("parentSet"));
    unit->connectParentCleared(note("parentCleared"));
}

} // namespace

TEST(Unit, FreshUnit)
{
    cUnit unit(7);
    EXPECT_EQ(unit.getTypeId(), 7);
    EXPECT_EQ(unit.getLevel(), 0);
    EXPECT_EQ(unit.getMaxLevel(), -1);
    EXPECT_EQ(unit.getTargetType(), 0);
    EXPECT_EQ(unit.getTargetLevel(), -1);
    EXPECT_EQ(unit.getState(), eUnitState::idle);
    EXPECT_EQ(unit.getStateTypeId(), -1);
    EXPECT_EQ(unit.getAppearOnCataclysm(), -1);
    EXPECT_EQ(unit.getDisappearOnCataclysm(), -1);
    EXPECT_EQ(unit.getTriggerCataclysm(), -1);
    EXPECT_EQ(unit.lockId, 0);
    EXPECT_FALSE(unit.isRemoved());
    EXPECT_FALSE(unit.getFreeCells());
}

TEST(Unit, SettersRaiseTheirSignals)
{
    auto unit = boost::make_shared<cUnit>(1);
    Log log;
    record(unit, log);
    unit->setAngle(90.0f);
    unit->setState(eUnitState::move, 4);
    unit->setState(eUnitState::move, -1); // the same state still raises both
    unit->setLevelAndState(2, eUnitState::carry, false);
    unit->setLevelAndState(3, eUnitState::idle, true);
    unit->setCell({3, 4}, {1.0f, -2.0f});
    unit->setOffset({0.5f, 0.5f});
    unit->setFallOffset(12.0f);
    unit->refresh();
    EXPECT_EQ(log, (Log{"angle:1", "state:1", "transition:1:0>3", "state:1", "transition:1:3>3", "level:1",
                        "position:1", "position:1", "position:1", "refreshed:1"}));
    EXPECT_EQ(unit->getStateTypeId(), -1);
    EXPECT_EQ(unit->getLevel(), 3);
    EXPECT_EQ(unit->getState(), eUnitState::idle);
    EXPECT_EQ(unit->getCell(), Engine::cPoint(3, 4));
    EXPECT_EQ(unit->getOffset(), Engine::cVector2(0.5f, 0.5f));

    // The state type id is stored before the state signals run.
    int seenTypeId = 0;
    unit->connectStateChanged([&](cUnit::Ptr u) { seenTypeId = u->getStateTypeId(); });
    unit->setState(eUnitState::upgrade, 9);
    EXPECT_EQ(seenTypeId, 9);
}

TEST(Unit, AttachAndDetach)
{
    auto parent = boost::make_shared<cUnit>(1);
    auto child = boost::make_shared<cUnit>(2);
    auto stranger = boost::make_shared<cUnit>(3);
    Log log;
    record(parent, log);
    record(child, log);

    parent->attach(child);
    EXPECT_EQ(log, (Log{"parentSet:2", "attached:1"}));
    EXPECT_EQ(child->getParent(), parent);

    log.clear();
    parent->detach(stranger); // not attached: nothing, the list is not empty
    EXPECT_TRUE(log.empty());

    parent->attach(child); // twice in the list
    log.clear();
    parent->detach(child);
    EXPECT_EQ(log, (Log{"parentCleared:2", "detached:1"}));
    EXPECT_EQ(parent->getAttached().size(), 1u);
    log.clear();
    parent->detach(child);
    EXPECT_EQ(log, (Log{"parentCleared:2", "detached:1", "lastDetached:1"}));
    log.clear();
    parent->detach(stranger); // the list is empty: only lastDetached
    EXPECT_EQ(log, (Log{"lastDetached:1"}));
}

TEST(Unit, DestroyRemovesChildrenFirstToLast)
{
    auto parent = boost::make_shared<cUnit>(1);
    Log log;
    for (int type = 2; type <= 4; ++type)
    {
        auto child = boost::make_shared<cUnit>(type);
        parent->attach(child);
        record(child, log);
    }
    record(parent, log);
    boost::weak_ptr<cUnit> firstChild = parent->getAttached().front();

    parent->destroy();
    EXPECT_EQ(log, (Log{"removed:2", "removed:3", "lastDetached:1", "removed:4", "removed:1"}));
    EXPECT_TRUE(parent->isRemoved());
    EXPECT_EQ(parent->getDisappearOnCataclysm(), cUnit::kRemoved);
    EXPECT_EQ(parent->getDisappearOnCataclysm(), -5);
    EXPECT_TRUE(parent->getAttached().empty());
    // The list owned the children.
    EXPECT_TRUE(firstChild.expired());
}

TEST(Unit, DestroyLeavesTheParentWhileOwnedOnlyByIt)
{
    auto parent = boost::make_shared<cUnit>(1);
    Log log;
    record(parent, log);
    boost::weak_ptr<cUnit> child;
    {
        auto made = boost::make_shared<cUnit>(2);
        record(made, log);
        parent->attach(made);
        child = made;
    }
    log.clear();
    child.lock()->destroy();
    EXPECT_EQ(log, (Log{"parentCleared:2", "detached:1", "lastDetached:1", "removed:2"}));
    EXPECT_TRUE(child.expired());
}

TEST(Unit, GoalSlot)
{
    cUnit hero(0);
    EXPECT_FALSE(hero.getGoal());
    const auto goal = someGoal();
    hero.setGoal(goal);
    EXPECT_EQ(hero.getGoal(), goal);
    try
    {
        hero.setGoal(someGoal());
        FAIL();
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "cUnit::setGoal(): goal is not 0");
    }
    EXPECT_EQ(hero.getGoal(), goal);
    hero.resetGoal();
    EXPECT_FALSE(hero.getGoal());
    try
    {
        hero.resetGoal();
        FAIL();
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "cUnit::resetGoal(): goal is 0");
    }
}
