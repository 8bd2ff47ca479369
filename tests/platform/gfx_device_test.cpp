#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using namespace Platform;

PresentParams params800()
{
    PresentParams p;
    p.backBufferWidth = 800;
    p.backBufferHeight = 600;
    p.backBufferFormat = Format::X8R8G8B8;
    return p;
}

TEST(GfxTypes, VertexSizesOfTheFormatsInFiles)
{
    EXPECT_EQ(Fvf::vertexSize(0x142), 24u); // quads: position, colour, one pair
    EXPECT_EQ(Fvf::vertexSize(274), 32u);   // position, normal, one pair
    EXPECT_EQ(Fvf::vertexSize(258), 20u);   // position, one pair
    EXPECT_EQ(Fvf::vertexSize(18), 24u);    // position, normal
    EXPECT_EQ(Fvf::vertexSize(4380), 48u);  // skinned: position, weights, indices, normal, pair
    EXPECT_EQ(Fvf::vertexSize(0x040), 0u);  // no position
}

TEST(GfxResult, NamesForErrorTexts)
{
    EXPECT_STREQ(gfxResultName(GfxError::OutOfVideoMemory), "D3DERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(static_cast<uint32_t>(GfxError::OutOfVideoMemory), 0x8876017Cu);
    EXPECT_STREQ(gfxResultName(GfxError::DeviceLost), "D3DERR_DEVICELOST");
    EXPECT_STREQ(gfxResultName(GfxError::Ok), "D3D_OK");
    EXPECT_STREQ(gfxResultName(0x12345), "Unknown");
}

TEST(GfxStateShadow, ReadsBackWhatWasSetAndStartsAtTheClassicDefaults)
{
    RecordingGfxDevice device(params800());
    uint32_t value = 0;
    ASSERT_EQ(device.getRenderState(RenderState::SrcBlend, value), GfxError::Ok);
    EXPECT_EQ(value, static_cast<uint32_t>(Blend::One));
    EXPECT_EQ(device.renderState(RenderState::Lighting), 1u);
    EXPECT_EQ(device.renderState(RenderState::CullMode), static_cast<uint32_t>(CullMode::CounterClockwise));
    EXPECT_EQ(device.renderState(RenderState::StencilWriteMask), 0xFFFFFFFFu);
    device.getTextureStageState(0, StageState::AddressU, value);
    EXPECT_EQ(value, static_cast<uint32_t>(TextureAddress::Wrap));

    device.setRenderState(RenderState::AlphaRef, 136u);
    device.getRenderState(RenderState::AlphaRef, value);
    EXPECT_EQ(value, 136u);
    device.setTextureStageState(0, StageState::MagFilter, TextureFilter::Linear);
    device.getTextureStageState(0, StageState::MagFilter, value);
    EXPECT_EQ(value, static_cast<uint32_t>(TextureFilter::Linear));
    EXPECT_EQ(device.getTextureStageState(MaxTextureStages, StageState::MagFilter, value),
              GfxError::InvalidCall);
}

TEST(GfxStateShadow, UnchangedStatesAreNotSent)
{
    RecordingGfxDevice device(params800());
    device.changeRenderState(RenderState::AlphaRef, 0u); // already 0
    device.changeRenderState(RenderState::SrcBlend, Blend::One);
    device.changeTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
    EXPECT_EQ(device.renderStateSetCount(), 0u);
    EXPECT_EQ(device.stageStateSetCount(), 0u);

    device.changeRenderState(RenderState::AlphaRef, 160u);
    device.changeRenderState(RenderState::AlphaRef, 160u);
    EXPECT_EQ(device.renderStateSetCount(RenderState::AlphaRef), 1u);
}

TEST(GfxDevice, ResetNeedsTheDefaultPoolReleasedAndRestoresTheDefaults)
{
    RecordingGfxDevice device(params800());
    std::shared_ptr<GfxVertexBuffer> buffer;
    ASSERT_EQ(device.createVertexBuffer(240, Usage::WriteOnly, 0x142, Pool::Default, buffer), GfxError::Ok);
    std::shared_ptr<GfxVertexBuffer> managed;
    ASSERT_EQ(device.createVertexBuffer(240, Usage::WriteOnly, 0x142, Pool::Managed, managed), GfxError::Ok);
    device.setRenderState(RenderState::AlphaRef, 7u);
    device.setStreamSource(0, buffer, 24);

    EXPECT_EQ(device.reset(params800()), GfxError::InvalidCall);
    buffer.reset();
    EXPECT_EQ(device.reset(params800()), GfxError::Ok);
    EXPECT_EQ(device.renderState(RenderState::AlphaRef), 0u);
    EXPECT_EQ(device.state().stream, nullptr);
    EXPECT_EQ(device.resetCount(), 1u);
}

TEST(GfxDevice, LostDeviceRecoversOnlyThroughAReset)
{
    RecordingGfxDevice device(params800());
    device.loseDevice();
    EXPECT_EQ(device.present(), GfxError::DeviceLost);
    EXPECT_EQ(device.testCooperativeLevel(), GfxError::DeviceLost);
    EXPECT_EQ(device.reset(params800()), GfxError::DeviceLost);
    device.allowReset();
    EXPECT_EQ(device.testCooperativeLevel(), GfxError::DeviceNotReset);
    EXPECT_EQ(device.reset(params800()), GfxError::Ok);
    EXPECT_EQ(device.testCooperativeLevel(), GfxError::Ok);
    EXPECT_EQ(device.present(), GfxError::Ok);
}

TEST(GfxDevice, BuffersLockOnlyInsideTheirBytes)
{
    RecordingGfxDevice device(params800());
    std::shared_ptr<GfxIndexBuffer> indices;
    ASSERT_EQ(device.createIndexBuffer(12, 0, Format::Index16, Pool::Managed, indices), GfxError::Ok);
    EXPECT_EQ(device.createIndexBuffer(12, 0, Format::A8R8G8B8, Pool::Managed, indices),
              GfxError::InvalidCall);
    ASSERT_EQ(device.createIndexBuffer(12, 0, Format::Index16, Pool::Managed, indices), GfxError::Ok);
    void* data = nullptr;
    EXPECT_EQ(indices->lock(8, 8, &data, 0), GfxError::InvalidCall);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(indices->lock(4, 0, &data, Lock::Discard), GfxError::Ok);
    EXPECT_EQ(static_cast<uint8_t*>(data), indices->data() + 4);
    EXPECT_EQ(indices->unlock(), GfxError::Ok);
    EXPECT_EQ(indices->unlock(), GfxError::InvalidCall);
}

// Four vertices of the quad layout and six indices, bound to the device.
struct BoundQuad
{
    std::shared_ptr<GfxVertexBuffer> vertices;
    std::shared_ptr<GfxIndexBuffer> indices;

    explicit BoundQuad(GfxDevice& device, uint16_t lastIndex = 3)
    {
        device.createVertexBuffer(4 * 24, 0, 0x142, Pool::Managed, vertices);
        device.createIndexBuffer(12, 0, Format::Index16, Pool::Managed, indices);
        void* data = nullptr;
        indices->lock(0, 0, &data, 0);
        const uint16_t list[6] = {0, 2, 1, 1, 2, lastIndex};
        std::memcpy(data, list, sizeof(list));
        indices->unlock();
        device.setStreamSource(0, vertices, 24);
        device.setIndices(indices, 0);
        device.setVertexShader(0x142);
    }
};

TEST(GfxDevice, DrawsThatWouldReadPastTheVerticesAreRefused)
{
    RecordingGfxDevice device(params800());
    {
        BoundQuad quad(device);
        EXPECT_EQ(device.drawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), GfxError::Ok);
        EXPECT_EQ(device.drawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 3, 2),
                  GfxError::InvalidCall);
        device.setIndices(quad.indices, 1); // base vertex 1: index 3 reaches vertex 4
        EXPECT_EQ(device.drawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2),
                  GfxError::InvalidCall);
        device.setIndices(quad.indices, 0);
        void* data = nullptr;
        quad.vertices->lock(0, 0, &data, 0); // still locked while drawing
        EXPECT_EQ(device.drawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2),
                  GfxError::InvalidCall);
        quad.vertices->unlock();
    }
    {
        BoundQuad broken(device, 4);
        EXPECT_EQ(device.drawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2),
                  GfxError::InvalidCall);
    }
    EXPECT_EQ(device.drawCallCount(), 1u);
    EXPECT_EQ(device.invalidCallCount(), 4u);
}

