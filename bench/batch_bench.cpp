// A frame of 1,000 quads drawn through the batches, against the same frame drawn one quad per
// draw call (two textures with the same pixels taking turns, so every quad breaks the batch).
// Both run on the OpenGL device without a window (EGL, Mesa) when there is one, and on the
// recording device, which shows the cost of the engine's own side alone. The "draws" counter is
// the draw calls of one frame; "ratio" is the batched frame's time over the quad-per-call
// frame's on the same device.
#include "bench/LoopTimer.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cRender.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"

#include <benchmark/benchmark.h>
#include <boost/make_shared.hpp>

#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int QuadCount = 1000;

class cBenchTexture final : public Engine::cBatchTexture
{
public:
    explicit cBenchTexture(Platform::GfxDevice& device)
    {
        device.createTexture(8, 8, 1, 0, Platform::Format::A8R8G8B8, Platform::Pool::Managed, m_texture);
        Platform::LockedRect rect;
        m_texture->lockRect(0, rect, nullptr, 0);
        auto* pixels = static_cast<uint32_t*>(rect.bits);
        for (int i = 0; i < 64; ++i)
            pixels[i] = (i + i / 8) % 2 ? 0xFFFFFFFFu : 0x80FF8000u;
        m_texture->unlockRect(0);
    }
    std::shared_ptr<Platform::GfxTexture> getDeviceTexture() const override { return m_texture; }
    Engine::cVector2 getCoordinateScale() const override { return {1.0f, 1.0f}; }

private:
    std::shared_ptr<Platform::GfxTexture> m_texture;
};

std::unique_ptr<Engine::cRender> makeRender(bool gl)
{
    Engine::cRenderPlatform platform;
    if (gl)
    {
        std::string error;
        platform.system = Platform::GlGfxSystem::surfaceless(1920, 1080, error);
        if (!platform.system)
            return nullptr;
    }
    else
        platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    return std::make_unique<Engine::cRender>(std::move(platform),
                                             std::make_unique<Engine::cMemoryRenderConfigSource>());
}

void runFrames(benchmark::State& state, bool gl, bool oneQuadPerCall)
{
    std::unique_ptr<Engine::cRender> render = makeRender(gl);
    if (!render)
    {
        state.SkipWithError("no OpenGL without a display here");
        return;
    }
    Platform::GfxDevice& device = *render->getDevice();
    if (!gl)
        static_cast<Platform::RecordingGfxDevice&>(device).setKeepRecords(false);
    const boost::shared_ptr<Engine::cBatchTexture> textures[2] = {boost::make_shared<cBenchTexture>(device),
                                                                  boost::make_shared<cBenchTexture>(device)};
    std::vector<Engine::cQuad> quads(QuadCount);
    for (int i = 0; i < QuadCount; ++i)
    {
        const float x = static_cast<float>(i % 40) * 20.0f;
        const float y = static_cast<float>(i / 40) * 24.0f;
        quads[i].setRect(x, y, x + 20.0f, y + 24.0f);
    }
    std::vector<uint32_t> pixel;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        // The same picture every time: drawn only when asked for.
        render->redrawNextFrame();
        render->beginFrame();
        for (int i = 0; i < QuadCount; ++i)
            render->drawQuad(quads[i], textures[oneQuadPerCall ? i % 2 : 0], 0);
        render->endFrame();
        render->present();
        // Waits for the frame to be drawn.
        if (gl)
            device.readBackBuffer({0, 0, 1, 1}, pixel);
    }
    const std::string baseline = gl ? "OpenGL quad per call" : "recording quad per call";
    if (oneQuadPerCall)
        timer.baseline(baseline);
    else
        timer.against(baseline);
    unsigned draws = 0;
    for (const Engine::cBatch& batch : render->getBatchRenderer().getBatches())
        draws += batch.triangleCount > 0 ? 1 : 0;
    state.counters["draws"] = draws;
    state.counters["quads"] = QuadCount;
}

void BM_GlBatchedFrame(benchmark::State& state)
{
    runFrames(state, true, false);
}
void BM_GlQuadPerCallFrame(benchmark::State& state)
{
    runFrames(state, true, true);
}
void BM_RecordingBatchedFrame(benchmark::State& state)
{
    runFrames(state, false, false);
}
void BM_RecordingQuadPerCallFrame(benchmark::State& state)
{
    runFrames(state, false, true);
}

BENCHMARK(BM_GlQuadPerCallFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlBatchedFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordingQuadPerCallFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordingBatchedFrame)->Unit(benchmark::kMicrosecond);

} // namespace
