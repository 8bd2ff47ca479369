#include "engine/ui/cTextAnimButton.h"

#include "engine/ui/cButtonCaption.h"

namespace Engine
{

cTextAnimButton::cTextAnimButton(cControl* parent) : cAnimButton(parent), m_caption(new cButtonCaption(this))
{
}

void cTextAnimButton::loadXML(const tPropertiesPtr& node)
{
    cAnimButton::loadXML(node);
    m_caption->loadForButton(*this, node, m_useTextPosition);
    // The state was set before the caption's style was read: it is set once more, so a styled
    // caption shows its state's look from the start.
    setState(getState());
    setDirty();
}

void cTextAnimButton::setAlpha(float alpha)
{
    cAnimButton::setAlpha(alpha);
    m_caption->setAlpha(alpha);
}

void cTextAnimButton::setState(int32_t state)
{
    cAnimButton::setState(state);
    m_caption->followButtonState(state);
}

void cTextAnimButton::setCaptionText(const std::wstring& text)
{
    if (m_caption->getText() != text)
        m_caption->setText(text);
}

} // namespace Engine
