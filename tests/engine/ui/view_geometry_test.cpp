// The quads a view builds: corners from position, size and angle, texture coordinates from the
// sheet, the tile and the atlas region, the colour with the tree's transparency, the sprite list
// and the cross-fade of two frames, and when they are rebuilt.

#include "engine/core/cControl.h"
#include "engine/ui/cView.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using Engine::cColor;
using Engine::cQuad;
using Engine::cVector2;
using Engine::cView;

uint32_t alphaOf(const cQuad& quad)
{
    return quad.corners[0].color >> 24;
}

void expectCorner(const cQuad& quad, int corner, float x, float y)
{
    EXPECT_NEAR(quad.corners[corner].x, x, 1e-3f) << "corner " << corner;
    EXPECT_NEAR(quad.corners[corner].y, y, 1e-3f) << "corner " << corner;
}

void expectUv(const cQuad& quad, float left, float top, float right, float bottom)
{
    EXPECT_NEAR(quad.uvFrom.x, left, 1e-6f);
    EXPECT_NEAR(quad.uvFrom.y, top, 1e-6f);
    EXPECT_NEAR(quad.uvTo.x, right, 1e-6f);
    EXPECT_NEAR(quad.uvTo.y, bottom, 1e-6f);
}

// Counts how often the view builds its quads.
class CountingView final : public cView
{
public:
    using cView::cView;
    int builds = 0;

protected:
    void buildSprite(cQuad& sprite, uint32_t frame, float weight) override
    {
        ++builds;
        cView::buildSprite(sprite, frame, weight);
    }
};

// A view of three quads side by side, as a border would draw.
class ThreeQuadView final : public cView
{
protected:
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override
    {
        sprites.resize(3);
        for (int i = 0; i < 3; ++i)
        {
            buildSprite(sprites[i], frame, weight);
            for (auto& corner : sprites[i].corners)
                corner.x += static_cast<float>(i) * 10.0f;
        }
    }
};

class ViewGeometry : public ::testing::Test
{
protected:
    void TearDown() override { Engine::cControl::deletePending(); }
};

TEST_F(ViewGeometry, ADefaultViewIsAWhiteUnitSquareAroundTheOrigin)
{
    cView view;
    const cQuad& quad = view.getSprite();
    expectCorner(quad, 0, -0.5f, -0.5f);
    expectCorner(quad, 1, 0.5f, -0.5f);
    expectCorner(quad, 2, -0.5f, 0.5f);
    expectCorner(quad, 3, 0.5f, 0.5f);
    for (const auto& corner : quad.corners)
        EXPECT_EQ(corner.color, 0xFFFFFFFFu);
    expectUv(quad, 0, 0, 1, 1);
    // The renderer's words keep their defaults.
    EXPECT_EQ(quad.grid, 1u);
    EXPECT_FALSE(quad.vertexShader);
    EXPECT_EQ(quad.shaderConstants, nullptr);
}

TEST_F(ViewGeometry, PositionIsTheCentreAndSizeTheWholeExtent)
{
    cView view;
    view.setPosition({100.0f, 50.0f});
    view.setSize({40.0f, 20.0f});
    const cQuad& quad = view.getSprite();
    expectCorner(quad, 0, 80, 40);
    expectCorner(quad, 1, 120, 40);
    expectCorner(quad, 2, 80, 60);
    expectCorner(quad, 3, 120, 60);
}

TEST_F(ViewGeometry, TheAngleTurnsTheCornersAboutThePosition)
{
    cView view;
    view.setPosition({100.0f, 50.0f});
    view.setSize({40.0f, 20.0f});
    view.setAngle(90.0f);
    // (x, y) becomes (x cos a + y sin a, -x sin a + y cos a).
    const cQuad& quad = view.getSprite();
    expectCorner(quad, 0, 90, 70);
    expectCorner(quad, 1, 90, 30);
    expectCorner(quad, 2, 110, 70);
    expectCorner(quad, 3, 110, 30);

    // At any angle the hit test undoes the same turn: points just inside every corner hit,
    // points just outside miss.
    for (float angle : {0.0f, 30.0f, 90.0f, 135.0f, -200.0f})
    {
        view.setAngle(angle);
        const cQuad& turned = view.getSprite();
        for (const auto& corner : turned.corners)
        {
            const cVector2 c(corner.x, corner.y);
            const cVector2 toCorner = c - view.getPosition();
            EXPECT_TRUE(view.hitTest(view.getPosition() + toCorner * 0.99f)) << angle;
            EXPECT_FALSE(view.hitTest(view.getPosition() + toCorner * 1.01f)) << angle;
        }
    }
}

