#include "game/screens/BriefState.h"

#include "game/world/cGameSounds.h"

BriefState& BriefState::instance()
{
    static BriefState state;
    return state;
}

void BriefState::Create()
{
    trace(L"Create");
    if (!m_view)
        adopt(new cBriefing(nullptr));
}

cBriefing& BriefState::getBriefing()
{
    if (!m_view)
        Create();
    return *m_view;
}

void BriefState::Resume()
{
    trace(L"Resume");
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playMusic("brief_music", false);
    getBriefing();
    showOnTop();
}

void BriefState::end()
{
    // A second end in one frame (Escape and the forward button) finds the briefing closed.
    if (!m_view || !m_view->isPlaying())
        return;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->stopMusic();
    CGameEngine& engine = CGameEngine::instance();
    if (engine.topState() == this)
        engine.PopState();
    Pause();
    m_view->finish();
}
