#include "game/screens/cYesNoExitPanel.h"

#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cTextStyleButton.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr uint32_t EscapeKey = 1;
constexpr uint32_t ReturnKey = 28;

float length(const Engine::cVector2& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

// The vector in its own direction with that length; a zero vector stays zero.
Engine::cVector2 withLength(const Engine::cVector2& v, float wanted)
{
    const float current = length(v);
    if (current <= 0.0f)
        return v;
    return Engine::cVector2(v.x * wanted / current, v.y * wanted / current);
}

} // namespace

cYesNoExitPanel::cYesNoExitPanel(Engine::cControl* parent)
    : Engine::cComposite(parent), m_yes(new Engine::cTextStyleButton(this)),
      m_no(new Engine::cTextStyleButton(this))
{
    for (Engine::cPicture& logo : m_logos)
        logo.setParent(this);
    Engine::loadLayout(*this, Layout);
    m_home = m_yes->getPosition();
    m_yes->connectClickAction([this] { hide(); });
    m_no->connectClickAction([this] { hide(); });
    m_yesKey = [this] { m_yes->clickSignal(m_yes); };
    m_noKey = [this] { m_no->clickSignal(m_no); };
    connectKeys();
    selectLogo(LogoNormal);
}

// The logos go first (members), leaving the panel's children before the composite goes.
cYesNoExitPanel::~cYesNoExitPanel() = default;

void cYesNoExitPanel::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(node);
    Engine::loadRequiredPart(*m_yes, node, L"YesButton");
    Engine::loadRequiredPart(*m_no, node, L"NoButton");
    Engine::loadChildPart(m_logos[LogoNormal], node, L"LogoNormal");
    Engine::loadChildPart(m_logos[LogoGloomy], node, L"LogoGloomy");
    Engine::loadChildPart(m_logos[LogoGlad], node, L"LogoGlad");
}

void cYesNoExitPanel::connectKeys()
{
    Engine::cInput* input = Engine::cInput::instance();
    if (!input || m_returnKey.connected() || !m_yesKey)
        return;
    m_returnKey = input->connectKey(Engine::keyReleased(ReturnKey), [this] { m_yesKey(); });
    m_escapeKey = input->connectKey(Engine::keyReleased(EscapeKey), [this] { m_noKey(); });
}

void cYesNoExitPanel::onShow()
{
    Engine::cComposite::onShow();
    connectKeys();
}

void cYesNoExitPanel::onHide()
{
    Engine::cComposite::onHide();
    m_returnKey.disconnect();
    m_escapeKey.disconnect();
}

void cYesNoExitPanel::setYesAction(const boost::function<void()>& action)
{
    m_yes->connectClickAction(action);
}

void cYesNoExitPanel::selectLogo(int index)
{
    for (int i = 0; i < 3; ++i)
    {
        if (i == index && !m_logos[i].isVisible())
            m_logos[i].show();
        else if (i != index && m_logos[i].isVisible())
            m_logos[i].hide();
    }
}

Engine::cVector2 cYesNoExitPanel::fleeStep(const Engine::cVector2& position, const Engine::cVector2& pointer,
                                           const Engine::cVector2& home, float dt)
{
    const Engine::cVector2 away = position - pointer;
    const float push = std::max(0.0f, (1.0f - length(away) / FleeRadius) * FleeDistance);
    const Engine::cVector2 target = home + withLength(away, push);
    const Engine::cVector2 step = target - position;
    return position + withLength(step, std::min(length(step), dt * FleeSpeed));
}

void cYesNoExitPanel::update()
{
    const Engine::cLogic* logic = Engine::cLogic::instance();
    const Engine::cTimer* timer = Engine::cTimer::instance();
    if (logic && timer && isShown() && isEffectivelyEnabled() && getFadeState() == FadeNone &&
        m_yes->getState() != Engine::cButtonPrototype::StateHover)
        m_yes->setPosition(
            fleeStep(m_yes->getPosition(), logic->getMousePosition(), m_home, timer->getFrameTime()));
    if (m_yes->getState() == Engine::cButtonPrototype::StateHover)
        selectLogo(LogoGloomy);
    else if (m_no->getState() == Engine::cButtonPrototype::StateHover)
        selectLogo(LogoGlad);
    else
        selectLogo(LogoNormal);
    Engine::cComposite::update();
}