TEST_F(ViewGeometry, HitTestTakesTheEdgesOfTheRectangle)
{
    cView view;
    view.setPosition({10.0f, 10.0f});
    view.setSize({4.0f, 2.0f});
    EXPECT_TRUE(view.hitTest({12.0f, 11.0f}));
    EXPECT_TRUE(view.hitTest({8.0f, 9.0f}));
    EXPECT_FALSE(view.hitTest({12.01f, 10.0f}));
    EXPECT_FALSE(view.hitTest({10.0f, 8.99f}));
}

TEST_F(ViewGeometry, ScaleYawAndPitchPlaceMeshesNotSprites)
{
    cView view;
    view.setPosition({10.0f, 20.0f});
    view.setSize({4.0f, 4.0f});
    const cQuad before = view.getSprite();
    view.setScale({2.0f, 3.0f, 4.0f});
    view.setYaw(0.5f);
    view.setPitch(0.25f);
    const cQuad& after = view.getSprite();
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(after.corners[i].x, before.corners[i].x);
        EXPECT_EQ(after.corners[i].y, before.corners[i].y);
    }
}

TEST_F(ViewGeometry, TheCellOfTheFrameTakesItsShareOfTheTexture)
{
    cView view;
    view.anim_columns = 4;
    view.anim_rows = 2;
    view.frames_count = 8;
    view.anim_length = 1.0f;
    view.setAnimTime(0.7f); // frame 5: column 1, row 1
    expectUv(view.getSprite(), 0.25f, 0.5f, 0.5f, 1.0f);

    view.setInverceX(true);
    expectUv(view.getSprite(), 0.5f, 0.5f, 0.25f, 1.0f);
    view.setInverceY(true);
    expectUv(view.getSprite(), 0.5f, 1.0f, 0.25f, 0.5f);
}

TEST_F(ViewGeometry, ATiledViewRepeatsTheTextureOverItsSize)
{
    cView view;
    view.setSize({64.0f, 32.0f});
    view.setTile({16.0f, 16.0f});
    expectUv(view.getSprite(), 0, 0, 4, 2);
    // Both components must be set.
    view.setTile({16.0f, 0.0f});
    expectUv(view.getSprite(), 0, 0, 1, 1);
}

TEST_F(ViewGeometry, AnAtlasRegionBecomesItsShareOfTheTexture)
{
    ViewTest::cViewResources resources;
    resources.data("atlases.xml",
                   "<Atlases><Atlas Path=\"atlas/ui.png\" Map=\"atlas/ui_map.xml\"/></Atlases>");
    resources.data("atlas/ui_map.xml",
                   "<Map><Entry Name=\"ui/ok.png\"><Pos>64 32</Pos><Size>32 16</Size></Entry>"
                   "</Map>");
    // The atlas image is 200 x 100 in a texture enlarged to 256 x 128.
    resources.sizes["atlas/ui.png"] = {200, 100, 256, 128};
    resources.start();

    cView view;
    view.setTexture(std::string("ui/ok.png"));
    EXPECT_EQ(view.getAtlasIndex(), 0);
    EXPECT_EQ(view.getFrameRect(), (Engine::cImage::tFrameRect{64, 32, 32, 16}));
    const cQuad& quad = view.getSprite();
    // The renderer multiplies by image / texture size (200/256, 100/128): the product is the
    // region's place in the texture.
    const cVector2 scale = view.getTexture()->getCoordinateScale();
    EXPECT_NEAR(quad.uvFrom.x * scale.x, 64.0f / 256.0f, 1e-6f);
    EXPECT_NEAR(quad.uvFrom.y * scale.y, 32.0f / 128.0f, 1e-6f);
    EXPECT_NEAR(quad.uvTo.x * scale.x, 96.0f / 256.0f, 1e-6f);
    EXPECT_NEAR(quad.uvTo.y * scale.y, 48.0f / 128.0f, 1e-6f);

    // The atlas image by its own path is a whole texture.
    view.setTexture(std::string("atlas/ui.png"));
    EXPECT_EQ(view.getAtlasIndex(), -1);
    expectUv(view.getSprite(), 0, 0, 1, 1);
}

TEST_F(ViewGeometry, TheColourTakesTheTransparencyOfTheRoot)
{
    cView root;
    auto* child = new cView(&root);
    auto* grandChild = new cView(child);
    grandChild->setColor(cColor(1.0f, 0.5f, 0.25f, 0.8f));
    root.setTransparency(0.5f);
    // A child's own transparency does not count while it has a parent.
    child->setTransparency(0.0f);
    grandChild->setTransparency(0.0f);
    // 0.8 x 0.5 = 0.4 -> 102; 0.5 -> 128; 0.25 -> 64.
    EXPECT_EQ(grandChild->getSprite().corners[3].color, 0x66FF8040u);

    // The root fading on changes the colour without anybody invalidating the child.
    root.setTransparency(1.0f);
    EXPECT_EQ(alphaOf(grandChild->getSprite()), 204u);

    // Alone, a view uses its own transparency.
    cView single;
    single.setTransparency(0.25f);
    EXPECT_EQ(alphaOf(single.getSprite()), 64u);
}

