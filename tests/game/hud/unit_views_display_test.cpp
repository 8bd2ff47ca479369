// Units built in code on a level model, drawn by the frame driver into a real OpenGL back
// buffer and read back: each view draws the picture and the frame its state, level and angle
// call for, in the order of its depth, as the recorded draw calls and the pixels show.
#include "engine/core/cControl.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/ui/cLightButton.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "platform/image/ImageDecoder.h"
#include "tests/game/hud/hud_test_tools.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

class StepTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return frameTime; }
    float frameTime = 0.0f;
};

// One view handed to the render device: what it drew with, where in the order.
struct DrawRecord
{
    const Engine::cView* view = nullptr;
    std::string texture;
    uint32_t frame = 0;
    float deep = 0.0f;
};

// The engine's frame devices, remembering every view they draw.
class RecordingFrame final : public Engine::cFrameDevices
{
public:
    explicit RecordingFrame(std::vector<DrawRecord>& draws)
        : m_engine(Engine::makeEngineFrameDevices()), m_draws(draws)
    {
    }

    void pollInput() override { m_engine->pollInput(); }
    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        return m_engine->connectKey(code, slot);
    }
    Engine::cVector2 cursorInWindow() override { return Engine::cVector2(-1000.0f, -1000.0f); }
    void screenToVirtual(Engine::cVector2&) override {}
    void beginFrame() override { m_engine->beginFrame(); }
    void present() override { m_engine->present(); }
    void drawView(Engine::cView& view) override
    {
        m_draws.push_back({&view, view.getTextureName(), view.getFrame(), view.getDeep()});
        m_engine->drawView(view);
    }
    void endFrame() override { m_engine->endFrame(); }
    void takeScreenshot(const std::wstring& name) override { m_engine->takeScreenshot(name); }

private:
    std::unique_ptr<Engine::cFrameDevices> m_engine;
    std::vector<DrawRecord>& m_draws;
};

class UnitViewPixels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.render) << renderError;
        logic = std::make_unique<Engine::cLogic>(std::make_unique<RecordingFrame>(draws));
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
        game = std::make_unique<Game>();
    }

    void TearDown() override
    {
        game.reset();
        CPlayState::instance().releasePlayView(true);
        UnitViewLibrary::instance().clear();
        Engine::cControl::deletePending();
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
        logic.reset();
    }

    cUnitView* add(const wchar_t* type, int level, eUnitState state, float angle, float x, float y)
    {
        const cUnit::Ptr unit = game->addUnit(GameConfig::instance().getTypeId(type), level, -1, state, angle,
                                              Engine::cVector2(x, y), {}, L"");
        units.push_back(unit);
        return unit->getView();
    }

    // Draws a frame; the head-up pieces of the buildings, drawn over them, are left out so that
    // the buildings' own pixels can be compared.
    void frame()
    {
        for (const cUnit::Ptr& unit : units)
        {
            cUnitView* view = unit->getView();
            if (view->getUpgradeButton())
                view->getUpgradeButton()->hide();
            if (view->getUpgradeIndicator())
                view->getUpgradeIndicator()->hide();
        }
        draws.clear();
        logic->render();
    }

    // The picture of a sheet of the art pack, decoded.
    const Platform::Image& sheet(const std::string& path)
    {
        auto found = sheets.find(path);
        if (found == sheets.end())
        {
            std::vector<char> bytes;
            engine.files->readFile(path, bytes);
            found = sheets
                        .emplace(path, Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                             bytes.size()))
                        .first;
        }
        return found->second;
    }

    // The share of the opaque texels of frame `frame` of a sheet (frames of the view's size,
    // `columns` across) that the back buffer shows where the view stands.
    double match(const cUnitView* view, const std::string& path, uint32_t frameIndex)
    {
        const Platform::Image& image = sheet(path);
        const int width = static_cast<int>(view->getSize().x);
        const int height = static_cast<int>(view->getSize().y);
        const int columns = static_cast<int>(image.width) / width;
        const int left = static_cast<int>(view->getPosition().x) - width / 2;
        const int top = static_cast<int>(view->getPosition().y) - height / 2;
        std::vector<uint32_t> pixels;
        EXPECT_EQ(engine.render->getDevice()->readBackBuffer({left, top, left + width, top + height}, pixels),
                  0);
        if (pixels.size() != static_cast<size_t>(width * height))
            return 0.0;
        const int cellX = static_cast<int>(frameIndex) % columns * width;
        const int cellY = static_cast<int>(frameIndex) / columns * height;
        int opaque = 0;
        int same = 0;
        for (int y = 0; y < height; ++y)
        {
            const uint8_t* row = image.row(static_cast<uint32_t>(cellY + y));
            for (int x = 0; x < width; ++x)
            {
                const uint8_t* texel = row + (cellX + x) * 4;
                if (texel[3] != 255)
                    continue;
                ++opaque;
                const uint32_t pixel = pixels[static_cast<size_t>(y * width + x)];
                const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
                if (near(texel[2], static_cast<int>(pixel >> 16 & 255u)) &&
                    near(texel[1], static_cast<int>(pixel >> 8 & 255u)) &&
                    near(texel[0], static_cast<int>(pixel & 255u)))
                    ++same;
            }
        }
        return opaque == 0 ? 0.0 : static_cast<double>(same) / opaque;
    }

    const DrawRecord* drawOf(const cUnitView* view) const
    {
        for (const DrawRecord& record : draws)
            if (record.view == view)
                return &record;
        return nullptr;
    }

    std::string renderError;
    HudTest::GameDataEngine engine{[this] { return ::Test::offscreenRender(renderError); }};
    StepTimer timer;
    std::vector<DrawRecord> draws;
    std::unique_ptr<Engine::cLogic> logic;
    std::unique_ptr<Game> game;
    std::vector<cUnit::Ptr> units;
    std::map<std::string, Platform::Image> sheets;
};

