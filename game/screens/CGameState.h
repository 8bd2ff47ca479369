#pragma once

class CGameEngine;

namespace Engine
{
class cControl;
}

// One screen of the game as a state of the engine's stack: `Init` when it enters, `Cleanup`
// when it leaves, `Pause` and `Resume` while another state lies above it, and `Update` once per
// frame while it is the top state. Every state is a function-local static behind its own
// `instance` accessor; the stack only borrows it.
class CGameState
{
public:
    CGameState() = default;
    CGameState(const CGameState&) = delete;
    CGameState& operator=(const CGameState&) = delete;
    virtual ~CGameState() = default;

    virtual void Init() = 0;
    virtual void Cleanup() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Update(CGameEngine* engine) = 0;

    // The state's main view (null when it has none).
    virtual Engine::cControl* getView() const { return nullptr; }
};
