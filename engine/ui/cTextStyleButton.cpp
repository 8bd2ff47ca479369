#include "engine/ui/cTextStyleButton.h"

#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cTextStyleButton::cTextStyleButton(cControl* parent) : cTextAnimButton(parent) {}

void cTextStyleButton::setState(int32_t state)
{
    cTextAnimButton::setState(state);
    // Applied on every call, so a restyled caption follows even when the state stays.
    m_caption->setColor(m_caption->getStateColor(state));
    m_caption->setMultiplier(m_caption->getStateMultiplier(state));
    if (!m_useTextPosition)
        m_caption->setPosition(getPosition() + m_caption->getStateOffset(state));
}

namespace
{

const cControlFactory::cRegistration names({L"textanimbutton", L"textanimbtn"},
                                           &createControl<cTextStyleButton>);

} // namespace

} // namespace Engine
