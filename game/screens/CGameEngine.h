#pragma once

#include <string>

// The game's state machine and what it keeps for the whole run: the level file given on the
// command line, the flag that the next level continues the player's saved level, and the
// level just won for the first time.
//
// This is the part that the level model reads; the stack of states and the frame callback
// join it with the game's screens.
class CGameEngine
{
public:
    static CGameEngine& instance();

    CGameEngine(const CGameEngine&) = delete;
    CGameEngine& operator=(const CGameEngine&) = delete;

    // The level file the program was started with (data-relative, "/" separators); empty when
    // levels are chosen on the map.
    const std::wstring& getLevelPath() const { return m_levelPath; }
    void setLevelPath(const std::wstring& path) { m_levelPath = path; }
    bool continueSavedLevel() const { return m_continueSavedLevel; }
    void setContinueSavedLevel(bool on) { m_continueSavedLevel = on; }
    // The level won for the first time, for the map to celebrate; -1 when none.
    int getNewLevelIndex() const { return m_newLevelIndex; }
    void setNewLevelIndex(int level) { m_newLevelIndex = level; }

private:
    CGameEngine() = default;

    std::wstring m_levelPath;
    bool m_continueSavedLevel = false;
    int m_newLevelIndex = -1;
};
