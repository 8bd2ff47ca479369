#pragma once

#include "engine/ui/cPicture.h"
#include "game/hud/TipPlacement.h"
#include "game/screens/TipPanelFit.h"

#include <string>
#include <vector>

namespace Engine
{
class cMultiLineText;
}

// A short tutorial message ("UI/MiniBreafing.xml": a picture with "ShowTime" seconds, at least,
// "LetterTime" seconds a letter of its text, for a long text to be read to its end, and the
// multi-line text "Text") that shows itself for its time and then deletes itself. Each message
// is a view of its own on the play view: it belongs to the level, goes with it, and its time
// stands still while the level is paused, hidden, or under a message told over every screen. The message
// takes the height its text needs
// ("Frame" and "Badge": see TipPanelFit).
//
// One message is up at a time: a new one takes the place of the one shown, which goes at once
// (two texts in one place cannot be read). A message stands at its layout's place unless that
// covers what it speaks of or what the player watches (TipPlacement::watched); then it moves
// beside them, where the screen has room. It also keeps off the units it is given to leave in
// sight (those an earlier tip named, still waiting for the player), where a place clear of those
// covers neither what it speaks of nor what the player watches.
class cMiniBriefing : public Engine::cPicture
{
public:
    explicit cMiniBriefing(Engine::cControl* parent = nullptr);
    ~cMiniBriefing() override;

    // A new message with the text on the play view, shown at once and kept off `avoid` (the
    // box of what the message speaks of; none when empty) and, where there is room, off
    // `leaveInSight`.
    static cMiniBriefing* showText(const std::wstring& text, const TipPlacement::Box& avoid = {},
                                   const std::vector<TipPlacement::Box>& leaveInSight = {});
    // The message up now, if any.
    static cMiniBriefing* shown() { return s_shown; }

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // The countdown; once it runs out the message hides and queues itself for deletion.
    void update() override;

    void showMessage(const std::wstring& text);
    // Moves the message off the box, and off what the player watches, if it covers them; off
    // `leaveInSight` too where that costs neither.
    void keepClearOf(const TipPlacement::Box& avoid, const std::vector<TipPlacement::Box>& leaveInSight = {});
    // Hides the message and queues it for deletion.
    void dismiss();
    float getCountdown() const { return m_countdown; }
    Engine::cMultiLineText* getText() const { return m_text; }
    const TipPanelFit& getFit() const { return m_fit; }

private:
    // A child (owned by the tree).
    Engine::cMultiLineText* m_text;
    TipPanelFit m_fit;
    float m_countdown = 0.0f;
    float m_showTime = 3.0f;
    float m_letterTime = 0.0f;

    static cMiniBriefing* s_shown;
};
