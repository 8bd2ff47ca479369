// A frame that would draw the picture the last drawn frame left is neither drawn nor presented;
// any change, an exposure, a reset, a debug text or a screenshot draws it.
#include "engine/devices/cRender.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

using namespace RenderTest;
using Engine::cRender;

class RenderRepeatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        render = parts.make();
        device = &recording(*render);
        texture = boost::make_shared<cTestTexture>(*device);
        other = boost::make_shared<cTestTexture>(*device);
    }

    // One frame of the quad (and of whatever `more` adds), presented; whether it was drawn and
    // whether it was presented.
    struct tFrame
    {
        bool drawn;
        bool presented;
    };
    tFrame frame(const Engine::cQuad& quad, const boost::shared_ptr<cTestTexture>& with, int renderType = 0,
                 const std::function<void()>& more = {})
    {
        const unsigned draws = device->drawCallCount();
        const unsigned presents = device->presentCount();
        render->beginFrame();
        render->drawQuad(quad, with, renderType);
        if (more)
            more();
        render->endFrame();
        render->present();
        return {device->drawCallCount() > draws, device->presentCount() > presents};
    }
    tFrame still() { return frame(quadAt(10, 10, 50, 50), texture); }

    cRenderParts parts;
    Platform::FakeDisplayWindow* window = parts.windowView;
    std::unique_ptr<cRender> render;
    Platform::RecordingGfxDevice* device = nullptr;
    boost::shared_ptr<cTestTexture> texture;
    boost::shared_ptr<cTestTexture> other;
};

TEST_F(RenderRepeatTest, AnUnchangedFrameIsNeitherDrawnNorPresentedAgain)
{
    EXPECT_TRUE(still().drawn);
    const unsigned clears = static_cast<unsigned>(device->clears().size());
    for (int i = 0; i < 3; ++i)
    {
        const tFrame again = still();
        EXPECT_FALSE(again.drawn);
        EXPECT_FALSE(again.presented);
    }
    EXPECT_EQ(device->clears().size(), clears) << "the back buffer is not even cleared";
    EXPECT_EQ(device->presentCount(), 1u);
    EXPECT_EQ(render->getDrawnFrameCount(), 1u);
    EXPECT_EQ(render->getRepeatedFrameCount(), 3u);
    // A frame drawn and not yet presented is presented by the repeat that follows it.
    EXPECT_TRUE(frame(quadAt(0, 0, 5, 5), texture).drawn);
    render->beginFrame();
    render->drawQuad(quadAt(10, 10, 50, 50), texture, 0);
    render->endFrame();
    render->beginFrame();
    render->drawQuad(quadAt(10, 10, 50, 50), texture, 0);
    render->endFrame();
    const unsigned presents = device->presentCount();
    render->present();
    EXPECT_EQ(device->presentCount(), presents + 1);
}

TEST_F(RenderRepeatTest, EveryChangeOfWhatTheFrameShowsIsDrawnAndPresented)
{
    still();
    // Moved, recoloured, another texture, another render type, one quad more.
    for (const tFrame changed :
         {frame(quadAt(11, 10, 51, 50), texture), frame(quadAt(10, 10, 50, 50, 0x80FFFFFFu), texture),
          frame(quadAt(10, 10, 50, 50), other), frame(quadAt(10, 10, 50, 50), texture, 2),
          frame(quadAt(10, 10, 50, 50), texture, 0,
                [&] { render->drawQuad(quadAt(0, 0, 1, 1), texture, 0); })})
    {
        EXPECT_TRUE(changed.drawn);
        EXPECT_TRUE(changed.presented);
    }
    // The texture's pixels written again: same quads, another picture.
    still();
    ASSERT_FALSE(still().drawn);
    Platform::LockedRect locked;
    ASSERT_EQ(texture->getDeviceTexture()->lockRect(0, locked, nullptr, 0), Platform::GfxError::Ok);
    texture->getDeviceTexture()->unlockRect(0);
    EXPECT_TRUE(still().drawn);
    // A read-only look at it changes nothing.
    ASSERT_EQ(texture->getDeviceTexture()->lockRect(0, locked, nullptr, Platform::Lock::ReadOnly),
              Platform::GfxError::Ok);
    texture->getDeviceTexture()->unlockRect(0);
    EXPECT_FALSE(still().drawn);
    // Wireframe.
    render->setWireframe(true);
    EXPECT_TRUE(still().drawn);
    render->setWireframe(false);
    EXPECT_TRUE(still().drawn);
}

TEST_F(RenderRepeatTest, AReleasedTextureIsNoMatchForAnotherAtItsAddress)
{
    auto first = boost::make_shared<cTestTexture>(*device);
    frame(quadAt(10, 10, 50, 50), first);
    first.reset();
    // A texture made now may take the released one's place in memory.
    for (int i = 0; i < 4; ++i)
    {
        auto next = boost::make_shared<cTestTexture>(*device);
        EXPECT_TRUE(frame(quadAt(10, 10, 50, 50), next).drawn) << i;
    }
}

TEST_F(RenderRepeatTest, AnExposureAResetOrAnAskedRedrawDrawsTheSamePictureAgain)
{
    still();
    ASSERT_FALSE(still().drawn);
    window->damaged = true;
    tFrame again = still();
    EXPECT_TRUE(again.drawn);
    EXPECT_TRUE(again.presented);
    EXPECT_FALSE(window->damaged) << "the device took the damage";
    EXPECT_FALSE(still().drawn);

    render->setResetPending(true);
    again = still();
    EXPECT_EQ(device->resetCount(), 1u);
    EXPECT_TRUE(again.drawn);
    EXPECT_TRUE(again.presented);
    EXPECT_FALSE(still().drawn);

    render->redrawNextFrame();
    EXPECT_TRUE(still().drawn);
    EXPECT_FALSE(still().drawn);
}

TEST_F(RenderRepeatTest, DebugTextAndTheStatisticsOverlayAlwaysDraw)
{
    still();
    render->addDebugText(L"hello");
    EXPECT_TRUE(still().drawn);
    // The text is gone again: that is a change too.
    EXPECT_TRUE(still().drawn);
    EXPECT_FALSE(still().drawn);

    cRenderParts withFps;
    withFps.constant(L"graphics", L"show_fps", L"1");
    render.reset();
    render = withFps.make();
    device = &recording(*render);
    texture = boost::make_shared<cTestTexture>(*device);
    ASSERT_TRUE(render->getConfig().showFps);
    still();
    EXPECT_TRUE(still().drawn);
}

TEST_F(RenderRepeatTest, AScreenshotOfARepeatedFrameDrawsItIntoTheBackBufferWithoutPresentingIt)
{
    // A device whose back buffer holds nothing reliable after a present (one that keeps it is
    // read as it is: see render_parts_test).
    device->setKeepsFrame(false);
    still();
    ASSERT_FALSE(still().drawn);
    const unsigned draws = device->drawCallCount();
    const unsigned presents = device->presentCount();
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    // The back buffer holds nothing reliable after the present: the frame is drawn for it (the
    // recording device has no pixels to hand over; the frame's drawing is what counts here).
    render->captureScreen(0, 0, 0, 0, width, height, pixels);
    EXPECT_EQ(device->drawCallCount(), draws + 1);
    EXPECT_EQ(device->presentCount(), presents);
    // Once there, it is read as it is.
    render->captureScreen(0, 0, 0, 0, width, height, pixels);
    EXPECT_EQ(device->drawCallCount(), draws + 1);
}

} // namespace
