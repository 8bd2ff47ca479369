#include "game/screens/ModalTutorState.h"

#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/TooltipManager.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cModalTutorStateView.h"

ModalTutorState& ModalTutorState::instance()
{
    static ModalTutorState state;
    return state;
}

void ModalTutorState::Create()
{
    CGameEngine::trace(L"ModalTutorState::Create()\n");
    if (m_view)
        return;
    auto* view = new cModalTutorStateView(nullptr);
    try
    {
        Engine::loadLayout(*view, "UI/ModalTutorView.xml");
    }
    catch (...)
    {
        delete view;
        throw;
    }
    m_view = view;
    m_view->hide();
    m_view->disable();
    m_view->getOkButton()->connectClickAction([this] { close(); });
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

void ModalTutorState::Destroy()
{
    CGameEngine::trace(L"ModalTutorState::Destroy()\n");
    m_escape.disconnect();
    if (m_view)
        Engine::cControl::deleteLater(m_view);
    m_view = nullptr;
}

void ModalTutorState::Init()
{
    CGameEngine::trace(L"ModalTutorState::Init()\n");
    Resume();
}

void ModalTutorState::Resume()
{
    CGameEngine::trace(L"ModalTutorState::Resume()\n");
    TooltipManager::instance().reset();
    if (m_view)
    {
        m_view->show();
        m_view->enable();
    }
    m_escape.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_escape = input->connectKey(static_cast<Engine::eControl>(1), [this] { close(); });
}

void ModalTutorState::Pause()
{
    CGameEngine::trace(L"ModalTutorState::Pause()\n");
    if (m_view)
        m_view->disable();
    m_escape.disconnect();
}

void ModalTutorState::Cleanup()
{
    CGameEngine::trace(L"ModalTutorState::Cleanup()\n");
    if (m_view)
        m_view->hide();
}

void ModalTutorState::Update(CGameEngine*) {}

Engine::cControl* ModalTutorState::getView() const
{
    return m_view;
}

void ModalTutorState::showTip(const UnitTip& tip)
{
    if (m_view)
        m_view->showTip(tip);
}

void ModalTutorState::close()
{
    // A second OK or Escape in the same frame finds the state gone and does nothing.
    if (CGameEngine::instance().topState() != this)
        return;
    CGameEngine::instance().PopState();
    Pause();
    if (m_view)
        m_view->hide();
}
