// levelsheet: draws the first frame of play of every shipped level at 1024 x 768, as the player
// sees it once the opening briefing is over, so that a reviewer sees all the levels at a glance.
//
//   levelsheet [--data DIR] [--out DIR] [--columns N] [--max-blank SHARE] [LEVEL ...]
//
// Each level is started by the real play state (loading screen, level, status panel, the
// opening briefing, which is skipped with keys as a player skips it), run until the town hall
// has landed (a tip that holds the game is closed with a key, and the tutorial's tips are left
// out: the picture shows the field) and drawn by the real views into an OpenGL back buffer
// without a window (Mesa's surfaceless platform), then read back. Written into --out (the folder
// "level-sheet" by default):
//
//   level_n<K>.png   the whole screen of level K
//   levels.png       every level at a quarter of its size, N a row (5 by default), in level
//                    order, each with its number under it
//   pages.png        beside it, the first level of each page of the map that was drawn (the
//                    "StartIndex" of the pages of "Map/Map.xml"), three a row: the six
//                    landscapes side by side, as a reviewer compares them
//
// A level's picture is the same on every run, whichever levels are drawn with it: the game's
// random draws start from the level's own seed.
//
// For every level it prints one line: "n<K> blank <share> (<where>)": the largest share of
// one third of the field below the status panel (the left, middle or right third, or the
// upper, middle or lower band) where only the ground shows: nothing stands, lies or is paved
// there. With --max-blank the exit status is 1 when a level's share is above SHARE.
//
// Without level numbers it draws levels 0 to "LevelsCount" - 1 of "Game/Game.xml". The data
// folder is "Data" beside the program or one folder up (the build's link to the data), unless
// given. The player's settings go to a temporary folder, removed at the end. Exit status 2: a level or an
// argument that cannot be used, or no OpenGL.

#include "engine/core/ErrorText.h"
#include "engine/core/Random.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStrings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cPyro.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cCheats.h"
#include "game/world/cGameSounds.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/image/ImageDecoder.h"
#include "platform/image/PngCodec.h"
#include "platform/input/ScriptedInput.h"
#include "platform/sound/RecordingMixer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// The status panel's bar along the top of the screen: the field a level fills lies below it.
constexpr int kFieldTop = 64;
// A cell of the level grid.
constexpr int kCell = 20;

struct BadInput
{
    std::string text;
};

struct Options
{
    std::filesystem::path data;
    std::filesystem::path out = "level-sheet";
    int columns = 5;
    double maxBlank = -1.0;
    std::vector<int> levels;
};

// Every frame lasts the same, and every frame is drawn only when the tool asks.
class StepTimer final : public Engine::cTimer
{
public:
    void step() override {}
    float getFrameTime() const override { return kFrame; }
    float frameTime() const override { return kFrame; }
    bool takeDrawDue() override { return false; }

private:
    static constexpr float kFrame = 0.02f;
};

std::filesystem::path defaultDataFolder(const char* program)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    const std::filesystem::path beside = (error ? std::filesystem::path(program) : self).parent_path();
    for (const auto& folder : {beside, beside.parent_path()})
        for (const char* name : {"Data", "data"})
            if (std::filesystem::is_regular_file(folder / name / "Game" / "Game.xml"))
                return folder / name;
    return beside / "Data";
}

Options readOptions(int argc, char** argv)
{
    Options options;
    options.data = defaultDataFolder(argv[0]);
    for (int i = 1; i < argc; ++i)
    {
        const std::string word = argv[i];
        const auto value = [&]() -> std::string
        {
            if (i + 1 >= argc)
                throw BadInput{word + " needs a value"};
            return argv[++i];
        };
        if (word == "--data")
            options.data = value();
        else if (word == "--out")
            options.out = value();
        else if (word == "--columns")
            options.columns = std::max(1, std::atoi(value().c_str()));
        else if (word == "--max-blank")
            options.maxBlank = std::atof(value().c_str());
        else if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos &&
                 word.size() < 6)
            options.levels.push_back(std::stoi(word));
        else
            throw BadInput{"usage: levelsheet [--data DIR] [--out DIR] [--columns N] [--max-blank SHARE] "
                           "[LEVEL ...]; \"" +
                           word + "\" is not understood"};
    }
    return options;
}

