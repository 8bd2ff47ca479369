#include "platform/particles/CEffectReader.h"
#include "platform/particles/CPyroEffect.h"
#include "platform/particles/CPyroEmitter.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/CPyroGraphicsException.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/CPyroMemoryFile.h"
#include "platform/particles/IPyroGraphicsDevice.h"
#include "platform/particles/IPyroIndexBuffer.h"
#include "platform/particles/IPyroParamRecord.h"
#include "platform/particles/IPyroTexture.h"
#include "platform/particles/IPyroVertexBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace PyroParticles;

namespace
{

// A graphics device that keeps what the library hands it.
class cRecordingDevice final : public IPyroGraphicsDevice
{
public:
    struct sDraw
    {
        std::vector<sPyroVertex> vertices; // the quads drawn, four vertices each
        uint32_t firstQuad;
        uint32_t quadCount;
        uint32_t source;
        uint32_t destination;
        const IPyroTexture* texture;
    };

    class cBuffer final : public IPyroVertexBuffer
    {
    public:
        cBuffer(cRecordingDevice& device, uint32_t bytes) : m_device(device), data(bytes) { ++m_device.live; }
        ~cBuffer() override { --m_device.live; }
        int32_t onDeviceLost() override { return 0; }
        int32_t onDeviceRestored() override { return 0; }
        int32_t write(const void* source, uint32_t offset, uint32_t count, uint32_t) override
        {
            if (offset + static_cast<uint64_t>(count) > data.size())
                return -2;
            std::memcpy(data.data() + offset, source, count);
            return 0;
        }

        cRecordingDevice& m_device;
        std::vector<uint8_t> data;
    };

    class cTexture final : public IPyroTexture
    {
    public:
        cTexture(cRecordingDevice& device, const sPyroImage& image)
            : m_device(device), width(image.width), height(image.height),
              pixels(image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height * 4)
        {
            ++m_device.live;
        }
        ~cTexture() override { --m_device.live; }
        int32_t onDeviceLost() override { return 0; }
        int32_t onDeviceRestored() override { return 0; }

        cRecordingDevice& m_device;
        uint32_t width;
        uint32_t height;
        std::vector<uint8_t> pixels;
    };

