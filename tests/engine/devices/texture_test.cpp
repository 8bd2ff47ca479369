#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/cAlphaMask.h"
#include "engine/devices/cDeviceFactory.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTextTexture.h"
#include "engine/devices/cTexture.h"
#include "engine/devices/cTextureFile.h"
#include "engine/devices/cTextureLoader.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/image/JpegCodec.h"
#include "platform/image/PngCodec.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

using namespace Engine;

class TestFactory final : public cDeviceFactory
{
public:
    explicit TestFactory(Platform::GfxDevice& device) : m_device(device) {}
    Platform::GfxDevice* getDevice() const override { return &m_device; }

private:
    Platform::GfxDevice& m_device;
};

Platform::PresentParams params()
{
    Platform::PresentParams p;
    p.backBufferWidth = 800;
    p.backBufferHeight = 600;
    return p;
}

using ::Test::picture;
using ::Test::pngBytes;

uint32_t texel(const Platform::GfxTexture& texture, int x, int y)
{
    return texture
        .pixels()[static_cast<size_t>(y) * static_cast<size_t>(texture.width()) + static_cast<size_t>(x)];
}

// A 2 x 1 24-bit bitmap: the pixels 01 02 03 and 04 05 06 (blue, green, red) in one padded row.
std::string tinyBitmap()
{
    std::string bmp = "BM" + std::string(52, '\0') + std::string("\x01\x02\x03\x04\x05\x06\0\0", 8);
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[18] = 2;
    bmp[22] = 1;
    bmp[26] = 1;
    bmp[28] = 24;
    return bmp;
}

// Reading the pixels of a PNG damaged past its header fails, naming the file.
void expectDamagedPixels(const cTexture& texture, const std::string& path)
{
    try
    {
        texture.getDeviceTexture()->pixels();
        ADD_FAILURE() << "a cut picture was decoded";
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text.rfind("Can't read image \"" + path + "\": PNG: ", 0), 0u) << text;
    }
}

// A data folder and shared folder of the test's own, the file system, a recording device with
// its factory, and the resource manager making real textures and fonts.
class Textures : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    Textures() : EngineFixture("Texture Test") {}
    void TearDown() override
    {
        manager.reset();
        m_factory.reset();
    }

    cResourceManager& start()
    {
        startFiles();
        m_factory = std::make_unique<TestFactory>(device);
        manager = std::make_unique<cResourceManager>();
        return *manager;
    }

    Platform::RecordingGfxDevice device{params()};

private:
    std::unique_ptr<TestFactory> m_factory;
};

