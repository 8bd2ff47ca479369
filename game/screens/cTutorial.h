#pragma once

#include "game/hud/TipPlacement.h"
#include "game/world/LevelTutor.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <list>
#include <string>
#include <vector>

class UnitTip;
class cTutorTipView;
class cUnit;

// The level's tutorial: the tips that the level's units carry appear at a level time (event
// kind 0), when a unit reports an event (1 a fall or a saved animal, 4 its upgrade became
// available), on the "TutorialClicksNumber"-th click on a unit that fails for want of
// resources (2) or of a route (3), or, polled every 0.2 s, once the unit can be served (5).
//
// A tip shows as a short message (tip type 0), a modal message that stops the level until the
// player presses OK (1), or a pointer tip (2): a panel with an arrow at the unit, or at its
// upgrade button for an upgrade tip. While a pointer tip is shown no other tip appears, the
// tutorial clock stands still and the level's clicks are restricted (`allowsClick`).
//
// The tip records are shared with their units: a unit that drops its tips takes them out of
// the lists here (`onUnitClicked`). Two texts are never drawn at once. A modal message offered
// while the level is not running (still loading, or under another screen) waits and shows once
// it runs; so does any tip offered while the level starts, another screen (a briefing) or a
// message told over every screen lies above it, or another tip is shown or waits: the waiting
// tips come in order, each once nothing else is shown, and one whose occasion has passed
// meanwhile (its unit gone, the upgrade it points at taken or no longer offered, the refused
// click's reason gone) is dropped. While a short message is up the clock runs but no timed or
// polled tip comes: the message has its time. Under a message told over every screen the clock
// stands. A tip without text is passed over.
//
// A short message or a pointer tip that stood while a screen or a message over every screen
// lay above the level comes back only while what raised it still holds, as a waiting tip does;
// else it goes. A short message keeps clear of the units that tips said before it named, where
// the screen has room, while the player has not taken them since: what an instruction named
// stays in sight until the player has followed it.
class cTutorial final : public LevelTutor
{
public:
    using TipPtr = boost::shared_ptr<UnitTip>;
    // The goal planner's answer whether a unit can be served now (its unit problem: 0 yes, 2
    // yes once a hero is free, anything else no).
    using ProblemQuery = boost::function<int(const boost::shared_ptr<cUnit>&)>;

    static cTutorial& instance();

    cTutorial(const cTutorial&) = delete;
    cTutorial& operator=(const cTutorial&) = delete;

    // Event kind 0: into the timed list, before the first tip whose start is the same or later.
    // Event kind 5: appended to the polled list. Other kinds are not kept.
    void addTip(const TipPtr& tip) override;
    // True when the tip is shown now or waits to be (see above). Throws
    // the narrow string "cTutorial::showTip(): unknown type of tip: " and the type for a type
    // other than 0, 1 and 2.
    bool showTip(const TipPtr& tip) override;
    // The unit of the tip drops it: out of both lists, and a pointer tip of that unit goes.
    void onUnitClicked(const TipPtr& tip) override;
    // Takes the tip out of the timed and the polled list, and nothing else (an accepted modal
    // message still shows).
    void forgetTip(const TipPtr& tip) override;
    // Level time: a waiting modal message, the first due timed tip whose unit lives, and every
    // poll period the first polled tip whose unit can be served.
    void update(float dt) override;
    void hideTip();
    // A new level: the clock, the lists, the shown tip and the restriction start over.
    void reset() override;
    // While a screen lies over the level (a briefing, the menu, the results), the short message
    // and the pointer tip shown step aside, hidden, their time standing; uncovered, they come
    // back as they were while what raised them still holds, and go otherwise.
    void setCovered(bool covered);
    // The tip views go (the game's shutdown, before the engine goes).
    void shutdown();

    // Whether a click on the unit goes on while a pointer tip is shown. An ordinary click (also
    // an animal's) is refused during an upgrade tip; else a click on the pointed unit hides the
    // tip and goes on and any other is refused. An upgrade click is refused only during an
    // upgrade tip, unless it is the pointed unit's, which hides the tip and goes on. Without a
    // pointer tip every click goes on.
    bool allowsClick(const boost::shared_ptr<cUnit>& unit, bool upgradeClick) override;

    void setProblemQuery(const ProblemQuery& query) { m_problemQuery = query; }

    // The unit a shown pointer tip points at (empty when none is shown, or when that unit has
    // left the field).
    boost::shared_ptr<cUnit> getPointedUnit() const override;
    bool isUpgradeRestricted() const { return m_upgradeRestriction; }
    float getTime() const { return m_time; }
    float getPollCountdown() const { return m_pollCountdown; }
    float getPollPeriod() const { return m_pollPeriod; }
    const std::list<TipPtr>& getTimedTips() const { return m_timedTips; }
    const std::list<TipPtr>& getPolledTips() const { return m_polledTips; }
    const std::list<TipPtr>& getWaitingTips() const { return m_waitingTips; }
    // The text of the last message tip shown (tip types 0 and 1).
    const std::wstring& getLastMessage() const { return m_lastMessage; }
    // The pointer tip's view; made on the first pointer tip.
    cTutorTipView* getTipView() const { return m_tipView; }

private:
    cTutorial() = default;

    cTutorTipView& tipView();
    // Whether the play state runs as the top state, so that a modal message can go above it.
    static bool levelRuns();
    // Whether the program shows something else over the running level (it is still starting,
    // its loading screen or a briefing lies above it, or a message told over every screen).
    static bool levelCovered();
    // Whether a short message or a pointer tip is on the screen.
    bool tipShown() const;
    // Whether what raised a waiting tip still holds, so that it is worth showing.
    bool occasionHolds(const UnitTip& tip, const boost::shared_ptr<cUnit>& unit) const;
    // Whether the tip's unit is on the field and what raised the tip still holds.
    bool stillHolds(const TipPtr& tip) const;
    // The short message and the pointer tip shown go when what raised them no longer holds.
    void dropPassedTips();
    // The boxes of the units that tips said before named and that the player has not taken
    // since, but for the tip's own unit.
    std::vector<TipPlacement::Box> awaitedBoxes(const UnitTip& tip) const;
    // Puts the tip on the screen.
    void display(const TipPtr& tip, const boost::shared_ptr<cUnit>& unit);
    // The polled tip the poll shows now, if any.
    bool poll();

    bool m_upgradeRestriction = false;
    std::list<TipPtr> m_timedTips;
    float m_time = 0.0f;
    // Owned: made on first use, released by `shutdown` (never at process exit, when the
    // object tree may be gone).
    cTutorTipView* m_tipView = nullptr;
    std::list<TipPtr> m_polledTips;
    float m_pollPeriod = 0.2f;
    float m_pollCountdown = 0.2f;
    std::list<TipPtr> m_waitingTips;
    ProblemQuery m_problemQuery;
    std::wstring m_lastMessage;
    bool m_shutdownRegistered = false;
    bool m_covered = false;
    // Whether a message over every screen stood at the last update.
    bool m_told = false;
    // The tip the short message shown says (the tutorial shows every short message), and the
    // pointer tip shown, whose unit is the pointed unit.
    TipPtr m_messageTip;
    TipPtr m_pointerTip;
    // The tips said whose units the player has not taken since.
    std::list<TipPtr> m_awaited;
};
