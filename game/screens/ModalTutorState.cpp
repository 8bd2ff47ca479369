#include "game/screens/ModalTutorState.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cTextStyleButton.h"

#include <memory>

ModalTutorState& ModalTutorState::instance()
{
    static ModalTutorState state;
    return state;
}

void ModalTutorState::Create()
{
    trace(L"Create");
    if (m_view)
        return;
    auto view = std::make_unique<cModalTutorStateView>(nullptr);
    Engine::loadLayout(*view, "UI/ModalTutorView.xml");
    view->hide();
    view->disable();
    view->getOkButton()->connectClickAction([this] { close(); });
    adopt(view.release());
}

void ModalTutorState::Resume()
{
    trace(L"Resume");
    showOnTop();
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
