// A text shrunk to fit its box, drawn into a real OpenGL back buffer: the fit tries its sizes
// by the font's metrics and makes the smaller glyphs of the size it chooses only, once in the
// run.

#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/devices/cFontScaled.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextLine.h"
#include "platform/image/PngCodec.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

class FittedText : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    FittedText() : EngineFixture("Fitted Text") {}
    void SetUp() override
    {
        for (const char* name : {"fonts/sans18.fnt", "fonts/sans18.png"})
            data(name, shipped(name));
        std::string error;
        render = ::Test::offscreenRender(error);
        ASSERT_TRUE(render) << error;
        startResources();
        frames = std::make_unique<UiTest::cFrames>();
        const std::string layout = shipped("UI/MiniBreafing.xml");
        cXmlPropertiesPooled::fromBuffer(layout.data(), layout.size(), "MiniBreafing")
            ->getChild(L"Text", node);
    }
    void TearDown() override
    {
        cControl::deletePending();
        frames.reset();
        stopEngine();
        render.reset();
    }

    // The short message's text with the cement mill's tip of level 2, as it appears.
    std::unique_ptr<cMultiLineText> tip()
    {
        auto text = std::make_unique<cMultiLineText>();
        text->loadXML(node);
        text->setPosition({160.0f, 80.0f});
        text->show();
        text->setText(L"The cement mill works by itself: each time the bar at the top fills, its cement goes "
                      L"into the stock. A rebuilt market gives money the same way.",
                      true);
        return text;
    }

    std::unique_ptr<cRender> render;
    std::unique_ptr<UiTest::cFrames> frames;
    tPropertiesPtr node;
};

TEST_F(FittedText, TheCementMillTipMakesTheGlyphsOfTheSizeItChoosesOnceInTheRun)
{
    const size_t before = cFontScaled::madeCount();
    std::unique_ptr<cMultiLineText> text = tip();
    frames->logic->render();
    EXPECT_EQ(cFontScaled::madeCount(), before + 1) << "only the size the fit chose";
    // The fit of the short message: the size and the lines it has always chosen.
    EXPECT_FLOAT_EQ(text->getUsedMultiplier(), 0.9125f);
    std::vector<std::wstring> lines;
    for (const cTextLine* line : text->getLines())
        lines.push_back(line->getText());
    EXPECT_EQ(lines,
              (std::vector<std::wstring>{L"The cement mill works by", L"itself: each time the bar at the",
                                         L"top fills, its cement goes into", L"the stock. A rebuilt market",
                                         L"gives money the same way."}));
    std::vector<uint32_t> pixels;
    ASSERT_EQ(render->getDevice()->readBackBuffer({0, 0, 800, 600}, pixels), 0);
    const Platform::Image shot =
        ::Test::picture(800, 600, [&](uint32_t x, uint32_t y) { return 0xFF000000u | pixels[y * 800 + x]; });
    std::filesystem::create_directories(std::string(QUILL_BINARY_DIR) + "/screenshots");
    std::ofstream(std::string(QUILL_BINARY_DIR) + "/screenshots/fitted_tip.png", std::ios::binary)
        << ::Test::pngBytes(shot);
    const boost::shared_ptr<cTexture> glyphs = text->getLines().front()->getTexture();

    // The message goes, and comes again: its glyphs are still there.
    text.reset();
    cControl::deletePending();
    text = tip();
    frames->logic->render();
    EXPECT_EQ(cFontScaled::madeCount(), before + 1);
    EXPECT_EQ(text->getLines().front()->getTexture(), glyphs);
}

} // namespace