// The engine as the game makes it, drawing offscreen into a 1024 x 768 back buffer: the file
// system over the data folder and its packs, the settings in a shared folder of its own, the
// render device, a silent sound device, scripted input, a player and the frame driver with
// the state machine as its frame callback.
class OffscreenGame final
{
public:
    explicit OffscreenGame(const std::filesystem::path& data)
        : m_home(std::filesystem::temp_directory_path() /
                 ("levelsheet-" + std::to_string(static_cast<long>(::getpid()))))
    {
        std::filesystem::create_directories(m_home / "Quillmoor" / "sys");
        std::ofstream(m_home / "Quillmoor" / "sys" / "settings.xml")
            << "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>";
        ::setenv("XDG_DATA_HOME", m_home.c_str(), 1);
        std::string folder = data.string();
        if (folder.empty() || folder.back() != '/')
            folder += '/';
        files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(folder));
        resources = std::make_unique<Engine::cResourceManager>();
        constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
        settings = std::make_unique<Engine::cSettings>("sys/settings.xml");
        std::string error;
        Engine::cRenderPlatform platform;
        platform.system = Platform::GlGfxSystem::surfaceless(1920, 1080, error);
        if (!platform.system)
            throw BadInput{"no OpenGL to draw with: " + error};
        auto window = std::make_unique<Platform::FakeDisplayWindow>();
        window->work = {0, 0, 1920, 1080};
        platform.window = std::move(window);
        auto config = std::make_unique<Engine::cMemoryRenderConfigSource>();
        config->settings[{L"graphics", L"width"}] = std::to_wstring(kWidth);
        config->settings[{L"graphics", L"height"}] = std::to_wstring(kHeight);
        config->settings[{L"graphics", L"fullscreen"}] = L"0";
        render = std::make_unique<Engine::cRender>(std::move(platform), std::move(config));
        sound = std::make_unique<Engine::cSound>(std::make_unique<Platform::RecordingMixer>());
        strings = std::make_unique<Engine::cStrings>();
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        profiles = std::make_unique<Engine::cProfileManager>(L"Sheet");
        new cGameSounds();
        logic = std::make_unique<Engine::cLogic>(Engine::makeEngineFrameDevices());
        logic->setFrameCallback([] { CGameEngine::instance().Update(); });
        CGameEngine::instance().setLevelPath(L"");
        // The first poll acquires the devices.
        logic->update();
    }

    ~OffscreenGame()
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        cCheats::instance().shutdown();
        UnitViewLibrary::instance().clear();
        cTutorial::instance().reset();
        CPlayState::instance().releasePlayView(true);
        TooltipManager::shutdown();
        delete cGameSounds::instance();
        Engine::cControl::deletePending();
        logic.reset();
        input.reset();
        profiles.reset();
        Engine::cProps::clearAll();
        strings.reset();
        sound.reset();
        resources.reset();
        Engine::cPyro::clearEffectFiles();
        render.reset();
        settings.reset();
        constants.reset();
        files.reset();
        std::error_code error;
        std::filesystem::remove_all(m_home, error);
    }

    OffscreenGame(const OffscreenGame&) = delete;
    OffscreenGame& operator=(const OffscreenGame&) = delete;

    void frame() { logic->update(); }

    void key(uint8_t code)
    {
        script->keyDown(code);
        script->keyUp(code);
        frame();
    }

    // The screen as drawn now, in the memory order B, G, R, A.
    Platform::Image draw()
    {
        logic->render();
        std::vector<uint32_t> pixels;
        if (render->getDevice()->readBackBuffer({0, 0, kWidth, kHeight}, pixels) != 0 ||
            pixels.size() != static_cast<size_t>(kWidth * kHeight))
            throw BadInput{"the back buffer cannot be read"};
        Platform::Image image;
        image.width = kWidth;
        image.height = kHeight;
        image.pixels.resize(pixels.size() * 4);
        for (size_t i = 0; i < pixels.size(); ++i)
        {
            for (int byte = 0; byte < 3; ++byte)
                image.pixels[i * 4 + static_cast<size_t>(byte)] =
                    static_cast<uint8_t>(pixels[i] >> (8 * byte));
            image.pixels[i * 4 + 3] = 255;
        }
        return image;
    }

private:
    std::filesystem::path m_home;

