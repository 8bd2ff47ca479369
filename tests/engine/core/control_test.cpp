#include "engine/core/cControl.h"

#include "engine/core/cTimer.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "platform/system/FakeClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using Engine::cControl;

// A tree object that records what happens to it and runs a scripted handler in its update.
class Probe : public cControl
{
public:
    explicit Probe(cControl* parent = nullptr, int* destroyed = nullptr)
        : cControl(parent), m_destroyed(destroyed)
    {
    }
    ~Probe() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }

    void update() override
    {
        ++updates;
        if (onUpdate)
            onUpdate();
    }
    void updateActive() override { ++activeUpdates; }
    void onHide() override
    {
        ++hides;
        cControl::onHide();
    }
    void onShow() override
    {
        ++shows;
        cControl::onShow();
    }

    std::function<void()> onUpdate;
    int updates = 0;
    int activeUpdates = 0;
    int hides = 0;
    int shows = 0;

private:
    int* m_destroyed;
};

// Every test leaves the tree as it found it.
class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override { m_liveBefore = cControl::liveCount(); }
    void TearDown() override
    {
        cControl::deletePending();
        EXPECT_EQ(cControl::liveCount(), m_liveBefore);
        EXPECT_FALSE(cControl::isFading());
    }

    // The registry walks of one frame, as the frame driver runs them.
    static void passes()
    {
        if (!cControl::isFading())
        {
            cControl::activePass();
            cControl::enabledPass();
        }
        cControl::fadePass();
    }

private:
    std::size_t m_liveBefore = 0;
};

TEST_F(ControlTest, NewObjectIsHiddenDisabledAndInactive)
{
    Probe root;
    EXPECT_EQ(root.getTransparency(), 0.0f);
    EXPECT_FLOAT_EQ(root.getTranparencySpeed(), 3.3f);
    EXPECT_EQ(root.getFadeState(), cControl::FadeNone);
    EXPECT_FALSE(root.isVisible());
    EXPECT_FALSE(root.isEnabled());
    EXPECT_FALSE(root.isActive());
    EXPECT_TRUE(root.isParentVisible());
    EXPECT_FALSE(cControl::isEnabledRegistered(&root));
    EXPECT_EQ(root.getParent(), nullptr);
}

TEST_F(ControlTest, ChildOfHiddenParentJoinsTheEnabledRegistryWhenTheParentIsShown)
{
    Probe parent;
    Probe* child = new Probe(&parent);
    EXPECT_FALSE(child->isParentVisible());
    EXPECT_EQ(child->getParent(), &parent);

    child->show();
    child->enable();
    EXPECT_TRUE(child->isVisible());
    EXPECT_EQ(child->getTransparency(), 1.0f);
    EXPECT_EQ(child->shows, 0) << "no onShow while the parent is hidden";
    EXPECT_FALSE(cControl::isEnabledRegistered(child));

    int shownSignals = 0;
    child->shownSignal.connect([&](cControl*) { ++shownSignals; });
    parent.enable();
    parent.show();
    EXPECT_TRUE(child->isShown());
    EXPECT_TRUE(cControl::isEnabledRegistered(&parent));
    EXPECT_TRUE(cControl::isEnabledRegistered(child));
    EXPECT_TRUE(child->isEffectivelyEnabled());
    EXPECT_EQ(shownSignals, 0) << "only the object's own show raises its shown signal";

    // Hiding takes the subtree out without touching the own enabled flags.
    parent.hide();
    EXPECT_FALSE(cControl::isEnabledRegistered(child));
    EXPECT_TRUE(child->isEnabled());
    parent.show();
    EXPECT_TRUE(cControl::isEnabledRegistered(child));
}

TEST_F(ControlTest, HideOfAHiddenObjectRunsOnHideButRaisesNoSignal)
{
    Probe object;
    int hidden = 0;
    object.hiddenSignal.connect([&](cControl*) { ++hidden; });
    object.hide();
    EXPECT_EQ(object.hides, 1);
    EXPECT_EQ(hidden, 0);
    object.show();
    object.hide();
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(object.getTransparency(), 0.0f);
}

TEST_F(ControlTest, StatesOfADeadObjectDoNothing)
{
    int destroyed = 0;
    auto* object = new Probe(nullptr, &destroyed);
    cControl::deleteLater(object);
    cControl::deletePending();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(cControl::isAlive(object));
    // A pointer to a dead object never reaches the queue again.
    cControl::deleteLater(object);
    EXPECT_FALSE(cControl::isQueuedForDeletion(object));
}

