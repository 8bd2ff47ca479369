#include "engine/ui/cOverlayButton.h"

#include "engine/devices/RenderTypes.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cPicture.h"

namespace Engine
{

namespace
{

constexpr float OverlayDeep = 0.001f;

} // namespace

cOverlayButton::cOverlayButton(cControl* parent) : cButton(parent), m_overlay(new cPicture(this)) {}

void cOverlayButton::loadXML(const tPropertiesPtr& node)
{
    cButton::loadXML(node);
    m_overlay->setSize(getSize());
    m_overlay->setPosition(getPosition());
    m_overlay->setDeep(getDeep() + OverlayDeep);
    cColor color = DefaultOverlayColor;
    if (node)
        readKey(node, L"OverlayColor", color);
    m_overlay->setColor(color);
    m_overlay->setRenderType(eRenderType::StencilMasked | eRenderType::DestColor);
    m_overlay->hide();
}

void cOverlayButton::showState(int32_t state)
{
    cButton::showState(state);
    if (state == StateDisabled || state == StateNormal)
    {
        m_overlay->hide();
        setRenderType(getRenderType() & ~eRenderType::StencilMask);
    }
    else if (state == StateHover || state == StatePressed)
    {
        m_overlay->show();
        setRenderType(getRenderType() | eRenderType::StencilMask);
    }
}

void cOverlayButton::updateGeometry()
{
    m_overlay->setPosition(getPosition());
    cButton::updateGeometry();
}

namespace
{

const cControlFactory::cRegistration names({L"overlaybutton", L"overlaybtn"}, &createControl<cOverlayButton>);

} // namespace

} // namespace Engine