public:
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cResourceManager> resources;
    std::unique_ptr<Engine::cConstants> constants;
    std::unique_ptr<Engine::cSettings> settings;
    std::unique_ptr<Engine::cRender> render;
    std::unique_ptr<Engine::cSound> sound;
    std::unique_ptr<Engine::cStrings> strings;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    std::unique_ptr<Engine::cProfileManager> profiles;
    StepTimer timer;
    std::unique_ptr<Engine::cLogic> logic;
};

// Starts a level as the map starts it and runs it to its first frame of play: the loading
// screen, then the opening briefing, skipped with the space bar.
void startLevel(OffscreenGame& engine, int level)
{
    // The game's random draws start from the level's own seed, so that a level's picture is the
    // same whichever levels were drawn before it.
    Engine::seedRandom(static_cast<unsigned>(level) + 1u);
    Engine::cProps::set<int>(L"CurrentLevel", level);
    CGameEngine& states = CGameEngine::instance();
    states.setContinueSavedLevel(false);
    states.ChangeState(&CPlayState::instance());
    for (int i = 0; i < 2000 && !CPlayState::instance().isRunning(); ++i)
        engine.frame();
    if (!CPlayState::instance().isRunning())
        throw BadInput{"level " + std::to_string(level) + " did not finish loading"};
    // A key ends each speech; the pointer's moves take their time. Play may open with a tip
    // that holds the game, closed below.
    const auto briefed = [&states] {
        return states.topState() == &CPlayState::instance() ||
               states.topState() == &ModalTutorState::instance();
    };
    for (int i = 0; i < 3000 && !briefed(); ++i)
        if (i % 4 == 0)
            engine.key(57);
        else
            engine.frame();
    if (!briefed())
        throw BadInput{"the opening briefing of level " + std::to_string(level) + " did not end"};
    // The town hall drops onto the field as play begins: the frames until nothing falls.
    const auto falling = []
    {
        Game* game = CPlayState::instance().getGame();
        if (!game)
            return false;
        for (const auto& entry : game->getUnits())
            if (entry.second->getState() == eUnitState::falling && entry.second->fallingDelay <= 0.0f)
                return true;
        return false;
    };
    // A tip that holds the game until it is read (it may come while the town hall still falls,
    // and the hall stands still under it) is closed with Escape, as a player closes it.
    for (int i = 0; i < 600; ++i)
    {
        if (states.topState() != &CPlayState::instance())
        {
            if (i % 4 == 0)
                engine.key(1);
            else
                engine.frame();
            continue;
        }
        if (i >= 3 && !falling())
            break;
        engine.frame();
    }
    if (states.topState() != &CPlayState::instance())
        throw BadInput{"level " + std::to_string(level) + ": a tip that holds the game stayed open"};
    // The tutorial's tips over the field are left out of the picture, which shows the field.
    cTutorial::instance().hideTip();
    engine.frame();
}

