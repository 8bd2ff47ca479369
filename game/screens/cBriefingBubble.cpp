#include "game/screens/cBriefingBubble.h"

#include "engine/ui/cTextLine.h"

#include <algorithm>

cBriefingBubble::cBriefingBubble(Engine::cControl* parent) : Engine::cMultiLineText(parent) {}

void cBriefingBubble::layout(float multiplier, float interlinear, float& lineHeight)
{
    Engine::cMultiLineText::layout(multiplier, interlinear, lineHeight);
    m_lineTexts.clear();
    for (const Engine::cTextLine* line : getLines())
        m_lineTexts.push_back(line->getText());
    applyVisibleLetters();
}

void cBriefingBubble::setVisibleLetters(int32_t letters)
{
    m_visibleLetters = letters;
    applyVisibleLetters();
}

void cBriefingBubble::applyVisibleLetters()
{
    const std::vector<Engine::cTextLine*>& lines = getLines();
    size_t left = m_visibleLetters < 0 ? static_cast<size_t>(-1) : static_cast<size_t>(m_visibleLetters);
    for (size_t i = 0; i < lines.size() && i < m_lineTexts.size(); ++i)
    {
        const std::wstring& full = m_lineTexts[i];
        const size_t shown = std::min(left, full.size());
        lines[i]->setText(full.substr(0, shown));
        left -= shown;
    }
}
