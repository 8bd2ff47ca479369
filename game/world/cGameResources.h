#pragma once

#include "engine/core/cLazySignal.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

class LevelArchive;
class NameIdTable;

namespace Engine
{
class cProperties;
}

// A set of resource amounts: resource id (from the configuration's resource-name table) to
// a signed count, visited in ascending id order. Every changing operation raises `changed`
// once, at its end, even when nothing changed; loading (from XML or a saved level) raises
// nothing. An entry whose count is 0 may stay: a set is empty when no count differs from 0.
class cGameResources
{
public:
    using Items = std::map<int, int>;

    cGameResources() = default;
    // Copies the entries; the copy has a new signal with nothing connected.
    cGameResources(const cGameResources& other);
    // Assignment would be ambiguous about the signal; `assign` says what it does.
    cGameResources& operator=(const cGameResources&) = delete;
    virtual ~cGameResources() = default;

    // The record of a saved level: the entry count, then (id, count) pairs in id order.
    virtual void save(LevelArchive& archive) const;
    // Reads a record and inserts each pair unless its id is present; no signal.
    virtual void load(LevelArchive& archive);

    // Made on its first connection: most sets (a unit's costs and outputs) are never watched.
    Engine::cLazySignal<void(cGameResources*)> changed;

    // count[id] += n for every entry of the other set.
    void add(const cGameResources& other);
    // count[id] -= n for every entry of the other set; counts may go below 0.
    void subtract(const cGameResources& other);
    // For ids this set holds above 0 only: count[id] -= n, then at least 1.
    void subtractClamped(const cGameResources& other);
    // Every count above 0 becomes count / divisor, then at least 1. A divisor below 1 (a
    // data value) counts as 1.
    void divideClamped(int& divisor);
    // Every count above 0 grows by 1.
    void incrementPositive();
    // The entries become a copy of the other set's; connections stay.
    void assign(const cGameResources& other);
    // Removes every entry.
    void clear();
    // Inserts one entry unless the id has one already.
    void insert(int id, int count);

    bool isEmpty() const;
    // True when this set holds at least every non-zero count of the other set.
    bool contains(const cGameResources& other) const;
    int getCount(int id) const;
    const Items& getItems() const { return m_items; }
    // Per entry in id order: the resource's name (unless left out), a blank, the count and a
    // blank. The names come from the configuration's resource-name table.
    std::wstring toText(bool leaveOutNames) const;
    std::wstring toText(bool leaveOutNames, const NameIdTable& names) const;

    // Reads a resource list (children with "Name" and "Count"); see the source.
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node);
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node, NameIdTable& names);

private:
    Items m_items;
};
