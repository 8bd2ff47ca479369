#pragma once

#include "game/world/LevelArchive.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <cstdint>

// The base of every action a unit performs: walking, working, carrying, falling, and the
// chains that run them one after another. An action is stepped once per frame while it is
// active and ends by finishing its work, by being completed from outside, or by being
// stopped. Running actions are saved with the unfinished level, each record beginning with
// the action's type id.
class ActionItem
{
public:
    using Ptr = boost::shared_ptr<ActionItem>;
    using Signal = boost::signals2::signal<void(ActionItem*)>;

    ActionItem() = default;
    ActionItem(const ActionItem&) = delete;
    ActionItem& operator=(const ActionItem&) = delete;
    virtual ~ActionItem() = default;

    // 0 to 22; the type id written first in the action's saved record.
    virtual int32_t getTypeId() const = 0;
    // Makes the action active and raises `started`.
    virtual void start();
    // One frame of work while active.
    virtual void update() {}
    // Ends the action without its effect.
    virtual void stop() { m_active = false; }
    // The action's saved record after its type id.
    virtual void save(LevelArchive& archive, const UnitNumbering& numbering) const = 0;

    // Clears the active flag and raises `completed`.
    void complete();
    bool isActive() const { return m_active; }

    Signal started;
    Signal completed;

protected:
    bool m_active = false;
};
