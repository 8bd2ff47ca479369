// One frame of a 2,000-particle effect (moved, emitted and drawn through the particle device)
// against 2,000 plain quads drawn through the quad batcher, on the recording device (the CPU
// side alone) and, where EGL offers an offscreen OpenGL context, on the OpenGL device with the
// frame read back so the drawing is finished before the clock stops. "ratio" is the effect's
// frame time over the plain quads' on the same device.
#include "bench/LoopTimer.h"
#include "engine/devices/cBatchRenderer.h"
#include "engine/devices/cMatrix.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cPyroBatch.h"
#include "engine/devices/cPyroDevice.h"
#include "engine/devices/cQuad.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/CPyroMemoryFile.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace
{

constexpr int kCount = 2000;
constexpr float kFrame = 1.0f / 60.0f;

// Always full: a dying particle is replaced in the same step.
const char kEffect[] = R"(<PyroEffect>
  <Texture Name="dot" Shape="softdot" Size="16"/>
  <Emitter Name="Fountain" Seed="3" Texture="dot" Blend="add" MaxParticles="2000" Burst="2000"
           Rate="4000" Life="1" LifeVar="0.5" Speed="120" SpeedVar="40" Angle="270" Spread="60"
           GravityY="150" SizeStart="8" SizeEnd="3" SpinVar="90" AreaX="20"
           ColorStart="FFFFE080" ColorEnd="00FF4000"/>
</PyroEffect>)";

// The effect on a device, stepped as the particle view steps it.
struct cParticleScene
{
    explicit cParticleScene(Platform::GfxDevice& device)
        : gfx(device), pyro(device, library.getQuadCount()), batch(device)
    {
        library.setDevice(&pyro);
        PyroParticles::CPyroMemoryFile file(kEffect);
        PyroParticles::IPyroEffect* effect = library.loadEffect(file, "effects/fountain.xml");
        effect->prepare();
        info.emitter = effect->createEmitter("Fountain");
        info.positionX = 400.0f;
        info.positionY = 500.0f;
        // A second of warming up, so the particles are of every age.
        for (int i = 0; i < 60; ++i)
            step();
    }
    ~cParticleScene() { library.shutdown(); }

    void step()
    {
        info.emitter->move(time, kFrame);
        info.emitter->emit(time, kFrame, info.positionX, info.positionY, 0.0f, true);
        time += kFrame;
    }

    void frame()
    {
        step();
        batch.draw(info, Engine::cBatchRenderer::tPlacement(), false);
    }

    Platform::GfxDevice& gfx;
    PyroParticles::CPyroLibrary library;
    Engine::cPyroDevice pyro;
    Engine::cPyroBatch batch;
    Engine::cParticleDrawInfo info;
    float time = 0.0f;
};

// The same number of quads of the same size through the quad batcher.
struct cQuadScene
{
    explicit cQuadScene(Platform::GfxDevice& device)
    {
        batches.setDevice(&device);
        batches.reserve(kCount);
        for (int i = 0; i < kCount; ++i)
        {
            Engine::cQuad quad;
            const float x = static_cast<float>(i % 100) * 8.0f;
            const float y = static_cast<float>(i / 100) * 8.0f;
            quad.setRect(x, y, x + 8.0f, y + 8.0f);
            quad.setColor(0xFFFFE080u);
            quads.push_back(quad);
        }
    }

    void frame()
    {
        batches.beginFrame();
        for (const Engine::cQuad& quad : quads)
            batches.drawQuad(quad, nullptr, 0);
        batches.endFrame();
        batches.drawBatches(Engine::cMatrix());
    }

    Engine::cBatchRenderer batches;
    std::vector<Engine::cQuad> quads;
};

std::unique_ptr<Platform::RecordingGfxDevice> recordingDevice()
{
    auto device = std::make_unique<Platform::RecordingGfxDevice>(Platform::PresentParams());
    device->setKeepRecords(false);
    return device;
}

