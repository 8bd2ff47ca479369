#include "platform/gfx/GlGfxDevice.h"
#include "platform/gfx/GlGfxSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using namespace Platform;

struct Vertex
{
    float x, y, z;
    uint32_t color;
    float u, v;
};

// A GL device of 64 x 32 pixels without any window, set up as the engine's renderer sets it:
// the back-buffer projection with y down, blending and the alpha test on, no depth test.
class GlDeviceTest : public ::testing::Test
{
protected:
    static constexpr int Width = 64;
    static constexpr int Height = 32;

    void SetUp() override
    {
        std::string error;
        system = GlGfxSystem::surfaceless(1920, 1080, error);
        if (!system)
            GTEST_SKIP() << "no OpenGL without a display here: " << error;
        PresentParams params;
        params.backBufferWidth = Width;
        params.backBufferHeight = Height;
        ASSERT_EQ(system->createDevice(params, device), GfxError::Ok) << system->lastError();
        Matrix4 projection;
        projection.m[0] = 2.0f / Width;
        projection.m[5] = -2.0f / Height;
        projection.m[10] = 1.0f / 16000.0f;
        projection.m[12] = -1.0f;
        projection.m[13] = 1.0f;
        projection.m[14] = 0.5f;
        device->setTransform(TransformType::Projection, projection);
        device->setRenderState(RenderState::Lighting, 0u);
        device->setRenderState(RenderState::CullMode, CullMode::None);
        device->setRenderState(RenderState::ZEnable, 0u);
        device->setRenderState(RenderState::ZWriteEnable, 0u);
        device->setRenderState(RenderState::AlphaBlendEnable, 1u);
        device->setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
        device->setRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
        device->setRenderState(RenderState::AlphaTestEnable, 1u);
        device->setRenderState(RenderState::AlphaFunc, Compare::Greater);
        device->setTextureStageState(0, StageState::ColorOp, TextureOp::Modulate);
        device->setTextureStageState(0, StageState::ColorArg1, TextureArg::Diffuse);
        device->setTextureStageState(0, StageState::ColorArg2, TextureArg::Texture);
        device->setTextureStageState(0, StageState::AlphaOp, TextureOp::Modulate);
        device->setTextureStageState(0, StageState::AlphaArg1, TextureArg::Diffuse);
        device->setTextureStageState(0, StageState::AlphaArg2, TextureArg::Texture);
        device->setVertexShader(0x142);
    }

    // A quad of two triangles with the given corners in back-buffer pixels (classic pixel
    // centres), one colour and texture coordinates from (u0, v0) to (u1, v1).
    void drawQuad(float left, float top, float right, float bottom, uint32_t color, float u0 = 0,
                  float v0 = 0, float u1 = 1, float v1 = 1)
    {
        const Vertex quad[6] = {{left, top, 0, color, u0, v0},     {right, top, 0, color, u1, v0},
                                {left, bottom, 0, color, u0, v1},  {right, top, 0, color, u1, v0},
                                {right, bottom, 0, color, u1, v1}, {left, bottom, 0, color, u0, v1}};
        std::shared_ptr<GfxVertexBuffer> buffer;
        ASSERT_EQ(device->createVertexBuffer(sizeof(quad), Usage::WriteOnly, 0x142, Pool::Managed, buffer),
                  GfxError::Ok);
        void* data = nullptr;
        buffer->lock(0, 0, &data, Lock::Discard);
        std::memcpy(data, quad, sizeof(quad));
        buffer->unlock();
        device->setStreamSource(0, buffer, sizeof(Vertex));
        ASSERT_EQ(device->drawPrimitive(PrimitiveType::TriangleList, 0, 2), GfxError::Ok);
    }

    std::shared_ptr<GfxTexture> texture(int width, int height, const std::vector<uint32_t>& argb)
    {
        std::shared_ptr<GfxTexture> made;
        EXPECT_EQ(device->createTexture(width, height, 1, 0, Format::A8R8G8B8, Pool::Managed, made),
                  GfxError::Ok);
        LockedRect rect;
        made->lockRect(0, rect, nullptr, 0);
        std::memcpy(rect.bits, argb.data(), argb.size() * 4);
        made->unlockRect(0);
        return made;
    }

