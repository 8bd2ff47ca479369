#pragma once

#include "game/screens/OverlayState.h"
#include "game/screens/cModalTutorStateView.h"

class UnitTip;

// The modal tutorial message as a state above the play state: the level stands still until
// the player presses OK or Escape. The view is made once, at the first level start of the run
// (Create), and serves every message after.
class ModalTutorState : public OverlayState<cModalTutorStateView>
{
public:
    static ModalTutorState& instance();

    // Makes the view (hidden, disabled) unless it exists.
    void Create();
    void Resume() override;

    // The message of a tip, on the view.
    void showTip(const UnitTip& tip);
    // OK or Escape: the state leaves and the level goes on.
    void close();

    cModalTutorStateView* getTutorView() const { return m_view; }

private:
    ModalTutorState() : OverlayState(L"ModalTutorState") {}
    void onEscape() override { close(); }
};
