#pragma once

#include "engine/ui/cMultiLineText.h"

#include <cstdint>
#include <string>
#include <vector>

// The text of a briefing's speech bubble: a multi-line text whose letters appear one by one.
//
// After every layout the full text of each wrapped line is kept, and the lines show only the
// visible letters: the first line its first letters, the next line the letters that remain,
// and so on, so that wrapping never changes while the speech is revealed. A negative count
// shows everything.
class cBriefingBubble : public Engine::cMultiLineText
{
public:
    explicit cBriefingBubble(Engine::cControl* parent = nullptr);

    void layout(float multiplier, float interlinear, float& lineHeight) override;

    int32_t getVisibleLetters() const { return m_visibleLetters; }
    void setVisibleLetters(int32_t letters);
    // The full text of each line of the last layout.
    const std::vector<std::wstring>& getLineTexts() const { return m_lineTexts; }

private:
    void applyVisibleLetters();

    int32_t m_visibleLetters = -1;
    std::vector<std::wstring> m_lineTexts;
};
