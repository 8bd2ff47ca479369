#include "game/screens/CIntroState.h"

#include "game/screens/CGameEngine.h"
#include "game/screens/CMenuState.h"
#include "game/screens/cLogo.h"

CIntroState& CIntroState::instance()
{
    static CIntroState state;
    return state;
}

void CIntroState::Init()
{
    CGameEngine::trace(L"CIntroState Init\n");
    m_logo.reset(new cLogo(), [](cLogo* logo) { Engine::deleteLater(logo); });
    m_logo->hiddenSignal.connect([this](Engine::cControl*) { onLogosDone(); });
}

void CIntroState::onLogosDone()
{
    CGameEngine::instance().ChangeState(&CMenuState::instance());
}

void CIntroState::Cleanup()
{
    CGameEngine::trace(L"CIntroState Cleanup\n");
    m_logo.reset();
}

void CIntroState::Pause()
{
    CGameEngine::trace(L"CIntroState Pause\n");
}

void CIntroState::Resume()
{
    CGameEngine::trace(L"CIntroState Resume\n");
}

void CIntroState::Update(CGameEngine*) {}
