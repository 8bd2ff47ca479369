#pragma once

#include "game/screens/CGameState.h"

#include <boost/shared_ptr.hpp>

#include <string>

class cMainScreen;

namespace Engine
{
class cComposite;
}

// The main menu: a backdrop ("MainMenu/Back.xml"), the main screen with the player's name, and
// the menu music. Play changes to the level map; exit, change player, options and credits open
// their panels as dialog states above the menu. The menu starts with the player the profiles
// file names, or else the one of its players the profile store recovers; only when there is no
// player at all is the first player's name asked, before the main screen shows. It never plays
// under a store made for no name, which would keep nothing the player wins.
//
// While a dialog lies above it the main screen is hidden and disabled, so neither its buttons
// nor its Escape key act under the dialog.
class CMenuState : public CGameState
{
public:
    static CMenuState& instance();

    void Init() override;
    // The screen and the backdrop are queued for deletion and the music stops.
    void Cleanup() override;
    void Pause() override;
    // Resources nobody holds any more are let go; the main screen shows again.
    void Resume() override;
    void Update(CGameEngine* engine) override;
    Engine::cControl* getView() const override;

    void onPlay();
    void onExit();
    void onChangeUser();
    void onOptions();
    void onCredits();
    // The name of the first player: that player's profile store, shown on the screen.
    void onFirstUserName(const std::wstring& name);
    // The player selection ended with OK: the (new) player's name.
    void onProfileAccepted();
    // The player selection was left otherwise (a picked row may have changed the player).
    void onProfileDialogClosed();

    cMainScreen* getMainScreen() const { return m_mainScreen.get(); }
    Engine::cComposite* getBackground() const { return m_background.get(); }

private:
    CMenuState() = default;

    boost::shared_ptr<cMainScreen> m_mainScreen;
    boost::shared_ptr<Engine::cComposite> m_background;
};