TEST(GfxTexture, IsMadeFromRawBgraPixels)
{
    RecordingGfxDevice device(params800());
    std::shared_ptr<GfxTexture> texture;
    ASSERT_EQ(device.createTexture(3, 2, 1, 0, Format::A8R8G8B8, Pool::Managed, texture), GfxError::Ok);
    SurfaceDesc desc;
    ASSERT_EQ(texture->getLevelDesc(0, desc), GfxError::Ok);
    EXPECT_EQ(desc.width, 3);
    EXPECT_EQ(desc.height, 2);
    EXPECT_EQ(texture->pixels()[0], 0u); // blank

    LockedRect rect;
    ASSERT_EQ(texture->lockRect(0, rect, nullptr, 0), GfxError::Ok);
    EXPECT_EQ(rect.pitch, 12);
    // Bytes B, G, R, A: an opaque orange pixel at (2, 1).
    const uint8_t orange[4] = {0x00, 0x80, 0xFF, 0xFF};
    std::memcpy(static_cast<uint8_t*>(rect.bits) + rect.pitch + 8, orange, 4);
    ASSERT_EQ(texture->unlockRect(0), GfxError::Ok);
    EXPECT_EQ(texture->pixels()[5], 0xFFFF8000u);
    EXPECT_EQ(texture->version(), 1u);

    const PixelRect part{1, 1, 3, 2};
    ASSERT_EQ(texture->lockRect(0, rect, &part, Lock::ReadOnly), GfxError::Ok);
    EXPECT_EQ(static_cast<uint32_t*>(rect.bits)[1], 0xFFFF8000u);
    texture->unlockRect(0);
    EXPECT_EQ(texture->version(), 1u); // a read changes nothing

    const PixelRect outside{2, 0, 4, 1};
    EXPECT_EQ(texture->lockRect(0, rect, &outside, 0), GfxError::InvalidCall);

    device.setTexture(0, texture);
    EXPECT_EQ(device.getTexture(0), texture);
    std::shared_ptr<GfxTexture> readBack;
    ASSERT_EQ(device.createTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::SystemMem, readBack), GfxError::Ok);
    EXPECT_EQ(device.setTexture(0, readBack), GfxError::InvalidCall);
}

