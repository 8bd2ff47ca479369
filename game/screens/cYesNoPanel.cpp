#include "game/screens/cYesNoPanel.h"

#include "engine/core/StringUtils.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"

namespace
{

constexpr uint32_t EscapeKey = 1;
constexpr uint32_t ReturnKey = 28;
constexpr uint32_t SpaceKey = 57;

} // namespace

cYesNoPanel::cYesNoPanel(Engine::cControl* parent, const std::wstring& layout)
    : Engine::cComposite(parent), m_yes(new Engine::cTextStyleButton(this)),
      m_no(new Engine::cTextStyleButton(this)), m_text(new Engine::cMultiLineText(this))
{
    Engine::loadLayout(*this, layout.empty() ? std::string(DefaultLayout) : Engine::toUtf8(layout));
    // The panel's own answers come first, so an owner's action finds the dialog popped.
    m_yes->connectClickAction([this] { hide(); });
    m_no->connectClickAction([this] { hide(); });
    connectKeys();
}

cYesNoPanel::~cYesNoPanel() = default;

void cYesNoPanel::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(
        Engine::cProperties::getChildRequired(node, L"StyleCommon", L"the child \"StyleCommon\" is missing"));
    Engine::loadRequiredPart(*m_yes, node, L"YesButton");
    Engine::loadRequiredPart(*m_no, node, L"NoButton");
    Engine::loadRequiredPart(*m_text, node, L"Text");
}

void cYesNoPanel::connectKeys()
{
    Engine::cInput* input = Engine::cInput::instance();
    if (!input || m_returnKey.connected())
        return;
    m_returnKey = input->connectKey(Engine::keyReleased(ReturnKey), [this] { answer(m_yes); });
    m_spaceKey = input->connectKey(Engine::keyReleased(SpaceKey), [this] { answer(m_yes); });
    m_escapeKey = input->connectKey(Engine::keyReleased(EscapeKey), [this] { answer(m_no); });
}

void cYesNoPanel::onShow()
{
    Engine::cComposite::onShow();
    connectKeys();
}

void cYesNoPanel::onHide()
{
    Engine::cComposite::onHide();
    m_returnKey.disconnect();
    m_spaceKey.disconnect();
    m_escapeKey.disconnect();
}

void cYesNoPanel::answer(Engine::cTextStyleButton* button)
{
    button->clickSignal(button);
}

void cYesNoPanel::setYesAction(const boost::function<void()>& action)
{
    m_yes->connectClickAction(action);
}

void cYesNoPanel::setNoAction(const boost::function<void()>& action)
{
    m_no->connectClickAction(action);
}

void cYesNoPanel::setText(const std::wstring& text)
{
    m_text->setText(text, true);
}
