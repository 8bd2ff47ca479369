// A layout with every control class drawn by the frame driver into a real OpenGL back buffer,
// driven by mouse events: sprite sheets, tiling, progress bars, texture animations, particle
// effects, composites, forms, faders and buttons of every kind, checked pixel by pixel and by
// the order of the buttons' signals.

#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cFader.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cPyro.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;

constexpr uint32_t Red = 0xFFFF0000u;
constexpr uint32_t Green = 0xFF00FF00u;
constexpr uint32_t Blue = 0xFF0000FFu;
constexpr uint32_t Yellow = 0xFFFFFF00u;
constexpr uint32_t Grey = 0xFF808080u;

std::string solid(uint32_t width, uint32_t height, uint32_t argb)
{
    return ::Test::pngBytes(::Test::picture(width, height, [argb](uint32_t, uint32_t) { return argb; }));
}

int channel(uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 255u);
}

class ControlsOnScreen : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    ControlsOnScreen() : EngineFixture("Controls On Screen") {}

    void SetUp() override
    {
        std::ifstream layout(std::string(QUILL_SOURCE_DIR) + "/tests/engine/ui/data/controls.xml");
        data("ui/controls.xml", std::string(std::istreambuf_iterator<char>(layout), {}));
        for (const auto& [name, argb] :
             std::vector<std::pair<std::string, uint32_t>>{{"ui/grey.png", Grey},
                                                           {"ui/green.png", Green},
                                                           {"ui/red.png", Red},
                                                           {"ui/blue.png", Blue},
                                                           {"ui/yellow.png", Yellow}})
            data(name, solid(16, 16, argb));
        const uint32_t cells[4] = {Red, Green, Blue, Yellow};
        data("ui/sheet.png", ::Test::pngBytes(::Test::picture(
                                 64, 16, [&cells](uint32_t x, uint32_t) { return cells[x / 16]; })));
        data("ui/stripe.png",
             ::Test::pngBytes(::Test::picture(
                 8, 8, [](uint32_t x, uint32_t) { return x < 4 ? 0xFFFFFFFFu : 0xFF000000u; })));
        data("ui/halfgrey.png",
             ::Test::pngBytes(
                 ::Test::picture(16, 16, [](uint32_t x, uint32_t) { return x < 8 ? Grey : 0x00000000u; })));
        data("fonts/box.png", solid(100, 100, 0xFFFFFFFFu));
        data("fonts/box.fnt", UiTest::fontBytes(L"AB", 10, 20, 100));
        data("effects/glow.xml",
             "<PyroEffect><Emitter Name=\"Glow\" Burst=\"20\" MaxParticles=\"20\" Life=\"100\" "
             "Speed=\"0\" SizeStart=\"40\" SizeEnd=\"40\" Blend=\"add\"/></PyroEffect>");
        std::string error;
        render = ::Test::offscreenRender(error);
        ASSERT_TRUE(render) << error;
        startResources();
        frames = std::make_unique<UiTest::cFrames>();
    }
    void TearDown() override
    {
        screen.reset();
        cControl::deletePending();
        frames.reset();
        cPyro::clearEffectFiles();
        stopEngine();
        render.reset();
        cButtonPrototype::buttonUnderPointer = nullptr;
    }

    uint32_t pixel(int x, int y)
    {
        frames->logic->render();
        std::vector<uint32_t> pixels;
        EXPECT_EQ(render->getDevice()->readBackBuffer({x, y, x + 1, y + 1}, pixels), 0);
        return pixels.empty() ? 0u : pixels[0] & 0xFFFFFFu;
    }

    // Logs the four signals of a button as "<tag> on|off|press|click".
    void listen(const cForm& form, const std::wstring& tag)
    {
        auto* button = form.find<cButtonPrototype>(tag);
        ASSERT_NE(button, nullptr);
        const std::string name(tag.begin(), tag.end());
        button->highlightOnSignal.connect([this, name](cView*) { log.push_back(name + " on"); });
        button->highlightOffSignal.connect([this, name](cView*) { log.push_back(name + " off"); });
        button->pressSignal.connect([this, name](cView*) { log.push_back(name + " press"); });
        button->clickSignal.connect([this, name](cView*) { log.push_back(name + " click"); });
    }

    std::unique_ptr<cRender> render;
    std::unique_ptr<UiTest::cFrames> frames;
    std::unique_ptr<cForm> screen;
    std::vector<std::string> log;
};