    int32_t setRenderState(uint32_t state, uint32_t value) override
    {
        renderStates.emplace_back(state, value);
        return 0;
    }
    int32_t setBlendFunc(uint32_t source, uint32_t destination) override
    {
        m_source = source;
        m_destination = destination;
        return 0;
    }
    int32_t setStageState(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override { return kUnsupported; }
    int32_t createVertexBuffer(IPyroVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t flags,
                               uint32_t) override
    {
        formats.push_back(flags);
        strides.push_back(stride);
        if (failBuffers)
        {
            *out = nullptr;
            return -7;
        }
        *out = new cBuffer(*this, count * stride);
        return 0;
    }
    int32_t createIndexBuffer(IPyroIndexBuffer** out, uint32_t, uint32_t, uint32_t) override
    {
        *out = nullptr;
        return -1;
    }
    int32_t createTexture(IPyroTexture** out, const sPyroImage& image, uint32_t) override
    {
        auto* texture = new cTexture(*this, image);
        textures.push_back(texture);
        *out = texture;
        return 0;
    }
    int32_t createParamRecord(IPyroParamRecord** out, uint32_t, uint32_t, uint32_t, uint32_t) override
    {
        *out = nullptr;
        return 0;
    }
    int32_t beginDraw(uint32_t) override
    {
        ++begins;
        return 0;
    }
    int32_t setTexture(uint32_t, IPyroTexture* texture) override
    {
        m_texture = texture;
        return 0;
    }
    int32_t drawPrimitives(uint32_t, uint32_t, uint32_t, uint32_t) override { return kUnsupported; }
    int32_t drawQuads(IPyroVertexBuffer* buffer, uint32_t first, uint32_t count, uint32_t) override
    {
        const auto& bytes = static_cast<cBuffer*>(buffer)->data;
        sDraw draw{{}, first, count, m_source, m_destination, m_texture};
        draw.vertices.resize(count * 4);
        std::memcpy(draw.vertices.data(), bytes.data() + first * 4 * sizeof(sPyroVertex),
                    count * 4 * sizeof(sPyroVertex));
        draws.push_back(std::move(draw));
        return 0;
    }
    int32_t endDraw() override
    {
        ++ends;
        return 0;
    }

    std::vector<sDraw> draws;
    std::vector<std::pair<uint32_t, uint32_t>> renderStates;
    std::vector<uint32_t> formats;
    std::vector<uint32_t> strides;
    std::vector<const cTexture*> textures;
    int live = 0;
    int begins = 0;
    int ends = 0;
    bool failBuffers = false;

private:
    uint32_t m_source = 99;
    uint32_t m_destination = 99;
    IPyroTexture* m_texture = nullptr;
};

IPyroEffect* load(IPyroParticleLibrary& library, const std::string& body)
{
    CPyroMemoryFile file("<PyroEffect>" + body + "</PyroEffect>");
    return library.loadEffect(file, "effects/test.xml");
}

std::vector<CPyroEmitter::sParticle> particlesOf(IPyroEmitter* emitter, size_t layer = 0)
{
    return static_cast<CPyroEmitter*>(emitter)->getParticles(layer);
}

// Steps as the particle view does: move, then emit, in slices.
void run(IPyroEmitter* emitter, float from, float seconds, float slice, float x, float y)
{
    float time = from;
    const int steps = static_cast<int>(seconds / slice + 0.5f);
    for (int i = 0; i < steps; ++i)
    {
        emitter->move(time, slice);
        emitter->emit(time, slice, x, y, 0.0f, true);
        time += slice;
    }
}

} // namespace

TEST(ParticlesEmitter, AParticleMovesWithItsSpeedAndGravityAndDiesAtTheEndOfItsLife)
{
    CPyroLibrary library;
    IPyroEffect* effect = load(
        library, "<Emitter Name=\"e\" Burst=\"1\" Life=\"0.25\" Speed=\"100\" Angle=\"0\" GravityY=\"50\"/>");
    IPyroEmitter* emitter = effect->createEmitter("e");
    emitter->emit(0.0f, 0.1f, 10.0f, 20.0f, 0.0f, true);
    auto p = particlesOf(emitter);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_FLOAT_EQ(p[0].x, 10.0f);
    EXPECT_FLOAT_EQ(p[0].y, 20.0f);
    EXPECT_FLOAT_EQ(p[0].vx, 100.0f);
    EXPECT_FLOAT_EQ(p[0].vy, 0.0f);

    emitter->move(0.1f, 0.1f);
    p = particlesOf(emitter);
    ASSERT_EQ(p.size(), 1u);
    // The velocity is updated first, then the position.
    EXPECT_FLOAT_EQ(p[0].vy, 5.0f);
    EXPECT_FLOAT_EQ(p[0].x, 20.0f);
    EXPECT_FLOAT_EQ(p[0].y, 20.5f);
    EXPECT_FLOAT_EQ(p[0].age, 0.1f);

    emitter->move(0.2f, 0.1f);
    EXPECT_EQ(emitter->getParticleCount(), 1u);
    emitter->move(0.3f, 0.1f); // age 0.3 is past the life of 0.25
    EXPECT_EQ(emitter->getParticleCount(), 0u);
    EXPECT_FALSE(emitter->isPlaying());
}

TEST(ParticlesEmitter, RateDelayEmitTimeAndTheLimitDecideHowManyAreBorn)
{
    CPyroLibrary library;
    IPyroEffect* effect = load(library, R"(
        <Emitter Name="steady" Rate="20" Life="100"/>
        <Emitter Name="late" Rate="20" Life="100" Delay="0.5" EmitTime="0.25"/>
        <Emitter Name="capped" Rate="1000" Life="100" MaxParticles="30"/>)");

    IPyroEmitter* steady = effect->createEmitter("steady");
    run(steady, 0.0f, 1.0f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(steady->getParticleCount(), 20u);

    IPyroEmitter* late = effect->createEmitter("late");
    run(late, 0.0f, 0.5f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(late->getParticleCount(), 0u);
    EXPECT_TRUE(late->isPlaying());
    run(late, 0.5f, 1.0f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(late->getParticleCount(), 5u);

    IPyroEmitter* capped = effect->createEmitter("capped");
    run(capped, 0.0f, 1.0f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(capped->getParticleCount(), 30u);

    // Steps no view would take still end at the limit, and nonsense steps change nothing.
    IPyroEmitter* huge = effect->createEmitter("capped");
    huge->emit(0.0f, 1e30f, 0.0f, 0.0f, 0.0f, true);
    huge->emit(1e30f, 3e38f, 0.0f, 0.0f, 0.0f, true);
    EXPECT_EQ(huge->getParticleCount(), 30u);
    huge->reset();
    huge->emit(0.0f, -1.0f, 0.0f, 0.0f, 0.0f, true);
    huge->emit(0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f, 0.0f, true);
    huge->move(0.0f, std::numeric_limits<float>::infinity());
    EXPECT_EQ(huge->getParticleCount(), 0u);
}

TEST(ParticlesEmitter, ABurstComesOnceAndAgainWhenTheTimeStartsOver)
{
    CPyroLibrary library;
    IPyroEffect* effect = load(library, "<Emitter Name=\"b\" Burst=\"12\" Life=\"0.2\"/>");
    IPyroEmitter* emitter = effect->createEmitter("b");
    run(emitter, 0.0f, 0.1f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(emitter->getParticleCount(), 12u);
    run(emitter, 0.1f, 0.2f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(emitter->getParticleCount(), 0u);
    EXPECT_FALSE(emitter->isPlaying());

    // The view plays the effect again from time 0.
    run(emitter, 0.0f, 0.05f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(emitter->getParticleCount(), 12u);

    // Not emitting: nothing is born, even the burst waits.
    emitter->reset();
    emitter->move(0.0f, 0.05f);
    emitter->emit(0.0f, 0.05f, 0.0f, 0.0f, 0.0f, false);
    EXPECT_EQ(emitter->getParticleCount(), 0u);
    EXPECT_TRUE(emitter->isPlaying());
}

TEST(ParticlesEmitter, TheSameSeedGivesTheSameParticlesAndAnotherSeedOthers)
{
    CPyroLibrary library;
    IPyroEffect* effect = load(library, R"(
        <Emitter Name="spray" Seed="42" Rate="200" Life="1" LifeVar="0.5" Speed="50" SpeedVar="20"
                 Spread="90" AreaX="5" AreaY="3" SizeVar="0.5" RotationVar="180" SpinVar="90"/>)");

    auto simulate = [&](uint32_t seed)
    {
        IPyroEmitter* emitter = effect->createEmitter("spray");
        emitter->setSeed(seed);
        run(emitter, 0.0f, 0.5f, 0.05f, 100.0f, 100.0f);
        auto particles = particlesOf(emitter);
        library.releaseEmitter(emitter);
        return particles;
    };
    const auto a = simulate(42);
    const auto b = simulate(42);
    const auto c = simulate(43);
    ASSERT_EQ(a.size(), 100u);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])), 0);
    ASSERT_FALSE(c.empty());
    EXPECT_NE(a[0].x, c[0].x);
    for (const auto& p : a)
    {
        EXPECT_LE(std::abs(p.life - 1.0f), 0.5f);
        EXPECT_GE(p.sizeStart, 4.0f - 1e-4f);
        EXPECT_LE(p.sizeStart, 12.0f + 1e-4f);
    }

    // The file's own emitter plays with the file's seed, like the first emitter made from it.
    IPyroEmitter* own = effect->getEmitter(0);
    IPyroEmitter* first = load(library, R"(
        <Emitter Name="spray" Seed="42" Rate="200" Life="1" LifeVar="0.5" Speed="50" SpeedVar="20"
                 Spread="90" AreaX="5" AreaY="3" SizeVar="0.5" RotationVar="180" SpinVar="90"/>)")
                              ->createEmitter("spray");
    run(own, 0.0f, 0.2f, 0.05f, 0.0f, 0.0f);
    run(first, 0.0f, 0.2f, 0.05f, 0.0f, 0.0f);
    EXPECT_EQ(particlesOf(own)[3].vx, particlesOf(first)[3].vx);
}

TEST(ParticlesEmitter, QuadsAreDrawnAtThePositionPlusScaleTimesTheEmittedPoint)
{
    cRecordingDevice device; // outlives the library, as the render device does
    CPyroLibrary library;
    library.setDevice(&device);
    IPyroEffect* effect = load(library, R"(
        <Texture Name="sq" Shape="square" Size="4"/>
        <Emitter Name="e" Texture="sq" Burst="1" Life="1" SizeStart="10" SizeEnd="30"
                 ColorStart="FF000000" ColorEnd="01FFFFFF"/>)");
    IPyroEmitter* emitter = effect->createEmitter("e");
    emitter->emit(0.0f, 0.0f, 100.0f, 50.0f, 0.0f, true);
    emitter->setScale(2.0f);
    emitter->setPosition(20.0f, 30.0f, 0.5f);
    emitter->draw();

    ASSERT_EQ(device.draws.size(), 1u);
    const auto& draw = device.draws[0];
    EXPECT_EQ(draw.firstQuad, 0u);
    EXPECT_EQ(draw.quadCount, 1u);
    // Centre 20 + 2·100, 30 + 2·50; size 2·10.
    const float expected[4][2] = {{210, 120}, {230, 120}, {230, 140}, {210, 140}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_FLOAT_EQ(draw.vertices[k].x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(draw.vertices[k].y, expected[k][1]) << k;
        EXPECT_FLOAT_EQ(draw.vertices[k].z, 0.5f);
        EXPECT_EQ(draw.vertices[k].color, 0xFF000000u);
        EXPECT_FLOAT_EQ(draw.vertices[k].u, uv[k][0]);
        EXPECT_FLOAT_EQ(draw.vertices[k].v, uv[k][1]);
    }
    EXPECT_EQ(device.formats, std::vector<uint32_t>{0x10009u});
    EXPECT_EQ(device.strides, std::vector<uint32_t>{24u});
    EXPECT_EQ(draw.source, 4u);
    EXPECT_EQ(draw.destination, 5u);
    ASSERT_EQ(device.textures.size(), 1u);
    EXPECT_EQ(draw.texture, device.textures[0]);
    EXPECT_EQ(device.textures[0]->width, 4u);
    EXPECT_EQ(device.renderStates.back(), std::make_pair(0u, 1u));
    EXPECT_EQ(device.begins, 1);
    EXPECT_EQ(device.ends, 1);

    // Halfway through its life the particle is 20 units and half-way between the colours.
    emitter->move(0.0f, 0.5f);
    emitter->setScale(1.0f);
    emitter->setPosition(0.0f, 0.0f, 0.0f);
    emitter->draw();
    const auto& later = device.draws.back();
    EXPECT_FLOAT_EQ(later.vertices[0].x, 90.0f);
    EXPECT_FLOAT_EQ(later.vertices[2].x, 110.0f);
    EXPECT_EQ(later.vertices[0].color, 0x80808080u);
}

TEST(ParticlesEmitter, AddedLayersAnimatedCellsAndDrawsSplitByTheQuadCount)
{
    cRecordingDevice device;
    CPyroLibrary library(4);
    library.setDevice(&device);
    IPyroEffect* effect = load(library, R"(
        <Texture Name="cells" Shape="square" Size="8" Columns="2" Rows="2"/>
        <Emitter Name="e" Texture="cells" Life="1" MaxParticles="10">
          <Layer Burst="10" Blend="add" Frame="1" FrameCount="3"/>
          <Layer Burst="0"/>
        </Emitter>)");
    IPyroEmitter* emitter = effect->createEmitter("e");
    emitter->emit(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true);
    emitter->draw();
    ASSERT_EQ(device.draws.size(), 3u);
    EXPECT_EQ(device.draws[0].firstQuad, 0u);
    EXPECT_EQ(device.draws[0].quadCount, 4u);
    EXPECT_EQ(device.draws[1].firstQuad, 4u);
    EXPECT_EQ(device.draws[2].firstQuad, 8u);
    EXPECT_EQ(device.draws[2].quadCount, 2u);
    EXPECT_EQ(device.draws[0].destination, 1u); // additive
    // Cell 1 at birth: the top right quarter.
    EXPECT_FLOAT_EQ(device.draws[0].vertices[0].u, 0.5f);
    EXPECT_FLOAT_EQ(device.draws[0].vertices[0].v, 0.0f);
    // Two thirds through the life: cell 3, the bottom right quarter.
    emitter->move(0.0f, 0.7f);
    emitter->draw();
    EXPECT_FLOAT_EQ(device.draws.back().vertices[0].u, 0.5f);
    EXPECT_FLOAT_EQ(device.draws.back().vertices[0].v, 0.5f);
}

TEST(ParticlesLibrary, OwnsEffectsEmittersAndTheirDeviceObjects)
{
    EXPECT_THROW(CreateParticleLibrary(1), CPyroException);
    IPyroParticleLibrary* library = CreateParticleLibrary(kPyroVersion);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->getQuadCount(), 4096u);
    cRecordingDevice device;
    library->setDevice(&device);
    IPyroEffect* effect =
        load(*library, "<Emitter Name=\"a\" Burst=\"3\"/><Emitter Name=\"b\" Burst=\"1\"/>");
    EXPECT_EQ(effect->getEmitterCount(), 2u);
    EXPECT_STREQ(effect->getEmitter(1)->getName(), "b");
    EXPECT_THROW(effect->getEmitter(2), CPyroException);
    try
    {
        effect->createEmitter("c");
        FAIL();
    }
    catch (const CPyroException& e)
    {
        EXPECT_STREQ(e.what(), "Effect file \"effects/test.xml\": no emitter named \"c\"");
    }

    IPyroEmitter* a = effect->createEmitter("a");
    a->emit(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true);
    a->draw();
    EXPECT_TRUE(effect->isPrepared());
    EXPECT_EQ(device.live, 2); // the soft-dot texture and a's vertex buffer

    // The file's own emitters are not released through the library.
    EXPECT_FALSE(library->releaseEmitter(effect->getEmitter(0)));
    EXPECT_TRUE(library->releaseEmitter(a));
    EXPECT_FALSE(library->releaseEmitter(a));
    EXPECT_EQ(device.live, 1);

    // A new device: the objects of the old one go.
    cRecordingDevice other;
    library->setDevice(&other);
    EXPECT_EQ(device.live, 0);
    EXPECT_FALSE(effect->isPrepared());

    IPyroEmitter* b = effect->createEmitter("b");
    b->emit(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true);
    b->draw();
    EXPECT_EQ(other.live, 2);
    DestroyParticleLibrary(library);
    EXPECT_EQ(other.live, 0);
}

TEST(ParticlesLibrary, DrawingWithoutADeviceOrAWorkingDeviceFails)
{
    CPyroLibrary library;
    IPyroEffect* effect = load(library, "<Emitter Name=\"e\" Burst=\"1\"/>");
    IPyroEmitter* emitter = effect->createEmitter("e");
    emitter->emit(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true);
    try
    {
        emitter->draw();
        FAIL();
    }
    catch (const CPyroException& e)
    {
        EXPECT_STREQ(e.what(),
                     "Emitter \"e\" of effect file \"effects/test.xml\": no graphics device to draw on");
    }

    cRecordingDevice device;
    device.failBuffers = true;
    library.setDevice(&device);
    try
    {
        emitter->draw();
        FAIL();
    }
    catch (const PyroGraphics::CPyroGraphicsException& e)
    {
        EXPECT_EQ(e.getResult(), -7);
        EXPECT_NE(std::string(e.what()).find("Can't create vertex buffer for emitter \"e\""),
                  std::string::npos);
    }
    library.shutdown();
    EXPECT_EQ(device.live, 0);
}
