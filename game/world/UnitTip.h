#pragma once

#include "engine/core/cVector2.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <string>

class LevelArchive;
class cUnit;

namespace Engine
{
class cProperties;
}

// One tutorial tip of a building ("Tutorial" in the level file). The record is shared: the
// unit's tip list and the tutorial's lists (the tips it times or polls, a modal message that
// waits for the level to run) each hold it, so neither side is left with a tip the other
// deleted.
//
// The tutorial gives the numbers their meaning: the tip type says how the tip is shown (0 a
// small briefing, 1 a modal tutorial screen, 2 an arrow pointing at `target`), the event kind
// when (0 at level time `start`, 5 kept in a list of its own, any other kind when the unit
// reports that event).
class UnitTip
{
public:
    using Ptr = boost::shared_ptr<UnitTip>;

    explicit UnitTip(const boost::shared_ptr<cUnit>& owner) : unit(owner) {}
    UnitTip(const UnitTip&) = delete;
    UnitTip& operator=(const UnitTip&) = delete;

    // "tip_type" and "event_type" (0 when missing), "start", "text" (the whole text), "target".
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node);
    // Why the tutorial could not show the tip as the file gives it: a tip type other than 0,
    // 1 or 2. Empty for a tip it can show, also one without text, of an event kind no unit
    // reports, or pointing off the screen.
    std::string problem() const;
    // The saved-level record: tip type, event kind, start, text, target, the two click
    // counters and the shown flag.
    void save(LevelArchive& archive) const;
    void load(LevelArchive& archive);

    int tipType = 0;
    int eventKind = 0;
    float start = 0.0f;
    std::wstring text;
    Engine::cVector2 target;
    boost::weak_ptr<cUnit> unit;
    // Failed clicks counted by the tutorial for event kinds 2 (resources short) and 3 (no
    // route); saved with the tip.
    int failedResourceClicks = 0;
    int failedRouteClicks = 0;
    // Set by the tutorial once it has shown the tip.
    bool done = false;
};
