#pragma once

// What the whole-game display tests share: where a level's node stands on the map, and a level
// played by its script as a player would, click by click at the level clock's times.

#include "engine/core/FromString.h"
#include "engine/core/cVector2.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "tests/support/LevelScript.h"
#include "tests/support/UnitPlaces.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace DisplayTest
{

const std::string kData = std::string(QUILL_SOURCE_DIR) + "/data/";

// The results' OK on the 1024 x 768 screen ("UI/PanelLevelFinish.xml").
constexpr int kResultsOkX = 512;
constexpr int kResultsOkY = 554;
// The finish of a won level has begun: its fanfare starts where the level's music stopped.
const std::string kFinishBegun = "Sound music/win.ogg starts";

// Where the node of a level of the map's first page stands ("Map/Map.xml", list "Nodes0").
inline Engine::cVector2 nodeOf(int level)
{
    const std::string bytes = ::Test::readFile(kData + "Map/Map.xml");
    if (bytes.empty())
        throw std::runtime_error(kData + "Map/Map.xml: cannot be read");
    const Engine::tPropertiesPtr map =
        Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), "Map/Map.xml");
    Engine::tPropertiesPtr nodes;
    if (!map->getChild(L"Nodes0", nodes) || !nodes)
        throw std::runtime_error("Map/Map.xml has no first page");
    auto place = nodes->childrenBegin();
    for (int i = 0; i < level && place != nodes->childrenEnd(); ++i)
        ++place;
    if (place == nodes->childrenEnd())
        throw std::runtime_error("Map/Map.xml has no place for level " + std::to_string(level));
    Engine::cVector2 position;
    Engine::fromString(position, place->value()->getAttribute(L"pos"));
    return position;
}

// Plays a running level by its script as a player would: each click once the level's clock,
// which the program traces in whole seconds, has reached the line's time (so a click comes at
// most a second late, never early). A level continued from a save starts at the clock it was
// left at, the lines before it played then. A briefing that opens on the way is read to its
// end with key presses.
class ScriptedPlay
{
public:
    ScriptedPlay(GameScreen& screen, const GameProgram& game, int level, float clock)
        : m_screen(screen), m_game(game), m_places(kData, level),
          m_lines(::Test::readLevelScript(kData + "Levels/n" + std::to_string(level) + ".play"))
    {
        // A continued level: the lines up to the clock it was left at were played before.
        while (clock > 0.0f && m_next < m_lines.size() && m_lines[m_next].time <= clock)
            ++m_next;
    }

    // The level clock the program traced last ("Level clock <seconds>"), -1 before any.
    int clock() const
    {
        const std::string all = m_game.traces();
        const std::string mark = "Level clock ";
        const size_t at = all.rfind(mark);
        return at == std::string::npos ? -1 : std::atoi(all.c_str() + at + mark.size());
    }

    // Runs the script's lines up to the level clock `until` (all of them when negative), then
    // waits for that clock; false with `why` set when the level cannot go on.
    bool playUntil(float until, std::string& why)
    {
        while (m_next < m_lines.size() && (until < 0.0f || m_lines[m_next].time <= until))
        {
            const ::Test::ScriptLine& line = m_lines[m_next];
            if (!waitForClock(line.time, why))
                return false;
            if (line.verb != ::Test::ScriptLine::Click)
            {
                why = "line " + std::to_string(line.line) + ": only clicks are played on the screen";
                return false;
            }
            Engine::cVector2 place;
            if (!m_places.find(line.type, line.index, place))
            {
                why = "line " + std::to_string(line.line) + ": no " + line.type + "#" +
                      std::to_string(line.index) + " in the level";
                return false;
            }
            m_screen.click(static_cast<int>(place.x), static_cast<int>(place.y));
            ++m_next;
        }
        return until < 0.0f || waitForClock(until, why);
    }

    // Plays the rest of the script and waits for the level to end, the results panel on top:
    // the level's clock may run up to a minute past the script's last line.
    bool playToTheEnd(std::string& why)
    {
        const int panels = m_game.count("CDialogState Init\n");
        if (!playUntil(-1.0f, why))
            return false;
        const float last = m_lines.empty() ? 0.0f : m_lines.back().time;
        const auto ended = [&] { return m_game.count("CDialogState Init\n") > panels; };
        if (!waitForClock(last + 60.0f, why, ended))
            return false;
        if (ended())
            return true;
        why = "the level was not won by " + std::to_string(clock()) +
              " s of its clock (see screenshots/game_e2e_not_won.png)";
        saveShot(m_screen, "e2e_not_won");
        return false;
    }

    // Plays the rest of the script and waits for the level's win ("win recorded"), which comes
    // before its results by the finish of the level, or for another trace `mark` of the win.
    bool playToTheWin(std::string& why, const std::string& mark = "win recorded\n")
    {
        if (!playUntil(-1.0f, why))
            return false;
        const float last = m_lines.empty() ? 0.0f : m_lines.back().time;
        const auto won = [&] { return m_game.count(mark) > 0; };
        if (!waitForClock(last + 60.0f, why, won))
            return false;
        if (won())
            return true;
        why = "the level was not won by " + std::to_string(clock()) + " s of its clock";
        return false;
    }

private:
    // Waits for the traced level clock to reach `seconds` (or for `done`), reading the briefings
    // that come on the way. The clock stands while a briefing, a tip or a panel is over the
    // level; the wait fails when the clock stands still for a whole `kPatience`.
    bool waitForClock(float seconds, std::string& why, const std::function<bool()>& done = {})
    {
        int seen = clock();
        auto still = std::chrono::steady_clock::now();
        for (;;)
        {
            const int now = clock();
            if (static_cast<float>(now) >= seconds || (done && done()))
                return true;
            if (m_game.ended())
            {
                why = "the program ended";
                return false;
            }
            // A briefing over the level (it may have opened before this play began).
            if (m_game.count("BriefState::Init()\n") > m_game.count("BriefState::Cleanup()\n"))
            {
                if (!readBriefing(m_screen, m_game))
                {
                    why = "a briefing in the level did not end";
                    return false;
                }
            }
            if (now != seen)
            {
                seen = now;
                still = std::chrono::steady_clock::now();
            }
            else if (std::chrono::steady_clock::now() - still > std::chrono::duration<double>(kPatience))
            {
                why = "awaited the level clock at " + std::to_string(seconds) + " s; it stood at " +
                      std::to_string(now) + " s for " + std::to_string(kPatience) + " s";
                return false;
            }
            GameScreen::pause(40);
        }
    }

public:
    static bool readBriefing(GameScreen& screen, const GameProgram& game)
    {
        return DisplayTest::readBriefing(screen, game);
    }

private:
    GameScreen& m_screen;
    const GameProgram& m_game;
    ::Test::UnitPlaces m_places;
    std::vector<::Test::ScriptLine> m_lines;
    size_t m_next = 0;
};

} // namespace DisplayTest