TEST(GfxTexture, SizesTheDeviceRefuses)
{
    RecordingGfxDevice device(params800());
    std::shared_ptr<GfxTexture> texture;
    EXPECT_EQ(device.createTexture(300, 200, 1, 0, Format::A8R8G8B8, Pool::Managed, texture), GfxError::Ok);
    device.setPowerOfTwoOnly(true);
    EXPECT_EQ(device.createTexture(300, 200, 1, 0, Format::A8R8G8B8, Pool::Managed, texture),
              GfxError::InvalidCall);
    EXPECT_EQ(device.createTexture(512, 256, 1, 0, Format::A8R8G8B8, Pool::Managed, texture), GfxError::Ok);
    EXPECT_EQ(device.createTexture(0, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, texture),
              GfxError::InvalidCall);
    EXPECT_EQ(
        device.createTexture(device.maxTextureSize() * 2, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, texture),
        GfxError::InvalidCall);
    EXPECT_EQ(device.createTexture(4, 4, 1, 0, Format::D24S8, Pool::Managed, texture), GfxError::InvalidCall);
}

TEST(GfxDevice, OutOfVideoMemoryHitsOnlyTheExhaustedPool)
{
    RecordingGfxDevice device(params800());
    device.setDefaultPoolExhausted(true);
    std::shared_ptr<GfxTexture> texture;
    EXPECT_EQ(device.createTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Default, texture),
              GfxError::OutOfVideoMemory);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(device.createTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, texture), GfxError::Ok);
    EXPECT_EQ(device.failedCreationCount(), 1u);
}

