#include "engine/devices/cDebugFont.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cFontScaled.h"
#include "engine/devices/cQuad.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/devices/cTextureLoader.h"
#include "platform/image/PngCodec.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
        for (const char* name : {"default.fnt", "default.png", "sans18.fnt", "sans18.png"})
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

// One frame of a text's letters, each drawn texel for pixel from its cell in `picture` (of
// `width` x `height` texels), side by side on a line at y 300; `glyph` gives a letter's cell
// (false for none).
void drawCells(cRender& render, const std::wstring& text, const std::function<bool(wchar_t, sGlyph&)>& glyph,
               const std::function<boost::shared_ptr<cTexture>()>& picture, float width, float height)
{
    std::vector<sGlyph> cells;
    for (const wchar_t c : text)
    {
        sGlyph cell;
        if (glyph(c, cell))
            cells.push_back(cell);
    }
    // Asked for after the letters, as the text views ask.
    const boost::shared_ptr<cTexture> texture = picture();
    render.beginFrame();
    float x = 20.0f;
    for (const sGlyph& cell : cells)
    {
        const float w = std::round((cell.right - cell.left) * width);
        const float h = std::round((cell.top - cell.bottom) * height);
        cQuad quad;
        quad.setRect(x, 300.0f, x + w, 300.0f + h);
        quad.setColor(0xFFFFFFFFu);
        quad.uvFrom = cVector2(cell.left, 1.0f - cell.top);
        quad.uvTo = cVector2(cell.right, 1.0f - cell.bottom);
        render.drawQuad(quad, texture, 0);
        x += w + 2.0f;
    }
    render.endFrame();
}

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

TEST_F(FontPixels, AReducedFontDrawsItsLettersWithTheTexelsOfTheWholePictureReduced)
{
    const auto font = manager->getFont("fonts/sans18.fnt");
    const std::string bytes = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/sans18.png");
    const Platform::Image picture =
        Platform::decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    // The letters come in two texts, the second reaching far deeper into the font's picture (Å,
    // Ж); a second size shares the picture decoded for the first.
    const std::wstring before = L"Hello";
    const std::wstring text = L"Hello, quilted \u00c5 \u0416 world!";
    for (const float multiplier : {0.9f, 0.7f})
    {
        const auto reduced = cFontScaled::find(font, "fonts/sans18.png", multiplier);
        ASSERT_TRUE(reduced);
        std::vector<sGlyph> cells;
        const Platform::Image whole = cFontScaled::reduce(*font, picture, reduced->getScale(), cells);
        const float width = static_cast<float>(whole.width);
        const float height = static_cast<float>(whole.height);

        const auto asked = [&](wchar_t c, sGlyph& cell) { return reduced->getGlyph(c, cell); };
        const auto made = [&] { return reduced->getTexture(); };
        drawCells(*render, before, asked, made, width, height);
        drawCells(*render, text, asked, made, width, height);
        const std::vector<uint32_t> drawn = readBack();

        const auto all = boost::make_shared<cTexture>(createTextureFromImage(*render->getDevice(), whole));
        const auto cut = [&](wchar_t c, sGlyph& cell)
        {
            size_t index = 0;
            if (!font->findGlyph(c, index))
                return false;
            cell = cells[index];
            return true;
        };
        drawCells(
            *render, text, cut, [&] { return all; }, width, height);
        const std::vector<uint32_t> expected = readBack();

        ASSERT_EQ(drawn.size(), expected.size());
        int inked = 0;
        int differing = 0;
        for (size_t i = 0; i < drawn.size(); ++i)
        {
            inked += ((expected[i] >> 16) & 255u) > 128u;
            differing += drawn[i] != expected[i];
        }
        EXPECT_GT(inked, 300) << multiplier;
        EXPECT_EQ(differing, 0) << multiplier;
    }
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
