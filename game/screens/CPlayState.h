#pragma once

#include "game/screens/cBriefing.h"

#include <string>

namespace Engine
{
class cView;
}

// The state in which a level is played: it owns the play view, the root of every view of the
// level, and the briefing that plays over it, and it records a won level in the player's
// profile.
//
// This is the part of the play state that the level model calls; the state operations (the
// loading screen, the briefing and dialog states above it, the music) join it with the
// game's screens.
class CPlayState
{
public:
    static CPlayState& instance();

    CPlayState(const CPlayState&) = delete;
    CPlayState& operator=(const CPlayState&) = delete;
    ~CPlayState();

    // The play view: made on first use, a plain view without parent.
    Engine::cView* getPlayView();
    // Queues the play view and everything on it for deletion at the end of the frame (or now,
    // outside a frame, with `now`).
    void releasePlayView(bool now = false);

    cBriefing& getBriefing() { return m_briefing; }
    // Starts the briefing of that id over the level.
    void showBriefing(const std::string& id);
    // The won level's best time and medal: the best time (whole seconds, the player's name)
    // when there is none or it is shorter; the medal under "Level" + the level number unless
    // an equal or better one is stored.
    void onLevelWon();
    // "CurrentLevel" + 1 unless that reaches the configuration's level count; then the
    // profiles are saved and the tutorial starts over.
    void advanceLevel();

private:
    CPlayState() = default;

    // Owned: deleted through the tree's deferred deletion.
    Engine::cView* m_playView = nullptr;
    cBriefing m_briefing;
};

// The play state's view: the parent of every view the level model and the actions put over
// the field.
Engine::cView* getPlayView();
