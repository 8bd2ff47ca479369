#pragma once

// A level model over the game's own data folder, with the real views on the recording render
// device, the recording mixer for sound and a frame timer the test steps by hand. Test levels
// are written into the test's shared folder, which the file system reads before the data
// folder.

#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cCheats.h"
#include "game/world/cGameSounds.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SilentParticles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace GameTest
{

// Frame times chosen by the test.
class StepTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return frameTime; }
    float frameTime = 0.1f;
};

// Units.xml ids by name.
inline int typeId(const wchar_t* name)
{
    return GameConfig::instance().unitNames().find(name);
}

inline int resourceId(const wchar_t* name)
{
    return GameConfig::instance().resourceNames().find(name);
}

// One entry per cell of a rectangle, as a level's "FreeCells" lists them.
inline std::string cells(int left, int top, int right, int bottom)
{
    std::string list;
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= bottom; ++y)
            list += "<Cell Pos=\"" + std::to_string(x) + ";" + std::to_string(y) + "\"/>";
    return list;
}

inline std::string freeCells(int left, int top, int right, int bottom)
{
    return "<FreeCells>" + cells(left, top, right, bottom) + "</FreeCells>";
}

class GameFixture
{
public:
    // The game over a data folder: the shipped one, or a test's own (a folder ending in "/").
    explicit GameFixture(const std::wstring& data = QUILL_SOURCE_DIR L"/data/")
        : m_dataHome("XDG_DATA_HOME", (m_home.path() / "share").string())
    {
        Engine::cProps::clearAll();
        // The player's settings: the game's 1024 x 768 screen, a grid of 53 x 40 cells.
        m_home.write("share/Quillmoor/sys/settings.xml",
                     "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>");
        files = std::make_unique<Engine::cFileSystem>(data);
        resources = std::make_unique<Engine::cResourceManager>();
        constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
        settings = std::make_unique<Engine::cSettings>("sys/settings.xml");
        auto recording = std::make_unique<Platform::RecordingMixer>();
        mixer = recording.get();
        sound = std::make_unique<Engine::cSound>(std::move(recording));
        sounds = new cGameSounds();
        CGameEngine::instance().setLevelPath(L"");
        CPlayState::instance().getBriefing().clear();
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
    }

    ~GameFixture()
    {
        game.reset();
        CPlayState::instance().releasePlayView(true);
        // The descriptions hold textures of this fixture's devices.
        UnitViewLibrary::instance().clear();
        delete sounds;
        Engine::cControl::deletePending();
        cTutorial::instance().reset();
        TooltipManager::shutdown();
        cCheats::instance().shutdown();
        profiles.reset();
        Engine::cProps::clearAll();
        sound.reset();
        settings.reset();
        constants.reset();
        resources.reset();
        files.reset();
    }

    GameFixture(const GameFixture&) = delete;
    GameFixture& operator=(const GameFixture&) = delete;

    // Writes a level file "Levels/n<level>.xml" into the shared folder.
    void writeLevel(int level, const std::string& xml) const
    {
        const std::string path = "levels/n" + std::to_string(level) + ".xml";
        Engine::writeWholeFile(path, xml.data(), xml.size());
    }

    // A level file with the given buildings on a field free from cell (0, 0) to (30, 20).
    static std::string levelXml(const std::string& buildings, const std::string& extra = "")
    {
        return "<Level>" + freeCells(0, 0, 30, 20) + extra + "<Buildings>" + buildings +
               "</Buildings></Level>";
    }
    // A level of the town hall and one road to build, gold at 30 s and silver at 60 s: the
    // smallest level a save, a win and a player's files can be made of.
    static std::string roadLevelXml()
    {
        return levelXml(
            "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells>"
            "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
            "<Unit Type=\"Road\" Position=\"150;130\" TargetType=\"1\" TargetLevel=\"1\" "
            "GoalCategory=\"roads\"/>",
            "<MetaData GoldTime=\"30\" SilverTime=\"60\"/>");
    }

    Game& newGame()
    {
        game.reset();
        game.reset(new Game());
        return *game;
    }

    // Written as the player's saved level, `bytes` are refused by a new level model with an
    // error naming `reason` and set aside; the set-aside copy is then removed.
    void expectRefused(const std::vector<uint8_t>& bytes, const std::string& reason)
    {
        const std::string path = GameConfig::instance().savePath();
        Engine::writeWholeFile(path, bytes.data(), bytes.size());
        Game& refused = newGame();
        EXPECT_FALSE(refused.restoreLevel());
        EXPECT_NE(refused.getRestoreError().find(reason), std::string::npos) << refused.getRestoreError();
        EXPECT_FALSE(files->isKnown(path)) << "set aside";
        files->removeFile(path + ".damaged");
    }

    // Loads a level written by the test; the engine's failure texts are thrown as exceptions
    // gtest can show.
    Game& load(int level, const std::string& xml)
    {
        writeLevel(level, xml);
        try
        {
            newGame().loadLevel(level);
        }
        catch (const Engine::cStringA& text)
        {
            throw std::runtime_error(text);
        }
        catch (const std::string& text)
        {
            throw std::runtime_error(text);
        }
        catch (const std::wstring& text)
        {
            throw std::runtime_error(Engine::toUtf8(text));
        }
        catch (const char* text)
        {
            throw std::runtime_error(text);
        }
        return *game;
    }

    // Steps the level `frames` times by `dt` seconds each, deleting what the frame queued.
    void run(int frames, float dt)
    {
        timer.frameTime = dt;
        for (int i = 0; i < frames; ++i)
        {
            game->update();
            Engine::cControl::enabledPass();
            Engine::cControl::deletePending();
        }
    }

    void startProfile(const std::wstring& name = L"Tester")
    {
        profiles = std::make_unique<Engine::cProfileManager>(name);
    }

    std::string readShared(const std::string& path) const
    {
        return Test::readFile(m_home.path() / "share" / "Quillmoor" / path);
    }

private:
    // The level's actions play these effects; the recording device has no particle library.
    Test::SilentParticles m_particles{"Effects/Smoke.pyro", "Effects/Sparkle.pyro", "Effects/Firework.pyro"};
    Test::TempDir m_home;
    Test::ScopedEnv m_dataHome;

public:
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cResourceManager> resources;
    std::unique_ptr<Engine::cConstants> constants;
    std::unique_ptr<Engine::cSettings> settings;
    Test::RecordingFactory factory;
    StepTimer timer;
    Platform::RecordingMixer* mixer = nullptr;
    std::unique_ptr<Engine::cSound> sound;
    cGameSounds* sounds = nullptr;
    std::unique_ptr<Engine::cProfileManager> profiles;
    std::unique_ptr<Game> game;
};

} // namespace GameTest