// The ground picture of the level (its background's first picture), as drawn on the screen.
Platform::Image groundOf(const std::string& levelPath)
{
    std::ifstream in(levelPath, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t ground = xml.find("<BackGround>");
    const size_t picture = xml.find("Picture=\"", ground == std::string::npos ? 0 : ground);
    if (ground == std::string::npos || picture == std::string::npos)
        return Platform::Image();
    const size_t begin = picture + 9;
    const std::string path = xml.substr(begin, xml.find('"', begin) - begin);
    std::vector<char> bytes;
    Engine::cFileSystem::instance()->readFile(path, bytes);
    if (bytes.empty())
        return Platform::Image();
    return Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// The share of blank cells of the worst third of the field: a cell is blank when nearly all of
// its pixels are the ground's own.
std::string blankReport(const Platform::Image& screen, const Platform::Image& ground, double& worst)
{
    worst = 0.0;
    if (ground.width != static_cast<uint32_t>(kWidth) || ground.height != static_cast<uint32_t>(kHeight))
        return "no ground picture to compare with";
    const int columns = kWidth / kCell;
    const int rows = (kHeight - kFieldTop) / kCell;
    std::vector<bool> blank(static_cast<size_t>(columns * rows));
    for (int cy = 0; cy < rows; ++cy)
        for (int cx = 0; cx < columns; ++cx)
        {
            int same = 0;
            for (int y = 0; y < kCell; ++y)
            {
                const int py = kFieldTop + cy * kCell + y;
                const uint8_t* a = screen.row(static_cast<uint32_t>(py));
                const uint8_t* b = ground.row(static_cast<uint32_t>(py));
                for (int x = 0; x < kCell; ++x)
                {
                    const size_t at = static_cast<size_t>((cx * kCell + x) * 4);
                    bool near = true;
                    for (int c = 0; c < 3; ++c)
                        near =
                            near && std::abs(static_cast<int>(a[at + c]) - static_cast<int>(b[at + c])) <= 12;
                    same += near ? 1 : 0;
                }
            }
            blank[static_cast<size_t>(cy * columns + cx)] = same >= kCell * kCell * 9 / 10;
        }
    const auto share = [&](int x0, int x1, int y0, int y1)
    {
        int count = 0;
        for (int cy = y0; cy < y1; ++cy)
            for (int cx = x0; cx < x1; ++cx)
                count += blank[static_cast<size_t>(cy * columns + cx)] ? 1 : 0;
        return static_cast<double>(count) / ((x1 - x0) * (y1 - y0));
    };
    const char* const names[] = {"left third", "middle third", "right third",
                                 "upper band", "middle band",  "lower band"};
    std::string where;
    for (int i = 0; i < 6; ++i)
    {
        const double value = i < 3 ? share(columns * i / 3, columns * (i + 1) / 3, 0, rows)
                                   : share(0, columns, rows * (i - 3) / 3, rows * (i - 2) / 3);
        if (value > worst || where.empty())
        {
            worst = value;
            where = names[i];
        }
    }
    return where;
}

void writePng(const std::filesystem::path& path, const Platform::Image& image)
{
    const std::vector<uint8_t> png = Platform::encodePng(image);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out)
        throw BadInput{path.string() + ": cannot be written"};
}

// Digits five pixels high and three wide, a row of bits each, for the numbers on the sheet.
const char* const kDigits[10][5] = {{"111", "101", "101", "101", "111"}, {"010", "110", "010", "010", "111"},
                                    {"111", "001", "111", "100", "111"}, {"111", "001", "111", "001", "111"},
                                    {"101", "101", "111", "001", "001"}, {"111", "100", "111", "001", "111"},
                                    {"111", "100", "111", "101", "111"}, {"111", "001", "010", "010", "010"},
                                    {"111", "101", "111", "101", "111"}, {"111", "101", "111", "001", "111"}};

void putPixel(Platform::Image& image, int x, int y, uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= static_cast<int>(image.width) || y >= static_cast<int>(image.height))
        return;
    uint8_t* p = image.row(static_cast<uint32_t>(y)) + x * 4;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
    p[3] = 255;
}

// A number in digits `scale` pixels a dot, its top left at (x, y).
void writeNumber(Platform::Image& image, int x, int y, int number, int scale, uint32_t rgb)
{
    const std::string text = std::to_string(number);
    for (size_t i = 0; i < text.size(); ++i)
    {
        const int digit = text[i] - '0';
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 3; ++column)
                if (kDigits[digit][row][column] == '1')
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            putPixel(image, x + static_cast<int>(i) * 4 * scale + column * scale + dx,
                                     y + row * scale + dy, rgb);
    }
}

