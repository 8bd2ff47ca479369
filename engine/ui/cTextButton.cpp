#include "engine/ui/cTextButton.h"

#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cTextButton::cTextButton(cControl* parent) : cButton(parent), m_caption(new cButtonCaption(this)) {}

cTextButton::cTextButton(const cTextButton& other)
    : cButton(other), m_useTextPosition(other.m_useTextPosition),
      m_caption(new cButtonCaption(*other.m_caption))
{
    m_caption->setParent(this);
}

void cTextButton::loadXML(const tPropertiesPtr& node)
{
    cButton::loadXML(node);
    m_caption->loadForButton(*this, node, m_useTextPosition);
    setDirty();
}

void cTextButton::setAlpha(float alpha)
{
    cButton::setAlpha(alpha);
    m_caption->setAlpha(alpha);
}

void cTextButton::setState(int32_t state)
{
    cButton::setState(state);
    m_caption->followButtonState(state);
}

namespace
{

const cControlFactory::cRegistration names({L"textbutton", L"textbtn"}, &createControl<cTextButton>);

} // namespace

} // namespace Engine
