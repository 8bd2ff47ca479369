#pragma once

#include "engine/ui/cComposite.h"

#include <boost/signals2/connection.hpp>

#include <functional>
#include <string>

namespace Engine
{
class cTextStyleButton;
class cView;
} // namespace Engine

// The in-game menu ("UI/GameMenu.xml"), opened over the running level as a dialog state:
// resume (also Escape and Return), restart, main menu, map and options. Hiding the menu pops
// its dialog state and the level resumes.
//
// The layout's "Style" child (required) is the menu's look; "ResumeButton", "RestartButton",
// "MainMenuButton", "MapButton" and "OptionsButton" load the five buttons; the root's
// "ExitCurrentGameString" is the question a confirmation would ask.
//
// Restart, main menu and map ask the menu's question first (a yes/no panel above it); options
// opens the options panel above it.
class cGameMenu : public Engine::cComposite
{
public:
    explicit cGameMenu(Engine::cControl* parent);
    ~cGameMenu() override;

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Escape and Return hide the menu while it is enabled (a dialog above it switches them off).
    void onEnable() override;
    void onDisable() override;

    // The answers of "yes": the menu goes and the play state changes, its cleanup saving the
    // level left unfinished: the level being played afresh (the one just won, in its finish),
    // the main menu, or the map.
    void onRestart();
    void onMainMenu();
    void onMap();
    // The options panel above the menu.
    void onOptions();

    Engine::cTextStyleButton* getResumeButton() const { return m_resume; }
    Engine::cTextStyleButton* getRestartButton() const { return m_restart; }
    Engine::cTextStyleButton* getMainMenuButton() const { return m_mainMenu; }
    Engine::cTextStyleButton* getMapButton() const { return m_map; }
    Engine::cTextStyleButton* getOptionsButton() const { return m_options; }
    const std::wstring& getQuestion() const { return m_question; }

private:
    // Asks the menu's question; `yes` runs on "yes".
    void confirm(const std::function<void()>& yes);

    boost::signals2::connection m_enter;
    boost::signals2::connection m_escape;
    // Children of the menu (owned by the tree).
    Engine::cTextStyleButton* m_resume;
    Engine::cTextStyleButton* m_mainMenu;
    Engine::cTextStyleButton* m_restart;
    Engine::cTextStyleButton* m_map;
    Engine::cTextStyleButton* m_options;
    std::wstring m_question;
};
