// Text drawn into a real OpenGL back buffer: a text shrunk to fit its box keeps the dots of its
// i and j, and makes the smaller glyphs of the size it chooses only, once in the run. A font
// whose picture does not hold its letters, or cannot be decoded, is told as damaged data.

#include "engine/core/ErrorText.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/devices/cFontScaled.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextLine.h"
#include "platform/image/PngCodec.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;

std::string shipped(const std::string& path)
{
    return ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/" + path);
}

// An engine over a data folder of the test's own, drawing offscreen frame by frame.
class DrawnText : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    explicit DrawnText(const char* folder) : EngineFixture(folder) {}
    // Once the data is in place: the offscreen device and the frames, and the resources when
    // `resources` (a test may start them itself, afresh for each case).
    void startDrawing(bool resources)
    {
        std::string error;
        render = ::Test::offscreenRender(error);
        ASSERT_TRUE(render) << error;
        if (resources)
            startResources();
        frames = std::make_unique<UiTest::cFrames>();
    }
    void TearDown() override
    {
        cControl::deletePending();
        frames.reset();
        stopEngine();
        render.reset();
    }

    std::unique_ptr<cRender> render;
    std::unique_ptr<UiTest::cFrames> frames;
};

class ShrunkText : public DrawnText
{
protected:
    ShrunkText() : DrawnText("Shrunk Text") {}
    void SetUp() override
    {
        for (const char* name : {"fonts/sans18.fnt", "fonts/sans18.png"})
            data(name, shipped(name));
        startDrawing(true);
    }
};

// The rows of the area that hold ink (a pixel whose red differs from the black screen), as runs:
// an i or a j drawn whole has two, its dot and its stem.
int inkRuns(const std::vector<uint32_t>& pixels, int width, int left, int top, int right, int bottom)
{
    int runs = 0;
    bool inRun = false;
    for (int y = top; y < bottom; ++y)
    {
        bool ink = false;
        for (int x = left; x < right; ++x)
            ink = ink || ((pixels[static_cast<size_t>(y * width + x)] >> 16) & 255u) > 10u;
        runs += ink && !inRun;
        inRun = ink;
    }
    return runs;
}

TEST_F(ShrunkText, TheCementMillTipShrunkIntoTheShortMessageKeepsTheDotsOfItsIAndJ)
{
    // The short message's text as its layout gives it, with the cement mill's tip of level 2.
    const std::string layout = shipped("UI/MiniBreafing.xml");
    const tPropertiesPtr message =
        cXmlPropertiesPooled::fromBuffer(layout.data(), layout.size(), "MiniBreafing");
    tPropertiesPtr node;
    ASSERT_TRUE(message->getChild(L"Text", node));
    cMultiLineText text;
    text.loadXML(node);
    text.setPosition({60.0f, 80.0f});
    text.setText(L"The cement mill works by itself: each time the bar at the top fills, its cement goes into "
                 L"the stock. A rebuilt market gives money the same way.",
                 true);
    text.show();
    ASSERT_LT(text.getUsedMultiplier(), 1.0f) << "the tip is shrunk to fit";

    frames->logic->render();
    std::vector<uint32_t> pixels;
    ASSERT_EQ(render->getDevice()->readBackBuffer({0, 0, 800, 600}, pixels), 0);
    int dotted = 0;
    for (cTextLine* line : text.getLines())
    {
        const std::wstring& letters = line->getText();
        const std::vector<cQuad>& quads = line->getSpriteList();
        size_t quad = 0;
        for (wchar_t c : letters)
        {
            if (c == L' ')
                continue;
            ASSERT_LT(quad, quads.size());
            const cQuad& drawn = quads[quad++];
            if (c != L'i' && c != L'j')
                continue;
            // The middle half of the letter's cell: its neighbours' ink stays out.
            const float quarter = (drawn.corners[3].x - drawn.corners[0].x) / 4.0f;
            const int left = static_cast<int>(std::floor(drawn.corners[0].x + quarter));
            const int top = static_cast<int>(std::floor(drawn.corners[0].y));
            const int right = static_cast<int>(std::ceil(drawn.corners[3].x - quarter));
            const int bottom = static_cast<int>(std::ceil(drawn.corners[3].y));
            EXPECT_EQ(inkRuns(pixels, 800, left, top, right, bottom), 2)
                << "the " << static_cast<char>(c) << " at " << left << ", " << top << " in \""
                << std::string(letters.begin(), letters.end()) << "\"";
            ++dotted;
        }
    }
    EXPECT_GE(dotted, 8);
}

