#include "engine/ui/cCheckButton.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cPicture.h"

namespace Engine
{

cCheckButton::cCheckButton(cControl* parent) : cAnimButton(parent), m_tick(new cPicture(this))
{
    // Connected first, so it runs before every handler of the user.
    clickSignal.connect([this](cView*) { m_clicked = true; });
}

void cCheckButton::showTick()
{
    if (m_checked)
        m_tick->show();
    else
        m_tick->hide();
}

void cCheckButton::update()
{
    cAnimButton::update();
    showTick();
}

void cCheckButton::onClick()
{
    // A release away from the button, or one that is refused, is no click and toggles nothing.
    m_clicked = false;
    cAnimButton::onClick();
    if (!m_clicked)
        return;
    m_checked = !m_checked;
    checkedSignal(m_checked);
}

void cCheckButton::loadXML(const tPropertiesPtr& node)
{
    cAnimButton::loadXML(node);
    if (!node)
        return;
    loadChildPart(*m_tick, node, L"Tick");
    readKey(node, L"Checked", m_checked);
    showTick();
}

namespace
{

const cControlFactory::cRegistration names({L"checkbutton", L"checkbtn"}, &createControl<cCheckButton>);

} // namespace

} // namespace Engine
