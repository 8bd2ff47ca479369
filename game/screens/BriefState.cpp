#include "game/screens/BriefState.h"

#include "engine/devices/cInput.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cGameSounds.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cBriefing.h"

BriefState& BriefState::instance()
{
    static BriefState state;
    return state;
}

void BriefState::Create()
{
    CGameEngine::trace(L"BriefState::Create()\n");
    if (m_view)
        return;
    m_view = new cBriefing(nullptr);
    if (!m_shutdownRegistered)
    {
        m_shutdownRegistered = true;
        CGameEngine::instance().atShutdown(
            [this]
            {
                m_shutdownRegistered = false;
                Destroy();
            });
    }
}

void BriefState::Destroy()
{
    CGameEngine::trace(L"BriefState::Destroy()\n");
    m_escape.disconnect();
    if (m_view)
        Engine::cControl::deleteLater(m_view);
    m_view = nullptr;
}

cBriefing& BriefState::getBriefing()
{
    if (!m_view)
        Create();
    return *m_view;
}

void BriefState::Init()
{
    CGameEngine::trace(L"BriefState::Init()\n");
    Resume();
}

void BriefState::Resume()
{
    CGameEngine::trace(L"BriefState::Resume()\n");
    TooltipManager::instance().reset();
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playMusic("brief_music", false);
    cBriefing& view = getBriefing();
    view.show();
    view.enable();
    m_escape.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_escape = input->connectKey(static_cast<Engine::eControl>(1), [this] { end(); });
}

void BriefState::Pause()
{
    CGameEngine::trace(L"BriefState::Pause()\n");
    if (m_view)
        m_view->disable();
    m_escape.disconnect();
}

void BriefState::Cleanup()
{
    CGameEngine::trace(L"BriefState::Cleanup()\n");
    if (m_view)
        m_view->hide();
}

void BriefState::Update(CGameEngine*) {}

Engine::cControl* BriefState::getView() const
{
    return m_view;
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
