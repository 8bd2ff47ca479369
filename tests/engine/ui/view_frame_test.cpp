// Whole frames of views through the frame driver and the render device, on the recording device:
// which batches the render pass makes of the registry's views.

#include "engine/core/cControl.h"
#include "engine/core/cLogic.h"
#include "engine/devices/RenderTypes.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cView.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <memory>
#include <vector>

namespace
{

using Engine::cBatch;
using Engine::cControl;
using Engine::cPicture;
using Engine::cQuad;
using Engine::cView;

// A view of three quads, as a border would draw.
class ThreeQuadView final : public cPicture
{
protected:
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override
    {
        sprites.resize(3);
        for (cQuad& sprite : sprites)
            buildSprite(sprite, frame, weight);
    }
};

// Stands in for the particle view: kind 5, with a draw record while it plays.
class ParticleStandIn final : public cView
{
public:
    int getKind() const override { return 5; }
    Engine::cParticleDrawInfo* getParticleDrawInfo() override { return playing ? &info : nullptr; }

    bool playing = true;
    Engine::cParticleDrawInfo info;
};

class ViewFrame : public ::testing::Test
{
protected:
    ViewFrame()
    {
        RenderTest::cRenderParts parts;
        render = parts.make();
        device = &RenderTest::recording(*render);
        logic = std::make_unique<Engine::cLogic>();
        textureA = texture();
        textureB = texture();
    }
    ~ViewFrame() override
    {
        cControl::deletePending();
        logic.reset();
    }

    boost::shared_ptr<Engine::cTexture> texture()
    {
        std::shared_ptr<Platform::GfxTexture> deviceTexture;
        device->createTexture(8, 8, 1, 0, Platform::Format::A8R8G8B8, Platform::Pool::Managed, deviceTexture);
        return boost::make_shared<Engine::cTexture>(deviceTexture);
    }

    // A shown picture of 10 x 10 units at (x, 100).
    cPicture* picture(float x, float deep, const boost::shared_ptr<Engine::cTexture>& tex,
                      cControl* parent = nullptr)
    {
        auto* view = new cPicture(parent);
        owned.emplace_back(parent ? nullptr : view);
        view->setTexture(tex);
        view->setPosition({x, 100.0f});
        view->setSize({10.0f, 10.0f});
        view->setDeep(deep);
        view->show();
        return view;
    }

    const std::vector<cBatch>& frame()
    {
        logic->render();
        return render->getBatchRenderer().getBatches();
    }

    std::unique_ptr<Engine::cRender> render;
    Platform::RecordingGfxDevice* device = nullptr;
    std::unique_ptr<Engine::cLogic> logic;
    boost::shared_ptr<Engine::cTexture> textureA;
    boost::shared_ptr<Engine::cTexture> textureB;
    std::vector<std::unique_ptr<cView>> owned;
};

TEST_F(ViewFrame, ViewsBecomeBatchesInDeepOrder)
{
    // Handed over out of order: deep decides.
    picture(300, 3.0f, textureB);
    cPicture* first = picture(100, 1.0f, textureA);
    picture(200, 2.0f, textureA);
    cPicture* plain = picture(400, 4.0f, nullptr);
    plain->setRenderType(Engine::eRenderType::Additive);
    picture(500, 5.0f, textureA)->hide();

    const std::vector<cBatch>& batches = frame();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].texture, textureA->getDeviceTexture());
    EXPECT_EQ(batches[0].triangleCount, 4u) << "two quads of one texture share a batch";
    EXPECT_EQ(batches[1].texture, textureB->getDeviceTexture());
    EXPECT_EQ(batches[1].triangleCount, 2u);
    EXPECT_EQ(batches[2].texture, nullptr);
    EXPECT_EQ(batches[2].renderType, Engine::eRenderType::Additive);
    EXPECT_EQ(device->drawCallCount(), 3u);

    // The first vertex is the first view's top-left corner, half a pixel up and left.
    const Engine::cQuadVertex* vertices = render->getBatchRenderer().getVertices(0);
    EXPECT_FLOAT_EQ(vertices[0].x, first->getSprite().corners[0].x - 0.5f);
    EXPECT_FLOAT_EQ(vertices[0].x, 94.5f);
    EXPECT_FLOAT_EQ(vertices[0].y, 94.5f);
}

TEST_F(ViewFrame, ListsCrossFadesAndMeshesTakeTheirPlaces)
{
    auto* border = new ThreeQuadView;
    owned.emplace_back(border);
    border->setTexture(textureA);
    border->setMultiSprites(true);
    border->setDeep(1.0f);
    border->show();

    cPicture* fading = picture(100, 2.0f, textureA);
    fading->anim_columns = 2;
    fading->frames_count = 2;
    fading->setDoubleAnimRender(true);
    fading->setAnimTime(0.25f);

    cPicture* model = picture(200, 3.0f, nullptr);
    model->setMesh(FrameTest::squareMesh(10.0f));
    model->setRenderType(0x20);

    picture(300, 4.0f, textureA);

    const std::vector<cBatch>& batches = frame();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].triangleCount, 10u) << "three quads of the list and two of the cross-fade";
    EXPECT_EQ(batches[1].mesh, &model->getMeshData());
    EXPECT_EQ(batches[1].renderType, 0x20u);
    EXPECT_TRUE(batches[2].isQuadBatch());
    EXPECT_EQ(batches[2].triangleCount, 2u);
}

TEST_F(ViewFrame, AParticleViewDrawsWhileEnabledAndPlaying)
{
    auto* effect = new ParticleStandIn;
    owned.emplace_back(effect);
    effect->setDeep(2.0f);
    effect->show();
    picture(100, 1.0f, textureA);

    ASSERT_EQ(frame().size(), 1u) << "a disabled effect is not drawn";

    effect->enable();
    const std::vector<cBatch>& batches = frame();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].particle, &effect->info);

    effect->playing = false;
    EXPECT_EQ(frame().size(), 1u);
}

TEST_F(ViewFrame, ViewsBelowAHiddenParentAreNotDrawnAndFadingReachesThemAll)
{
    auto* root = new cPicture;
    owned.emplace_back(root);
    root->setSize({0.0f, 0.0f});
    root->show();
    cPicture* child = picture(100, 1.0f, textureA, root);
    child->setTransparency(0.0f);

    root->setTransparency(0.5f);
    frame();
    const Engine::cQuadVertex* vertices = render->getBatchRenderer().getVertices(0);
    // The root's empty quad comes first, then the child at the root's transparency.
    EXPECT_EQ(vertices[4].color >> 24, 128u);

    root->hide();
    EXPECT_TRUE(frame().empty());
}

} // namespace