TEST_F(ViewGeometry, ColourComponentsArePackedWithClamping)
{
    cView view;
    view.setColor(cColor(2.0f, -1.0f, 0.5f, 1.5f));
    EXPECT_EQ(view.getSprite().corners[0].color, 0xFFFF0080u);
    view.setColorARGB(0x80102030u);
    EXPECT_EQ(view.getSprite().corners[0].color, 0x80102030u);
}

TEST_F(ViewGeometry, TheSpriteListIsDrawnWithMultiSprites)
{
    cView view;
    view.setPosition({5.0f, 5.0f});
    EXPECT_EQ(view.getSprites().size(), 1u);
    EXPECT_EQ(view.getSprites().begin(), &view.getSprite());

    view.setMultiSprites(true);
    ASSERT_EQ(view.getSprites().size(), 1u);
    EXPECT_EQ(view.getSprites().begin(), view.getSpriteList().data());
    expectCorner(*view.getSprites().begin(), 0, 4.5f, 4.5f);

    ThreeQuadView border;
    border.setMultiSprites(true);
    const cView::tSprites quads = border.getSprites();
    ASSERT_EQ(quads.size(), 3u);
    float x = -0.5f;
    for (const cQuad& quad : quads)
    {
        EXPECT_NEAR(quad.corners[0].x, x, 1e-6f);
        x += 10.0f;
    }
}

TEST_F(ViewGeometry, DoubleAnimRenderCrossFadesTheFrameAndTheNext)
{
    cView view;
    view.anim_columns = 4;
    view.frames_count = 4;
    view.anim_length = 1.0f;
    view.setDoubleAnimRender(true);

    // Frame 1 a quarter through: the current frame is whole, the next half faded in.
    view.setAnimTime(0.3125f);
    EXPECT_EQ(alphaOf(view.getSprite()), 255u);
    EXPECT_EQ(alphaOf(view.getSecondSprite()), 128u);
    expectUv(view.getSprite(), 0.25f, 0, 0.5f, 1);
    expectUv(view.getSecondSprite(), 0.5f, 0, 0.75f, 1);

    // Three quarters through: the other way round.
    view.setAnimTime(0.4375f);
    EXPECT_EQ(alphaOf(view.getSprite()), 128u);
    EXPECT_EQ(alphaOf(view.getSecondSprite()), 255u);

    // The last frame goes on to the first with a loop, stays without one.
    view.setAnimTime(0.9f);
    expectUv(view.getSecondSprite(), 0.0f, 0, 0.25f, 1);
    view.anim_loop = false;
    view.invalidate();
    expectUv(view.getSecondSprite(), 0.75f, 0, 1.0f, 1);
}

TEST_F(ViewGeometry, QuadsAreRebuiltOnlyAfterAChange)
{
    CountingView view;
    view.getSprite();
    view.getSprites();
    view.getSprite();
    EXPECT_EQ(view.builds, 1);
    EXPECT_FALSE(view.isDirty());

    // Storing the same values, and the plain stores, change nothing.
    view.setSize({1.0f, 1.0f});
    view.setAngle(0.0f);
    view.setColor(cColor(1, 1, 1, 1));
    view.setRenderType(0x20);
    view.setIsAniblend(true);
    view.setAniblendPhase(0.1f);
    view.setAnimBlendTime(0.3f);
    EXPECT_FALSE(view.isDirty());
    view.getSprite();
    EXPECT_EQ(view.builds, 1);

    view.setAlpha(0.5f);
    EXPECT_TRUE(view.isDirty());
    view.setAngle(10.0f);
    view.getSprite();
    EXPECT_EQ(view.builds, 2);

    // `invalidate(true)` rebuilds at once.
    view.invalidate(true);
    EXPECT_EQ(view.builds, 3);
    EXPECT_FALSE(view.isDirty());
}

TEST_F(ViewGeometry, SetPositionMovesTheChildrenAndTellsTheListeners)
{
    cView parent;
    parent.setPosition({10.0f, 10.0f});
    auto* child = new cView(&parent);
    child->setPosition({15.0f, 20.0f});
    auto* grandChild = new cView(child);
    grandChild->setPosition({0.0f, 0.0f});
    std::vector<cView*> moved;
    parent.positionChangedSignal.connect([&](cView* view) { moved.push_back(view); });

    parent.getSprite();
    parent.setPosition({20.0f, 5.0f});
    EXPECT_TRUE(parent.isDirty());
    EXPECT_EQ(child->getPosition(), cVector2(25.0f, 15.0f));
    EXPECT_EQ(grandChild->getPosition(), cVector2(10.0f, -5.0f));
    EXPECT_EQ(moved, std::vector<cView*>{&parent});
}

} // namespace
