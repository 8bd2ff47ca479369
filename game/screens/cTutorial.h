#pragma once

#include <boost/weak_ptr.hpp>

#include <list>
#include <string>

class UnitTip;
class cUnit;

// The level's tutorial: the tips that the level's units carry appear at a level time (event
// kind 0), when the player's clicks on a unit fail, or when the unit reports an event. While a
// pointer tip (tip type 2) points at a unit, no other tip appears and the tutorial clock
// stands still.
//
// The tutorial lists tips without owning them: their units own them and take them out of the
// lists (removeTip) before deleting them.
//
// This is the part of the tutorial that the level model drives: its lists, its clock and the
// decision whether a tip is shown. The tip views, the small briefing and the modal message
// join it with the game's screens; until then a shown message tip is kept as the last message.
class cTutorial
{
public:
    static cTutorial& instance();

    cTutorial(const cTutorial&) = delete;
    cTutorial& operator=(const cTutorial&) = delete;

    // Event kind 0: into the timed list, before the first tip whose start is the same or later.
    // Event kind 5: appended to the polled list. Other kinds are not kept.
    void addTip(UnitTip* tip);
    // True when the tip is shown now; the caller deletes a shown tip at once. Throws the narrow
    // string "cTutorial::showTip(): unknown type of tip: " and the type for a type beyond 2.
    bool showTip(UnitTip* tip);
    // Takes the tip out of both lists; hides the pointer tip when it belonged to the same unit.
    void removeTip(UnitTip* tip);
    // Takes a tip that is about to be deleted out of both lists, and nothing else.
    void forgetTip(UnitTip* tip);
    // Level time: the first due timed tip whose unit lives is offered.
    void update(float dt);
    void hideTip();
    // A new level: the clock, both lists, the shown tip and the click counters start over.
    void reset();

    // The unit a shown pointer tip points at (empty when none is shown).
    boost::shared_ptr<cUnit> getPointedUnit() const { return m_pointedUnit.lock(); }
    bool isUpgradeRestricted() const { return m_upgradeRestriction; }
    float getTime() const { return m_time; }
    const std::list<UnitTip*>& getTimedTips() const { return m_timedTips; }
    const std::list<UnitTip*>& getPolledTips() const { return m_polledTips; }
    // The text of the last message tip shown (tip types 0 and 1).
    const std::wstring& getLastMessage() const { return m_lastMessage; }

private:
    cTutorial() = default;

    boost::weak_ptr<cUnit> m_pointedUnit;
    bool m_upgradeRestriction = false;
    std::list<UnitTip*> m_timedTips;
    float m_time = 0.0f;
    std::list<UnitTip*> m_polledTips;
    std::wstring m_lastMessage;
};
