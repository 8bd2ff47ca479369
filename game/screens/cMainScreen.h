#pragma once

#include "engine/ui/cComposite.h"

#include <boost/signals2/connection.hpp>

namespace Engine
{
class cTextLine;
class cTextStyleButton;
} // namespace Engine

// The main menu's board ("MainMenu/MainScreen.xml"): the buttons play, exit, change player,
// options and credits, and the current player's name. While the screen is enabled, Escape is a
// click on the exit button. It is built hidden and disabled.
class cMainScreen : public Engine::cComposite
{
public:
    static constexpr const char* Layout = "MainMenu/MainScreen.xml";

    explicit cMainScreen(Engine::cControl* parent);
    ~cMainScreen() override;

    // The composite's keys, then "PlayButton", "ExitButton", "ChangeUserButton", "Options",
    // "CreditsButton" and "UserNameText"; a missing child leaves its member as it is.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    void onEnable() override;
    void onDisable() override;

    // The current player's name from the profile store (empty without one).
    void refreshUserName();
    void showAndEnable();

    Engine::cTextStyleButton* getPlayButton() const { return m_play; }
    Engine::cTextStyleButton* getExitButton() const { return m_exit; }
    Engine::cTextStyleButton* getChangeUserButton() const { return m_changeUser; }
    Engine::cTextStyleButton* getOptionsButton() const { return m_options; }
    Engine::cTextStyleButton* getCreditsButton() const { return m_credits; }
    Engine::cTextLine* getUserNameText() const { return m_userName; }

private:
    // Children of the screen (owned by the tree).
    Engine::cTextStyleButton* m_play;
    Engine::cTextStyleButton* m_exit;
    Engine::cTextStyleButton* m_changeUser;
    Engine::cTextStyleButton* m_options;
    Engine::cTextStyleButton* m_credits;
    boost::signals2::connection m_escape;
    Engine::cTextLine* m_userName;
};
