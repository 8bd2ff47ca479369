// A copy of an enabled object that is hidden takes no part in the frame until it is shown:
// in the enabled registry it would be updated, and a button would take clicks, while unseen.
#include "engine/core/cControl.h"

#include <gtest/gtest.h>

namespace
{

using Engine::cControl;

class Counting : public cControl
{
public:
    Counting() = default;
    Counting(const Counting& other) : cControl(other) {}
    void update() override { ++updates; }
    int updates = 0;
};

TEST(ControlCopy, AnEnabledHiddenCopyJoinsTheEnabledRegistryOnlyWhenShown)
{
    Counting source;
    source.enable();
    source.hide();
    int enabledSignals = 0;
    Counting copy(source);
    copy.enabledSignal.connect([&](cControl*) { ++enabledSignals; });
    EXPECT_TRUE(copy.isEnabled());
    EXPECT_FALSE(cControl::isEnabledRegistered(&copy));
    cControl::enabledPass();
    EXPECT_EQ(copy.updates, 0);

    copy.show();
    EXPECT_TRUE(cControl::isEnabledRegistered(&copy));
    EXPECT_EQ(enabledSignals, 1);
    cControl::enabledPass();
    EXPECT_EQ(copy.updates, 1);

    // A shown source gives a copy that is registered at once.
    source.show();
    Counting shownCopy(source);
    EXPECT_TRUE(cControl::isEnabledRegistered(&shownCopy));
}

} // namespace