TEST_F(ControlTest, ActiveRegistryFollowsTheParentChainWhetherShownOrNot)
{
    Probe parent;
    Probe* child = new Probe(&parent);
    child->activate();
    EXPECT_FALSE(cControl::isActiveRegistered(child)) << "the parent is not active";
    parent.activate();
    EXPECT_TRUE(cControl::isActiveRegistered(child));
    EXPECT_TRUE(cControl::isActiveRegistered(&parent));
    passes();
    EXPECT_EQ(child->activeUpdates, 1);
    parent.deactivate();
    EXPECT_FALSE(cControl::isActiveRegistered(child));
    EXPECT_TRUE(child->isActive());
}

TEST_F(ControlTest, SetParentRederivesVisibleAndEnabled)
{
    Probe shownParent;
    shownParent.show();
    shownParent.enable();
    Probe hiddenParent;
    Probe* child = new Probe(&hiddenParent);
    child->show();
    child->enable();
    EXPECT_FALSE(cControl::isEnabledRegistered(child));

    child->setParent(&shownParent);
    EXPECT_TRUE(child->isShown());
    EXPECT_TRUE(cControl::isEnabledRegistered(child));
    EXPECT_EQ(hiddenParent.getChildren().count(child), 0u);
    EXPECT_EQ(shownParent.getChildren().count(child), 1u);

    child->setParent(&hiddenParent);
    EXPECT_FALSE(cControl::isEnabledRegistered(child));

    // Detached, the object is a shown root again and no longer deleted with a parent.
    child->setParent(nullptr);
    EXPECT_TRUE(child->isShown());
    delete child;
}

TEST_F(ControlTest, LockInputCoversTheWholeSubtree)
{
    Probe panel;
    Probe* row = new Probe(&panel);
    Probe* button = new Probe(row);
    panel.show();
    panel.enable();
    button->show();
    button->enable();
    panel.lockInput();
    EXPECT_TRUE(panel.isInputLocked());
    EXPECT_TRUE(row->isInputLocked());
    EXPECT_TRUE(button->isInputLocked());
    EXPECT_TRUE(button->isEnabled()) << "locking leaves the states alone";
    row->unlockInput();
    EXPECT_TRUE(panel.isInputLocked());
    EXPECT_FALSE(button->isInputLocked());
}

// --- Fades ------------------------------------------------------------------------------------

class FadeTest : public ControlTest
{
protected:
    // Each step is 0.1 s long: the clock moves 100 ms between steps and MinFps is low enough
    // not to cap it.
    void step()
    {
        m_clock.advance(100);
        m_timer.step();
    }

    Platform::FakeClock m_clock{1000};
    Engine::cTimer m_timer{5.0f, 200.0f};
};

TEST_F(FadeTest, FadeInRunsFromZeroAndStopsAtTheFirstStepPastOne)
{
    Probe dialog;
    dialog.hide();
    dialog.fadeIn();
    EXPECT_TRUE(dialog.isShown());
    EXPECT_EQ(dialog.getTransparency(), 0.0f);
    const float expected[] = {0.33f, 0.66f, 0.99f, 1.32f};
    for (int i = 0; i < 4; ++i)
    {
        step();
        EXPECT_TRUE(cControl::isFading());
        passes();
        EXPECT_NEAR(dialog.getTransparency(), expected[i], 1e-5f) << "step " << i;
    }
    EXPECT_EQ(dialog.getFadeState(), cControl::FadeNone);
    EXPECT_FALSE(cControl::isFading());
}

TEST_F(FadeTest, AnyRunningFadeStopsThePassesOfTheWholeTree)
{
    Probe worker;
    worker.show();
    worker.enable();
    worker.activate();
    Probe dialog;
    dialog.hide();
    dialog.fadeIn();
    int frames = 0;
    while (cControl::isFading())
    {
        step();
        passes();
        ++frames;
        ASSERT_LT(frames, 100);
    }
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(worker.updates, 0);
    EXPECT_EQ(worker.activeUpdates, 0);
    step();
    passes();
    EXPECT_EQ(worker.updates, 1);
    EXPECT_EQ(worker.activeUpdates, 1);
}

TEST_F(FadeTest, FadeOutLeavesTheRegistryAtOnceAndShowBringsItBack)
{
    Probe dialog;
    dialog.show();
    dialog.enable();
    ASSERT_TRUE(cControl::isEnabledRegistered(&dialog));
    int hidden = 0;
    dialog.hiddenSignal.connect([&](cControl*) { ++hidden; });
    dialog.fadeOut();
    EXPECT_FALSE(cControl::isEnabledRegistered(&dialog));
    EXPECT_TRUE(dialog.isEnabled());
    for (int i = 0; i < 4 && cControl::isFading(); ++i)
    {
        step();
        passes();
    }
    EXPECT_FALSE(cControl::isFading());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(dialog.getTransparency(), 0.0f);
    dialog.show();
    EXPECT_TRUE(cControl::isEnabledRegistered(&dialog));
}