    std::vector<uint32_t> readBack()
    {
        std::vector<uint32_t> pixels;
        EXPECT_EQ(device->readBackBuffer({0, 0, Width, Height}, pixels), GfxError::Ok);
        return pixels;
    }

    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[y * Width + x]; }

    static void expectNear(uint32_t actual, uint32_t expected, int tolerance = 2)
    {
        for (int shift : {16, 8, 0})
        {
            const int a = static_cast<int>((actual >> shift) & 255);
            const int e = static_cast<int>((expected >> shift) & 255);
            EXPECT_NEAR(a, e, tolerance) << std::hex << "actual " << actual << ", expected " << expected;
        }
    }

    std::unique_ptr<GlGfxSystem> system;
    std::unique_ptr<GfxDevice> device;
};

TEST_F(GlDeviceTest, AQuadFrom9_5To19_5CoversExactlyPixels10To19)
{
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    drawQuad(9.5f, 9.5f, 19.5f, 19.5f, 0xFFFFFFFFu);
    // Edges right on pixel centres: the top and left ones are inside, as with the classic
    // device, whichever way GL breaks the tie.
    drawQuad(30.0f, 10.0f, 40.0f, 20.0f, 0xFFFF0000u);
    const auto pixels = readBack();
    for (int i = 0; i < 30; ++i)
    {
        const uint32_t expected = (i >= 10 && i <= 19) ? 0xFFFFFFFFu : 0xFF000000u;
        EXPECT_EQ(at(pixels, i, 15), expected) << "x " << i;
        EXPECT_EQ(at(pixels, 15, i), expected) << "y " << i;
        const uint32_t red = (i >= 10 && i <= 19) ? 0xFFFF0000u : 0xFF000000u;
        EXPECT_EQ(at(pixels, 20 + i, 15), (i >= 10 && i <= 19) ? red : 0xFF000000u) << "x " << 20 + i;
        EXPECT_EQ(at(pixels, 35, i), red) << "y " << i;
    }
}

TEST_F(GlDeviceTest, ClearIgnoresTheWriteMasks)
{
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer | ClearFlag::Stencil, 0xFF000000u, 1.0f, 0);
    device->setRenderState(RenderState::StencilWriteMask, 0u);
    device->setRenderState(RenderState::ZWriteEnable, 0u);
    // Draws once so that the masks are in GL, then clears stencil to 1 and depth to 0.
    drawQuad(0, 0, 1, 1, 0x00000000u);
    device->clear(ClearFlag::ZBuffer | ClearFlag::Stencil, 0, 0.0f, 1);

    device->setRenderState(RenderState::StencilEnable, 1u);
    device->setRenderState(RenderState::StencilFunc, Compare::Equal);
    device->setRenderState(RenderState::StencilRef, 1u);
    drawQuad(0, 0, 32, 32, 0xFFFF0000u);
    device->setRenderState(RenderState::StencilEnable, 0u);
    device->setRenderState(RenderState::ZEnable, 1u);
    device->setRenderState(RenderState::ZFunc, Compare::Greater);
    // Depth 0.75 passes GREATER only against a depth cleared to 0.
    Matrix4 world;
    world.m[14] = 4000.0f; // z 4000 projects to depth 0.75
    device->setTransform(TransformType::World, world);
    drawQuad(32, 0, 64, 32, 0xFF00FF00u);
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 10, 10), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 40, 10), 0xFF00FF00u);
}

TEST_F(GlDeviceTest, BlendModes)
{
    struct Case
    {
        Blend source;
        Blend destination;
        uint32_t expected;
    };
    // Background (128, 64, 32), quad (255, 128, 0) with alpha 128 (about one half).
    const float a = 128.0f / 255.0f;
    auto mix = [](float r, float g, float b)
    {
        auto c = [](float v) { return static_cast<uint32_t>(std::min(255.0f, v + 0.5f)); };
        return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
    };
    const Case cases[] = {
        {Blend::SrcAlpha, Blend::InvSrcAlpha,
         mix(255 * a + 128 * (1 - a), 128 * a + 64 * (1 - a), 32 * (1 - a))},
        {Blend::SrcAlpha, Blend::One, mix(255 * a + 128, 128 * a + 64, 32)},
        {Blend::Zero, Blend::SrcColor, mix(128, 64 * 128 / 255.0f, 0)},
        {Blend::DestColor, Blend::SrcAlpha,
         mix(255 * 128 / 255.0f + 128 * a, 128 * 64 / 255.0f + 64 * a, 32 * a)},
    };
    for (const Case& c : cases)
    {
        device->clear(ClearFlag::Target, 0xFF804020u, 0.0f, 0);
        device->setRenderState(RenderState::SrcBlend, c.source);
        device->setRenderState(RenderState::DestBlend, c.destination);
        drawQuad(0, 0, 8, 8, 0x80FF8000u);
        const auto pixels = readBack();
        expectNear(at(pixels, 4, 4), c.expected);
        EXPECT_EQ(at(pixels, 20, 4), 0xFF804020u);
    }
}