TEST_F(ShrunkText, TheCementMillTipMakesTheGlyphsOfTheSizeItChoosesOnceInTheRun)
{
    const std::string layout = shipped("UI/MiniBreafing.xml");
    tPropertiesPtr node;
    ASSERT_TRUE(cXmlPropertiesPooled::fromBuffer(layout.data(), layout.size(), "MiniBreafing")
                    ->getChild(L"Text", node));
    // The short message with the tip appears, is drawn and goes, twice.
    const size_t before = cFontScaled::madeCount();
    boost::shared_ptr<cTexture> glyphs;
    for (int time = 0; time < 2; ++time)
    {
        auto text = std::make_unique<cMultiLineText>();
        text->loadXML(node);
        text->show();
        text->setText(L"The cement mill works by itself: each time the bar at the top fills, its cement goes "
                      L"into the stock. A rebuilt market gives money the same way.",
                      true);
        frames->logic->render();
        EXPECT_EQ(cFontScaled::madeCount(), before + 1) << "only the size the fit chose, once";
        // The size and the lines the fit has always chosen.
        EXPECT_FLOAT_EQ(text->getUsedMultiplier(), 0.9125f);
        std::vector<std::wstring> lines;
        for (const cTextLine* line : text->getLines())
            lines.push_back(line->getText());
        EXPECT_EQ(lines,
                  (std::vector<std::wstring>{L"The cement mill works by", L"itself: each time the bar at the",
                                             L"top fills, its cement goes into",
                                             L"the stock. A rebuilt market", L"gives money the same way."}));
        if (!glyphs)
            glyphs = text->getLines().front()->getTexture();
        EXPECT_EQ(text->getLines().front()->getTexture(), glyphs) << "the same glyphs the second time";
        text.reset();
        cControl::deletePending();
    }
}

} // namespace

namespace
{

// The game's fonts in a data folder of the test's own, with pictures that are damaged data.
class DamagedFontPicture : public DrawnText
{
protected:
    DamagedFontPicture() : DrawnText("Damaged Font Picture") {}
    void SetUp() override
    {
        for (const char* name : {"fonts/sans18.fnt", "fonts/sans24.fnt"})
            data(name, shipped(name));
        // The sans18 picture's header whole, the pixels after it cut short.
        data("fonts/sans18.png", shipped("fonts/sans18.png").substr(0, 100));
        // A whole, valid picture of one texel.
        Platform::Image texel;
        texel.width = 1;
        texel.height = 1;
        texel.pixels.assign(4, 0xFF);
        const std::vector<uint8_t> png = Platform::encodePng(texel);
        data("fonts/sans24.png", std::string(png.begin(), png.end()));
        startDrawing(false);
    }

    // A line of `font` at `multiplier`, loaded as a layout loads it (drawn as one batch) or made
    // in code (a glyph view a letter), shown and drawn: what the run is told, and when.
    std::string told(const std::string& font, float multiplier, bool loaded)
    {
        // Resources of their own: a picture that failed to decode is not decoded again.
        startResources();
        const std::string keys = "Font=\"fonts/" + font + ".fnt\" Texture=\"fonts/" + font +
                                 ".png\" Multiplier=\"" + std::to_string(multiplier) + "\"";
        std::unique_ptr<cTextLine> line;
        try
        {
            line = std::make_unique<cTextLine>();
            if (loaded)
            {
                const std::string layout = "<t Visible=\"1\" String=\"OK\" " + keys + "/>";
                line->loadXML(cXmlPropertiesPooled::fromBuffer(layout.data(), layout.size(), "layout.xml"));
            }
            else
            {
                line->setFont("fonts/" + font + ".fnt");
                line->setTexture("fonts/" + font + ".png");
                line->setMultiplier(multiplier);
                line->setLocalized(false);
                line->setText(L"OK");
            }
            line->show();
            frames->frame();
        }
        catch (...)
        {
            return "loading: " + currentExceptionText();
        }
        try
        {
            frames->logic->render();
        }
        catch (...)
        {
            return "drawing: " + currentExceptionText();
        }
        return "nothing";
    }
};

TEST_F(DamagedFontPicture, APictureOfOneTexelEndsTheLoadOfItsFontsTextNamingTheFiles)
{
    EXPECT_THAT(told("sans24", 1.0f, true),
                ::testing::StartsWith("loading: Font (fonts/sans24.fnt) is damaged: its picture "
                                      "fonts/sans24.png (1 x 1) does not hold glyph "));
}

TEST_F(DamagedFontPicture, AReducedTextWhosePictureCannotBeDecodedIsToldAsTheFontsOwnPictureIs)
{
    // The font's own picture is decoded when a text of it is first drawn, and its failure names
    // the file.
    const std::string own = told("sans18", 1.0f, true);
    EXPECT_THAT(own, ::testing::StartsWith("drawing: Can't read image \"fonts/sans18.png\": "));
    for (const bool loaded : {true, false})
        EXPECT_EQ(told("sans18", 0.5f, loaded), own) << (loaded ? "loaded" : "made in code");
}

} // namespace
