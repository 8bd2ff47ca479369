#pragma once

// A level of the test's own played through the play state as a player plays it: entered as
// the map enters a level of a started profile (its loading screen, its briefing read away with
// Space), then clicked with the scripted mouse at the places where the views are drawn, keys
// for the menus and messages, frames run as the engine runs them.

#include "engine/core/cProps.h"
#include "game/heroes/GameController.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <string>

namespace GameTest
{

class PlayedLevel
{
public:
    static constexpr uint8_t Escape = 1;
    static constexpr uint8_t Space = 57;

    PlayedLevel() { front.fixture.startProfile(); }
    ~PlayedLevel() { CGameEngine::instance().setLevelPath(L""); }
    PlayedLevel(const PlayedLevel&) = delete;
    PlayedLevel& operator=(const PlayedLevel&) = delete;

    // The level written as level `number`, the player's current level, and started.
    Game& enter(int number, const std::string& xml)
    {
        front.fixture.writeLevel(number, xml);
        Engine::cProps::set<int>(L"CurrentLevel", number);
        CGameEngine::instance().setLevelPath(L"");
        CGameEngine::instance().ChangeState(&CPlayState::instance());
        waitForPlay();
        return game();
    }

    // Frames until the level runs on top, reading a briefing away; false when it never did.
    bool waitForPlay()
    {
        CGameEngine& engine = CGameEngine::instance();
        CPlayState& play = CPlayState::instance();
        for (int i = 0; i < 500 && !(play.isRunning() && engine.topState() == &play); ++i)
        {
            if (engine.topState() == &BriefState::instance())
                front.key(Space);
            else
                front.frame();
        }
        return play.isRunning() && engine.topState() == &play;
    }

    Game& game() const { return *CPlayState::instance().getGame(); }

    cUnit::Ptr unit(const wchar_t* type, int index = 1) const
    {
        auto range = game().getUnits().equal_range(typeId(type));
        for (auto it = range.first; it != range.second; ++it)
            if (--index == 0)
                return it->second;
        return cUnit::Ptr();
    }

    // A click where the unit's view is drawn.
    void click(const cUnit::Ptr& target) { front.clickAt(target->getView()->getPosition()); }

    // The goals the planner holds for a unit: plain ones or upgrades.
    int goalsFor(const cUnit::Ptr& target, bool upgrade = false) const
    {
        int count = 0;
        for (const auto& goal : game().getController().getPendingGoals())
            count += goal->getTarget() == target && goal->isUpgrade() == upgrade ? 1 : 0;
        return count;
    }

    // Frames of `dt` until `done` holds, at most `limit` of them; whether it held.
    template <class Predicate> bool playUntil(Predicate done, int limit = 2000, float dt = 0.1f)
    {
        for (int i = 0; i < limit && !done(); ++i)
            front.frame(dt);
        return done();
    }

    FrontEnd front;
};

} // namespace GameTest
