// A frame is drawn over the kept last frame only where it differs: the rectangles around every
// drawing that changed, appeared, went or moved in the order, cleared and drawn again with all
// that reaches them, clipped to them; the rest of the back buffer is left alone.
#include "engine/devices/RenderTypes.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderedFrame.h"
#include "platform/particles/IPyroEmitter.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace
{

using namespace RenderTest;
using Engine::cRender;
using Platform::PixelRect;
namespace RT = Engine::eRenderType;

bool contains(const PixelRect& outer, const PixelRect& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool overlap(const PixelRect& a, const PixelRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// An emitter whose particles lie where the test says.
class PlacedEmitter final : public PyroParticles::IPyroEmitter
{
public:
    const char* getName() const override { return "placed"; }
    void move(float, float) override {}
    void emit(float, float, float, float, float, bool) override {}
    void setScale(float) override {}
    void setPosition(float, float, float) override {}
    void draw() override { ++draws; }
    bool getBounds(float bounds[4]) const override
    {
        for (int i = 0; i < 4; ++i)
            bounds[i] = extent[i];
        return alive;
    }
    void setSeed(uint32_t) override {}
    void reset() override {}
    uint32_t getParticleCount() const override { return alive ? 1u : 0u; }
    bool isPlaying() const override { return alive; }

    float extent[4] = {100.0f, 100.0f, 120.0f, 120.0f};
    bool alive = true;
    int draws = 0;
};

class RenderPartsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        render = parts.make();
        device = &recording(*render);
        ground = boost::make_shared<cTestTexture>(*device);
        hero = boost::make_shared<cTestTexture>(*device);
    }

    // One frame of `pass`, presented; the device's records hold its drawing only.
    void frame(const std::function<void()>& pass)
    {
        render->beginFrame();
        pass();
        device->clearRecords();
        render->endFrame();
        render->present();
    }

    // A still field of 100 quads of 80 x 60 covering the 800 x 600 screen, with a hero over it.
    void field(float heroX, float heroY, const std::function<void()>& more = {})
    {
        frame(
            [&]
            {
                for (int i = 0; i < 100; ++i)
                    render->drawQuad(
                        quadAt(i % 10 * 80.0f, i / 10 * 60.0f, i % 10 * 80.0f + 80, i / 10 * 60.0f + 60),
                        ground, 0);
                render->drawQuad(quadAt(heroX, heroY, heroX + 20, heroY + 30), hero, 0);
                if (more)
                    more();
            });
    }

    // The clip rectangles of the recorded clears.
    std::vector<PixelRect> clearedRects() const
    {
        std::vector<PixelRect> rects;
        for (const auto& clear : device->clears())
        {
            EXPECT_TRUE(clear.clipped);
            rects.push_back(clear.clip);
        }
        return rects;
    }

    // The quads drawn (as the first vertex their indices name) and the triangles.
    unsigned drawnTriangles() const
    {
        unsigned triangles = 0;
        for (const auto& draw : device->draws())
            triangles += draw.primitiveCount;
        return triangles;
    }

    cRenderParts parts;
    std::unique_ptr<cRender> render;
    Platform::RecordingGfxDevice* device = nullptr;
    boost::shared_ptr<cTestTexture> ground;
    boost::shared_ptr<cTestTexture> hero;
};

TEST_F(RenderPartsTest, AMovedQuadRedrawsOnlyAroundItsOldAndNewPlace)
{
    field(200, 200);
    EXPECT_EQ(device->drawCallCount(), 2u) << "the first frame is drawn whole";
    EXPECT_FALSE(device->clears()[0].clipped);
    field(204, 200);
    const std::vector<PixelRect> rects = clearedRects();
    ASSERT_EQ(rects.size(), 1u);
    // Both places, with a pixel to spare, and not much more.
    EXPECT_TRUE(contains(rects[0], PixelRect{200, 200, 224, 230}));
    EXPECT_LE(rects[0].right - rects[0].left, 30);
    EXPECT_LE(rects[0].bottom - rects[0].top, 36);
    // The ground quad under it and the hero.
    ASSERT_EQ(device->drawCallCount(), 2u);
    for (const auto& draw : device->draws())
    {
        EXPECT_TRUE(draw.clipped);
        EXPECT_EQ(draw.clip.left, rects[0].left);
        EXPECT_EQ(draw.clip.bottom, rects[0].bottom);
    }
    EXPECT_EQ(device->draws()[0].primitiveCount, 2u);
    EXPECT_EQ(device->draws()[1].primitiveCount, 2u);
    EXPECT_EQ(device->draws()[1].texture, hero->getDeviceTexture().get());
    EXPECT_EQ(device->invalidCallCount(), 0u);
    EXPECT_EQ(render->getPartFrameCount(), 1u);
    EXPECT_EQ(render->getDrawnFrameCount(), 2u);
    // The drawn indices are those of the ground quad under the hero: the one at 160..240 x
    // 180..240 is number 32 of the field (four vertices each).
    std::set<unsigned> quads;
    for (uint16_t index : device->draws()[0].drawnIndices)
        quads.insert(index / 4);
    EXPECT_EQ(quads, (std::set<unsigned>{32}));
}

TEST_F(RenderPartsTest, DistantChangesAreDrawnInSeparateRectanglesThatDoNotOverlap)
{
    field(50, 50, [&] { render->drawQuad(quadAt(700, 500, 720, 520), hero, 0); });
    field(52, 50, [&] { render->drawQuad(quadAt(701, 500, 721, 520), hero, 0); });
    const std::vector<PixelRect> rects = clearedRects();
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_FALSE(overlap(rects[0], rects[1]));
    // Every draw is clipped to one of them, and each rectangle draws only what reaches it.
    for (const auto& draw : device->draws())
        ASSERT_TRUE(draw.clipped);
    EXPECT_LT(drawnTriangles(), 20u);
}

TEST_F(RenderPartsTest, OverlappingQuadsThatSwapTheirOrderAreDrawnAgain)
{
    const auto twoHeroes = [&](bool swapped)
    {
        frame(
            [&]
            {
                render->drawQuad(quadAt(0, 0, 800, 600), ground, 0);
                auto a = [&] { render->drawQuad(quadAt(300, 300, 340, 340), hero, 0); };
                auto b = [&] { render->drawQuad(quadAt(320, 320, 360, 360), hero, RT::Additive); };
                if (swapped)
                {
                    b();
                    a();
                }
                else
                {
                    a();
                    b();
                }
            });
    };
    twoHeroes(false);
    twoHeroes(true);
    const std::vector<PixelRect> rects = clearedRects();
    ASSERT_FALSE(rects.empty());
    bool covered = false;
    for (const PixelRect& rect : rects)
        covered = covered || contains(rect, PixelRect{320, 320, 340, 340});
    EXPECT_TRUE(covered) << "the place where the two overlap is drawn again";
    twoHeroes(true);
    EXPECT_EQ(device->drawCallCount(), 0u) << "the same order again draws nothing";
}

TEST_F(RenderPartsTest, AChangeOverMostOfTheScreenOrAFrameWithoutAKeptOneIsDrawnWhole)
{
    field(200, 200);
    // A veil over the whole screen appears.
    field(200, 200, [&] { render->drawQuad(quadAt(0, 0, 800, 600, 0x80000000u), std::string(), 0); });
    ASSERT_EQ(device->clears().size(), 1u);
    EXPECT_FALSE(device->clears()[0].clipped);
    EXPECT_EQ(device->drawCallCount(), 3u);
    for (const auto& draw : device->draws())
        EXPECT_FALSE(draw.clipped);

    // A device whose back buffer holds nothing reliable after a present draws changes whole.
    device->setKeepsFrame(false);
    field(210, 200);
    ASSERT_EQ(device->clears().size(), 1u);
    EXPECT_FALSE(device->clears()[0].clipped);
    device->setKeepsFrame(true);
    // Its back buffer held nothing after that present: the next change is drawn whole too.
    field(215, 200);
    EXPECT_FALSE(device->clears()[0].clipped);

    // So do a reset, an exposure, an asked redraw and a frame with debug text.
    field(220, 200);
    ASSERT_TRUE(device->clears()[0].clipped);
    for (const std::function<void()>& lose :
         std::vector<std::function<void()>>{
             [&] { render->setResetPending(true); }, [&] { parts.windowView->damaged = true; },
             [&] { render->redrawNextFrame(); }, [&] { render->addDebugText(L"hello"); }})
    {
        lose();
        field(220, 200);
        ASSERT_EQ(device->clears().size(), 1u);
        EXPECT_FALSE(device->clears()[0].clipped);
    }
    // The frame after the debug text has none: a change over the text's place at least.
    field(220, 200);
    field(230, 200);
    ASSERT_EQ(device->clears().size(), 1u);
    EXPECT_TRUE(device->clears()[0].clipped);
}

TEST_F(RenderPartsTest, AMaskedQuadInheritsTheAlphaReferenceOfTheBatchBeforeIt)
{
    const auto scene = [&](int before)
    {
        frame(
            [&]
            {
                render->drawQuad(quadAt(0, 0, 800, 600), ground, 0);
                render->drawQuad(quadAt(100, 100, 140, 140), ground, before);
                render->drawQuad(quadAt(500, 400, 540, 440), hero, RT::StencilMasked);
            });
    };
    scene(RT::AlphaRef160);
    // The quad before the masked one moves its alpha reference from 160 to 0: the masked quad
    // draws with another reference, far from the quad that changed.
    scene(0);
    const std::vector<PixelRect> rects = clearedRects();
    bool masked = false;
    for (const PixelRect& rect : rects)
        masked = masked || contains(rect, PixelRect{500, 400, 540, 440});
    EXPECT_TRUE(masked);
}

TEST_F(RenderPartsTest, ParticlesAreDrawnAgainWhereTheyWereAndWhereTheyAreEveryFrame)
{
    PlacedEmitter emitter;
    Engine::cParticleDrawInfo info;
    info.emitter = &emitter;
    const auto scene = [&]
    {
        frame(
            [&]
            {
                render->drawQuad(quadAt(0, 0, 800, 600), ground, 0);
                render->openParticleBatch(&info);
                render->drawQuad(quadAt(600, 100, 640, 140), hero, 0);
            });
    };
    scene();
    emitter.draws = 0;
    scene();
    std::vector<PixelRect> rects = clearedRects();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(contains(rects[0], PixelRect{100, 100, 120, 120}));
    EXPECT_LT(rects[0].right, 600) << "the quad that stood still is not drawn again";
    EXPECT_EQ(emitter.draws, 1);
    // Moved: both places.
    emitter.extent[0] = 300.0f;
    emitter.extent[2] = 310.0f;
    scene();
    rects = clearedRects();
    PixelRect all = rects[0];
    for (const PixelRect& rect : rects)
        all = PixelRect{std::min(all.left, rect.left), std::min(all.top, rect.top),
                        std::max(all.right, rect.right), std::max(all.bottom, rect.bottom)};
    EXPECT_TRUE(contains(all, PixelRect{100, 100, 310, 120}));
    // Gone: its last place only, then nothing.
    emitter.alive = false;
    emitter.draws = 0;
    scene();
    EXPECT_FALSE(clearedRects().empty());
    EXPECT_EQ(emitter.draws, 0);
    scene();
    EXPECT_TRUE(device->clears().empty());
    EXPECT_EQ(device->drawCallCount(), 0u);
}

TEST_F(RenderPartsTest, TheLetterboxBarsAreDrawnAgainInsideTheRectanglesInFullScreen)
{
    cRenderParts full;
    full.desktop(1920, 1080);
    full.setting(L"fullscreen", L"1");
    render.reset();
    render = full.make();
    device = &recording(*render);
    ground = boost::make_shared<cTestTexture>(*device);
    hero = boost::make_shared<cTestTexture>(*device);
    ASSERT_TRUE(render->isFullscreen());
    field(0, 200);
    field(-10, 200);
    const std::vector<PixelRect> rects = clearedRects();
    ASSERT_EQ(rects.size(), 1u);
    // The hero reaches into the bar on the left: the bars are drawn over it again, clipped.
    unsigned bars = 0;
    for (const auto& draw : device->draws())
        if (!draw.indexed && draw.primitiveCount == 4)
        {
            ++bars;
            EXPECT_TRUE(draw.clipped);
        }
    EXPECT_EQ(bars, 1u);
}

TEST_F(RenderPartsTest, ARepeatedFrameIsReadFromTheKeptFrameForAScreenshot)
{
    field(200, 200);
    field(200, 200);
    device->clearRecords();
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    render->captureScreen(0, 0, 0, 0, width, height, pixels);
    EXPECT_EQ(device->drawCallCount(), 0u) << "the device kept the frame";
}

TEST(RenderedFrameGatherTest, RectanglesAreCutJoinedAndFewWithoutOverlapHoldingEveryOne)
{
    std::vector<PixelRect> rects;
    // Out of the screen, overlapping, near, and a scatter of many small ones.
    rects.push_back({-50, -50, -10, -10});
    rects.push_back({790, 590, 850, 650});
    rects.push_back({100, 100, 150, 150});
    rects.push_back({140, 140, 200, 200});
    rects.push_back({300, 100, 310, 110});
    rects.push_back({312, 100, 322, 110});
    for (int i = 0; i < 40; ++i)
        rects.push_back({i * 19 % 780, i * 37 % 580, i * 19 % 780 + 8, i * 37 % 580 + 8});
    const std::vector<PixelRect> given = rects;
    Engine::cRenderedFrame::gather(rects, 800, 600);
    EXPECT_LE(rects.size(), Engine::cRenderedFrame::MaxRects);
    for (size_t i = 0; i < rects.size(); ++i)
    {
        EXPECT_GE(rects[i].left, 0);
        EXPECT_GE(rects[i].top, 0);
        EXPECT_LE(rects[i].right, 800);
        EXPECT_LE(rects[i].bottom, 600);
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(overlap(rects[i], rects[j])) << i << " " << j;
    }
    for (const PixelRect& rect : given)
    {
        const PixelRect cut{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, 800),
                            std::min(rect.bottom, 600)};
        if (cut.left >= cut.right || cut.top >= cut.bottom)
            continue;
        bool held = false;
        for (const PixelRect& joined : rects)
            held = held || contains(joined, cut);
        EXPECT_TRUE(held) << cut.left << "," << cut.top;
    }
}

} // namespace