TEST_F(UnitViewPixels, EachStateLevelAndFrameIsDrawnInTheOrderOfDepth)
{
    cUnitView* hall = add(L"TownHall", 0, eUnitState::idle, 0.0f, 150.0f, 200.0f);
    cUnitView* market = add(L"Market", 1, eUnitState::idle, 0.0f, 400.0f, 200.0f);
    // A hero in front of the market, lower on the field: drawn over it.
    cUnitView* hero = add(L"hero", 0, eUnitState::idle, -90.0f, 400.0f, 230.0f);
    frame();
    ASSERT_TRUE(drawOf(hall) && drawOf(market) && drawOf(hero));
    EXPECT_EQ(drawOf(hall)->texture, "units/townhall_l0_idle.png");
    EXPECT_EQ(drawOf(market)->texture, "units/market_l1_idle.png");
    EXPECT_EQ(drawOf(hero)->texture, "heroes/hero_idle_s.png");
    EXPECT_LT(drawOf(market), drawOf(hero)) << "the market is drawn before the hero in front of it";
    for (size_t i = 1; i < draws.size(); ++i)
        EXPECT_LE(draws[i - 1].deep, draws[i].deep) << "draws follow depth";
    EXPECT_FLOAT_EQ(hero->getDeep(), 5230.0f);
    EXPECT_GT(match(hall, "units/townhall_l0_idle.png", hall->getFrame()), 0.97);
    EXPECT_GT(match(hero, "heroes/hero_idle_s.png", hero->getFrame()), 0.97);

    // A mill at work plays its work sheet; the frame of its animation time is the one drawn.
    const cUnit::Ptr mill = market->getUnit();
    mill->setState(eUnitState::produce, -1);
    hero->getUnit()->setState(eUnitState::hidden, -1);
    market->setFrame(5);
    frame();
    ASSERT_TRUE(drawOf(market));
    EXPECT_EQ(drawOf(market)->texture, "units/market_l1_work.png");
    EXPECT_EQ(drawOf(market)->frame, 5u);
    EXPECT_FALSE(drawOf(hero)) << "a hidden unit draws nothing";
    const double fifth = match(market, "units/market_l1_work.png", 5);
    EXPECT_GT(fifth, 0.97);
    EXPECT_GT(fifth, match(market, "units/market_l1_work.png", 1) + 0.02) << "frame 5, not another";

    // An upgrade raises the hall to its next level's picture.
    hall->getUnit()->setLevelAndState(1, eUnitState::idle, false);
    frame();
    EXPECT_EQ(drawOf(hall)->texture, "units/townhall_l1_idle.png");
    EXPECT_GT(match(hall, "units/townhall_l1_idle.png", hall->getFrame()), 0.97);
    EXPECT_LT(match(hall, "units/townhall_l0_idle.png", hall->getFrame()), 0.9);
}

TEST_F(UnitViewPixels, AWalkingHeroShowsTheFramesOfItsDirection)
{
    const std::pair<float, const char*> ways[] = {{90.0f, "n"},   {45.0f, "ne"}, {0.0f, "e"},
                                                  {-45.0f, "se"}, {-90.0f, "s"}, {-135.0f, "sw"},
                                                  {180.0f, "w"},  {135.0f, "nw"}};
    cUnitView* hero = add(L"hero", 0, eUnitState::move, 0.0f, 300.0f, 300.0f);
    const cUnit::Ptr unit = hero->getUnit();
    for (const auto& [angle, way] : ways)
    {
        unit->setAngle(angle);
        hero->setFrame(3);
        frame();
        const std::string expected = std::string("heroes/hero_walk_") + way + ".png";
        ASSERT_TRUE(drawOf(hero));
        EXPECT_EQ(drawOf(hero)->texture, expected);
        // Of the eight directions' sheets, the one drawn matches best, at frame 3.
        std::string best;
        double bestScore = 0.0;
        for (const auto& other : ways)
        {
            const std::string path = std::string("heroes/hero_walk_") + other.second + ".png";
            const double score = match(hero, path, 3);
            if (score > bestScore)
            {
                bestScore = score;
                best = path;
            }
        }
        EXPECT_EQ(best, expected) << angle;
        EXPECT_GT(bestScore, 0.97) << angle;
        EXPECT_GT(bestScore, match(hero, expected, 0) + 0.02) << angle << ": frame 3, not the first";
    }
}

} // namespace
