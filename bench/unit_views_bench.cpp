// A field of 200 unit views in animated states (heroes and townsfolk walking, mills and plants
// at work, resource piles glinting) and 50 flying resource texts, updated and drawn by the
// frame driver on the recording render device, against drawing the same pictures as plain,
// still views:
//   BM_PlainPictures   one frame of plain pictures with the field's textures, sizes, places and
//                      depths (the baseline);
//   BM_UnitViewField   one frame of the field; counters "draws/frame" (draw calls of a frame:
//                      views sharing a texture and depth are batched) and "ratio" (its time
//                      against the baseline's).
#include "bench/BenchHome.h"
#include "bench/LoopTimer.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cFlyingIconText.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "platform/system/FakeClock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int Units = 200;
constexpr int Texts = 50;

class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 60.0f; }
};

const std::filesystem::path& kData = Bench::dataFolder();

Platform::RecordingGfxDevice& device()
{
    return static_cast<Platform::RecordingGfxDevice&>(*Engine::cRender::instance()->getDevice());
}

// The engine of the game over its data folder on the recording render device, once.
void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    Bench::makeBenchHome("quillmoor-unit-views-bench");
    new Engine::cFileSystem(Engine::fromUtf8(kData.string() + "/"));
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    Engine::cRenderPlatform platform;
    platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    new Engine::cRender(std::move(platform), std::make_unique<Engine::cMemoryRenderConfigSource>());
    device().setKeepRecords(false);
    new Engine::cResourceManager();
    // The frame driver's waits for the next frame are instant: only the work is timed.
    new Platform::FakeClock(0);
    new SteadyTimer();
    // The flying texts of the field stay for the whole run.
    std::vector<char> text;
    Engine::cFileSystem::instance()->readFile("Effects/FlyingIconText.xml", text);
    std::string xml(text.begin(), text.end());
    const std::string key = "fly_up_time=\"";
    const size_t at = xml.find(key) + key.size();
    xml.replace(at, xml.find('"', at) - at, "1000000");
    Engine::writeWholeFile("effects/benchflyingtext.xml", xml.data(), xml.size());
}

// The field: units of every animated kind on a grid over the screen, and flying texts.
struct Field
{
    Field()
    {
        GameConfig& config = GameConfig::instance();
        cTutorial::instance().reset();
        game = std::make_unique<Game>();
        struct Kind
        {
            const wchar_t* type;
            int level;
            eUnitState state;
        };
        const Kind kinds[] = {{L"hero", 0, eUnitState::move},      {L"hero", 1, eUnitState::carry},
                              {L"Market", 1, eUnitState::produce}, {L"SteelWorks", 1, eUnitState::produce},
                              {L"Money", 0, eUnitState::idle},     {L"Brick", 0, eUnitState::idle},
                              {L"Mason", 0, eUnitState::move},     {L"Puppy", 1, eUnitState::move},
                              {L"Cart", 0, eUnitState::move},      {L"TownHall", 2, eUnitState::idle}};
        for (int i = 0; i < Units; ++i)
        {
            const Kind& kind = kinds[i % 10];
            const Engine::cVector2 at(40.0f + static_cast<float>(i % 20) * 48.0f,
                                      80.0f + static_cast<float>(i / 20) * 64.0f);
            game->addUnit(config.getTypeId(kind.type), kind.level, -1, kind.state,
                          static_cast<float>((i * 45) % 360 - 180), at, {}, L"");
        }
        for (int i = 0; i < Texts; ++i)
            new cFlyingIconText(getPlayView(),
                                Engine::cVector2(60.0f + static_cast<float>(i % 10) * 90.0f,
                                                 120.0f + static_cast<float>(i / 10) * 120.0f),
                                L"+" + std::to_wstring(i % 9 + 1), i % 6, false,
                                "Effects/benchflyingtext.xml");
    }
    ~Field()
    {
        game.reset();
        CPlayState::instance().releasePlayView(true);
        UnitViewLibrary::instance().clear();
        Engine::cControl::deletePending();
        cTutorial::instance().reset();
    }
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    std::unique_ptr<Game> game;
};

struct PictureRecord
{
    boost::shared_ptr<Engine::cTexture> texture;
    Engine::cVector2 size;
    Engine::cVector2 position;
    float deep;
};

// What the field shows, view by view in drawing order.
std::vector<PictureRecord> snapshot()
{
    Field field;
    std::vector<PictureRecord> records;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
        if (view->isShown())
            records.push_back({view->getTexture(), view->getSize(), view->getPosition(), view->getDeep()});
    return records;
}

void BM_PlainPictures(benchmark::State& state)
{
    startEngine();
    const std::vector<PictureRecord> records = snapshot();
    Engine::cLogic logic;
    std::vector<std::unique_ptr<Engine::cPicture>> pictures;
    for (const PictureRecord& record : records)
    {
        auto picture = std::make_unique<Engine::cPicture>();
        picture->setTexture(record.texture);
        picture->setSize(record.size);
        picture->setPosition(record.position);
        picture->setDeep(record.deep);
        picture->show();
        picture->enable();
        pictures.push_back(std::move(picture));
    }
    const unsigned before = device().drawCallCount();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        Engine::cTimer::instance()->exchangeDrawDue(true);
        logic.update();
    }
    timer.baseline("plain");
    state.counters["views"] = static_cast<double>(pictures.size());
    state.counters["draws/frame"] =
        static_cast<double>(device().drawCallCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlainPictures)->Unit(benchmark::kMicrosecond);

void BM_UnitViewField(benchmark::State& state)
{
    startEngine();
    Field field;
    Engine::cLogic logic;
    const unsigned before = device().drawCallCount();
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        Engine::cTimer::instance()->exchangeDrawDue(true);
        logic.update();
    }
    timer.against("plain");
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["draws/frame"] =
        static_cast<double>(device().drawCallCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_UnitViewField)->Unit(benchmark::kMicrosecond);

} // namespace
