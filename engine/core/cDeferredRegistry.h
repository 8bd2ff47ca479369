#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <vector>

namespace Engine
{

// An ordered set of members that is walked once per frame while the handlers it calls add and
// remove members (objects enabled, hidden, re-sorted or destroyed by a handler). Changes made
// during a walk wait in pending sets and are applied at one point, when the outermost walk
// ends; for one member the last change wins. A member removed during the walk is not visited
// any more, so a destroyed object is never met. Walks go over a contiguous copy of the members
// in order that is rebuilt only after the set changed, not on every walk.
template <class Key, class Less = std::less<Key>> class cDeferredRegistry
{
public:
    using tMembers = std::set<Key, Less>;

    void add(const Key& key)
    {
        if (m_depth > 0)
        {
            m_pendingRemove.erase(key);
            m_pendingAdd.insert(key);
        }
        else if (m_members.insert(key).second)
            m_orderStale = true;
    }

    void remove(const Key& key)
    {
        if (m_depth > 0)
        {
            m_pendingAdd.erase(key);
            m_pendingRemove.insert(key);
        }
        else if (m_members.erase(key) != 0)
            m_orderStale = true;
    }

    // The members as of the last applied change (pending changes not counted).
    bool contains(const Key& key) const { return m_members.count(key) != 0; }
    std::size_t size() const { return m_members.size(); }
    const tMembers& members() const { return m_members; }
    bool isWalking() const { return m_depth > 0; }

    // Brackets a walk made elsewhere: from `beginWalk` on, changes wait; the `endWalk` that
    // closes the outermost walk applies them. An `endWalk` without a walk applies nothing.
    void beginWalk()
    {
        if (m_depth++ == 0 && m_orderStale)
        {
            m_order.assign(m_members.begin(), m_members.end());
            m_orderStale = false;
        }
    }

    void endWalk()
    {
        if (m_depth == 0 || --m_depth > 0)
            return;
        if (m_pendingAdd.empty() && m_pendingRemove.empty())
            return;
        m_members.insert(m_pendingAdd.begin(), m_pendingAdd.end());
        for (const Key& key : m_pendingRemove)
            m_members.erase(key);
        m_pendingAdd.clear();
        m_pendingRemove.clear();
        m_orderStale = true;
    }

    // Calls `visit` with every member in order. The walk ends, and the changes are applied,
    // also when `visit` throws.
    template <class Visit> void walk(Visit&& visit)
    {
        beginWalk();
        struct tEnd
        {
            cDeferredRegistry& registry;
            ~tEnd() { registry.endWalk(); }
        } end{*this};
        // The set does not change while any walk runs, so neither does the order: a nested walk
        // goes over the same vector.
        for (const Key& key : m_order)
        {
            if (m_pendingRemove.empty() || m_pendingRemove.count(key) == 0)
                visit(key);
        }
    }

private:
    tMembers m_members;
    tMembers m_pendingAdd;
    tMembers m_pendingRemove;
    std::vector<Key> m_order;
    bool m_orderStale = false;
    unsigned m_depth = 0;
};

} // namespace Engine
