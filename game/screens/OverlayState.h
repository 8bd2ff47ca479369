#pragma once

#include "engine/core/cControl.h"
#include "engine/devices/cInput.h"
#include "game/hud/TooltipManager.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CGameState.h"

#include <boost/signals2/connection.hpp>

#include <string>

// A state that lies above the play state with one view of its own: the view is made once per
// run (the derived state's Create hands it over through `adopt`) and released by the game's
// shutdown, since at process exit the control tree may be gone. While the state is on top,
// Escape runs its `onEscape`; paused, the view takes no input.
template <class View> class OverlayState : public CGameState
{
public:
    OverlayState(const OverlayState&) = delete;
    OverlayState& operator=(const OverlayState&) = delete;
    ~OverlayState() override = default;

    void Destroy()
    {
        trace(L"Destroy");
        m_escape.disconnect();
        if (m_view)
            Engine::cControl::deleteLater(m_view);
        m_view = nullptr;
    }
    void Init() override
    {
        trace(L"Init");
        Resume();
    }
    void Pause() override
    {
        trace(L"Pause");
        if (m_view)
            m_view->disable();
        m_escape.disconnect();
    }
    void Cleanup() override
    {
        trace(L"Cleanup");
        if (m_view)
            m_view->hide();
    }
    void Update(CGameEngine*) override {}
    Engine::cControl* getView() const override { return m_view; }

protected:
    // `name` starts every trace line of the state ("BriefState::Init()").
    explicit OverlayState(const wchar_t* name) : m_name(name) {}

    // Writes "<name>::<operation>()".
    void trace(const wchar_t* operation) const
    {
        CGameEngine::trace((m_name + L"::" + operation + L"()\n").c_str());
    }

    // Takes the view made by Create and has the game's shutdown release it.
    void adopt(View* view)
    {
        m_view = view;
        if (m_shutdownRegistered)
            return;
        m_shutdownRegistered = true;
        CGameEngine::instance().atShutdown(
            [this]
            {
                m_shutdownRegistered = false;
                Destroy();
            });
    }

    // The common part of Resume: tooltips of the level under it go, the view shows and takes
    // input, and Escape answers.
    void showOnTop()
    {
        TooltipManager::instance().reset();
        if (m_view)
        {
            m_view->show();
            m_view->enable();
        }
        m_escape.disconnect();
        if (Engine::cInput* input = Engine::cInput::instance())
            m_escape = input->connectKey(static_cast<Engine::eControl>(1), [this] { onEscape(); });
    }

    virtual void onEscape() = 0;

    // Owned: released by Destroy through the tree's deferred deletion.
    View* m_view = nullptr;

private:
    std::wstring m_name;
    boost::signals2::connection m_escape;
    bool m_shutdownRegistered = false;
};