// An offscreen OpenGL device set up for two-dimensional drawing; null where EGL cannot make one.
std::unique_ptr<Platform::GfxDevice> glDevice(std::unique_ptr<Platform::GlGfxSystem>& system)
{
    std::string error;
    system = Platform::GlGfxSystem::surfaceless(800, 600, error);
    if (!system)
        return nullptr;
    Platform::PresentParams params;
    params.backBufferWidth = 800;
    params.backBufferHeight = 600;
    params.backBufferFormat = Platform::Format::X8R8G8B8;
    std::unique_ptr<Platform::GfxDevice> device;
    if (Platform::gfxFailed(system->createDevice(params, device)))
        return nullptr;
    using namespace Platform;
    device->setRenderState(RenderState::Lighting, 0u);
    device->setRenderState(RenderState::CullMode, CullMode::None);
    device->setRenderState(RenderState::ZEnable, 0u);
    device->setTextureStageState(0, StageState::AlphaOp, TextureOp::Modulate);
    device->setTextureStageState(0, StageState::AlphaArg1, TextureArg::Diffuse);
    device->setTextureStageState(0, StageState::AlphaArg2, TextureArg::Texture);
    device->setTransform(
        TransformType::Projection,
        Engine::cMatrix::orthoOffCenterLH(0.0f, 800.0f, 600.0f, 0.0f, -8000.0f, 8000.0f).toDevice());
    return device;
}

// Clears, lets the scene draw and reads a pixel back, which waits for the drawing to finish.
template <class Scene> void glFrame(Platform::GfxDevice& device, Scene& scene)
{
    std::vector<uint32_t> pixel;
    device.clear(Platform::ClearFlag::Target, 0xFF000000u, 0.0f, 0);
    device.beginScene();
    scene.frame();
    device.endScene();
    device.readBackBuffer({0, 0, 1, 1}, pixel);
    benchmark::DoNotOptimize(pixel.data());
}

void BM_QuadFrame_Recording(benchmark::State& state)
{
    auto device = recordingDevice();
    cQuadScene scene(*device);
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        scene.frame();
    timer.baseline("recording quads");
    state.counters["draws/frame"] = benchmark::Counter(static_cast<double>(device->drawCallCount()) /
                                                       static_cast<double>(state.iterations()));
}
BENCHMARK(BM_QuadFrame_Recording)->Unit(benchmark::kMicrosecond);

void BM_ParticleFrame_Recording(benchmark::State& state)
{
    auto device = recordingDevice();
    cParticleScene scene(*device);
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        scene.frame();
    timer.against("recording quads");
    state.counters["particles"] = scene.info.emitter->getParticleCount();
    state.counters["draws/frame"] = benchmark::Counter(static_cast<double>(device->drawCallCount()) /
                                                       static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ParticleFrame_Recording)->Unit(benchmark::kMicrosecond);

// Both OpenGL scenes: the quads are the baseline of the effect.
template <class Scene> void openGlFrames(benchmark::State& state)
{
    std::unique_ptr<Platform::GlGfxSystem> system;
    auto device = glDevice(system);
    if (!device)
    {
        state.SkipWithError("no offscreen OpenGL context here");
        return;
    }
    Scene scene(*device);
    Bench::LoopTimer timer(state);
    for (auto _ : state)
        glFrame(*device, scene);
    if constexpr (std::is_same_v<Scene, cQuadScene>)
        timer.baseline("OpenGL quads");
    else
        timer.against("OpenGL quads");
}

void BM_QuadFrame_OpenGl(benchmark::State& state)
{
    openGlFrames<cQuadScene>(state);
}
BENCHMARK(BM_QuadFrame_OpenGl)->Unit(benchmark::kMicrosecond);

void BM_ParticleFrame_OpenGl(benchmark::State& state)
{
    openGlFrames<cParticleScene>(state);
}
BENCHMARK(BM_ParticleFrame_OpenGl)->Unit(benchmark::kMicrosecond);

} // namespace