TEST_F(Textures, PictureOnAPowerOfTwoDevice)
{
    data("ui/panel.png",
         pngBytes(picture(300, 200, [](uint32_t x, uint32_t y) { return 0xFF000000u | x << 8 | y; })));
    start();
    device.setPowerOfTwoOnly(true);
    const cTexture texture("ui/panel.png");
    EXPECT_EQ(texture.getType(), eResourceType::Texture);
    EXPECT_EQ(texture.getTextureWidth(), 512);
    EXPECT_EQ(texture.getTextureHeight(), 256);
    EXPECT_EQ(texture.getImageWidth(), 300);
    EXPECT_EQ(texture.getImageHeight(), 200);
    EXPECT_FLOAT_EQ(texture.getUScale(), 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(texture.getVScale(), 200.0f / 256.0f);
    EXPECT_FLOAT_EQ(texture.getHalfTexelU(), 0.5f / 512.0f);
    EXPECT_FLOAT_EQ(texture.getHalfTexelV(), 0.5f / 256.0f);
    const auto onDevice = texture.getDeviceTexture();
    ASSERT_TRUE(onDevice);
    EXPECT_EQ(onDevice->pool(), Platform::Pool::Managed);
    // The picture in the top-left corner, transparent black beyond it.
    EXPECT_EQ(texel(*onDevice, 0, 0), 0xFF000000u);
    EXPECT_EQ(texel(*onDevice, 299, 199), 0xFF000000u | 299u << 8 | 199u);
    EXPECT_EQ(texel(*onDevice, 300, 0), 0u);
    EXPECT_EQ(texel(*onDevice, 0, 200), 0u);
}

TEST_F(Textures, EveryFormatLoadsAtItsOwnSize)
{
    // A 2 x 1 24-bit bitmap and a 1 x 1 TGA.
    const std::string bmp = tinyBitmap();
    data("a.bmp", bmp);
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 1;
    tga[14] = 1;
    tga[16] = 32;
    data("b.tga", tga + "\x10\x20\x30\x40");
    start();
    const cTexture a("a.bmp");
    EXPECT_EQ(a.getImageWidth(), 2);
    EXPECT_FLOAT_EQ(a.getUScale(), 1.0f);
    EXPECT_EQ(texel(*a.getDeviceTexture(), 1, 0), 0xFF060504u);
    const cTexture b("b.tga");
    EXPECT_EQ(texel(*b.getDeviceTexture(), 0, 0), 0x40302010u);
}

TEST_F(Textures, BadFilesNameTheFileAndAreNotCached)
{
    data("ui/broken.png",
         pngBytes(picture(4, 4, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; })).substr(0, 50));
    data("ui/empty.png", "");
    data("ui/odd.pvr", std::string(44, 'x') + "PVR!" + std::string(8, 'x'));
    cResourceManager& resources = start();
    // As a device that shows pictures decodes them: at once.
    device.setPicturesDecodedOnLoad(true);
    try
    {
        resources.getTexture("UI/Broken.png");
        FAIL();
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text.rfind("Can't read image \"ui/broken.png\": PNG: ", 0), 0u) << text;
        EXPECT_EQ(getErrorString(), text);
    }
    std::set<std::string> loaded;
    resources.getLoadedPaths(loaded);
    EXPECT_TRUE(loaded.empty());
    EXPECT_THROW(resources.getTexture("ui/empty.png"), cString<std::string>);
    EXPECT_THROW(resources.getTexture("ui/odd.pvr"), cString<std::string>);
    // A missing file is the file system's error.
    EXPECT_THROW(resources.getTexture("ui/missing.png"), std::string);
}

// A texture takes its picture's size from the header and decodes it only when it is drawn or its
// pixels are read: a device that shows nothing (tools, tests) decodes nothing.
TEST_F(Textures, APictureIsDecodedOnlyWhenItsPixelsAreNeeded)
{
    const Platform::Image panel =
        picture(300, 200, [](uint32_t x, uint32_t y) { return 0xFF000000u | x << 8 | y; });
    data("ui/panel.png", pngBytes(panel));
    const Platform::Image photo =
        picture(33, 17, [](uint32_t x, uint32_t) { return x < 16 ? 0xFF000000u : ~0u; });
    std::vector<uint8_t> rgb;
    for (uint32_t y = 0; y < photo.height; ++y)
        for (uint32_t x = 0; x < photo.width; ++x)
            rgb.insert(rgb.end(), 3, photo.row(y)[x * 4]);
    const std::vector<uint8_t> jpeg = Platform::encodeJpeg(rgb.data(), photo.width, photo.height, 3, 90);
    data("ui/photo.jpg", std::string(jpeg.begin(), jpeg.end()));
    data("ui/cut.png", pngBytes(panel).substr(0, 60));
    start();
    ASSERT_FALSE(device.decodesPicturesOnLoad());

    const cTexture texture("ui/panel.png");
    EXPECT_EQ(texture.getImageWidth(), 300);
    EXPECT_EQ(texture.getImageHeight(), 200);
    const auto pixels = texture.getDeviceTexture();
    EXPECT_FALSE(pixels->holdsPixels());
    EXPECT_EQ(texel(*pixels, 299, 199), 0xFF000000u | 299u << 8 | 199u) << "decoded when read";
    EXPECT_TRUE(pixels->holdsPixels());

    const cTexture jpegTexture("ui/photo.jpg");
    EXPECT_EQ(jpegTexture.getImageWidth(), 33);
    EXPECT_EQ(jpegTexture.getImageHeight(), 17);
    EXPECT_LT(texel(*jpegTexture.getDeviceTexture(), 2, 8) & 0xFFu, 40u);

    // Damage past the header is found when the pixels are read, and named.
    const cTexture cut("ui/cut.png");
    EXPECT_EQ(cut.getImageWidth(), 300);
    expectDamagedPixels(cut, "ui/cut.png");
}

