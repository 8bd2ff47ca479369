#include "game/screens/cGameMenu.h"

#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"

cGameMenu::cGameMenu(Engine::cControl* parent)
    : Engine::cComposite(parent), m_resume(new Engine::cTextStyleButton(this)),
      m_mainMenu(new Engine::cTextStyleButton(this)), m_restart(new Engine::cTextStyleButton(this)),
      m_map(new Engine::cTextStyleButton(this)), m_options(new Engine::cTextStyleButton(this))
{
    Engine::loadLayout(*this, "UI/GameMenu.xml");
    m_resume->connectClickAction([this] { hide(); });
    m_restart->connectClickAction([this] { onRestart(); });
    for (Engine::cTextStyleButton* button : {m_mainMenu, m_map, m_options})
        button->disable();
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
    Engine::loadChildXML(m_resume, node, L"ResumeButton", nullptr);
    Engine::loadChildXML(m_restart, node, L"RestartButton", nullptr);
    Engine::loadChildXML(m_mainMenu, node, L"MainMenuButton", nullptr);
    Engine::loadChildXML(m_map, node, L"MapButton", nullptr);
    Engine::loadChildXML(m_options, node, L"OptionsButton", nullptr);
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

void cGameMenu::onRestart()
{
    // Hiding pops the menu's state, which resumes the level; then the level starts afresh.
    hide();
    CGameEngine& engine = CGameEngine::instance();
    if (engine.topState() == &CPlayState::instance())
        engine.ChangeState(&CPlayState::instance());
}
