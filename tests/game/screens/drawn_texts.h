#pragma once

// The texts a frame draws for the player to read, each with what says it, read off the views the
// frame draws: a text counts only where its letters are on the screen.

#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cView.h"
#include "game/screens/cBriefingBubble.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cSystemMessage.h"
#include "game/screens/cTutorTipView.h"

#include <algorithm>
#include <string>
#include <vector>

namespace GameTest
{

struct DrawnText
{
    // "short message", "tip" (a pointer tip or a modal one), "speech" or "system message".
    std::string speaker;
    std::wstring text;
};

inline std::vector<DrawnText> drawnTexts()
{
    std::vector<DrawnText> drawn;
    std::vector<const Engine::cControl*> speakers;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
    {
        const Engine::cMultiLineText* text = nullptr;
        for (Engine::cControl* up = view; up && view->isShown(); up = up->getParent())
        {
            text = text ? text : dynamic_cast<const Engine::cMultiLineText*>(up);
            const char* speaker = dynamic_cast<const cMiniBriefing*>(up)     ? "short message"
                                  : dynamic_cast<const cTutorTipView*>(up)   ? "tip"
                                  : dynamic_cast<const cBriefingBubble*>(up) ? "speech"
                                  : dynamic_cast<const cSystemMessage*>(up)  ? "system message"
                                                                             : nullptr;
            if (!speaker || !text || text->getText().empty())
                continue;
            if (std::find(speakers.begin(), speakers.end(), up) != speakers.end())
                break;
            speakers.push_back(up);
            drawn.push_back({speaker, text->getText()});
            break;
        }
    }
    return drawn;
}

} // namespace GameTest