// A device that shows nothing and asks for it reads a PNG or JPEG file's header alone at load,
// and the whole file only when the pixels are wanted; other formats are read whole at load.
TEST_F(Textures, ADeviceThatShowsNothingReadsAPictureFileOnlyForItsPixels)
{
    // Noise, so that the file is far longer than the header read.
    const auto noise = [](uint32_t seed)
    {
        return picture(120, 90,
                       [seed](uint32_t x, uint32_t y)
                       {
                           uint32_t v = (x * 73856093u) ^ (y * 19349663u) ^ seed;
                           v ^= v >> 13;
                           v *= 0x5bd1e995u;
                           return 0xFF000000u | (v & 0xFFFFFFu);
                       });
    };
    const std::string first = pngBytes(noise(1));
    ASSERT_GT(first.size(), 8192u);
    data("ui/noise.png", first);
    const std::string bmp = tinyBitmap();
    data("ui/small.bmp", bmp + std::string(8192, '\0'));
    data("ui/odd.pvr", std::string(44, 'x') + "PVR!" + std::string(8192, 'x'));
    cResourceManager& resources = start();
    const cTexture whole("ui/noise.png");
    device.setPicturesReadWhenDecoded(true);
    const cTexture lazy("ui/noise.png");
    EXPECT_EQ(lazy.getImageWidth(), 120);
    EXPECT_EQ(lazy.getImageHeight(), 90);
    EXPECT_EQ(lazy.getTextureWidth(), whole.getTextureWidth());
    EXPECT_FLOAT_EQ(lazy.getUScale(), whole.getUScale());
    EXPECT_EQ(lazy.getDeviceTexture()->pool(), Platform::Pool::Managed);
    EXPECT_FALSE(lazy.getDeviceTexture()->holdsPixels());
    EXPECT_EQ(texel(*lazy.getDeviceTexture(), 77, 55), texel(*whole.getDeviceTexture(), 77, 55));
    EXPECT_EQ(texel(*lazy.getDeviceTexture(), 119, 89), texel(*whole.getDeviceTexture(), 119, 89));

    // The file is read when the pixels are: a file changed after the load gives its new picture.
    const cTexture later("ui/noise.png");
    data("ui/noise.png", pngBytes(noise(2)));
    device.setPicturesReadWhenDecoded(false);
    const cTexture changed("ui/noise.png");
    device.setPicturesReadWhenDecoded(true);
    EXPECT_EQ(texel(*later.getDeviceTexture(), 5, 5), texel(*changed.getDeviceTexture(), 5, 5));
    EXPECT_NE(texel(*later.getDeviceTexture(), 5, 5), texel(*whole.getDeviceTexture(), 5, 5));

    // A bitmap is read whole as it loads, and keeps what it read.
    const cTexture bitmap("ui/small.bmp");
    data("ui/small.bmp", std::string(bmp.size() + 8192, '\0'));
    EXPECT_EQ(texel(*bitmap.getDeviceTexture(), 1, 0), 0xFF060504u);

    // A PVR file is refused at load, naming the file, as before.
    EXPECT_THROW(resources.getTexture("ui/odd.pvr"), cString<std::string>);

    // Damage past the header is found when the pixels are read, and named.
    data("ui/noise.png", first.substr(0, 6000));
    const cTexture cut("ui/noise.png");
    EXPECT_EQ(cut.getImageWidth(), 120);
    expectDamagedPixels(cut, "ui/noise.png");
}

