#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

using namespace Engine;
using RenderTest::cRenderParts;

// A reset the device refuses for good (here: a buffer of the default pool is still held) ends
// in the fatal error path with the call's name instead of retrying for ever; a device that is
// only lost is waited for (see the lost-device test).
TEST(RenderReset, ARefusedResetIsAFatalErrorNotAnEndlessWait)
{
    auto render = cRenderParts().make();
    std::shared_ptr<Platform::GfxVertexBuffer> held;
    ASSERT_EQ(render->createVertexBuffer(4, 24, 0x142, held, Platform::Pool::Default),
              Platform::GfxError::Ok);
    ASSERT_TRUE(held);
    render->setResetPending(true);
    try
    {
        render->beginFrame();
        FAIL() << "the refused reset went unnoticed";
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text.rfind("Direct3D function call failed\nReset(...)\n", 0), 0u) << text;
        EXPECT_EQ(getErrorString(), text);
    }
    EXPECT_TRUE(render->isResetPending());

    // Once the buffer is given up the reset goes through.
    held.reset();
    render->beginFrame();
    EXPECT_FALSE(render->isResetPending());
    render->endFrame();
}