// Every level at a quarter of its size, `columns` a row, each with its number under it.
Platform::Image sheetOf(const std::vector<std::pair<int, Platform::Image>>& shots, int columns)
{
    constexpr int kThumbWidth = kWidth / 4;
    constexpr int kThumbHeight = kHeight / 4;
    constexpr int kLabel = 22;
    constexpr int kGap = 8;
    const int count = static_cast<int>(shots.size());
    const int across = std::min(columns, std::max(count, 1));
    const int down = (count + across - 1) / std::max(across, 1);
    Platform::Image sheet;
    sheet.width = static_cast<uint32_t>(kGap + across * (kThumbWidth + kGap));
    sheet.height = static_cast<uint32_t>(kGap + std::max(down, 1) * (kThumbHeight + kLabel + kGap));
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 0);
    for (uint32_t y = 0; y < sheet.height; ++y)
        for (uint32_t x = 0; x < sheet.width; ++x)
            putPixel(sheet, static_cast<int>(x), static_cast<int>(y), 0x2E2A33);
    for (int i = 0; i < count; ++i)
    {
        const int left = kGap + (i % across) * (kThumbWidth + kGap);
        const int top = kGap + (i / across) * (kThumbHeight + kLabel + kGap);
        const Platform::Image& shot = shots[static_cast<size_t>(i)].second;
        for (int y = 0; y < kThumbHeight; ++y)
            for (int x = 0; x < kThumbWidth; ++x)
            {
                int sum[3] = {0, 0, 0};
                for (int dy = 0; dy < 4; ++dy)
                {
                    const uint8_t* row = shot.row(static_cast<uint32_t>(y * 4 + dy));
                    for (int dx = 0; dx < 4; ++dx)
                        for (int c = 0; c < 3; ++c)
                            sum[c] += row[(x * 4 + dx) * 4 + c];
                }
                putPixel(sheet, left + x, top + y,
                         static_cast<uint32_t>(sum[0] / 16) | static_cast<uint32_t>(sum[1] / 16) << 8 |
                             static_cast<uint32_t>(sum[2] / 16) << 16);
            }
        writeNumber(sheet, left + 2, top + kThumbHeight + 5, shots[static_cast<size_t>(i)].first, 2,
                    0xF6ECD2);
    }
    return sheet;
}

// The first level of every page of the map: the "StartIndex" of each page of "Map/Map.xml", in
// page order. A map that cannot be read gives none, and the sheet of pages is left out.
std::vector<int> pageOpenings(const std::filesystem::path& data)
{
    std::ifstream file(data / "Map" / "Map.xml", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string map = text.str();
    const std::regex start(R"x(StartIndex="([0-9]+)")x");
    std::vector<int> openings;
    for (auto match = std::sregex_iterator(map.begin(), map.end(), start); match != std::sregex_iterator();
         ++match)
        openings.push_back(std::stoi((*match)[1]));
    return openings;
}

int run(const Options& options)
{
    if (!std::filesystem::is_regular_file(options.data / "Game" / "Game.xml"))
        throw BadInput{options.data.string() + ": no data folder (Game/Game.xml is missing)"};
    std::filesystem::create_directories(options.out);
    OffscreenGame engine(options.data);
    std::vector<int> levels = options.levels;
    if (levels.empty())
        for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
            levels.push_back(level);

    std::vector<std::pair<int, Platform::Image>> shots;
    bool tooBlank = false;
    for (int level : levels)
    {
        const std::string path = (options.data / "Levels" / ("n" + std::to_string(level) + ".xml")).string();
        if (!std::filesystem::is_regular_file(path))
            throw BadInput{path + ": no such level"};
        try
        {
            startLevel(engine, level);
        }
        catch (const BadInput&)
        {
            throw;
        }
        catch (...)
        {
            throw BadInput{"level " + std::to_string(level) + ": " + Engine::currentExceptionText()};
        }
        Platform::Image screen = engine.draw();
        writePng(options.out / ("level_n" + std::to_string(level) + ".png"), screen);
        double blank = 0.0;
        const std::string where = blankReport(screen, groundOf(path), blank);
        std::cout << "n" << level << " blank " << std::fixed << std::setprecision(2) << blank << " (" << where
                  << ")\n";
        if (options.maxBlank >= 0.0 && blank > options.maxBlank)
            tooBlank = true;
        shots.emplace_back(level, std::move(screen));
    }
    writePng(options.out / "levels.png", sheetOf(shots, options.columns));
    std::vector<std::pair<int, Platform::Image>> pages;
    for (int opening : pageOpenings(options.data))
        for (const auto& shot : shots)
            if (shot.first == opening)
                pages.push_back(shot);
    if (!pages.empty())
        writePng(options.out / "pages.png", sheetOf(pages, 3));
    std::cout << "wrote " << shots.size() << " levels and levels.png" << (pages.empty() ? "" : ", pages.png")
              << " into " << options.out.string() << "\n";
    return tooBlank ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        return run(readOptions(argc, argv));
    }
    catch (const BadInput& failure)
    {
        std::cerr << "levelsheet: " << failure.text << "\n";
    }
    catch (...)
    {
        std::cerr << "levelsheet: " << Engine::currentExceptionText() << "\n";
    }
    return 2;
}
