#pragma once

#include "engine/ui/cPicture.h"
#include "game/screens/TipPanelFit.h"

#include <string>

namespace Engine
{
class cMultiLineText;
}

// A short tutorial message ("UI/MiniBreafing.xml": a picture with "ShowTime" seconds and the
// multi-line text "Text") that shows itself for its time and then deletes itself. Each message
// is a view of its own on the play view: it belongs to the level, goes with it, and its time
// stands still while the level is paused. The message takes the height its text needs
// ("Frame" and "Badge": see TipPanelFit).
class cMiniBriefing : public Engine::cPicture
{
public:
    explicit cMiniBriefing(Engine::cControl* parent = nullptr);

    // A new message with the text on the play view, shown at once.
    static cMiniBriefing* showText(const std::wstring& text);

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // The countdown; once it runs out the message hides and queues itself for deletion.
    void update() override;

    void showMessage(const std::wstring& text);
    float getCountdown() const { return m_countdown; }
    Engine::cMultiLineText* getText() const { return m_text; }
    const TipPanelFit& getFit() const { return m_fit; }

private:
    // A child (owned by the tree).
    Engine::cMultiLineText* m_text;
    TipPanelFit m_fit;
    float m_countdown = 0.0f;
    float m_showTime = 3.0f;
};
