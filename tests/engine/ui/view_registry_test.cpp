#include "engine/ui/cView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace
{

using Engine::cControl;
using Engine::cView;

std::vector<cView*> drawn()
{
    std::vector<cView*> views;
    cView::renderPass([&](cView* view) { views.push_back(view); });
    return views;
}

class ViewRegistryTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        cControl::deletePending();
        EXPECT_EQ(cView::renderRegistrySize(), 0u);
    }
};

TEST_F(ViewRegistryTest, AViewIsAnOpaqueKindOneObject)
{
    cView view;
    EXPECT_EQ(view.getKind(), 1);
    EXPECT_EQ(view.getTransparency(), 1.0f);
    EXPECT_EQ(view.getDeep(), 0.0f);
    EXPECT_FALSE(cView::isInRenderRegistry(&view));
}

TEST_F(ViewRegistryTest, ShownViewsAreDrawnByDeepThenAddress)
{
    std::vector<cView> views(6);
    const float deeps[] = {7.0f, 1.0f, 7.0f, -3.0f, 1.0f, 7.0f};
    for (std::size_t i = 0; i < views.size(); ++i)
    {
        views[i].setDeep(deeps[i]);
        views[i].show();
    }
    std::vector<cView*> expected;
    for (cView& view : views)
        expected.push_back(&view);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const cView* a, const cView* b)
                     { return a->getDeep() != b->getDeep() ? a->getDeep() < b->getDeep() : a < b; });
    EXPECT_EQ(drawn(), expected);
    EXPECT_EQ(cView::getRenderOrder(), expected);
}

TEST_F(ViewRegistryTest, SetDeepSortsAgainAndMovesTheChildren)
{
    cView parent;
    auto* child = new cView(&parent);
    auto* grandChild = new cView(child);
    child->setDeep(2.0f);
    grandChild->setDeep(4.0f);
    cView other;
    other.setDeep(3.0f);
    parent.show();
    child->show();
    grandChild->show();
    other.show();
    EXPECT_EQ(drawn(), (std::vector<cView*>{&parent, child, &other, grandChild}));

    parent.setDeep(10.0f);
    EXPECT_EQ(child->getDeep(), 12.0f);
    EXPECT_EQ(grandChild->getDeep(), 14.0f);
    EXPECT_EQ(drawn(), (std::vector<cView*>{&other, &parent, child, grandChild}));
}

TEST_F(ViewRegistryTest, SetDeepOfAHiddenViewKeepsItOut)
{
    cView view;
    view.setDeep(5.0f);
    EXPECT_FALSE(cView::isInRenderRegistry(&view));
    view.show();
    view.hide();
    view.setDeep(1.0f);
    EXPECT_FALSE(cView::isInRenderRegistry(&view));
}

TEST_F(ViewRegistryTest, HidingLeavesTheRegistryAndShowingJoinsAgain)
{
    cView parent;
    auto* child = new cView(&parent);
    parent.show();
    child->show();
    EXPECT_EQ(cView::renderRegistrySize(), 2u);
    parent.hide();
    EXPECT_EQ(cView::renderRegistrySize(), 0u);
    EXPECT_TRUE(drawn().empty());
    parent.show();
    // Equal depths are drawn in the order the views were made.
    EXPECT_EQ(drawn(), (std::vector<cView*>{&parent, child}));
}

TEST_F(ViewRegistryTest, AViewDestroyedWhileShownLeavesTheRegistry)
{
    auto* view = new cView();
    view->show();
    auto* child = new cView(view);
    child->show();
    EXPECT_EQ(cView::renderRegistrySize(), 2u);
    delete view;
    EXPECT_EQ(cView::renderRegistrySize(), 0u);
    EXPECT_TRUE(drawn().empty());
}

TEST_F(ViewRegistryTest, AQueuedChildOfAHiddenParentIsNotDrawnAfterDeletion)
{
    // Detaching a queued view shows it again for a moment; it must be gone from the registry
    // once it is deleted.
    cView parent;
    auto* child = new cView(&parent);
    child->show();
    EXPECT_FALSE(cView::isInRenderRegistry(child));
    cControl::deleteLater(child);
    cControl::deletePending();
    EXPECT_EQ(cView::renderRegistrySize(), 0u);
    EXPECT_TRUE(drawn().empty());
}

TEST_F(ViewRegistryTest, AViewHiddenWhileDrawingIsDroppedSafely)
{
    std::vector<cView> views(4);
    for (cView& view : views)
        view.show();
    // The first view drawn hides every view: the rest of the walk draws nothing more.
    int calls = 0;
    cView::renderPass(
        [&](cView*)
        {
            ++calls;
            for (cView& view : views)
                view.hide();
        });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(cView::renderRegistrySize(), 0u);
}

TEST_F(ViewRegistryTest, ACopyJoinsWhenShown)
{
    cView source;
    source.setDeep(2.5f);
    source.show();
    cView copy(source);
    EXPECT_EQ(copy.getDeep(), 2.5f);
    EXPECT_EQ(copy.getTransparency(), 1.0f);
    EXPECT_FALSE(cView::isInRenderRegistry(&copy));
    copy.setDeep(3.0f);
    EXPECT_TRUE(cView::isInRenderRegistry(&copy)) << "a shown copy is sorted in by setDeep";
    copy.hide();
    copy.show();
    EXPECT_TRUE(cView::isInRenderRegistry(&copy));
}

TEST_F(ViewRegistryTest, AViewWithADeepThatIsNotANumberStillSortsSafely)
{
    cView a;
    cView b;
    a.setDeep(std::numeric_limits<float>::quiet_NaN());
    a.show();
    b.show();
    EXPECT_EQ(drawn().size(), 2u);
}

} // namespace
