// A layout of 500 pictures sharing one texture and 50 buttons, loaded and drawn on the
// recording render device. Three figures, each a counter of one benchmark:
//   draws/frame        draw calls of one frame (the quads share textures and depths, so a
//                      handful, not one per view);
//   load/parse         the time to load the layout into controls against the time to parse
//                      the same XML alone;
//   frame/plain        one frame's update and drawing through the frame driver against a plain
//                      loop handing the same quads to the render device.
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cForm.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "platform/image/PngCodec.h"
#include "platform/system/FakeClock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr int Pictures = 500;
constexpr int Buttons = 50;

std::string makeLayout()
{
    std::string xml = "<Screen Visible=\"1\" Enable=\"1\">\n";
    for (int i = 0; i < Pictures; ++i)
        xml += "  <P" + std::to_string(i) + " Class=\"picture\" Tag=\"p" + std::to_string(i) +
               "\" Visible=\"1\" Picture=\"ui/tile.png\" position=\"" + std::to_string(20 + (i % 25) * 32) +
               "," + std::to_string(20 + (i / 25) * 24) + "\" size=\"30,22\" deep=\"1\"/>\n";
    for (int i = 0; i < Buttons; ++i)
        xml += "  <B" + std::to_string(i) + " Class=\"btn\" Tag=\"b" + std::to_string(i) +
               "\" Visible=\"1\" Enable=\"1\" Picture=\"ui/button.png\" texture_hover=\"ui/hover.png\" "
               "position=\"" +
               std::to_string(40 + (i % 10) * 72) + "," + std::to_string(500 + (i / 10) * 20) +
               "\" size=\"64,16\" deep=\"2\"/>\n";
    return xml + "</Screen>\n";
}

// A data folder in a temporary folder with the layout and its textures, the file system, the
// recording render device and the resource manager over them.
class cScene
{
public:
    cScene()
        : m_folder(std::filesystem::temp_directory_path() /
                   ("quill_layout_bench_" + std::to_string(static_cast<long>(::getpid()))))
    {
        std::filesystem::create_directories(m_folder / "Data" / "ui");
        std::filesystem::create_directories(m_folder / "Data" / "sys");
        ::setenv("XDG_DATA_HOME", (m_folder / "share").c_str(), 1);
        write("sys/constants.xml", "<constants><game app_directory=\"Layout Bench\"/></constants>");
        write("ui/screen.xml", layout);
        for (const char* name : {"ui/tile.png", "ui/button.png", "ui/hover.png"})
        {
            Platform::Image image;
            image.width = 16;
            image.height = 16;
            image.pixels.assign(16 * 16 * 4, 0xC0);
            const std::vector<uint8_t> png = Platform::encodePng(image);
            write(name, std::string(png.begin(), png.end()));
        }
        files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8((m_folder / "Data").string()));
        Engine::cRenderPlatform platform;
        platform.system = std::make_unique<Platform::RecordingGfxSystem>();
        platform.window = std::make_unique<Platform::FakeDisplayWindow>();
        render = std::make_unique<Engine::cRender>(std::move(platform),
                                                   std::make_unique<Engine::cMemoryRenderConfigSource>());
        device().setKeepRecords(false);
        manager = std::make_unique<Engine::cResourceManager>();
    }
    ~cScene()
    {
        Engine::cControl::deletePending();
        manager.reset();
        render.reset();
        files.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    Platform::RecordingGfxDevice& device()
    {
        return static_cast<Platform::RecordingGfxDevice&>(*render->getDevice());
    }

    const std::string layout = makeLayout();
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cRender> render;
    std::unique_ptr<Engine::cResourceManager> manager;

private:
    void write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(m_folder / "Data" / path, std::ios::binary) << bytes;
    }

    std::filesystem::path m_folder;
};

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_LoadLayout(benchmark::State& state)
{
    cScene scene;
    double parse = 0.0;
    double load = 0.0;
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        const Engine::tPropertiesPtr parsed =
            Engine::cXmlProperties::fromBuffer(scene.layout.data(), scene.layout.size(), "ui/screen.xml");
        benchmark::DoNotOptimize(parsed.get());
        const Clock::time_point parsedAt = Clock::now();
        {
            Engine::cForm form;
            form.loadXML(Engine::cXmlProperties::fromBuffer(scene.layout.data(), scene.layout.size(),
                                                            "ui/screen.xml"));
            benchmark::DoNotOptimize(form.getControls().size());
        }
        const Clock::time_point loadedAt = Clock::now();
        parse += seconds(parsedAt - start);
        load += seconds(loadedAt - parsedAt);
    }
    state.counters["load/parse"] = load / parse;
}
BENCHMARK(BM_LoadLayout)->Unit(benchmark::kMillisecond);

void BM_FrameAgainstPlainLoop(benchmark::State& state)
{
    cScene scene;
    Platform::FakeClock clock(0);
    Engine::cTimer timer;
    Engine::cLogic logic;
    Engine::cForm form;
    form.loadXML(
        Engine::cXmlProperties::fromBuffer(scene.layout.data(), scene.layout.size(), "ui/screen.xml"));
    // The same quads with the same textures, built once.
    std::vector<std::pair<Engine::cQuad, boost::shared_ptr<Engine::cBatchTexture>>> quads;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
        quads.emplace_back(view->getSprite(), view->getTexture());

    double frame = 0.0;
    double plain = 0.0;
    unsigned frames = 0;
    unsigned frameDraws = 0;
    for (auto _ : state)
    {
        const unsigned drawsBefore = scene.device().drawCallCount();
        const Clock::time_point start = Clock::now();
        timer.exchangeDrawDue(true);
        // The form and the plain loop draw the same still picture: each is drawn only when
        // asked for.
        scene.render->redrawNextFrame();
        logic.update();
        const Clock::time_point framed = Clock::now();
        frameDraws += scene.device().drawCallCount() - drawsBefore;
        scene.render->redrawNextFrame();
        scene.render->beginFrame();
        for (const auto& [quad, texture] : quads)
            scene.render->drawQuad(quad, texture, 0);
        scene.render->endFrame();
        scene.render->present();
        const Clock::time_point looped = Clock::now();
        frame += seconds(framed - start);
        plain += seconds(looped - framed);
        ++frames;
    }
    state.counters["frame/plain"] = frame / plain;
    state.counters["draws/frame"] = static_cast<double>(frameDraws) / frames;
    state.counters["views"] = static_cast<double>(quads.size());
}
BENCHMARK(BM_FrameAgainstPlainLoop)->Unit(benchmark::kMicrosecond);

} // namespace
