#pragma once

#include <boost/shared_ptr.hpp>

class UnitTip;
class cUnit;

// The tutorial as the rules and the head-up display call it: the units hand it their tips and
// ask it whether a click goes on; the level's clock drives it. The tutorial's screen
// (cTutorial) implements it and installs itself as the program's (`setSource`); without one
// (a program with the rules alone) no tip shows and every click goes on.
class LevelTutor
{
public:
    using TipPtr = boost::shared_ptr<UnitTip>;

    virtual ~LevelTutor() = default;

    virtual void addTip(const TipPtr& tip) = 0;
    // True when the tip is shown now (or will be once the level runs).
    virtual bool showTip(const TipPtr& tip) = 0;
    // The unit of the tip drops it: out of both lists, and a pointer tip of that unit goes.
    virtual void onUnitClicked(const TipPtr& tip) = 0;
    virtual void forgetTip(const TipPtr& tip) = 0;
    virtual void update(float dt) = 0;
    // A new level: the tutorial starts over.
    virtual void reset() = 0;
    // Whether a click on the unit goes on while a pointer tip is shown.
    virtual bool allowsClick(const boost::shared_ptr<cUnit>& unit, bool upgradeClick) = 0;
    // The unit a shown pointer tip points at; empty when none.
    virtual boost::shared_ptr<cUnit> getPointedUnit() const = 0;

    // The program's tutorial, got through the source installed (made on first use, as the
    // tutorial itself is).
    static LevelTutor& instance();
    using Source = LevelTutor& (*)();
    static void setSource(Source source);
};
