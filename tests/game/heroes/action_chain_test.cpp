// The composite of actions: children run one after the other, one instant step per frame; a
// chain ends by finishing, by being completed from outside or by being stopped; its record
// carries its queued children and resumes the running one. The factory knows every type.
#include "engine/core/cString.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/RepairActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "game/world/cUnit.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A test action that takes `frames` updates and logs what happens to it.
class LoggingItem final : public ActionItem
{
public:
    LoggingItem(std::vector<std::string>& log, std::string name, int frames = 1)
        : ActionItem(UnitStateAction), m_log(log), m_name(std::move(name)), m_frames(frames)
    {
    }
    void start() override
    {
        m_log.push_back(m_name + " start");
        ActionItem::start();
    }
    void stop() override { m_log.push_back(m_name + " stop"); }
    void update() override
    {
        if (isDone())
            return;
        if (--m_frames <= 0)
        {
            m_log.push_back(m_name + " finish");
            notifyFinished();
        }
    }
    void complete() override
    {
        m_log.push_back(m_name + " complete");
        ActionItem::complete();
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    int m_frames;
};

boost::shared_ptr<BaseActionsItem> chainOf(std::vector<std::string>& log, std::initializer_list<int> frames)
{
    auto chain = boost::make_shared<BaseActionsItem>();
    int n = 0;
    for (int length : frames)
        chain->add(boost::make_shared<LoggingItem>(log, "c" + std::to_string(++n), length));
    chain->finished.connect([&log](const ActionItem::Ptr&) { log.push_back("chain finished"); });
    chain->completed.connect([&log](const ActionItem::Ptr&) { log.push_back("chain completed"); });
    return chain;
}

} // namespace

TEST(ActionChain, InstantChildrenAdvanceOnePerFrameAndTheLastEndsTheChain)
{
    std::vector<std::string> log;
    auto chain = chainOf(log, {1, 1, 1});
    std::vector<std::string> started;
    chain->started.connect([&](const ActionItem::Ptr& item)
                           { started.push_back(item == chain ? "chain" : "?"); });
    chain->start();
    EXPECT_TRUE(chain->isActive());
    EXPECT_EQ(log, (std::vector<std::string>{"c1 start"})) << "the first child starts with the chain";
    EXPECT_EQ(started, std::vector<std::string>{"chain"});

    chain->update();
    EXPECT_EQ(log, (std::vector<std::string>{"c1 start", "c1 finish", "c1 stop", "c2 start"}))
        << "the next child starts in the frame its predecessor finished";
    chain->update();
    chain->update();
    EXPECT_EQ(log.back(), "chain finished") << "three instant children take three frames";
    EXPECT_FALSE(chain->isActive());
    EXPECT_TRUE(chain->getChildren().empty());

    // One child: its finish finishes the chain in the same call.
    log.clear();
    auto single = chainOf(log, {1});
    single->start();
    single->update();
    EXPECT_EQ(log, (std::vector<std::string>{"c1 start", "c1 finish", "c1 stop", "chain finished"}));
}

TEST(ActionChain, CompletingEndsTheCurrentChildAndDropsTheRestWithoutRunningThem)
{
    std::vector<std::string> log;
    auto chain = chainOf(log, {1, 5, 1});
    chain->start();
    chain->update();
    log.clear();
    chain->complete();
    EXPECT_EQ(log, (std::vector<std::string>{"c2 complete", "c3 stop", "chain completed"}));
    EXPECT_FALSE(chain->isActive());
    EXPECT_TRUE(chain->getChildren().empty());

    // A child completed directly completes its chain.
    log.clear();
    auto other = chainOf(log, {3, 1});
    other->start();
    const ActionItem::Ptr current = other->getCurrent();
    current->complete();
    EXPECT_EQ(log, (std::vector<std::string>{"c1 start", "c1 complete", "c2 stop", "chain completed"}));

    // Stopping (the level ends) stops every child and raises nothing.
    log.clear();
    auto stopped = chainOf(log, {2, 2});
    stopped->start();
    stopped->stop();
    EXPECT_EQ(log, (std::vector<std::string>{"c1 start", "c1 stop", "c2 stop"}));
    EXPECT_TRUE(stopped->getChildren().empty());
}

TEST(ActionChain, TheFactoryMakesEveryTypeAndTheDoneFlagHoldsAnItem)
{
    for (int type = 0; type < ActionTypeCount; ++type)
    {
        const ActionItem::Ptr item = ActionItemFactory(type);
        ASSERT_TRUE(item) << "type " << type;
        EXPECT_EQ(item->getTypeId(), type);
        EXPECT_FALSE(item->isActive());
        EXPECT_FALSE(item->isDone());
    }
    EXPECT_FALSE(ActionItemFactory(ActionTypeCount));
    EXPECT_FALSE(ActionItemFactory(-1));

    // While the done flag is set a chain stands still without ending.
    std::vector<std::string> log;
    auto chain = chainOf(log, {1});
    chain->start();
    chain->setDone();
    chain->update();
    EXPECT_TRUE(chain->isActive());
    EXPECT_EQ(log, std::vector<std::string>{"c1 start"});
}

TEST(ActionChain, ASavedChainKeepsItsQueueAndResumesTheRunningChildWithoutStartingIt)
{
    // Three waits without units: written and read, never started here.
    auto chain = boost::make_shared<BaseActionsItem>();
    for (int i = 0; i < 3; ++i)
        chain->add(boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::idle, 1.0f + i));
    LevelArchive out;
    chain->save(out, UnitNumbering());
    // Header, count 3, three records of 22 bytes (header, unit, elapsed, duration, state).
    ASSERT_EQ(out.bytes().size(), 6u + 4u + 3u * 22u);

    LevelArchive in(out.bytes(), "chain");
    int32_t type = -1;
    in.read4(type);
    ASSERT_EQ(type, BaseActions);
    const ActionItem::Ptr copy = ActionItemFactory(type);
    copy->load(in, {});
    EXPECT_EQ(in.remaining(), 0u);
    const auto* restored = dynamic_cast<BaseActionsItem*>(copy.get());
    ASSERT_TRUE(restored);
    ASSERT_EQ(restored->getChildren().size(), 3u);
    EXPECT_EQ(restored->getCurrent(), restored->getChildren().front());
    EXPECT_FALSE(restored->getCurrent()->isActive()) << "restored, not started";

    // A child of an unknown type stops the restore with the archive's error.
    std::vector<uint8_t> bytes = out.bytes();
    bytes[10] = 99;
    LevelArchive broken(bytes, "broken.save");
    broken.read4(type);
    EXPECT_THROW(ActionItemFactory(type)->load(broken, {}), Engine::cStringA);
}
