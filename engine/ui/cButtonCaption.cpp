#include "engine/ui/cButtonCaption.h"

#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"

namespace Engine
{

namespace
{

size_t stateIndex(int state)
{
    return state >= 0 && state < 4 ? static_cast<size_t>(state) : 1u;
}

} // namespace

cButtonCaption::cButtonCaption(cControl* parent) : cTextLine(parent)
{
    m_stateColors.fill(getColor());
}

void cButtonCaption::startWave()
{
    m_wave = true;
    m_moving = true;
}

void cButtonCaption::stopWave()
{
    m_wave = false;
    m_moving = true;
}

void cButtonCaption::followButtonState(int state)
{
    if (state == 2)
        startWave();
    else
        stopWave();
}

cColor cButtonCaption::getStateColor(int state) const
{
    return m_stateColors[stateIndex(state)];
}

cVector2 cButtonCaption::getStateOffset(int state) const
{
    return m_stateOffsets[stateIndex(state)];
}

float cButtonCaption::getStateMultiplier(int state) const
{
    return m_stateMultipliers[stateIndex(state)];
}

void cButtonCaption::setText(const std::wstring& text)
{
    const std::wstring old = getText();
    cTextLine::setText(text);
    // New letters start on the line.
    if (getText() != old)
        m_letterOffsets.clear();
}

void cButtonCaption::onDisable()
{
    m_letterOffsets.clear();
    m_moving = false;
    setDirty();
    cTextLine::onDisable();
}

void cButtonCaption::update()
{
    cTextLine::update();
    if (!m_moving)
        return;
    const cTimer* timer = cTimer::instance();
    const float step = (timer ? timer->getFrameTime() : 0.0f) * m_speed;
    bool moved = false;
    float sign = 1.0f;
    for (float& offset : m_letterOffsets)
    {
        const float target = m_wave ? sign * m_offset : 0.0f;
        sign = -sign;
        if (offset == target)
            continue;
        moved = true;
        const float direction = target > offset ? 1.0f : -1.0f;
        offset += direction * step;
        // Reaching or passing the target puts the letter exactly on it.
        if ((target - offset) * direction <= 0.0f)
            offset = target;
    }
    if (moved)
        setDirty();
    m_moving = moved;
}

void cButtonCaption::buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight)
{
    cTextLine::buildSprites(sprites, frame, weight);
    m_letterOffsets.resize(sprites.size(), 0.0f);
    for (size_t i = 0; i < sprites.size(); ++i)
        for (cQuadCorner& corner : sprites[i].corners)
            corner.y += m_letterOffsets[i];
}

void cButtonCaption::loadStyle(const tPropertiesPtr& node)
{
    loadXML(node);
    if (!node)
        return;
    readKey(node, L"Offset", m_offset);
    readKey(node, L"Speed", m_speed);
    m_stateColors.fill(getColor());
    readKey(node, L"color_disabled", m_stateColors[0]);
    readKey(node, L"color_hover", m_stateColors[2]);
    readKey(node, L"color_pressed", m_stateColors[3]);
    if (readKey(node, L"offset", m_stateOffsets[1]))
        m_stateOffsets.fill(m_stateOffsets[1]);
    readKey(node, L"offset_disabled", m_stateOffsets[0]);
    readKey(node, L"offset_hover", m_stateOffsets[2]);
    readKey(node, L"offset_pressed", m_stateOffsets[3]);
    // The state multipliers start at 0, not at the line's 1: a style without "Multiplier"
    // shows no caption.
    float multiplier = 0.0f;
    readKey(node, L"Multiplier", multiplier);
    m_stateMultipliers.fill(multiplier);
    readKey(node, L"Multiplier_disabled", m_stateMultipliers[0]);
    readKey(node, L"Multiplier_hover", m_stateMultipliers[2]);
    readKey(node, L"Multiplier_pressed", m_stateMultipliers[3]);
}

void cButtonCaption::loadForButton(const cView& button, const tPropertiesPtr& node, bool& useTextPosition)
{
    if (node)
    {
        tPropertiesPtr text;
        if (node->getChild(L"Text", text) && text)
        {
            try
            {
                loadStyle(text);
            }
            catch (...)
            {
                rethrowInLayout("child \"Text\"");
            }
        }
        readKey(node, L"UseTextPosition", useTextPosition);
    }
    if (!useTextPosition)
        setPosition(button.getPosition());
    setDeep(button.getDeep() + 1.0f);
}

} // namespace Engine
