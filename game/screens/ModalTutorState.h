#pragma once

#include "game/screens/CGameState.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

class UnitTip;
class cModalTutorStateView;

// The modal tutorial message as a state above the play state: the level stands still until
// the player presses OK or Escape. The view is made once, at the first level start of the run
// (Create), and serves every message after.
class ModalTutorState : public CGameState
{
public:
    static ModalTutorState& instance();

    ModalTutorState(const ModalTutorState&) = delete;
    ModalTutorState& operator=(const ModalTutorState&) = delete;
    // The view is left alone at process exit (the tree may be gone): Destroy, run by the
    // game's shutdown, releases it.
    ~ModalTutorState() override = default;

    // Makes the view (hidden, disabled) unless it exists.
    void Create();
    void Destroy();
    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void Update(CGameEngine* engine) override;
    Engine::cControl* getView() const override;

    // The message of a tip, on the view.
    void showTip(const UnitTip& tip);
    // OK or Escape: the state leaves and the level goes on.
    void close();

    cModalTutorStateView* getTutorView() const { return m_view; }

private:
    ModalTutorState() = default;

    boost::signals2::connection m_escape;
    // Owned: released by Destroy through the tree's deferred deletion.
    cModalTutorStateView* m_view = nullptr;
    bool m_shutdownRegistered = false;
};
