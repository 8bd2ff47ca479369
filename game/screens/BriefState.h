#pragma once

#include "game/screens/CGameState.h"

#include <boost/signals2/connection.hpp>

class cBriefing;

// The briefing as a state above the play state: the level stands still under it, its music
// plays, and Escape, the forward button or the key of a finished briefing end it. The
// briefing view is made once (Create) and serves every level of the run.
class BriefState : public CGameState
{
public:
    static BriefState& instance();

    BriefState(const BriefState&) = delete;
    BriefState& operator=(const BriefState&) = delete;
    // The view is left alone at process exit (the tree may be gone): Destroy, run by the
    // game's shutdown, releases it.
    ~BriefState() override = default;

    // Makes the briefing view (hidden) unless it exists.
    void Create();
    void Destroy();
    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void Update(CGameEngine* engine) override;
    Engine::cControl* getView() const override;

    // The briefing view, made when it does not exist yet (a level read without the play
    // state's start needs its scripts too).
    cBriefing& getBriefing();
    // The end of a briefing: the music stops, the state leaves, the briefing view closes and
    // runs what was to follow it.
    void end();

private:
    BriefState() = default;

    boost::signals2::connection m_escape;
    // Owned: released by Destroy through the tree's deferred deletion.
    cBriefing* m_view = nullptr;
    bool m_shutdownRegistered = false;
};
