#include "game/screens/CMenuState.h"

#include "engine/core/cProfileManager.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cComposite.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMapState.h"
#include "game/screens/cCredits.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cOptions.h"
#include "game/screens/cSelectProfileWrapper.h"
#include "game/screens/cYesNoExitPanel.h"
#include "game/world/cGameSounds.h"

namespace
{

template <class T> void releaseLater(T* view)
{
    Engine::deleteLater(view);
}

// The player store the menu makes lives until the game ends: then it goes (which writes the
// player's values) before the file system does.
void keepProfilesUntilShutdown()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    CGameEngine::instance().atShutdown(
        []
        {
            registered = false;
            delete Engine::cProfileManager::instance();
        });
}

} // namespace

CMenuState& CMenuState::instance()
{
    static CMenuState state;
    return state;
}

Engine::cControl* CMenuState::getView() const
{
    return m_mainScreen.get();
}

void CMenuState::Init()
{
    CGameEngine::trace(L"CMenuState Init\n");
    m_background.reset(new Engine::cComposite(nullptr), &releaseLater<Engine::cComposite>);
    Engine::loadLayout(*m_background, "MainMenu/Back.xml");
    m_mainScreen.reset(new cMainScreen(nullptr), &releaseLater<cMainScreen>);

    CGameEngine& engine = CGameEngine::instance();
    keepProfilesUntilShutdown();
    // The player of the list, or one recovered from a damaged or lost list: a name is asked
    // for only when there is no player at all. The player is made current before the music
    // starts, so that it plays at the player's volumes from its first sound.
    Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    const bool playing = profiles && !profiles->currentUserName().empty();
    const std::wstring player = playing ? std::wstring() : Engine::cProfileManager::readCurrentUser();
    if (!playing && player.empty())
    {
        // The screen stays hidden until the name is given: the panel's close resumes the menu,
        // then the name makes the player's profile store.
        auto& firstUser = CDialogState<cFirstUser>::instance();
        engine.PushState(&firstUser);
        if (const boost::shared_ptr<cFirstUser> panel = firstUser.getPanel())
            panel->setNameCallback([this](const std::wstring& name) { onFirstUserName(name); });
    }
    else
    {
        if (!playing)
        {
            delete profiles;
            new Engine::cProfileManager(player);
        }
        m_mainScreen->refreshUserName();
        Resume();
    }
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playMusic("main_menu_music", false);

    m_mainScreen->getPlayButton()->connectClickAction([this] { onPlay(); });
    m_mainScreen->getExitButton()->connectClickAction([this] { onExit(); });
    m_mainScreen->getChangeUserButton()->connectClickAction([this] { onChangeUser(); });
    m_mainScreen->getOptionsButton()->connectClickAction([this] { onOptions(); });
    m_mainScreen->getCreditsButton()->connectClickAction([this] { onCredits(); });
}

void CMenuState::Cleanup()
{
    CGameEngine::trace(L"CMenuState Cleanup\n");
    m_mainScreen.reset();
    m_background.reset();
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->stopMusic();
}

void CMenuState::Pause()
{
    CGameEngine::trace(L"CMenuState Pause\n");
    if (m_mainScreen)
    {
        m_mainScreen->hide();
        m_mainScreen->disable();
    }
}

void CMenuState::Resume()
{
    CGameEngine::trace(L"CMenuState Resume\n");
    if (Engine::cResourceManager* resources = Engine::cResourceManager::instance())
        resources->releaseUnused();
    if (m_mainScreen)
    {
        m_mainScreen->enable();
        m_mainScreen->showAndEnable();
    }
}

void CMenuState::Update(CGameEngine*) {}

void CMenuState::onPlay()
{
    CGameEngine& engine = CGameEngine::instance();
    engine.setEnteredFromMainMenu(true);
    engine.ChangeState(&CMapState::instance());
}

void CMenuState::onExit()
{
    auto& exit = CDialogState<cYesNoExitPanel>::instance();
    exit.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&exit);
    if (const boost::shared_ptr<cYesNoExitPanel> panel = exit.getPanel())
        panel->setYesAction([] { CGameEngine::instance().Quit(); });
}

void CMenuState::onChangeUser()
{
    auto& selection = CDialogState<cSelectProfileWrapper>::instance();
    selection.setHideWhenPaused(false);
    selection.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&selection);
    if (const boost::shared_ptr<cSelectProfileWrapper> panel = selection.getPanel())
    {
        panel->setAcceptHook([this] { onProfileAccepted(); });
        panel->setCloseHook([this] { onProfileDialogClosed(); });
    }
}

void CMenuState::onOptions()
{
    auto& options = CDialogState<cOptions>::instance();
    options.setHideWhenPaused(false);
    options.setPopOnPanelClose(true);
    options.setCloseOnEscape(true);
    CGameEngine::instance().PushState(&options);
}

void CMenuState::onCredits()
{
    auto& credits = CDialogState<cCredits>::instance();
    credits.setHideWhenPaused(false);
    credits.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&credits);
}

void CMenuState::onFirstUserName(const std::wstring& name)
{
    delete Engine::cProfileManager::instance();
    new Engine::cProfileManager(name);
    if (m_mainScreen)
        m_mainScreen->refreshUserName();
}

void CMenuState::onProfileAccepted()
{
    if (m_mainScreen)
        m_mainScreen->refreshUserName();
}

void CMenuState::onProfileDialogClosed()
{
    if (m_mainScreen)
        m_mainScreen->refreshUserName();
}
