#include "game/screens/cMainScreen.h"

#include "engine/core/cProfileManager.h"
#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"

namespace
{

constexpr uint32_t EscapeKey = 1;

} // namespace

cMainScreen::cMainScreen(Engine::cControl* parent)
    : Engine::cComposite(parent), m_play(new Engine::cTextStyleButton(this)),
      m_exit(new Engine::cTextStyleButton(this)), m_changeUser(new Engine::cTextStyleButton(this)),
      m_options(new Engine::cTextStyleButton(this)), m_credits(new Engine::cTextStyleButton(this)),
      m_userName(new Engine::cTextLine(this))
{
    Engine::loadLayout(*this, Layout);
    hide();
    disable();
}

cMainScreen::~cMainScreen()
{
    m_escape.disconnect();
}

void cMainScreen::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(node);
    // The menu's buttons are its ways on: without one the layout is wrong.
    Engine::loadRequiredPart(*m_play, node, L"PlayButton");
    Engine::loadRequiredPart(*m_exit, node, L"ExitButton");
    Engine::loadRequiredPart(*m_changeUser, node, L"ChangeUserButton");
    Engine::loadRequiredPart(*m_options, node, L"Options");
    Engine::loadRequiredPart(*m_credits, node, L"CreditsButton");
    Engine::loadChildPart(*m_userName, node, L"UserNameText");
}

void cMainScreen::onEnable()
{
    Engine::cComposite::onEnable();
    m_escape.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_escape = input->connectKey(Engine::keyReleased(EscapeKey), [this] { m_exit->clickSignal(m_exit); });
}

void cMainScreen::onDisable()
{
    Engine::cComposite::onDisable();
    m_escape.disconnect();
}

void cMainScreen::refreshUserName()
{
    const Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    m_userName->setText(profiles ? profiles->currentUserName() : std::wstring());
}

void cMainScreen::showAndEnable()
{
    show();
    enable();
}
