// The cement mill's tip of level 2 in the short tutorial message ("UI/MiniBreafing.xml"), whose
// box is too low for it at its font's size, so the fit shrinks its letters, against the same
// text in a box tall enough for it: the frame in which the text appears (its view made from the
// message's layout, the text set and fitted, the frame drawn), on the recording render device,
// in processor time. The text goes again after each appearance, as the message does. Counters
// of BM_ShrunkTextFirstFrame:
//   first/unshrunk   the shrunk text's first appearance in the run against the unshrunk text's
//                    appearance (median): the frame that makes the smaller glyphs it needs;
//   again/unshrunk   its later appearances (median) against the same;
//   first_ms, again_ms, unshrunk_ms   the times themselves;
//   multiplier, lines                 the size and the line count the fit chose.
#include "bench/BenchHome.h"
#include "bench/Measures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cFrameDevices.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cMultiLineText.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

const wchar_t* const Tip =
    L"The cement mill works by itself: each time the bar at the top fills, its cement goes "
    L"into the stock. A rebuilt market gives money the same way.";

// The engine of the game over its data folder on the recording render device, once.
void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    Bench::makeBenchHome("quillmoor-text-fit-bench");
    new Engine::cFileSystem(Engine::fromUtf8(Bench::dataFolder().string() + "/"));
    new Engine::cConstants("sys/constants.xml");
    Engine::cRenderPlatform platform;
    platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    auto* render =
        new Engine::cRender(std::move(platform), std::make_unique<Engine::cMemoryRenderConfigSource>());
    static_cast<Platform::RecordingGfxDevice&>(*render->getDevice()).setKeepRecords(false);
    new Engine::cResourceManager();
}

struct Appearance
{
    double seconds = 0.0;
    float multiplier = 0.0f;
    size_t lines = 0;
};

// The message's text appears with the tip in a frame of its own, its box the layout's or
// `tall`; then it goes.
Appearance appear(const Engine::tPropertiesPtr& node, bool tall)
{
    Engine::cRender& render = *Engine::cRender::instance();
    Appearance seen;
    const double start = Bench::threadCpuSeconds();
    auto* text = new Engine::cMultiLineText();
    text->loadXML(node);
    if (tall)
        text->setSize({text->getSize().x, 400.0f});
    text->setPosition({560.0f, 150.0f});
    text->show();
    text->setText(Tip, true);
    render.beginFrame();
    Engine::cView::renderPass([&render](Engine::cView* view) { Engine::drawView(render, *view); });
    render.endFrame();
    render.present();
    seen.seconds = Bench::threadCpuSeconds() - start;
    seen.multiplier = text->getUsedMultiplier();
    seen.lines = text->getLines().size();
    text->hide();
    Engine::cControl::deleteLater(text);
    Engine::cControl::deletePending();
    return seen;
}

void BM_ShrunkTextFirstFrame(benchmark::State& state)
{
    startEngine();
    Engine::tPropertiesPtr node;
    Engine::cResourceManager::instance()->getXml("UI/MiniBreafing.xml", true)->getChild(L"Text", node);
    // The font and its picture are loaded before anything is timed: both texts draw with them.
    appear(node, true);
    std::vector<double> again;
    std::vector<double> unshrunk;
    Appearance first;
    Appearance shrunk;
    for (auto _ : state)
    {
        shrunk = appear(node, false);
        if (first.lines == 0)
            first = shrunk;
        else
            again.push_back(shrunk.seconds);
        unshrunk.push_back(appear(node, true).seconds);
    }
    const double baseline = Bench::median(unshrunk);
    state.counters["first/unshrunk"] = first.seconds / baseline;
    state.counters["again/unshrunk"] = Bench::median(again) / baseline;
    state.counters["first_ms"] = first.seconds * 1e3;
    state.counters["again_ms"] = Bench::median(again) * 1e3;
    state.counters["unshrunk_ms"] = baseline * 1e3;
    state.counters["multiplier"] = shrunk.multiplier;
    state.counters["lines"] = static_cast<double>(shrunk.lines);
}
BENCHMARK(BM_ShrunkTextFirstFrame)->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace
