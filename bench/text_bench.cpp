// A wrapped multi-line text of 2,000 characters in the game's 24-pixel font, set, laid out and
// drawn on the recording render device, 1,000 times. Two figures, counters of the benchmark:
//   draws/text        draw calls of one drawing of the whole text (its lines share the font
//                     texture and their depth, so one, not one per line or letter);
//   layout/measure    the time to set and lay out the text (splitting, wrapping, the fit and
//                     the lines' batches) against measuring the same characters alone.
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cFrameDevices.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextLine.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "platform/image/PngCodec.h"
#include "platform/text/FontAtlas.h"
#include "platform/text/FontRaster.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr size_t Characters = 2000;

// Words of three to nine letters, a sentence end every dozen words, a paragraph every fifty.
std::wstring makeText(wchar_t first)
{
    std::wstring text;
    unsigned word = 0;
    while (text.size() < Characters)
    {
        const unsigned length = 3 + (word * 7) % 7;
        for (unsigned i = 0; i < length; ++i)
            text += static_cast<wchar_t>(first + (word * 5 + i * 3) % 26);
        ++word;
        text += word % 50 == 0 ? L"\n" : word % 12 == 0 ? L". " : L" ";
    }
    text.resize(Characters);
    return text;
}

// The game's font in a data folder of its own, the file system, the recording render device
// and the resource manager over them.
class cScene
{
public:
    cScene()
        : m_folder(std::filesystem::temp_directory_path() /
                   ("quill_text_bench_" + std::to_string(static_cast<long>(::getpid()))))
    {
        std::filesystem::create_directories(m_folder / "Data" / "fonts");
        std::filesystem::create_directories(m_folder / "Data" / "sys");
        ::setenv("XDG_DATA_HOME", (m_folder / "share").c_str(), 1);
        std::ofstream(m_folder / "Data" / "sys" / "constants.xml")
            << "<constants><game app_directory=\"Text Bench\"/></constants>";
        // The game's 24-pixel font, baked from its face as the font baker bakes it.
        std::vector<char32_t> codes;
        for (char32_t c = 32; c < 127; ++c)
            codes.push_back(c);
        const Platform::FontRaster raster(Platform::FontRaster::defaultFontPath(), 24);
        const Platform::FontAtlas atlas = Platform::bakeFontAtlas(raster, codes);
        const std::vector<uint8_t> png = Platform::encodePng(atlas.image);
        const std::vector<char> font = Engine::cFont::encodeAtlas(atlas);
        std::ofstream(m_folder / "Data" / "fonts" / "sans24.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        std::ofstream(m_folder / "Data" / "fonts" / "sans24.fnt", std::ios::binary)
            .write(font.data(), static_cast<std::streamsize>(font.size()));
        files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8((m_folder / "Data").string()));
        Engine::cRenderPlatform platform;
        platform.system = std::make_unique<Platform::RecordingGfxSystem>();
        platform.window = std::make_unique<Platform::FakeDisplayWindow>();
        // A quad buffer that holds the whole text: the default 1,024 quads would split its
        // 1,700 letters into two calls whatever the lines do.
        auto config = std::make_unique<Engine::cMemoryRenderConfigSource>();
        config->settings[{L"graphics", L"reserve_sprite_count"}] = L"2048";
        render = std::make_unique<Engine::cRender>(std::move(platform), std::move(config));
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

    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cRender> render;
    std::unique_ptr<Engine::cResourceManager> manager;

private:
    std::filesystem::path m_folder;
};

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_LayOutAndDrawText(benchmark::State& state)
{
    cScene scene;
    // Two texts that differ in every letter, so that every set lays out anew.
    const std::wstring texts[2] = {makeText(L'a'), makeText(L'A')};
    Engine::cMultiLineText text;
    text.getTemplate()->setFont("fonts/sans24.fnt");
    text.getTemplate()->setTexture("fonts/sans24.png");
    text.getTemplate()->setSpaceWidth(8.0f);
    text.getTemplate()->setMultiSprites(true);
    text.setLocalized(false);
    text.setWrapText(true);
    text.setInterlinear(30.0f);
    text.setSize({700.0f, 500.0f});
    text.setPosition({512.0f, 384.0f});
    text.show();
    text.enable();
    Engine::cTextLine measurer(*text.getTemplate());

    double layout = 0.0;
    double measure = 0.0;
    unsigned drawn = 0;
    unsigned draws = 0;
    size_t lines = 0;
    size_t quads = 0;
    for (auto _ : state)
    {
        const std::wstring& next = texts[drawn % 2];
        const Clock::time_point start = Clock::now();
        text.setText(next, true);
        for (Engine::cTextLine* line : text.getLines())
            benchmark::DoNotOptimize(line->getSpriteList().data());
        const Clock::time_point laidOut = Clock::now();
        benchmark::DoNotOptimize(measurer.measureText(next.data(), next.size()));
        const Clock::time_point measured = Clock::now();
        layout += seconds(laidOut - start);
        measure += seconds(measured - laidOut);

        const unsigned before = scene.device().drawCallCount();
        scene.render->beginFrame();
        Engine::cView::renderPass([&scene](Engine::cView* view) { Engine::drawView(*scene.render, *view); });
        scene.render->endFrame();
        scene.render->present();
        draws += scene.device().drawCallCount() - before;
        lines = text.getLines().size();
        quads = 0;
        for (Engine::cTextLine* line : text.getLines())
            quads += line->getSpriteList().size();
        ++drawn;
        Engine::cControl::deletePending();
    }
    state.counters["draws/text"] = static_cast<double>(draws) / drawn;
    state.counters["layout/measure"] = layout / measure;
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["quads"] = static_cast<double>(quads);
}
BENCHMARK(BM_LayOutAndDrawText)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
