// The status panel over level 2, drawn by the real views into an OpenGL back buffer and read
// back (kept as screenshots/status_times*.png in the build folder): the gold and the silver time
// stand inside the clock plate, their letters stand out from what is drawn under them, and each
// time's dark tag goes with it once the level's clock has passed it.
#include "engine/core/StringUtils.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cTextLine.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/cGameSounds.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/game/hud/hud_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int Width = 1024;
constexpr int Height = 768;

// The relative luminance of a colour 0xRRGGBB, as the contrast of text and its ground is measured.
double luminance(uint32_t rgb)
{
    double sum = 0.0;
    for (const auto& [shift, weight] : {std::pair{16, 0.2126}, std::pair{8, 0.7152}, std::pair{0, 0.0722}})
    {
        const double c = static_cast<double>((rgb >> shift) & 255u) / 255.0;
        sum += weight * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

class StatusTimesPixels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.render) << renderError;
        logic = std::make_unique<Engine::cLogic>(Engine::makeEngineFrameDevices());
        sound = std::make_unique<Engine::cSound>(std::make_unique<Platform::RecordingMixer>());
        sounds = new cGameSounds();
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
        game = std::make_unique<Game>();
        game->loadLevel(1);
    }

    void TearDown() override
    {
        game.reset();
        CPlayState::instance().releasePlayView(true);
        UnitViewLibrary::instance().clear();
        delete sounds;
        Engine::cControl::deletePending();
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
        logic.reset();
        sound.reset();
    }

    std::vector<uint32_t> frame() { return HudTest::drawnScreen(*logic, *engine.render); }

    std::string renderError;
    HudTest::GameDataEngine engine{[this] { return HudTest::offscreenScreen(renderError); }};
    std::unique_ptr<Engine::cLogic> logic;
    std::unique_ptr<Engine::cSound> sound;
    cGameSounds* sounds = nullptr;
    std::unique_ptr<Game> game;
};

TEST_F(StatusTimesPixels, TheMedalTimesStandInsideTheClockPlateAndReadAgainstWhatIsUnderThem)
{
    auto* panel = new cStatusPanel(getPlayView());
    panel->enable();
    panel->update();
    ASSERT_EQ(panel->getMedalState(), 0) << "both times shown at the level's start";
    const Engine::cView* plate = panel->find<Engine::cView>(L"ClockPlate");
    ASSERT_NE(plate, nullptr);
    const Engine::cVector2 low = plate->getPosition() - plate->getSize() * 0.5f;
    const Engine::cVector2 high = plate->getPosition() + plate->getSize() * 0.5f;

    const std::vector<uint32_t> shown = frame();
    HudTest::keepScreen(shown, "status_times");
    for (const wchar_t* tag : {L"PerfectGoldTimeText", L"PerfectSilverTimeText"})
    {
        SCOPED_TRACE(Engine::toUtf8(tag));
        auto* text = panel->find<Engine::cTextLine>(tag);
        ASSERT_TRUE(text && text->isShown());
        text->hide();
        const std::vector<uint32_t> under = frame();
        text->show();
        // The letters: the pixels the text changes; their strokes: those of the text's colour.
        int letters = 0;
        int outside = 0;
        int strokes = 0;
        double strokeLight = 0.0;
        double underLight = 0.0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
            {
                const size_t at = static_cast<size_t>(y * Width + x);
                if (HudTest::near(shown[at], under[at], 24))
                    continue;
                ++letters;
                outside += x < low.x || y < low.y || x >= high.x || y >= high.y;
                if (!HudTest::near(shown[at], text->getColor().toARGB() & 0xFFFFFFu, 40))
                    continue;
                ++strokes;
                strokeLight += luminance(shown[at]);
                underLight += luminance(under[at]);
            }
        ASSERT_GT(strokes, 30) << letters << " pixels of letters";
        EXPECT_EQ(outside, 0) << "of " << letters << " pixels of letters";
        strokeLight /= strokes;
        underLight /= strokes;
        EXPECT_GE((std::max(strokeLight, underLight) + 0.05) / (std::min(strokeLight, underLight) + 0.05),
                  4.5)
            << "letters of luminance " << strokeLight << " over " << underLight;
    }
}

TEST_F(StatusTimesPixels, AMedalTimesTagGoesWithTheTimeOnceTheTimeHasPassed)
{
    GameTest::StepTimer timer;
    auto* panel = new cStatusPanel(getPlayView());
    panel->enable();
    std::array<std::array<float, 4>, 2> places{};
    // From the start, past gold and past silver: a tag of dark wood under each time still to be
    // made (gold, silver), under the place where the time stood at the start; none once it went.
    const std::pair<float, std::array<bool, 2>> steps[] = {{0.0f, {true, true}},
                                                           {game->getGoldTime() + 1.0f, {false, true}},
                                                           {game->getSilverTime() + 1.0f, {false, false}}};
    for (const auto& [time, tagged] : steps)
    {
        timer.frameTime = time - game->getLevelTime();
        game->update();
        Engine::cControl::enabledPass();
        const std::vector<uint32_t> pixels = frame();
        HudTest::keepScreen(pixels, "status_times_at_" + std::to_string(static_cast<int>(time)));
        for (size_t i = 0; i < 2; ++i)
        {
            if (time == 0.0f)
                places[i] = HudTest::extent(*panel->find<Engine::cTextLine>(
                    i == 0 ? L"PerfectGoldTimeText" : L"PerfectSilverTimeText"));
            int dark = 0;
            int all = 0;
            for (int y = static_cast<int>(places[i][1]); y < static_cast<int>(places[i][3]); ++y)
                for (int x = static_cast<int>(places[i][0]); x < static_cast<int>(places[i][2]); ++x, ++all)
                    dark += luminance(pixels[static_cast<size_t>(y * Width + x)]) < 0.08;
            EXPECT_TRUE(tagged[i] ? dark > all * 3 / 10 : dark < all / 20)
                << (i == 0 ? "gold" : "silver") << " at " << time << " s: " << dark << " of " << all
                << " dark";
        }
    }
}

} // namespace