TEST_F(GlDeviceTest, TheAlphaTestDropsAlphaUpToTheReference)
{
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    device->setRenderState(RenderState::AlphaBlendEnable, 0u);
    device->setRenderState(RenderState::AlphaRef, 160u);
    device->setTexture(0, texture(4, 1, {0x64FFFFFFu, 0xA0FFFFFFu, 0xA1FFFFFFu, 0xFFFFFFFFu}));
    device->setTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
    drawQuad(0, 0, 40, 8, 0xFFFFFFFFu);
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 5, 4), 0xFF000000u);  // alpha 100
    EXPECT_EQ(at(pixels, 15, 4), 0xFF000000u); // alpha 160: not greater
    EXPECT_EQ(at(pixels, 25, 4), 0xFFFFFFFFu); // alpha 161
    EXPECT_EQ(at(pixels, 35, 4), 0xFFFFFFFFu);
}

TEST_F(GlDeviceTest, TexturesFromRawPixelsAndPointVersusLinearFiltering)
{
    const auto blackWhite = texture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    device->setTexture(0, blackWhite);
    device->setTextureStageState(0, StageState::AddressU, TextureAddress::Clamp);
    device->setTextureStageState(0, StageState::AddressV, TextureAddress::Clamp);
    device->clear(ClearFlag::Target, 0xFF0000FFu, 0.0f, 0);
    drawQuad(0, 0, 40, 8, 0xFFFFFFFFu);
    auto pixels = readBack();
    EXPECT_EQ(at(pixels, 19, 4), 0xFF000000u);
    EXPECT_EQ(at(pixels, 20, 4), 0xFFFFFFFFu);

    device->setTextureStageState(0, StageState::MagFilter, TextureFilter::Linear);
    device->setTextureStageState(0, StageState::MinFilter, TextureFilter::Linear);
    drawQuad(0, 0, 40, 8, 0xFFFFFFFFu);
    pixels = readBack();
    EXPECT_EQ(at(pixels, 2, 4), 0xFF000000u); // clamped at the edge
    expectNear(at(pixels, 19, 4), 0xFF7A7A7Au, 8);
    expectNear(at(pixels, 20, 4), 0xFF858585u, 8);
    EXPECT_EQ(at(pixels, 38, 4), 0xFFFFFFFFu);

    // The texture's own pixels come back unchanged at one texel per pixel.
    const auto colours = texture(2, 2, {0xFF123456u, 0xFFABCDEFu, 0xFF00FF00u, 0xFFFF0000u});
    device->setTexture(0, colours);
    device->setTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
    device->setTextureStageState(0, StageState::MinFilter, TextureFilter::Point);
    drawQuad(50, 10, 52, 12, 0xFFFFFFFFu);
    pixels = readBack();
    EXPECT_EQ(at(pixels, 50, 10), 0xFF123456u);
    EXPECT_EQ(at(pixels, 51, 10), 0xFFABCDEFu);
    EXPECT_EQ(at(pixels, 50, 11), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, 51, 11), 0xFFFF0000u);
}

// The GL texture is the only copy of an uploaded picture: what a read-only lock reads back and
// what a draw shows must be the pixels given, every channel at full precision and in its place.
TEST_F(GlDeviceTest, ATextureKeepsEveryChannelOfItsPixels)
{
    const std::vector<uint32_t> given = {0x80123456u, 0x01FEDCBAu, 0xFF00FF01u, 0x7F7F807Fu};
    const auto picture = texture(2, 2, given);
    LockedRect rect;
    ASSERT_EQ(picture->lockRect(0, rect, nullptr, Lock::ReadOnly), GfxError::Ok);
    const auto* read = static_cast<const uint32_t*>(rect.bits);
    EXPECT_EQ(std::vector<uint32_t>(read, read + 4), given);
    picture->unlockRect(0);

    device->setRenderState(RenderState::AlphaBlendEnable, 0u);
    device->setRenderState(RenderState::AlphaTestEnable, 0u);
    device->setTexture(0, picture);
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    drawQuad(10, 10, 12, 12, 0xFFFFFFFFu);
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 10, 10) & 0xFFFFFFu, 0x123456u);
    EXPECT_EQ(at(pixels, 11, 10) & 0xFFFFFFu, 0xFEDCBAu);
    EXPECT_EQ(at(pixels, 10, 11) & 0xFFFFFFu, 0x00FF01u);
    EXPECT_EQ(at(pixels, 11, 11) & 0xFFFFFFu, 0x7F807Fu);
}