TEST_F(Textures, SharedByPathAndThroughAtlasEntries)
{
    data("atlases/ui0.png", pngBytes(picture(64, 32, [](uint32_t, uint32_t) { return 0xFF112233u; })));
    data("atlases.xml", "<Atlases><Atlas Path='Atlases\\UI0.png' Map='atlases/ui0_map.xml'/></Atlases>");
    data("atlases/ui0_map.xml",
         "<Map><Entry Name='UI\\Ok.png'><Pos>4 8</Pos><Size>16 12</Size></Entry></Map>");
    cResourceManager& resources = start();
    const auto byPath = resources.getTexture("atlases/ui0.png");
    EXPECT_EQ(byPath, resources.getTexture("ATLASES/UI0.PNG"));
    EXPECT_FALSE(resources.isAtlasTexture(byPath));
    const auto byEntry = resources.getTexture("ui/ok.png");
    EXPECT_EQ(byEntry, byPath);
    EXPECT_TRUE(resources.isAtlasTexture(byEntry));
    const sAtlasEntry& entry = resources.getAtlasEntry("ui/ok.png");
    EXPECT_EQ(entry.pos.x, 4.0f);
    EXPECT_EQ(entry.size.y, 12.0f);
    EXPECT_EQ(byEntry->getImageWidth(), 64);
    // Device textures are released on request and the views then draw without them.
    resources.releaseDeviceResources();
    EXPECT_FALSE(byPath->getDeviceTexture());
}

TEST_F(Textures, ManagedTexturesSurviveADeviceReset)
{
    data("a.png", pngBytes(picture(2, 2, [](uint32_t, uint32_t) { return 0xFF808080u; })));
    start();
    const cTexture texture("a.png");
    device.loseDevice();
    device.allowReset();
    EXPECT_EQ(device.reset(params()), Platform::GfxError::Ok);
    ASSERT_TRUE(texture.getDeviceTexture());
    EXPECT_EQ(texel(*texture.getDeviceTexture(), 1, 1), 0xFF808080u);
}

TEST_F(Textures, EmptyTexturesAndTheManagedPoolRetry)
{
    start();
    tGfxTexturePtr texture;
    device.setDefaultPoolExhausted(true);
    EXPECT_EQ(createTexture(device, nullptr, nullptr, texture, Platform::Pool::Default, nullptr, 16, 8),
              Platform::GfxError::Ok);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pool(), Platform::Pool::Managed);
    EXPECT_EQ(texel(*texture, 15, 7), 0u);

    device.setManagedPoolExhausted(true);
    try
    {
        createTexture(device, nullptr, nullptr, texture, Platform::Pool::Default, nullptr, 16, 8);
        FAIL();
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text, "Direct3D function call failed\nCreateTexture(...)\nD3DERR_OUTOFVIDEOMEMORY");
    }
    const std::vector<uint8_t> bytes =
        Platform::encodePng(picture(2, 2, [](uint32_t, uint32_t) { return 0u; }));
    const unsigned size = static_cast<unsigned>(bytes.size());
    EXPECT_THROW(createTexture(device, bytes.data(), &size, texture, Platform::Pool::Managed, nullptr, 0, 0),
                 cString<std::string>);
}

