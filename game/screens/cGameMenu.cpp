#include "game/screens/cGameMenu.h"

#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cOptions.h"
#include "game/screens/cYesNoPanel.h"

cGameMenu::cGameMenu(Engine::cControl* parent)
    : Engine::cComposite(parent), m_resume(new Engine::cTextStyleButton(this)),
      m_mainMenu(new Engine::cTextStyleButton(this)), m_restart(new Engine::cTextStyleButton(this)),
      m_map(new Engine::cTextStyleButton(this)), m_options(new Engine::cTextStyleButton(this))
{
    Engine::loadLayout(*this, "UI/GameMenu.xml");
    m_resume->connectClickAction([this] { hide(); });
    m_restart->connectClickAction([this] { confirm([this] { onRestart(); }); });
    m_mainMenu->connectClickAction([this] { confirm([this] { onMainMenu(); }); });
    m_map->connectClickAction([this] { confirm([this] { onMap(); }); });
    m_options->connectClickAction([this] { onOptions(); });
}

cGameMenu::~cGameMenu()
{
    m_enter.disconnect();
    m_escape.disconnect();
}

void cGameMenu::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(Engine::cProperties::getChildRequired(node, L"Style", L"Style"));
    Engine::readKey(node, L"ExitCurrentGameString", m_question);
    Engine::loadRequiredPart(*m_resume, node, L"ResumeButton");
    Engine::loadRequiredPart(*m_restart, node, L"RestartButton");
    Engine::loadRequiredPart(*m_mainMenu, node, L"MainMenuButton");
    Engine::loadRequiredPart(*m_map, node, L"MapButton");
    Engine::loadRequiredPart(*m_options, node, L"OptionsButton");
}

void cGameMenu::onEnable()
{
    Engine::cComposite::onEnable();
    m_escape.disconnect();
    m_enter.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
    {
        m_escape = input->connectKey(static_cast<Engine::eControl>(1), [this] { hide(); });
        m_enter = input->connectKey(static_cast<Engine::eControl>(28), [this] { hide(); });
    }
}

void cGameMenu::onDisable()
{
    Engine::cComposite::onDisable();
    m_escape.disconnect();
    m_enter.disconnect();
}

void cGameMenu::confirm(const std::function<void()>& yes)
{
    // The panel hides itself on either answer, which pops its state and gives the menu back;
    // "no" leaves the menu open over the paused level.
    // The question is asked over the menu, which stays in sight.
    CDialogState<cGameMenu>::instance().setHideWhenPaused(false);
    auto& dialog = CDialogState<cYesNoPanel>::instance();
    dialog.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&dialog);
    if (const boost::shared_ptr<cYesNoPanel> panel = dialog.getPanel())
    {
        panel->setYesAction(yes);
        panel->setNoAction([] {});
        panel->setText(m_question);
    }
}

namespace
{

// The menu's state goes (the play state resumes), then the play state changes to `next`: its
// cleanup saves the unfinished level on the way.
void leaveLevelFor(CGameState* next)
{
    CGameEngine& engine = CGameEngine::instance();
    if (engine.topState() != &CPlayState::instance())
        engine.PopState();
    if (engine.topState() == &CPlayState::instance())
        engine.ChangeState(next);
}

} // namespace

void cGameMenu::onRestart()
{
    CPlayState::instance().selectPlayedLevel();
    leaveLevelFor(&CPlayState::instance());
}

void cGameMenu::onMainMenu()
{
    leaveLevelFor(&CMenuState::instance());
}

void cGameMenu::onMap()
{
    CGameEngine::instance().setEnteredFromMainMenu(false);
    leaveLevelFor(&CMapState::instance());
}

void cGameMenu::onOptions()
{
    // The menu stays under the options, disabled until they close.
    auto& options = CDialogState<cOptions>::instance();
    options.setHideWhenPaused(false);
    options.setPopOnPanelClose(true);
    options.setCloseOnEscape(true);
    CGameEngine::instance().PushState(&options);
}
