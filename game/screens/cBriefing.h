#pragma once

#include "engine/core/cVector2.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Engine
{
class cProperties;
}

// The level's briefings: scripts of timed actions that play over the field before the level
// starts and whenever the level asks for one (a goal reached), read from the level file's
// "BreafData". Each child of "BreafData" is one briefing with an "id"; each of its children
// is one action:
//   "type"     0 camera cut to "target", 1 a reporter speaks "text", 2 the camera glides to
//              "target" and the pointer shows it, 3 wait for the player
//   "start"    briefing time at which the action begins (seconds)
//   "duration" seconds the action lasts
//   "text", "target" (two numbers, "512;384"), "shape"
//
// This is the part of the briefing that the level model feeds: the scripts and the choice of
// the one to play. The view that plays them (reporters, bubbles, camera) joins it with the
// game's screens.
class cBriefing
{
public:
    struct Action
    {
        uint32_t type = 0;
        float start = 0.0f;
        float duration = 0.0f;
        std::wstring text;
        Engine::cVector2 target;
        uint32_t shape = 0;
    };
    using Actions = std::vector<Action>;

    // Reads "BreafData": one action list per briefing id, each sorted by start (an action that
    // starts strictly earlier than one before it changes places with it).
    void parseBriefings(const boost::shared_ptr<Engine::cProperties>& node);
    // Begins the briefing of that id.
    void start(const std::string& id);
    // The actions of the current briefing; throws the narrow string
    // "cBriefing::actions(): unknown briefing id: " and the id when the level has none.
    const Actions& actions() const;
    bool hasBriefing(const std::string& id) const { return m_briefings.count(id) != 0; }
    const std::map<std::string, Actions>& getBriefings() const { return m_briefings; }
    const std::string& getCurrentId() const { return m_currentId; }
    // Every briefing started so far, in order (the briefing state plays them one by one).
    const std::vector<std::string>& getStarted() const { return m_started; }
    // Forgets the scripts of the last level.
    void clear();

private:
    std::map<std::string, Actions> m_briefings;
    std::string m_currentId;
    std::vector<std::string> m_started;
};
