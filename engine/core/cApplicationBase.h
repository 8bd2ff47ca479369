#pragma once

#include "engine/core/cSingleton.h"

namespace Engine
{

struct cAppParams;

// The one application object: its callbacks and the user pointer handed to them.
class cApplicationBase : public cSingleton<cApplicationBase>
{
public:
    using tCallback = bool (*)(void* userData);
    using tIdleCallback = void (*)(void* argument);

    virtual ~cApplicationBase() = default;

    // The message loop; here only the idle callback, once.
    virtual bool run()
    {
        if (m_idle)
            m_idle(m_idleArgument);
        return true;
    }
    // Call the start and finish callbacks with the user pointer; true when there is none.
    virtual bool onInit() { return m_onInit ? m_onInit(m_userData) : true; }
    virtual bool onExit() { return m_onExit ? m_onExit(m_userData) : true; }

    // Called after each frame of the message loop.
    void setIdleCallback(tIdleCallback callback, void* argument)
    {
        m_idle = callback;
        m_idleArgument = argument;
    }

protected:
    cApplicationBase(tCallback initCallback, tCallback exitCallback, void* userData)
        : m_onInit(initCallback), m_onExit(exitCallback), m_userData(userData)
    {
    }

    tIdleCallback m_idle = nullptr;
    void* m_idleArgument = nullptr;
    tCallback m_onInit = nullptr;
    tCallback m_onExit = nullptr;
    void* m_userData = nullptr;
};

} // namespace Engine
