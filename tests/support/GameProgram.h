#pragma once

// The real program under the X server of a display test: its window found on the screen,
// input pushed through the X server's test extension as a player's would come, and what it
// shows read back from the screen. The program writes its state traces to a file of the
// test's folder, which tells the test where the game is.

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Test
{

class TempDir;

// The calls of Xlib and its test extension are loaded when a test runs (the test programs do
// not link them); the text says what is missing, empty when everything is there.
const std::string& xLibraryError();

// The game's window on the X screen, found by its title.
class GameScreen
{
public:
    GameScreen();
    ~GameScreen();
    GameScreen(const GameScreen&) = delete;
    GameScreen& operator=(const GameScreen&) = delete;

    bool open() const { return m_display != nullptr; }
    // Looks for the window titled `title`; true once it is mapped with the game's 1024 x 768.
    bool find(const std::string& title);
    // The colour (0xRRGGBB) at a point of the game's screen.
    uint32_t pixel(int px, int py);
    // Every pixel of a rectangle, row by row.
    std::vector<uint32_t> area(int px, int py, unsigned width, unsigned height);
    void moveTo(int px, int py);
    void click(int px, int py);
    // A key (an X key symbol, XK_...) pressed and released.
    void key(unsigned long symbol);
    // Keeps the whole screen for a look at full size: screenshots/game_<name>.png in the build
    // folder.
    void saveShot(const std::string& name);

    static void pause(int milliseconds);

private:
    unsigned long search(unsigned long window, const std::string& title);

    // Xlib's display (kept opaque: Xlib's macros clash with names of the test framework).
    void* m_display;
    int m_left = 0;
    int m_top = 0;
};

// The program started with a level path, its traces going to "traces.txt" of `folder`, its
// shared folder "share/" there.
class GameProgram
{
public:
    GameProgram(const TempDir& folder, const std::string& level);
    ~GameProgram();
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    bool started() const { return m_pid > 0; }
    std::string traces() const;
    // Waits up to `seconds` for the traces to hold `text` `count` times.
    bool waitFor(const std::string& text, int count = 1, double seconds = 60.0) const;
    // How often the traces hold `text` now.
    int count(const std::string& text) const;
    bool ended() const;
    // Asks the program to close, as the window's close box does, and waits for its exit code.
    int close();

private:
    pid_t m_pid = -1;
    std::string m_traces;
    mutable bool m_ended = false;
    mutable int m_status = 0;
};

// Whether two colours differ by at most `tolerance` in every channel.
bool near(uint32_t a, uint32_t b, int tolerance = 12);
// Waits until `check` holds, up to `seconds`.
bool until(const std::function<bool()>& check, double seconds = 30.0);

} // namespace Test
