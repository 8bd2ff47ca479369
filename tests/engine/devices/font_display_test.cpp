#include "engine/devices/cDebugFont.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cQuad.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "platform/image/PngCodec.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace Engine;

namespace
{

// The shipped bitmap font (baked by tools/fontbake) in a data folder of the test's own, a
// render device drawing into an offscreen 800 x 600 back buffer, and the resource manager.
class FontPixels : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    FontPixels() : EngineFixture("Font Test") {}
    void SetUp() override
    {
        for (const char* name : {"default.fnt", "default.png"})
            data(std::string("fonts/") + name,
                 ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/" + name));
        startFiles();

        std::string error;
        render = ::Test::offscreenRender(error);
        ASSERT_TRUE(render) << error;

        manager = std::make_unique<cResourceManager>();
    }
    void TearDown() override
    {
        manager.reset();
        render.reset();
    }

    std::vector<uint32_t> readBack()
    {
        std::vector<uint32_t> pixels;
        EXPECT_EQ(render->getDevice()->readBackBuffer({0, 0, 800, 600}, pixels), 0);
        return pixels;
    }

    std::unique_ptr<cRender> render;
};

TEST_F(FontPixels, GlyphStringFromTheBakedFontMatchesItsAtlas)
{
    const auto font = manager->getFont("fonts/default.fnt");
    const auto texture = manager->getTexture("fonts/default.png");
    const float texW = static_cast<float>(texture->getImageWidth()) * texture->getUScale();
    const float texH = static_cast<float>(texture->getImageHeight()) * texture->getVScale();
    const std::string atlasBytes =
        ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/default.png");
    const Platform::Image atlas =
        Platform::decodePng(reinterpret_cast<const uint8_t*>(atlasBytes.data()), atlasBytes.size());

    // The CPU's own drawing of the same string: each glyph cell blended over black, as the
    // text views lay glyphs out (centred on the pen plus half the advance, on the line's y).
    std::vector<uint8_t> expected(800 * 600, 0);
    const std::wstring text = L"Hjx\u00c5\u0416!";
    const float lineX = 100.0f;
    const float lineY = 300.0f;
    float cursor = 0.0f;
    render->beginFrame();
    for (const wchar_t c : text)
    {
        sGlyph glyph;
        ASSERT_TRUE(font->getGlyph(c, glyph)) << static_cast<int>(c);
        const float width = (glyph.right - glyph.left) * texW;
        const float height = (glyph.top - glyph.bottom) * texH;
        const float advance = glyph.advance * texW;
        const float centreX = lineX + cursor + advance / 2.0f;
        const float left = centreX - width / 2.0f;
        const float top = lineY - height / 2.0f;
        cQuad quad;
        quad.setRect(left, top, left + width, top + height);
        quad.setColor(0xFFFFFFFFu);
        quad.uvFrom = cVector2(glyph.left, 1.0f - glyph.top);
        quad.uvTo = cVector2(glyph.right, 1.0f - glyph.bottom);
        render->drawQuad(quad, texture, 0);

        // Cells are whole pixels: the picture lands on the screen texel for pixel.
        const int x0 = static_cast<int>(std::lround(left));
        const int y0 = static_cast<int>(std::lround(top));
        const int ax = static_cast<int>(std::lround(glyph.left * texW));
        const int ay = static_cast<int>(std::lround((1.0f - glyph.top) * texH));
        for (int y = 0; y < static_cast<int>(std::lround(height)); ++y)
            for (int x = 0; x < static_cast<int>(std::lround(width)); ++x)
            {
                const int alpha = atlas.row(static_cast<uint32_t>(ay + y))[(ax + x) * 4 + 3];
                uint8_t& out = expected[static_cast<size_t>(y0 + y) * 800 + static_cast<size_t>(x0 + x)];
                out = static_cast<uint8_t>((255 * alpha + out * (255 - alpha) + 127) / 255);
            }
        cursor += advance;
    }
    render->endFrame();

    const std::vector<uint32_t> pixels = readBack();
    ASSERT_EQ(pixels.size(), 800u * 600u);
    int inked = 0;
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        const int red = static_cast<int>((pixels[i] >> 16) & 255);
        worst = std::max(worst, std::abs(red - static_cast<int>(expected[i])));
        inked += red > 128;
    }
    EXPECT_LE(worst, 2);
    EXPECT_GT(inked, 100);
}

TEST_F(FontPixels, DebugFontDrawsRedLinesInTheTopLeftCornerAndRestoresStates)
{
    Platform::GfxDevice& device = *render->getDevice();
    cDebugFont debugFont(device);
    render->beginFrame();
    render->endFrame();
    const Platform::GfxStateShadow before = device.state();

    device.clear(Platform::ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    device.beginScene();
    debugFont.draw(L"FPS: 60\nTriangles: 1234\n", 0xFFFF0000u);
    device.endScene();

    EXPECT_EQ(before.render, device.state().render);
    EXPECT_EQ(before.stages, device.state().stages);
    EXPECT_EQ(before.textures[0], device.state().textures[0]);
    EXPECT_EQ(before.stream, device.state().stream);

    ASSERT_GT(debugFont.getTextWidth(), 40);
    // Two lines of 16 or so pixels.
    const int lineHeight = debugFont.getTextHeight() / 2;
    EXPECT_EQ(debugFont.getTextHeight(), 2 * lineHeight);
    EXPECT_GE(lineHeight, 14);
    EXPECT_LE(lineHeight, 18);
    const std::vector<uint32_t> pixels = readBack();
    int red = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
        {
            const uint32_t p = pixels[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
            // Only red, blended over black.
            EXPECT_EQ(p & 0xFFFFu, 0u) << x << "," << y;
            if (((p >> 16) & 255) > 128)
            {
                ++red;
                EXPECT_LT(x, debugFont.getTextWidth());
                EXPECT_LT(y, debugFont.getTextHeight());
            }
        }
    EXPECT_GT(red, 50);
    // Both lines are there.
    auto inkInRows = [&](int from, int to)
    {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < 200; ++x)
                if (((pixels[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] >> 16) & 255) > 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkInRows(0, lineHeight));
    EXPECT_TRUE(inkInRows(lineHeight, 2 * lineHeight));
}

} // namespace
