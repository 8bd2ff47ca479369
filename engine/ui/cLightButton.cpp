#include "engine/ui/cLightButton.h"

#include "engine/devices/RenderTypes.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cPicture.h"

namespace Engine
{

namespace
{

constexpr float LightAlpha = 0.7f;
constexpr float LightDeep = 0.001f;

} // namespace

cLightButton::cLightButton(cControl* parent) : cButton(parent), m_light(new cPicture(this)) {}

void cLightButton::synchronise(bool withPosition)
{
    static_cast<cImage&>(*m_light) = *this;
    if (withPosition)
        m_light->setPosition(getPosition());
    m_light->setSize(getSize());
    m_light->setInverceX(getInverceX());
    m_light->setInverceY(getInverceY());
    m_light->setAlpha(getAlpha() * LightAlpha);
    m_light->setFrame(getFrame());
    m_light->setDirty();
}

void cLightButton::loadXML(const tPropertiesPtr& node)
{
    cButton::loadXML(node);
    if (node)
        readKey(node, L"DisableLight", m_disableLight);
    if (!m_disableLight)
    {
        synchronise(false);
        m_light->setRenderType(eRenderType::AlphaRef160 | eRenderType::DestColor);
        m_light->setDeep(getDeep() + LightDeep);
    }
    m_light->hide();
}

void cLightButton::showState(int32_t state)
{
    cButton::showState(state);
    if (state == StateDisabled || state == StateNormal)
    {
        m_light->hide();
    }
    else if ((state == StateHover || state == StatePressed) && !m_disableLight)
    {
        m_light->show();
        synchronise(true);
    }
}

void cLightButton::updateGeometry()
{
    if (m_light->isVisible())
        synchronise(false);
    cButton::updateGeometry();
}

namespace
{

const cControlFactory::cRegistration names({L"lightbutton", L"lightbtn"}, &createControl<cLightButton>);

} // namespace

} // namespace Engine
