#pragma once

#include "game/heroes/ActionItem.h"

#include <boost/signals2/connection.hpp>

#include <deque>

// A chain: runs its children one after the other, each from the frame in which the one
// before it finished. The running child stays at the front of the queue until it finishes;
// the chain finishes with its last child. Completing the chain completes the running child
// and drops the rest without running them; a child completed from elsewhere completes the
// chain.
class BaseActionsItem final : public ActionItem
{
public:
    BaseActionsItem();
    ~BaseActionsItem() override;

    // The record: the header, the number of queued children (the running one included), then
    // each child's whole record, front first.
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // Reads the children back; the front one becomes the running child again without being
    // started, so it goes on from its restored fields. Throws the archive's error for a child
    // of an unknown type.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void stop() override;
    void update() override;
    void complete() override;

    // Appends a child; chains are filled completely before they start.
    void add(const Ptr& child);
    // Starts the front child when none runs.
    void startNext();

    const std::deque<Ptr>& getChildren() const { return m_children; }
    const Ptr& getCurrent() const { return m_current; }

    Signal childAdded;
    Signal childRemoved;

private:
    void onChildFinished(const Ptr& child);
    void onChildCompleted(const Ptr& child);
    void connectCurrent();
    void disconnectCurrent();
    // Detaches the running child from the chain and the queue; null when none runs.
    Ptr takeCurrent();
    // Stops the queued children and raises the chain's completed signal.
    void dropRestAndComplete();

    std::deque<Ptr> m_children;
    Ptr m_current;
    boost::signals2::connection m_finishedConnection;
    boost::signals2::connection m_completedConnection;
};