TEST_F(ControlsOnScreen, EveryControlDrawsAndTheButtonsFollowTheMouse)
{
    screen = std::make_unique<cForm>();
    loadLayout(*screen, "ui/controls.xml");
    cForm* buttons = screen->find<cForm>(L"buttons");
    ASSERT_NE(buttons, nullptr);
    screen->find<cPyro>(L"effect")->play(false, 0.0f);
    frames->frame();

    EXPECT_EQ(pixel(700, 500), 0x808080u) << "the backdrop";
    EXPECT_EQ(pixel(60, 60), 0xFF0000u) << "the sheet's first frame";
    // Tiles of 8 units, mirrored every other repetition: white, black | black, white.
    EXPECT_EQ(pixel(202, 60), 0xFFFFFFu);
    EXPECT_EQ(pixel(206, 60), 0x000000u);
    EXPECT_EQ(pixel(210, 60), 0x000000u);
    EXPECT_EQ(pixel(214, 60), 0xFFFFFFu);
    // A quarter of the bar, from its left end.
    EXPECT_EQ(pixel(360, 60), 0x00FF00u);
    EXPECT_EQ(pixel(380, 60), 0x808080u);
    EXPECT_EQ(pixel(520, 60), 0xFF0000u) << "the texture animation's first texture";
    EXPECT_EQ(pixel(720, 60), 0x0000FFu) << "the composite's part";
    EXPECT_GT(channel(pixel(620, 60), 16), 0xC0) << "the particles glow over the grey";
    EXPECT_EQ(pixel(95, 350), 0xFFFFFFu) << "a caption's letter";
    EXPECT_EQ(pixel(115, 350), 0x0000FFu) << "beside the caption, its button";

    // A second and a half later the sheet shows its second frame, and the texture animation,
    // whose time runs twice, its second texture.
    for (int i = 0; i < 75; ++i)
        frames->frame();
    EXPECT_EQ(pixel(60, 60), 0x00FF00u);
    EXPECT_EQ(pixel(520, 60), 0x0000FFu);

    // The picture button: hover, press and release inside, leave.
    listen(*buttons, L"plain");
    EXPECT_EQ(pixel(100, 200), 0x0000FFu);
    frames->moveTo(100, 200);
    EXPECT_EQ(pixel(100, 200), 0xFFFF00u);
    frames->press();
    EXPECT_EQ(pixel(100, 200), 0xFF0000u);
    frames->release();
    EXPECT_EQ(pixel(100, 200), 0xFFFF00u);
    frames->moveTo(100, 300);
    EXPECT_EQ(pixel(100, 200), 0x0000FFu);
    EXPECT_EQ(log, (std::vector<std::string>{"plain on", "plain off", "plain press", "plain on",
                                             "plain click", "plain off"}));

    // The frame button shows its hover frame; the light brightens its button; the overlay tints
    // only the solid half of its button, through the stencil.
    frames->moveTo(250, 200);
    EXPECT_EQ(pixel(250, 200), 0x00FF00u);
    EXPECT_EQ(pixel(400, 200), 0x808080u);
    frames->moveTo(400, 200);
    EXPECT_NEAR(channel(pixel(400, 200), 0), 154, 3);
    EXPECT_EQ(pixel(530, 200), 0x808080u);
    frames->moveTo(550, 200);
    const uint32_t tinted = pixel(530, 200);
    EXPECT_NEAR(channel(tinted, 16), 189, 3);
    EXPECT_NEAR(channel(tinted, 0), 222, 3);
    EXPECT_EQ(pixel(570, 200), 0x808080u) << "the transparent half is not tinted";

    // The text-style caption takes its hover colour.
    EXPECT_EQ(pixel(295, 350), 0xFFFFFFu);
    frames->moveTo(300, 350);
    EXPECT_EQ(pixel(295, 350), 0xFF0000u);
    frames->moveTo(700, 500);
    EXPECT_EQ(pixel(295, 350), 0xFFFFFFu);

    // A fader fades out over 0.2 s and is gone in the frame after.
    cFader fader(1.0f);
    fader.setPosition({700, 400});
    fader.setSize({40, 40});
    fader.setDeep(50.0f);
    EXPECT_EQ(pixel(700, 400), 0xFFFFFFu);
    bool faded = false;
    fader.fadeTo({0.0f, 0.2f, [&faded] { faded = true; }});
    for (int i = 0; i < 5; ++i)
        frames->frame();
    EXPECT_NEAR(channel(pixel(700, 400), 0), (255 + 128) / 2, 3) << "half way";
    for (int i = 0; i < 6; ++i)
        frames->frame();
    EXPECT_TRUE(faded);
    EXPECT_EQ(pixel(700, 400), 0x808080u);
}

} // namespace