TEST_F(FadeTest, FadeOutAndDestroyDeletesAtTheEndOfTheFrame)
{
    int destroyed = 0;
    auto* dialog = new Probe(nullptr, &destroyed);
    new Probe(dialog, &destroyed);
    dialog->show();
    dialog->enable();
    dialog->activate();
    dialog->fadeOutAndDestroy();
    EXPECT_FALSE(dialog->isEnabled());
    EXPECT_FALSE(cControl::isActiveRegistered(dialog));
    while (cControl::isFading())
    {
        step();
        passes();
        EXPECT_EQ(destroyed, 0) << "deleted only by deletePending";
    }
    EXPECT_TRUE(cControl::isQueuedForDeletion(dialog));
    cControl::deletePending();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(FadeTest, AFadeOnAnObjectWithAParentStandsStill)
{
    Probe root;
    Probe* child = new Probe(&root);
    child->fadeIn();
    step();
    passes();
    EXPECT_EQ(child->getTransparency(), 0.0f);
    EXPECT_TRUE(cControl::isInFadeSet(child));
    // Detaching shows the object again, which ends its fade: the passes resume.
    child->setParent(nullptr);
    step();
    passes();
    EXPECT_FALSE(cControl::isFading());
    delete child;
}

// --- Deferred deletion ---------------------------------------------------------------------

TEST_F(ControlTest, AHandlerDeletingItsOwnParentDeletesNothingBeforeTheFrameEnds)
{
    int destroyed = 0;
    auto* parent = new Probe(nullptr, &destroyed);
    auto* child = new Probe(parent, &destroyed);
    auto* sibling = new Probe(parent, &destroyed);
    parent->show();
    parent->enable();
    child->show();
    child->enable();
    sibling->show();
    sibling->enable();
    child->onUpdate = [child]
    {
        cControl::deleteLater(child->getParent(), std::string("parent"));
        cControl::deleteLater(child);
        // The object is still whole after queuing itself.
        EXPECT_EQ(child->getParent()->getKind(), 0);
    };
    passes();
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(cControl::isAlive(parent));
    EXPECT_TRUE(cControl::isAlive(child));
    EXPECT_EQ(sibling->updates, 1);
    cControl::deletePending();
    EXPECT_EQ(destroyed, 3);
    EXPECT_FALSE(cControl::getRemovalFlag());
}

TEST_F(ControlTest, AnObjectQueuedTwiceIsDeletedOnce)
{
    int destroyed = 0;
    auto* object = new Probe(nullptr, &destroyed);
    cControl::deleteLater(object);
    cControl::deleteLater(object, std::wstring(L"again"));
    Engine::deleteLater(object);
    cControl::deletePending();
    EXPECT_EQ(destroyed, 1);
    cControl::deletePending();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ControlTest, QueuedParentAndChildAreEachDeletedOnce)
{
    int destroyed = 0;
    auto* parent = new Probe(nullptr, &destroyed);
    auto* child = new Probe(parent, &destroyed);
    new Probe(child, &destroyed);
    cControl::deleteLater(child);
    cControl::deleteLater(parent);
    cControl::deletePending();
    EXPECT_EQ(destroyed, 3);
}

TEST_F(ControlTest, TheRemovalFlagIsRaisedWhileDeleting)
{
    struct Watcher : Probe
    {
        explicit Watcher(bool* seen) : m_seen(seen) {}
        ~Watcher() override { *m_seen = cControl::getRemovalFlag(); }
        bool* m_seen;
    };
    bool seen = false;
    cControl::deleteLater(new Watcher(&seen));
    cControl::deletePending();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(cControl::getRemovalFlag());
}

TEST_F(ControlTest, ADestructorQueuingAnotherObjectDeletesItInTheSameCall)
{
    int destroyed = 0;
    auto* other = new Probe(nullptr, &destroyed);
    struct Owner : Probe
    {
        Owner(cControl* other, int* destroyed) : Probe(nullptr, destroyed), m_other(other) {}
        ~Owner() override { cControl::deleteLater(m_other); }
        cControl* m_other;
    };
    cControl::deleteLater(new Owner(other, &destroyed));
    cControl::deletePending();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(ControlTest, DeletingAParentDeletesItsSubtree)
{
    int destroyed = 0;
    auto* parent = new Probe(nullptr, &destroyed);
    for (int i = 0; i < 5; ++i)
        new Probe(new Probe(parent, &destroyed), &destroyed);
    delete parent;
    EXPECT_EQ(destroyed, 11);
}

// --- Registry changes during a pass -----------------------------------------------------------

TEST_F(ControlTest, EnableThenDisableInsideOnePassLeavesTheObjectOut)
{
    Probe driver;
    Probe other;
    other.show();
    driver.show();
    driver.enable();
    driver.onUpdate = [&]
    {
        other.enable();
        EXPECT_FALSE(cControl::isEnabledRegistered(&other)) << "deferred while the pass runs";
        other.disable();
    };
    passes();
    EXPECT_FALSE(cControl::isEnabledRegistered(&other));
    EXPECT_EQ(other.updates, 0);
}

TEST_F(ControlTest, AnObjectEnabledDuringThePassGetsItsFirstUpdateNextFrame)
{
    Probe driver;
    Probe late;
    late.show();
    driver.show();
    driver.enable();
    driver.onUpdate = [&] { late.enable(); };
    passes();
    EXPECT_EQ(late.updates, 0);
    EXPECT_TRUE(cControl::isEnabledRegistered(&late));
    passes();
    EXPECT_EQ(late.updates, 1);
}

TEST_F(ControlTest, AnObjectDisabledDuringThePassIsSkipped)
{
    // Both orders in the registry are covered: whichever runs first disables the other.
    Probe first;
    Probe second;
    for (Probe* p : {&first, &second})
    {
        p->show();
        p->enable();
    }
    first.onUpdate = [&] { second.disable(); };
    second.onUpdate = [&] { first.disable(); };
    passes();
    EXPECT_EQ(first.updates + second.updates, 1);
    EXPECT_EQ(cControl::isEnabledRegistered(&first) + cControl::isEnabledRegistered(&second), 1);
}

TEST_F(ControlTest, AnObjectCreatedAndDestroyedDuringThePassIsNeverReached)
{
    Probe driver;
    driver.show();
    driver.enable();
    int destroyed = 0;
    driver.onUpdate = [&]
    {
        auto* temporary = new Probe(nullptr, &destroyed);
        temporary->show();
        temporary->enable();
        delete temporary;
    };
    passes();
    passes();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(cControl::enabledCount(), 1u);
}

TEST_F(ControlTest, APassEndsAlsoWhenAHandlerThrows)
{
    Probe thrower;
    Probe later;
    later.show();
    thrower.show();
    thrower.enable();
    thrower.onUpdate = [] { throw "stop"; };
    EXPECT_THROW(cControl::enabledPass(), const char*);
    // Changes are immediate again once the pass has ended.
    later.enable();
    EXPECT_TRUE(cControl::isEnabledRegistered(&later));
}

TEST_F(ControlTest, CopyTakesTheOwnFlagsButNotTheTree)
{
    Probe parent;
    Probe* source = new Probe(&parent);
    source->show();
    source->enable();
    source->lockInput();
    source->setTranparencySpeed(2.0f);
    Probe copy(*source);
    EXPECT_EQ(copy.getParent(), nullptr);
    EXPECT_TRUE(copy.isVisible());
    EXPECT_TRUE(copy.isEnabled());
    EXPECT_TRUE(copy.isInputLocked());
    EXPECT_TRUE(copy.isParentVisible());
    EXPECT_EQ(copy.getTransparency(), 0.0f);
    EXPECT_EQ(copy.getTranparencySpeed(), 2.0f);
    EXPECT_TRUE(copy.getChildren().empty());
    EXPECT_TRUE(cControl::isEnabledRegistered(&copy));
}

} // namespace

namespace
{

boost::shared_ptr<Engine::cProperties> layout(const std::string& xml)
{
    return Engine::cXmlPropertiesPooled::fromBuffer(xml.data(), xml.size(), "layout.xml");
}

TEST_F(ControlTest, LoadXmlWithoutKeysHidesAndDisables)
{
    Probe object;
    object.show();
    object.enable();
    object.loadXML(layout("<control/>"));
    EXPECT_FALSE(object.isVisible());
    EXPECT_FALSE(object.isEnabled());
    EXPECT_FALSE(object.isActive());
    EXPECT_FLOAT_EQ(object.getTranparencySpeed(), 3.3f);
}

TEST_F(ControlTest, LoadXmlReadsTheFourKeys)
{
    Probe object;
    object.loadXML(
        layout("<control Visible=\"1\" Enable=\"1\" TranparencySpeed=\"1.5\" AbsoluteEnable=\"1\"/>"));
    EXPECT_TRUE(object.isShown());
    EXPECT_TRUE(cControl::isEnabledRegistered(&object));
    EXPECT_TRUE(cControl::isActiveRegistered(&object));
    EXPECT_EQ(object.getTranparencySpeed(), 1.5f);
    EXPECT_EQ(object.getTransparency(), 1.0f);

    // "AbsoluteEnable" of 0 leaves the object active; a speed that is not a number changes
    // nothing.
    object.loadXML(layout("<control Visible=\"0\" AbsoluteEnable=\"0\" TranparencySpeed=\"x\"/>"));
    EXPECT_FALSE(object.isVisible());
    EXPECT_TRUE(object.isActive());
    EXPECT_EQ(object.getTranparencySpeed(), 1.5f);
}

} // namespace