TEST_F(GlDeviceTest, ClampVersusMirror)
{
    device->setTexture(0, texture(2, 1, {0xFFFF0000u, 0xFF00FF00u}));
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    // Shifted by half a pixel so that no pixel centre falls on a texel edge.
    device->setTextureStageState(0, StageState::AddressU, TextureAddress::Clamp);
    drawQuad(-0.5f, 0, 39.5f, 4, 0xFFFFFFFFu, 0, 0, 2, 1);
    device->setTextureStageState(0, StageState::AddressU, TextureAddress::Mirror);
    drawQuad(-0.5f, 8, 39.5f, 12, 0xFFFFFFFFu, 0, 0, 2, 1);
    const auto pixels = readBack();
    for (int x = 0; x < 40; ++x)
    {
        EXPECT_EQ(at(pixels, x, 2), x < 10 ? 0xFFFF0000u : 0xFF00FF00u) << "clamp " << x;
        EXPECT_EQ(at(pixels, x, 10), (x < 10 || x >= 30) ? 0xFFFF0000u : 0xFF00FF00u) << "mirror " << x;
    }
}

TEST_F(GlDeviceTest, TheStencilMasksLaterDraws)
{
    device->clear(ClearFlag::Target | ClearFlag::Stencil, 0xFF000000u, 0.0f, 0);
    device->setRenderState(RenderState::StencilEnable, 1u);
    device->setRenderState(RenderState::StencilFunc, Compare::Always);
    device->setRenderState(RenderState::StencilRef, 1u);
    device->setRenderState(RenderState::StencilPass, StencilOp::Replace);
    device->setRenderState(RenderState::SrcBlend, Blend::Zero);
    device->setRenderState(RenderState::DestBlend, Blend::One);
    drawQuad(0, 0, 16, 16, 0xFFFFFFFFu);
    device->setRenderState(RenderState::StencilFunc, Compare::Equal);
    device->setRenderState(RenderState::StencilPass, StencilOp::Keep);
    device->setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device->setRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    drawQuad(0, 0, 64, 32, 0xFFFF0000u);
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 8, 8), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 20, 8), 0xFF000000u);
}

TEST_F(GlDeviceTest, AVertexProgramGoesThroughTheSameCorrection)
{
    // c0 to c3: the transposed projection, as the renderer loads them.
    const char program[] = "!!ARBvp1.0\n"
                           "PARAM c[4] = { program.env[0..3] };\n"
                           "DP4 result.position.x, c[0], vertex.position;\n"
                           "DP4 result.position.y, c[1], vertex.position;\n"
                           "DP4 result.position.z, c[2], vertex.position;\n"
                           "DP4 result.position.w, c[3], vertex.position;\n"
                           "MOV result.color, vertex.color;\n"
                           "MOV result.texcoord[0], vertex.texcoord[0];\n"
                           "END\n";
    const std::vector<VertexElement> layout = {
        {0, VertexElementType::Float3}, {5, VertexElementType::Color}, {7, VertexElementType::Float2}};
    uint32_t shader = 0;
    const GfxResult made = device->createVertexShader(layout, program, sizeof(program) - 1, shader, 0);
    if (made == GfxError::NotAvailable)
        GTEST_SKIP() << "no vertex programs";
    ASSERT_EQ(made, GfxError::Ok);
    Matrix4 projection;
    device->getTransform(TransformType::Projection, projection);
    float transposed[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            transposed[r * 4 + c] = projection.m[c * 4 + r];
    device->setVertexShaderConstant(0, transposed, 4);
    device->setVertexShader(shader);
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    drawQuad(9.5f, 9.5f, 19.5f, 19.5f, 0xFF00FF00u);
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 9, 15), 0xFF000000u);
    EXPECT_EQ(at(pixels, 10, 15), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, 19, 10), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, 20, 15), 0xFF000000u);
    EXPECT_EQ(at(pixels, 15, 20), 0xFF000000u);

    uint32_t broken = 0;
    EXPECT_EQ(device->createVertexShader(layout, "!!ARBvp1.0\nNOPE;\nEND\n", 20, broken, 0),
              GfxError::InvalidData);
    EXPECT_EQ(broken, 0u);
}

