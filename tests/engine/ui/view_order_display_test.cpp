// Views drawn by the frame driver into a real OpenGL back buffer and read back: depth order,
// the transparency of a view's tree, and a picture loaded from a PNG file through the resource
// manager, texel for pixel.

#include "engine/core/cControl.h"
#include "engine/core/cLogic.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cView.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;

// A picture whose every pixel differs from its neighbours: red counts x, green counts y.
Platform::Image testPicture(uint32_t width, uint32_t height)
{
    return ::Test::picture(width, height,
                           [](uint32_t x, uint32_t y) {
                               return 0xFF000000u | ((x + y) & 255u) << 16 | (y * 5 & 255u) << 8 |
                                      (x * 3 & 255u);
                           });
}

uint32_t rgbOf(const Platform::Image& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.row(y) + x * 4;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

int channel(uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 255u);
}

// A data folder of the test's own, the file system and resource manager over it, and a render
// device drawing offscreen into an 800 x 600 window's back buffer.
class ViewPixels : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    ViewPixels() : EngineFixture("View Pixels") {}
    void SetUp() override
    {
        data("ui/picture.png", ::Test::pngBytes(testPicture(64, 48)));
        startResources();

        std::string error;
        render = ::Test::offscreenRender(error);
        ASSERT_TRUE(render) << error;
        logic = std::make_unique<cLogic>();
    }
    void TearDown() override
    {
        views.clear();
        cControl::deletePending();
        logic.reset();
        manager.reset();
        render.reset();
    }

    // A shown untextured square of `side` units centred at (x, y).
    cPicture* square(float x, float y, float side, float deep, uint32_t argb, cView* parent = nullptr)
    {
        auto* view = new cPicture(parent);
        if (!parent)
            views.emplace_back(view);
        view->setPosition({x, y});
        view->setSize({side, side});
        view->setColorARGB(argb);
        view->setDeep(deep);
        view->show();
        return view;
    }

    // The pixel at (x, y) of the frame just drawn.
    uint32_t pixel(int x, int y)
    {
        std::vector<uint32_t> pixels;
        EXPECT_EQ(render->getDevice()->readBackBuffer({x, y, x + 1, y + 1}, pixels), 0);
        return pixels.empty() ? 0u : pixels[0];
    }

    std::unique_ptr<cRender> render;
    std::unique_ptr<cLogic> logic;
    std::vector<std::unique_ptr<cView>> views;
};

TEST_F(ViewPixels, ALargerDeepIsDrawnOnTop)
{
    cPicture* red = square(200, 300, 200, 2.0f, 0xFFFF0000u);
    cPicture* green = square(300, 300, 200, 1.0f, 0xFF00FF00u);
    logic->render();
    EXPECT_EQ(pixel(250, 300) & 0xFFFFFFu, 0xFF0000u) << "red lies over green";
    EXPECT_EQ(pixel(350, 300) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(pixel(150, 300) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(pixel(700, 50) & 0xFFFFFFu, 0x000000u) << "the clear colour";

    green->setDeep(3.0f);
    logic->render();
    EXPECT_EQ(pixel(250, 300) & 0xFFFFFFu, 0x00FF00u) << "green moved on top";

    // A square covers exactly the pixels under it: 100..299 for the red one.
    red->setDeep(4.0f);
    logic->render();
    EXPECT_EQ(pixel(100, 300) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(pixel(99, 300) & 0xFFFFFFu, 0x000000u);
    EXPECT_EQ(pixel(299, 300) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(pixel(300, 300) & 0xFFFFFFu, 0x00FF00u);
}

TEST_F(ViewPixels, AViewIsBlendedWithTheTransparencyOfItsRoot)
{
    cPicture* panel = square(600, 300, 0, 1.0f, 0xFFFFFFFFu);
    cPicture* blue = square(600, 300, 100, 2.0f, 0xFF0000FFu, panel);
    // Its own transparency does not count under a parent.
    blue->setTransparency(0.0f);
    panel->setTransparency(0.5f);
    square(600, 450, 100, 2.0f, 0x800000FFu, panel);
    logic->render();
    EXPECT_NEAR(channel(pixel(600, 300), 0), 128, 1);
    EXPECT_NEAR(channel(pixel(600, 450), 0), 64, 1) << "its own alpha times the root's";

    // Fading the root fades every view below it.
    panel->setTransparency(1.0f);
    logic->render();
    EXPECT_EQ(channel(pixel(600, 300), 0), 255);
    EXPECT_NEAR(channel(pixel(600, 450), 0), 128, 1);

    panel->hide();
    logic->render();
    EXPECT_EQ(pixel(600, 300) & 0xFFFFFFu, 0u);
}

TEST_F(ViewPixels, APictureFromAPngIsDrawnTexelForPixel)
{
    auto* picture = new cPicture;
    views.emplace_back(picture);
    const std::string layout =
        "<p Visible=\"1\" Picture=\"UI/Picture.png\" position=\"132,124\" deep=\"5\"/>";
    picture->loadXML(cXmlProperties::fromBuffer(layout.data(), layout.size(), "layout.xml"));
    ASSERT_EQ(picture->getSize(), cVector2(64, 48));
    // Something under it that it must cover.
    square(132, 124, 100, 1.0f, 0xFFFF00FFu);
    logic->render();

    std::vector<uint32_t> pixels;
    ASSERT_EQ(render->getDevice()->readBackBuffer({100, 100, 164, 148}, pixels), 0);
    const Platform::Image image = testPicture(64, 48);
    int wrong = 0;
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            wrong += (pixels[y * 64 + x] & 0xFFFFFFu) != rgbOf(image, x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pixel(99, 120) & 0xFFFFFFu, 0xFF00FFu);
    EXPECT_EQ(pixel(164, 120) & 0xFFFFFFu, 0xFF00FFu);
}

} // namespace
