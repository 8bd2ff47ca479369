#include "engine/devices/Screenshot.h"
#include "engine/devices/cAlphaMask.h"
#include "engine/devices/cQuad.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cTexture.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstdlib>
#include <memory>

using namespace Engine;

namespace
{

// A picture whose every pixel differs from its neighbours: red counts x, green counts y.
Platform::Image testPicture(uint32_t width, uint32_t height)
{
    return ::Test::picture(width, height,
                           [](uint32_t x, uint32_t y) {
                               return 0xFF000000u | (x & 255u) << 16 | (y & 255u) << 8 | ((x + y) * 3 & 255u);
                           });
}

// A data folder and shared folder of the test's own and a render device drawing offscreen on a
// 1920 x 1080 desktop, in a window of 800 x 600 or in full screen.
class TexturePixels : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    TexturePixels() : EngineFixture("Shot Test")
    {
        data("ui/picture.png", ::Test::pngBytes(testPicture(300, 200)));
        // Opaque in its left half: a hit mask.
        data("ui/half.png",
             ::Test::pngBytes(::Test::picture(
                 40, 20, [](uint32_t x, uint32_t) { return x < 20 ? 0xFF00FF00u : 0x00000000u; })));
        startFiles();
    }
    void TearDown() override { render.reset(); }

    void start(bool fullscreen)
    {
        std::string error;
        render = ::Test::offscreenRender(error, ::Test::screenConfig(fullscreen));
        ASSERT_TRUE(render) << error;
        render->setScreenshotWriter(&writeScreenshot);
    }

    // A frame: the left half red, the right half blue and the picture at (100, 100) at its
    // own size.
    void drawFrame(const boost::shared_ptr<cTexture>& texture)
    {
        render->beginFrame();
        cQuad quad;
        quad.setColor(0xFFFF0000u);
        quad.setRect(0, 0, 400, 600);
        render->drawQuad(quad, std::string(), 0);
        quad.setColor(0xFF0000FFu);
        quad.setRect(400, 0, 800, 600);
        render->drawQuad(quad, std::string(), 0);
        quad.setColor(0xFFFFFFFFu);
        quad.setRect(100, 100, 400, 300);
        render->drawQuad(quad, texture, 0);
        render->endFrame();
    }

    Platform::Image readScreenshot(const std::string& name)
    {
        const std::string bytes = ::Test::readFile(shared(name));
        EXPECT_FALSE(bytes.empty()) << name;
        return Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

    std::unique_ptr<cRender> render;
};

uint32_t argbAt(const Platform::Image& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.row(y) + x * 4;
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[0];
}

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(
            worst, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
    return worst;
}

TEST_F(TexturePixels, PaddedTextureDrawsThePictureTexelForPixel)
{
    start(false);
    render->getDevice()->setPowerOfTwoOnly(true);
    const auto texture = boost::make_shared<cTexture>("ui/picture.png");
    ASSERT_EQ(texture->getTextureWidth(), 512);
    ASSERT_EQ(texture->getTextureHeight(), 256);
    drawFrame(texture);

    std::vector<uint32_t> pixels;
    ASSERT_EQ(render->getDevice()->readBackBuffer({100, 100, 400, 300}, pixels), 0);
    const Platform::Image picture = testPicture(300, 200);
    int wrong = 0;
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 0; x < 300; ++x)
            wrong += (pixels[y * 300 + x] & 0xFFFFFFu) != (argbAt(picture, x, y) & 0xFFFFFFu);
    EXPECT_EQ(wrong, 0);
}

