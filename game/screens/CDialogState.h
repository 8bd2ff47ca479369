#pragma once

#include "engine/core/cControl.h"
#include "engine/devices/cInput.h"
#include "engine/devices/eControl.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CGameState.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

// How a dialog state builds its panel: without a parent. A panel class whose constructor
// wants more specialises this.
template <class T> T* createDialogPanel()
{
    return new T(nullptr);
}

// A modal panel shown as a state of its own above the state that pushed it (the main menu, the
// map or the play state), which is paused meanwhile.
//
// The panel lies above everything on the screen: its deep is (state count x 1000) + 10000, the
// count including this state, so a dialog pushed over another lies above it. The state pops
// itself when the panel hides itself (pop on panel close) and, where enabled, when Escape is
// released. Every activation builds a fresh panel; the panel is released by Cleanup and
// deleted at the end of that frame, so a panel whose own signal popped the state is not
// deleted while its handler runs.
//
// Each panel class has one state, a function-local static; its three flags keep the values the
// last pusher set.
template <class T> class CDialogState : public CGameState
{
public:
    static CDialogState& instance()
    {
        static CDialogState state;
        return state;
    }

    void Init() override
    {
        CGameEngine::trace(L"CDialogState Init\n");
        registerShutdown();
        if (!m_panel)
            makePanel();
        Engine::cControl* control = m_panel.get();
        m_panel->setDeep(static_cast<float>(
            static_cast<double>(CGameEngine::instance().getStateCount()) * 1000.0 + 10000.0));
        control->show();
        control->enable();
        if (m_popOnPanelClose)
            control->hiddenSignal.connect([this](Engine::cControl*) { onPanelHidden(); });
        if (m_closeOnEscape)
            connectEscape();
    }

    void Cleanup() override
    {
        CGameEngine::trace(L"CDialogState Cleanup\n");
        m_panel.reset();
        m_escape.disconnect();
    }

    void Pause() override
    {
        CGameEngine::trace(L"CDialogState Pause\n");
        if (m_panel)
            static_cast<Engine::cControl*>(m_panel.get())->disable();
        m_escape.disconnect();
        if (m_panel && m_hideWhenPaused)
        {
            // Stepping aside for the state above is not closing: the hide pops nothing.
            m_pausing = true;
            static_cast<Engine::cControl*>(m_panel.get())->hide();
            m_pausing = false;
        }
    }

    void Resume() override
    {
        CGameEngine::trace(L"CDialogState Resume\n");
        if (m_panel)
        {
            static_cast<Engine::cControl*>(m_panel.get())->enable();
            if (m_hideWhenPaused)
                static_cast<Engine::cControl*>(m_panel.get())->show();
        }
        if (m_closeOnEscape)
            connectEscape();
    }

    void Update(CGameEngine*) override {}

    // Builds the panel disabled and hidden, ahead of the first push.
    virtual void Create()
    {
        CGameEngine::trace(L"CDialogState Create\n");
        registerShutdown();
        makePanel();
        static_cast<Engine::cControl*>(m_panel.get())->disable();
        static_cast<Engine::cControl*>(m_panel.get())->hide();
    }

    Engine::cControl* getView() const override { return m_panel.get(); }

    // To be set before PushState.
    void setHideWhenPaused(bool on) { m_hideWhenPaused = on; }
    void setPopOnPanelClose(bool on) { m_popOnPanelClose = on; }
    void setCloseOnEscape(bool on) { m_closeOnEscape = on; }
    bool getHideWhenPaused() const { return m_hideWhenPaused; }
    bool getPopOnPanelClose() const { return m_popOnPanelClose; }
    bool getCloseOnEscape() const { return m_closeOnEscape; }
    // The panel, for the pusher to fill right after the push; empty before Init and after
    // Cleanup.
    boost::shared_ptr<T> getPanel() const { return m_panel; }

    // Released before the application goes at shutdown.
    void shutdown()
    {
        m_registered = false;
        m_escape.disconnect();
        m_panel.reset();
    }

    void onEscape()
    {
        if (!m_closeOnEscape)
            return;
        if (m_popOnPanelClose && m_panel)
            static_cast<Engine::cControl*>(m_panel.get())->hide();
        else
            CGameEngine::instance().PopState();
    }

private:
    CDialogState() = default;

    void makePanel()
    {
        m_panel.reset(createDialogPanel<T>(), [](T* panel) { Engine::deleteLater(panel); });
    }

    void onPanelHidden()
    {
        if (!m_pausing)
            CGameEngine::instance().PopState();
    }

    void registerShutdown()
    {
        if (m_registered)
            return;
        m_registered = true;
        CGameEngine::instance().atShutdown([this] { shutdown(); });
    }

    void connectEscape()
    {
        m_escape.disconnect();
        if (Engine::cInput* input = Engine::cInput::instance())
            m_escape = input->connectKey(static_cast<Engine::eControl>(1), [this] { onEscape(); });
    }

    boost::signals2::connection m_escape;
    bool m_hideWhenPaused = false;
    bool m_popOnPanelClose = true;
    bool m_closeOnEscape = false;
    boost::shared_ptr<T> m_panel;
    bool m_registered = false;
    // Set while Pause hides the panel.
    bool m_pausing = false;
};