TEST(GfxDevice, StateBlocksCaptureAndApplyEveryState)
{
    RecordingGfxDevice device(params800());
    device.setRenderState(RenderState::StencilEnable, 1u);
    device.setTextureStageState(0, StageState::AddressU, TextureAddress::Mirror);
    uint32_t block = 0;
    ASSERT_EQ(device.createStateBlock(block), GfxError::Ok);
    device.setRenderState(RenderState::StencilEnable, 0u);
    device.setRenderState(RenderState::AlphaRef, 99u);
    device.setTextureStageState(0, StageState::AddressU, TextureAddress::Clamp);
    ASSERT_EQ(device.applyStateBlock(block), GfxError::Ok);
    EXPECT_EQ(device.renderState(RenderState::StencilEnable), 1u);
    EXPECT_EQ(device.renderState(RenderState::AlphaRef), 0u);
    uint32_t address = 0;
    device.getTextureStageState(0, StageState::AddressU, address);
    EXPECT_EQ(address, static_cast<uint32_t>(TextureAddress::Mirror));
    EXPECT_EQ(device.deleteStateBlock(block), GfxError::Ok);
    EXPECT_EQ(device.applyStateBlock(block), GfxError::InvalidCall);
}

TEST(GfxDevice, ShaderHandlesNeverLookLikeVertexFormats)
{
    RecordingGfxDevice device(params800());
    const std::vector<VertexElement> layout = {
        {0, VertexElementType::Float3}, {5, VertexElementType::Color}, {7, VertexElementType::Float2}};
    const char code[] = "!!ARBvp1.0\nEND\n";
    uint32_t first = 0;
    uint32_t second = 0;
    ASSERT_EQ(device.createVertexShader(layout, code, sizeof(code) - 1, first, 0), GfxError::Ok);
    ASSERT_EQ(device.createVertexShader(layout, code, sizeof(code) - 1, second, 0), GfxError::Ok);
    EXPECT_TRUE(isShaderHandle(first));
    EXPECT_TRUE(isShaderHandle(second));
    EXPECT_NE(first, second);
    EXPECT_FALSE(isShaderHandle(0x142));
    EXPECT_EQ(device.setVertexShader(first), GfxError::Ok);
    EXPECT_EQ(device.deleteVertexShader(first), GfxError::Ok);
    EXPECT_EQ(device.getVertexShader(), 0u);
    EXPECT_EQ(device.setVertexShader(first), GfxError::InvalidCall);
    EXPECT_EQ(device.setVertexShader(0x040), GfxError::InvalidCall); // a format without a position
}

TEST(RecordingGfxSystem, ReportsTheDesktopAndItsDepthFormats)
{
    RecordingGfxSystem system;
    system.mode.width = 1280;
    system.mode.height = 1024;
    system.offersD24S8 = false;
    DisplayMode mode;
    system.getDisplayMode(mode);
    EXPECT_EQ(mode.width, 1280);
    EXPECT_FALSE(system.supportsDepthStencil(mode.format, Format::D24S8));
    EXPECT_TRUE(system.supportsDepthStencil(mode.format, Format::D15S1));
    std::unique_ptr<GfxDevice> device;
    ASSERT_EQ(system.createDevice(params800(), device), GfxError::Ok);
    EXPECT_EQ(system.lastDevice(), device.get());
    system.createResult = GfxError::NotAvailable;
    EXPECT_EQ(system.createDevice(params800(), device), GfxError::NotAvailable);
    EXPECT_EQ(device, nullptr);
}

} // namespace