TEST_F(TexturePixels, ScreenshotDecodesToTheFrame)
{
    start(false);
    const auto texture = boost::make_shared<cTexture>("ui/picture.png");
    drawFrame(texture);
    std::vector<uint32_t> frame;
    ASSERT_EQ(render->getDevice()->readBackBuffer({0, 0, 800, 600}, frame), 0);

    render->takeScreenshot(L"screenshot.jpg", 0, 0, 0, 0);
    const Platform::Image shot = readScreenshot("screenshot.jpg");
    ASSERT_EQ(shot.width, 800u);
    ASSERT_EQ(shot.height, 600u);
    // JPEG is lossy: away from sharp edges every pixel is within a few steps of the frame.
    long total = 0;
    for (uint32_t y = 0; y < 600; ++y)
        for (uint32_t x = 0; x < 800; ++x)
            total += channelDistance(argbAt(shot, x, y), frame[y * 800 + x]);
    EXPECT_LT(static_cast<double>(total) / (800.0 * 600.0), 4.0);
    EXPECT_LE(channelDistance(argbAt(shot, 50, 500), 0xFFFF0000u), 6);
    EXPECT_LE(channelDistance(argbAt(shot, 700, 50), 0xFF0000FFu), 6);

    // A part of the screen, in virtual units.
    render->takeScreenshot(L"shots/part.jpg", 390, 10, 410, 30);
    const Platform::Image part = readScreenshot("shots/part.jpg");
    ASSERT_EQ(part.width, 20u);
    ASSERT_EQ(part.height, 20u);
    EXPECT_LE(channelDistance(argbAt(part, 2, 10), 0xFFFF0000u), 30);
    EXPECT_LE(channelDistance(argbAt(part, 17, 10), 0xFF0000FFu), 30);
}

// A picture is decoded when it is first drawn and then lives in video memory only: the texture
// lets its pixels go, still draws them, and reads them back when asked; the hit mask of a
// button on it is a bit per pixel of its own, which still answers.
TEST_F(TexturePixels, AnUploadedPictureKeepsNoCopyAndStillDrawsAndAnswersItsMask)
{
    start(false);
    const auto texture = boost::make_shared<cTexture>("ui/picture.png");
    const std::shared_ptr<Platform::GfxTexture> device = texture->getDeviceTexture();
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->isPending()) << "decoded before it was drawn";
    drawFrame(texture);
    EXPECT_FALSE(device->isPending());
    EXPECT_FALSE(device->holdsPixels()) << "the pixels were kept beside the GL copy";
    std::vector<uint32_t> pixels;
    ASSERT_EQ(render->getDevice()->readBackBuffer({100, 100, 400, 300}, pixels), 0);
    const Platform::Image picture = testPicture(300, 200);
    int wrong = 0;
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 0; x < 300; ++x)
            wrong += (pixels[y * 300 + x] & 0xFFFFFFu) != (argbAt(picture, x, y) & 0xFFFFFFu);
    EXPECT_EQ(wrong, 0);
    // Read back from video memory when asked.
    const uint32_t* texels = device->pixels();
    EXPECT_EQ(texels[0], argbAt(picture, 0, 0));
    EXPECT_EQ(texels[199 * 300 + 299], argbAt(picture, 299, 199));

    cAlphaMask mask;
    ASSERT_TRUE(render->loadAlphaMask("ui/half.png", mask));
    const auto half = boost::make_shared<cTexture>("ui/half.png");
    EXPECT_FALSE(half->getDeviceTexture()->holdsPixels());
    EXPECT_EQ(mask.getWords().size(), (40u * 20u + 31u) / 32u) << "one bit a pixel";
    EXPECT_TRUE(mask.test(0, 0));
    EXPECT_TRUE(mask.test(19, 19));
    EXPECT_FALSE(mask.test(20, 0));
    EXPECT_FALSE(mask.test(39, 19));
}

TEST_F(TexturePixels, FullScreenScreenshotIsTheLetterboxedPicture)
{
    start(true);
    const auto texture = boost::make_shared<cTexture>("ui/picture.png");
    drawFrame(texture);
    render->takeScreenshot(L"screenshot.jpg", 0, 0, 0, 0);
    const Platform::Image shot = readScreenshot("screenshot.jpg");
    // 1920 x 1080: the 4:3 area is 1440 x 1080 from x = 240; no black bar is in the picture.
    ASSERT_EQ(shot.width, 1440u);
    ASSERT_EQ(shot.height, 1080u);
    EXPECT_LE(channelDistance(argbAt(shot, 4, 540), 0xFFFF0000u), 6);
    EXPECT_LE(channelDistance(argbAt(shot, 1435, 540), 0xFF0000FFu), 6);
}

} // namespace
