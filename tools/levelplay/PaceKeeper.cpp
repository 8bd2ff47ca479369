#include "tools/levelplay/PaceKeeper.h"

#include "engine/ui/cLightButton.h"
#include "game/heroes/GameController.h"
#include "game/hud/cUnitView.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "tools/levelplay/PlayerHand.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace LevelPlay
{

namespace
{

bool isOf(const cUnit::Ptr& unit, const wchar_t* category)
{
    return GameConfig::instance().isOfCategory(unit->getTypeId(), category);
}

const char* problemText(UnitProblem problem)
{
    switch (problem)
    {
    case NoRoute:
        return "no way there";
    case NotEnoughResources:
        return "not enough in stock";
    case Busy:
        return "busy";
    case AlreadyTaken:
        return "already a goal";
    case NotServiceable:
        return "nothing to do there";
    default:
        return "refused";
    }
}

// A tutorial tip that points at another unit (or at the upgrade arrow) holds the click: the
// player follows the tip first.
// (The tutorial's own test hides the tip when it lets a click through: it is asked here
// without that.)
bool heldByTip(const cUnit::Ptr& unit, bool upgrade, std::string& why)
{
    const cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr pointed = tutorial.getPointedUnit();
    const bool held = pointed && (upgrade ? tutorial.isUpgradeRestricted() && unit != pointed
                                          : tutorial.isUpgradeRestricted() || unit != pointed);
    if (held)
        why = "a tutorial tip points elsewhere";
    return held;
}

// Another button that takes the pointer at the middle of the target (a heap lying on its
// building; heroes never take it): the player waits for the target to be seen. Of the buttons that compete
// for the pointer the deepest takes it; the others hear the press as well.
bool covered(const LevelRun& run, const Engine::cButtonPrototype& target, std::string& why)
{
    if (!target.getIsDeepProcessing())
        return false;
    for (const Engine::cView* view : PlayerHand::viewsAt(target.getPosition()))
    {
        const auto* button = dynamic_cast<const Engine::cButtonPrototype*>(view);
        if (button && button != &target && button->isEnabled() && button->getIsDeepProcessing() &&
            button->getDeep() > target.getDeep())
        {
            why = "under the pointer: " + run.describeAt(target.getPosition(), false);
            return true;
        }
    }
    return false;
}

} // namespace

PaceKeeper::PaceKeeper(LevelRun& run, float patience) : m_run(run), m_patience(patience) {}

int PaceKeeper::goldFor(float clock)
{
    return static_cast<int>(std::ceil(clock * 1.1f - 1e-3f));
}

int PaceKeeper::silverFor(int gold)
{
    return (gold * 4 + 2) / 3;
}

PaceKeeper::Click PaceKeeper::clickable(const Command& command, std::string& why) const
{
    Game* game = m_run.game();
    const cUnit::Ptr unit = m_run.unitOf(command);
    if (!game)
        return Click::Never;
    if (!unit)
    {
        // What a plant or a quake brings comes later.
        why = "no such unit yet";
        return Click::Later;
    }
    cUnitView* view = unit->getView();
    if (!view)
    {
        why = "no view";
        return Click::Never;
    }
    GameController& controller = game->getController();
    Engine::cPoint blocked = kNoCell;
    const auto info = unit->getActiveLevelInfo();
    if (command.verb == Command::Upgrade)
    {
        const bool base = isOf(unit, UnitCategory::base);
        if (!info)
            return Click::Never;
        const auto type = unit->getTypeInfo();
        const int last = type ? type->levelCount() - 1 : 0;
        if (unit->getLevel() >= last ||
            (unit->getMaxLevel() != -1 && unit->getLevel() >= unit->getMaxLevel()))
        {
            why = "at its highest level";
            return Click::Never;
        }
        Engine::cLightButton* button = view->getUpgradeButton();
        if (!button || !button->isShown() || button->getShowDisabled())
        {
            why = "its upgrade arrow is not lit";
            return Click::Later;
        }
        const UnitProblem problem =
            controller.checkUpgradeGoal(unit, cGameResources(info->upIn), base, blocked);
        why = problemText(problem);
        if (problem == NotServiceable)
            return Click::Never;
        if (problem != NoProblem && problem != NoFreeHero)
            return Click::Later;
        return heldByTip(unit, true, why) || covered(m_run, *button, why) ? Click::Later : Click::Now;
    }
    if (!view->isShown())
    {
        why = "not shown";
        return Click::Later;
    }
    cGameResources cost;
    const UnitProblem problem = controller.getUnitProblem(unit, cost, blocked);
    why = problemText(problem);
    if (problem == NotServiceable)
        return Click::Never;
    if (problem != NoProblem && problem != NoFreeHero)
        return Click::Later;
    if (heldByTip(unit, false, why) || covered(m_run, *view, why))
        return Click::Later;
    if (isOf(unit, UnitCategory::mill) && unit->getAttached().empty() && !unit->isInFireOrDamaged() &&
        (unit->getLevel() > 0 || (info && !info->resOut.isEmpty())))
    {
        why = "nothing lies at it yet";
        return Click::Later;
    }
    return Click::Now;
}

bool PaceKeeper::ready(const Command& command)
{
    const float clock = m_run.clock();
    const bool click =
        command.verb == Command::Click || command.verb == Command::Upgrade || command.verb == Command::Cancel;
    const float earliest = click ? std::max(command.time, m_lastClick + kGap) : command.time;
    if (command.verb != Command::Click && command.verb != Command::Upgrade)
        return clock >= earliest;
    if (!m_run.inLevel())
        return true;
    // The player looks at what the next click needs a little before the click may come.
    if (clock < earliest - kSettle)
        return false;
    if (m_watched != command.line)
    {
        m_watched = command.line;
        m_since = -1.0f;
    }
    std::string why;
    const Click state = clickable(command, why);
    if (state == Click::Never)
        return clock >= earliest;
    if (state == Click::Now)
    {
        if (m_since < 0.0f)
            m_since = clock;
    }
    else
        m_since = -1.0f;
    if (clock < earliest)
        return false;
    if (m_since >= 0.0f && clock >= m_since + kSettle)
        return true;
    if (clock - earliest >= m_patience)
    {
        std::cout << "at " << clock << " s: pace: script line " << command.line << " waited " << m_patience
                  << " s and its unit is still not clickable (" << why << ")\n";
        return true;
    }
    return false;
}

void PaceKeeper::acted(const Command& command)
{
    if (command.verb == Command::Click || command.verb == Command::Upgrade || command.verb == Command::Cancel)
        m_lastClick = m_run.clock();
    m_watched = -1;
    m_since = -1.0f;
}

} // namespace LevelPlay
