#include "engine/core/cStream.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cPyroBatch.h"
#include "engine/devices/cPyroDevice.h"
#include "engine/devices/cPyroFileAdapter.h"
#include "engine/devices/cPyroIndexBuffer.h"
#include "engine/devices/cPyroParamRecord.h"
#include "engine/devices/cPyroTexture.h"
#include "engine/devices/cPyroVertexBuffer.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/particles/CPyroGraphicsException.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/IPyroParticleLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace Engine;
using Platform::Blend;
using Platform::RenderState;
namespace Pyro = PyroParticles;

namespace
{

// A stream over a string that remembers whether it was closed.
class cStringStream final : public cStream
{
public:
    cStringStream(std::string bytes, bool& closed) : m_bytes(std::move(bytes)), m_closed(closed) {}
    ~cStringStream() override { close(); }
    unsigned int size() override { return static_cast<unsigned>(m_bytes.size()); }
    int seek(int offset, int origin) override
    {
        const long base = origin == SeekCurrent ? m_position
                          : origin == SeekEnd   ? static_cast<long>(m_bytes.size())
                                                : 0;
        m_position = std::max(0L, std::min(static_cast<long>(m_bytes.size()), base + offset));
        return static_cast<int>(m_position);
    }
    int read(void* buffer, unsigned int count) override
    {
        const size_t n = std::min<size_t>(count, m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += static_cast<long>(n);
        return static_cast<int>(n);
    }
    int write(const void*, unsigned int count) override { return static_cast<int>(count); }
    void close() override { m_closed = true; }

private:
    std::string m_bytes;
    long m_position = 0;
    bool& m_closed;
};

struct PyroDevice : ::testing::Test
{
    Platform::RecordingGfxDevice gfx{Platform::PresentParams()};
};

uint32_t state(const Platform::RecordingGfxDevice& gfx, RenderState s)
{
    return gfx.renderState(s);
}

} // namespace

TEST_F(PyroDevice, BuildsTheSharedQuadIndicesInTheManagedPool)
{
    cPyroDevice device(gfx, 3);
    const cPyroIndexBuffer& indices = device.getQuadIndices();
    EXPECT_EQ(indices.size(), 3u * 72u);
    EXPECT_EQ(indices.buffer()->pool(), Platform::Pool::Managed);
    const auto* data = reinterpret_cast<const uint16_t*>(indices.buffer()->data());
    const uint16_t expected[] = {0, 2, 3, 0, 1, 2, 4, 6, 7, 4, 5, 6, 8, 10, 11, 8, 9, 10};
    EXPECT_EQ(std::memcmp(data, expected, sizeof(expected)), 0);
    EXPECT_FALSE(indices.buffer()->isLocked());
}

TEST_F(PyroDevice, AQuadIndexBufferThatCannotBeMadeStopsStartUp)
{
    gfx.setManagedPoolExhausted(true);
    try
    {
        cPyroDevice device(gfx, 16);
        FAIL();
    }
    catch (const Pyro::PyroGraphics::CPyroGraphicsException& e)
    {
        EXPECT_EQ(e.getResult(), Platform::GfxError::OutOfVideoMemory);
        EXPECT_EQ(std::string(e.what()).rfind("Can't create quad index buffer", 0), 0u);
    }
    gfx.setManagedPoolExhausted(false);
    EXPECT_THROW(cPyroDevice(gfx, cPyroDevice::kMaxQuadCount + 1),
                 Pyro::PyroGraphics::CPyroGraphicsException);
}

TEST_F(PyroDevice, RenderStateAndBlendCodes)
{
    cPyroDevice device(gfx, 4);
    const uint32_t before = gfx.renderStateSetCount();
    EXPECT_EQ(device.setRenderState(7, 1), 0);
    EXPECT_EQ(gfx.renderStateSetCount(), before);
    EXPECT_EQ(device.setRenderState(0, 1), 0);
    EXPECT_EQ(state(gfx, RenderState::AlphaBlendEnable), 1u);

    EXPECT_EQ(device.setBlendFunc(4, 5), 0);
    EXPECT_EQ(state(gfx, RenderState::SrcBlend), static_cast<uint32_t>(Blend::SrcAlpha));
    EXPECT_EQ(state(gfx, RenderState::DestBlend), static_cast<uint32_t>(Blend::InvSrcAlpha));
    EXPECT_EQ(device.setBlendFunc(9, 0), 0);
    EXPECT_EQ(device.setBlendFunc(0, 9), 0);
    EXPECT_EQ(state(gfx, RenderState::SrcBlend), static_cast<uint32_t>(Blend::SrcAlpha));
    EXPECT_EQ(state(gfx, RenderState::DestBlend), static_cast<uint32_t>(Blend::InvSrcAlpha));
    const Blend all[] = {Blend::Zero,         Blend::One,          Blend::DestColor,
                         Blend::InvDestColor, Blend::SrcAlpha,     Blend::InvSrcAlpha,
                         Blend::DestAlpha,    Blend::InvDestAlpha, Blend::SrcAlphaSat};
    for (uint32_t code = 0; code < 9; ++code)
    {
        device.setBlendFunc(code, 8 - code);
        EXPECT_EQ(state(gfx, RenderState::SrcBlend), static_cast<uint32_t>(all[code]));
        EXPECT_EQ(state(gfx, RenderState::DestBlend), static_cast<uint32_t>(all[8 - code]));
    }
    EXPECT_EQ(device.setStageState(0, 0, 0, 0, 0), 1);
    EXPECT_EQ(device.drawPrimitives(0, 0, 0, 0), 1);
    EXPECT_EQ(device.beginDraw(3), 0);
    EXPECT_EQ(device.endDraw(), 0);
}

TEST_F(PyroDevice, FormatFlagsBecomeVertexFormats)
{
    EXPECT_EQ(cPyroDevice::toFvf(0x10009), 0x142u);
    EXPECT_EQ(cPyroDevice::toFvf(0x4 | 0x1), 0x004u);
    EXPECT_EQ(cPyroDevice::toFvf(0x20000), 0x200u);
    EXPECT_EQ(cPyroDevice::toFvf(0x30000), 0x300u);
    EXPECT_EQ(cPyroDevice::toFvf(0x40000 | 0x10000), 0x300u);
    EXPECT_EQ(cPyroDevice::toFvf(0x80000 | 0x10000), 0x500u);
    EXPECT_EQ(cPyroDevice::toFvf(0), 0u);
}

TEST_F(PyroDevice, DrawsQuadsFromTheSharedIndicesMovedToTheFirstQuad)
{
    cPyroDevice device(gfx, 8);
    Pyro::IPyroVertexBuffer* raw = nullptr;
    ASSERT_EQ(device.createVertexBuffer(&raw, 32, 24, 0x10009, 0), 0);
    std::unique_ptr<Pyro::IPyroVertexBuffer> buffer(raw);
    auto* vertices = static_cast<cPyroVertexBuffer*>(raw);
    EXPECT_EQ(vertices->buffer()->size(), 32u * 24u);
    EXPECT_EQ(vertices->buffer()->pool(), Platform::Pool::Managed);
    EXPECT_EQ(vertices->buffer()->fvf(), 0x142u);

    // Writes land where they are asked to; a write past the end is refused.
    const uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(raw->write(bytes, 24, 4, 0), 0);
    EXPECT_EQ(std::memcmp(vertices->buffer()->data() + 24, bytes, 4), 0);
    EXPECT_LT(raw->write(bytes, 32 * 24 - 2, 4, 0), 0);

    EXPECT_EQ(device.drawQuads(raw, 0, 0, 0), 0);
    EXPECT_EQ(gfx.drawCallCount(), 0u);
    EXPECT_EQ(device.drawQuads(raw, 3, 2, 0), 0);
    ASSERT_EQ(gfx.draws().size(), 1u);
    const auto& draw = gfx.draws()[0];
    EXPECT_TRUE(draw.indexed);
    EXPECT_EQ(draw.primitiveCount, 4u);
    EXPECT_EQ(draw.startIndex, 0u);
    EXPECT_EQ(draw.vertexCount, 12u);
    EXPECT_EQ(draw.baseVertex, 12u); // vertices 12 to 19
    EXPECT_EQ(draw.stride, 24u);
    EXPECT_EQ(draw.vertexShader, 0x142u);
    EXPECT_EQ(draw.stream, vertices->buffer().get());
    EXPECT_EQ(draw.indices, device.getQuadIndices().buffer().get());

    // More quads than the shared indices hold, or past the buffer's vertices, are not drawn.
    EXPECT_LT(device.drawQuads(raw, 0, 9, 0), 0);
    EXPECT_LT(device.drawQuads(raw, 6, 4, 0), 0);
    EXPECT_EQ(gfx.drawCallCount(), 1u);
}

TEST_F(PyroDevice, TexturesTurnRedGreenBlueAlphaIntoTheTexturesOrder)
{
    cPyroDevice device(gfx, 1);
    const uint8_t pixels[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    Pyro::sPyroImage image;
    image.pixels = pixels;
    image.width = 1;
    image.height = 3;
    Pyro::IPyroTexture* raw = nullptr;
    ASSERT_EQ(device.createTexture(&raw, image, 0), 0);
    std::unique_ptr<Pyro::IPyroTexture> texture(raw);
    const auto& gfxTexture = static_cast<cPyroTexture*>(raw)->texture();
    EXPECT_EQ(gfxTexture->pool(), Platform::Pool::Managed);
    EXPECT_EQ(gfxTexture->desc().format, Platform::Format::A8R8G8B8);
    EXPECT_EQ(gfxTexture->pixels()[0], 0x280A141Eu);
    EXPECT_EQ(gfxTexture->pixels()[2], 0x785A646Eu);

    EXPECT_EQ(device.setTexture(0, raw), 0);
    EXPECT_EQ(gfx.getTexture(0).get(), gfxTexture.get());
    EXPECT_EQ(device.setTexture(0, nullptr), 0);
    EXPECT_EQ(gfx.getTexture(0), nullptr);

    image.pixels = nullptr;
    EXPECT_LT(device.createTexture(&raw, image, 0), 0);
    EXPECT_EQ(raw, nullptr);

    Pyro::IPyroParamRecord* record = nullptr;
    EXPECT_EQ(device.createParamRecord(&record, 1, 2, 3, 4), 0);
    std::unique_ptr<Pyro::IPyroParamRecord> owned(record);
    EXPECT_EQ(static_cast<cPyroParamRecord*>(record)->value(3), 4u);
}

TEST(PyroFileAdapter, ForwardsToItsStreamAndClosesIt)
{
    bool closed = false;
    {
        cPyroFileAdapter adapter(std::make_unique<cStringStream>("abcdef", closed));
        char buffer[4] = {};
        EXPECT_EQ(adapter.seek(2, 0), 2);
        EXPECT_EQ(adapter.read(buffer, 3), 3);
        EXPECT_EQ(std::string(buffer, 3), "cde");
        EXPECT_EQ(adapter.seek(0, 2), 6);
        EXPECT_EQ(adapter.write(buffer, 3), 3);
        EXPECT_EQ(adapter.flush(), 0);
        EXPECT_FALSE(closed);
    }
    EXPECT_TRUE(closed);

    cPyroFileAdapter empty(nullptr);
    char c = 0;
    EXPECT_EQ(empty.read(&c, 1), 0);
    EXPECT_EQ(empty.write(&c, 1), 0);
    EXPECT_EQ(empty.seek(5, 0), 0);
}

TEST_F(PyroDevice, AnEffectDrawsThroughTheDeviceWithOneCallPerLayer)
{
    Pyro::IPyroParticleLibrary* library = CreateParticleLibrary(Pyro::kPyroVersion);
    {
        cPyroDevice device(gfx, library->getQuadCount());
        library->setDevice(&device);
        bool closed = false;
        cPyroFileAdapter file(std::make_unique<cStringStream>(
            "<PyroEffect><Emitter Name=\"e\"><Layer Burst=\"5\"/><Layer Burst=\"3\" Blend=\"add\"/></Emitter>"
            "</PyroEffect>",
            closed));
        Pyro::IPyroEffect* effect = library->loadEffect(file, "effects/two.xml");
        effect->prepare();
        Pyro::IPyroEmitter* emitter = effect->createEmitter("e");
        emitter->emit(0.0f, 0.05f, 400.0f, 300.0f, 0.0f, true);
        emitter->draw();
        ASSERT_EQ(gfx.draws().size(), 2u);
        EXPECT_EQ(gfx.draws()[0].primitiveCount, 10u);
        EXPECT_EQ(gfx.draws()[1].primitiveCount, 6u);
        EXPECT_EQ(gfx.draws()[1].state(RenderState::DestBlend), static_cast<uint32_t>(Blend::One));
        EXPECT_EQ(gfx.draws()[0].state(RenderState::AlphaBlendEnable), 1u);
        EXPECT_NE(gfx.draws()[0].texture, nullptr);
        EXPECT_EQ(gfx.invalidCallCount(), 0u);
        library->shutdown();
    }
    DestroyParticleLibrary(library);
}

TEST_F(PyroDevice, AParticleBatchDrawsOncePerLayerAndLeavesTheStatesAsTheyWere)
{
    Pyro::IPyroParticleLibrary* library = CreateParticleLibrary(Pyro::kPyroVersion);
    {
        cPyroDevice device(gfx, library->getQuadCount());
        library->setDevice(&device);
        bool closed = false;
        cPyroFileAdapter file(std::make_unique<cStringStream>(
            "<PyroEffect><Emitter Name=\"e\" SizeStart=\"4\" SizeEnd=\"4\"><Layer Burst=\"5\"/>"
            "<Layer Burst=\"3\" Blend=\"add\"/><Layer Rate=\"1\"/></Emitter></PyroEffect>",
            closed));
        Pyro::IPyroEmitter* emitter = library->loadEffect(file, "effects/three.xml")->createEmitter("e");
        emitter->emit(0.0f, 0.05f, 100.0f, 80.0f, 0.0f, true);

        // What the quads before it left.
        gfx.setRenderState(RenderState::SrcBlend, Blend::DestColor);
        gfx.setRenderState(RenderState::DestBlend, Blend::SrcAlpha);
        gfx.setRenderState(RenderState::AlphaBlendEnable, 0u);
        const Platform::GfxStateShadow before = gfx.state();

        cParticleDrawInfo info;
        info.positionX = 100.0f;
        info.positionY = 80.0f;
        info.scale = 3.0f;
        info.emitter = emitter;
        cBatchRenderer::tPlacement window;
        cPyroBatch(gfx).draw(info, window, false);

        // Two layers have particles, the third none yet: two draw calls.
        EXPECT_EQ(gfx.drawCallCount(), 2u);
        EXPECT_EQ(gfx.invalidCallCount(), 0u);
        EXPECT_FALSE(info.changed);
        const auto& first = gfx.draws()[0];
        EXPECT_EQ(first.state(RenderState::SrcBlend), static_cast<uint32_t>(Blend::SrcAlpha));
        EXPECT_EQ(first.state(RenderState::DestBlend), static_cast<uint32_t>(Blend::InvSrcAlpha));
        EXPECT_EQ(gfx.draws()[1].state(RenderState::DestBlend), static_cast<uint32_t>(Blend::One));

        // The states, the texture and the stream are back as they were.
        const Platform::GfxStateShadow& after = gfx.state();
        EXPECT_EQ(after.render, before.render);
        EXPECT_EQ(after.textures[0], before.textures[0]);
        EXPECT_EQ(after.stream, before.stream);
        EXPECT_EQ(after.indices, before.indices);
        EXPECT_EQ(after.vertexShader, before.vertexShader);

        // Unchanged and not recreated: the emitter is not placed again; changed: it is.
        const float scale = 1.0f;
        info.scale = scale;
        cPyroBatch::place(info, window, false);
        cPyroBatch(gfx).draw(info, window, false);
        const float* v = reinterpret_cast<const float*>(gfx.draws().back().stream->data());
        EXPECT_FLOAT_EQ(v[0], 100.0f - 6.0f); // still scaled by 3: 100 + 3·(100 − 100) − 3·2
        info.changed = true;
        cPyroBatch(gfx).draw(info, window, false);
        v = reinterpret_cast<const float*>(gfx.draws().back().stream->data());
        EXPECT_FLOAT_EQ(v[0], 100.0f - 2.0f);
        library->shutdown();
    }
    DestroyParticleLibrary(library);
}