TEST_F(Textures, AlphaMaskAndPixelReaders)
{
    // Alpha 0 on the diagonal and in the last column, 1 elsewhere: even the faintest alpha
    // counts as a hit.
    data("mask.png",
         pngBytes(picture(
             5, 3, [](uint32_t x, uint32_t y) { return (x == y || x == 4) ? 0x00FFFFFFu : 0x01102030u; })));
    data("mask.pvr", std::string(44, '\0') + "PVR!" + "rest");
    start();
    cAlphaMask mask;
    // Old bits beyond the new size must not survive.
    mask.resize(40, 1);
    for (size_t i = 0; i < 40; ++i)
        mask.set(i, true);
    ASSERT_TRUE(cTextureFile::readAlphaMask("mask.png", mask));
    EXPECT_EQ(mask.getWidth(), 5u);
    EXPECT_EQ(mask.getHeight(), 3u);
    EXPECT_EQ(mask.getBitCount(), 15u);
    ASSERT_EQ(mask.getWords().size(), 1u);
    EXPECT_EQ(mask.getWords()[0] >> 15, 0u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(mask.test(x, y), !(x == y || x == 4)) << x << "," << y;

    EXPECT_FALSE(cTextureFile::readAlphaMask("mask.pvr", mask));
    EXPECT_EQ(mask.getWidth(), 5u);

    std::vector<cColor> pixels;
    uint32_t w = 0;
    uint32_t h = 0;
    ASSERT_TRUE(cTextureFile::readImagePixels("mask.png", pixels, w, h));
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
    ASSERT_EQ(pixels.size(), 15u);
    EXPECT_EQ(pixels[1], cColor(0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 1 / 255.0f));
    EXPECT_EQ(pixels[0], cColor(1.0f, 1.0f, 1.0f, 0.0f));
}

TEST(AlphaMask, SizingKeepsWordsAndClearsTheTail)
{
    cAlphaMask mask;
    mask.resize(8, 8);
    for (size_t i = 0; i < 64; ++i)
        mask.set(i, true);
    mask.resize(5, 7); // 35 bits: two words, the second keeps only its lowest 3 bits
    ASSERT_EQ(mask.getWords().size(), 2u);
    EXPECT_EQ(mask.getWords()[0], 0xFFFFFFFFu);
    EXPECT_EQ(mask.getWords()[1], 0x7u);
    EXPECT_FALSE(mask.test(35));
    mask.set(100, true);
    EXPECT_EQ(mask.getWords().size(), 2u);
    mask.resize(0, 0);
    EXPECT_TRUE(mask.getWords().empty());
}

TEST_F(Textures, TextTextureHoldsWhiteTextWithCoverageAlpha)
{
    start();
    cTextTexture text(L"Hello");
    EXPECT_EQ(text.getType(), eResourceType::TextTexture);
    const auto texture = text.getDeviceTexture();
    ASSERT_TRUE(texture);
    EXPECT_GT(text.getImageWidth(), 20);
    EXPECT_EQ(text.getTextureWidth(), text.getImageWidth());
    EXPECT_FLOAT_EQ(text.getHalfTexelU(), 0.5f / static_cast<float>(text.getImageWidth()));
    uint64_t ink = 0;
    for (int y = 0; y < texture->height(); ++y)
        for (int x = 0; x < texture->width(); ++x)
        {
            const uint32_t p = texel(*texture, x, y);
            const uint32_t red = (p >> 16) & 255;
            EXPECT_EQ(p >> 24, red);
            EXPECT_EQ(p & 255, red);
            ink += red;
        }
    EXPECT_GT(ink, 0u);

    // The same text again still draws a new texture.
    text.setText(L"Hello");
    EXPECT_NE(text.getDeviceTexture(), texture);

    text.setText(L"");
    EXPECT_FALSE(text.getDeviceTexture());
    EXPECT_EQ(text.getImageWidth(), 1);
    EXPECT_EQ(text.getTextureHeight(), 1);
    EXPECT_FLOAT_EQ(text.getHalfTexelU(), 0.5f);

    text.setText(L"&");
    EXPECT_TRUE(text.getDeviceTexture());
    text.releaseDeviceData();
    EXPECT_FALSE(text.getDeviceTexture());
    text.reload();
    EXPECT_TRUE(text.getDeviceTexture());
}

TEST(TextTexture, WithoutARenderDeviceTheFailureIsClear)
{
    try
    {
        cTextTexture text(L"x");
        FAIL();
    }
    catch (const cString<std::string>& e)
    {
        EXPECT_EQ(e, "No render device to make the texture \"text texture\".");
    }
}

} // namespace