TEST_F(GlDeviceTest, AResetResizesTheBackBufferAndRestoresTheDefaults)
{
    PresentParams params = device->presentParams();
    params.backBufferWidth = 32;
    params.backBufferHeight = 16;
    ASSERT_EQ(device->reset(params), GfxError::Ok);
    EXPECT_EQ(device->renderState(RenderState::AlphaBlendEnable), 0u);
    std::vector<uint32_t> pixels;
    EXPECT_EQ(device->readBackBuffer({0, 0, 64, 32}, pixels), GfxError::InvalidCall);
    device->clear(ClearFlag::Target, 0xFF00FF00u, 0.0f, 0);
    ASSERT_EQ(device->readBackBuffer({0, 0, 32, 16}, pixels), GfxError::Ok);
    EXPECT_EQ(pixels[31 + 15 * 32], 0xFF00FF00u);
}

} // namespace

namespace
{

TEST_F(GlDeviceTest, TheClipRectangleLimitsClearsAndDrawsAndAPresentKeepsTheFrame)
{
    EXPECT_TRUE(device->keepsFrame());
    device->clear(ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    drawQuad(0, 0, 64, 32, 0xFF0000FFu);
    ASSERT_EQ(device->present(), GfxError::Ok);
    // Rows top-down: 8..16 x 4..12 cleared red, 20..30 x 0..32 drawn green.
    const PixelRect cleared{8, 4, 16, 12};
    ASSERT_EQ(device->setClipRect(&cleared), GfxError::Ok);
    device->clear(ClearFlag::Target, 0xFFFF0000u, 0.0f, 0);
    const PixelRect drawn{20, 0, 30, 32};
    ASSERT_EQ(device->setClipRect(&drawn), GfxError::Ok);
    drawQuad(0, 0, 64, 32, 0xFF00FF00u);
    // The stencil is cleared whole when first tested, whatever the clip, and masks as usual.
    device->clear(ClearFlag::Stencil, 0, 0.0f, 0);
    device->setRenderState(RenderState::StencilEnable, 1u);
    device->setRenderState(RenderState::StencilFunc, Compare::Equal);
    device->setRenderState(RenderState::StencilRef, 0u);
    const PixelRect masked{40, 0, 44, 32};
    ASSERT_EQ(device->setClipRect(&masked), GfxError::Ok);
    drawQuad(0, 0, 64, 32, 0xFFFFFFFFu);
    device->setRenderState(RenderState::StencilEnable, 0u);
    ASSERT_EQ(device->setClipRect(nullptr), GfxError::Ok);
    const PixelRect empty{5, 5, 5, 9};
    EXPECT_EQ(device->setClipRect(&empty), GfxError::InvalidCall);
    EXPECT_FALSE(device->isClipped());
    const auto pixels = readBack();
    EXPECT_EQ(at(pixels, 8, 4), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 15, 11), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 16, 11), 0xFF0000FFu);
    EXPECT_EQ(at(pixels, 15, 12), 0xFF0000FFu);
    EXPECT_EQ(at(pixels, 7, 4), 0xFF0000FFu);
    EXPECT_EQ(at(pixels, 20, 31), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, 29, 0), 0xFF00FF00u);
    EXPECT_EQ(at(pixels, 19, 0), 0xFF0000FFu);
    EXPECT_EQ(at(pixels, 30, 0), 0xFF0000FFu);
    EXPECT_EQ(at(pixels, 41, 16), 0xFFFFFFFFu);
    EXPECT_EQ(at(pixels, 45, 16), 0xFF0000FFu);
    // A reset lifts the clip.
    ASSERT_EQ(device->setClipRect(&cleared), GfxError::Ok);
    PresentParams params = device->presentParams();
    ASSERT_EQ(device->reset(params), GfxError::Ok);
    EXPECT_FALSE(device->isClipped());
}

} // namespace
