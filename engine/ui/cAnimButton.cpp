#include "engine/ui/cAnimButton.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cAnimButton::cAnimButton(cControl* parent) : cButtonPrototype(parent) {}

void cAnimButton::loadXML(const tPropertiesPtr& node)
{
    cButtonPrototype::loadXML(node);
    if (node)
    {
        readKey(node, L"frame_normal", frame_normal);
        readKey(node, L"frame_pressed", frame_pressed);
        readKey(node, L"frame_hover", frame_hover);
        readKey(node, L"frame_disabled", frame_disabled);
    }
    // The state picks the frame; the time never runs.
    PlayAnimation = false;
    setState(isEffectivelyEnabled() ? StateNormal : StateDisabled);
    refreshLook();
}

void cAnimButton::showState(int32_t state)
{
    switch (state)
    {
    case StateDisabled:
        setFrame(frame_disabled);
        break;
    case StateNormal:
        setFrame(frame_normal);
        break;
    case StateHover:
        setFrame(frame_hover);
        break;
    case StatePressed:
        setFrame(frame_pressed);
        break;
    default:
        break;
    }
}

namespace
{

const cControlFactory::cRegistration names({L"animbutton", L"animbtn"}, &createControl<cAnimButton>);

} // namespace

} // namespace Engine
