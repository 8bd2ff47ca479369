#pragma once

#include "game/screens/OverlayState.h"
#include "game/screens/cBriefing.h"

// The briefing as a state above the play state: the level stands still under it, its music
// plays, and Escape, the forward button or the key of a finished briefing end it. The
// briefing view is made once (Create) and serves every level of the run.
class BriefState : public OverlayState<cBriefing>
{
public:
    static BriefState& instance();

    // Makes the briefing view (hidden) unless it exists.
    void Create();
    void Resume() override;

    // The briefing view, made when it does not exist yet (a level read without the play
    // state's start needs its scripts too).
    cBriefing& getBriefing();
    // The end of a briefing: the music stops, the state leaves, the briefing view closes and
    // runs what was to follow it.
    void end();

private:
    BriefState() : OverlayState(L"BriefState") {}
    void onEscape() override
    {
        if (!m_view || m_view->answersTheBriefing())
            end();
    }
};
