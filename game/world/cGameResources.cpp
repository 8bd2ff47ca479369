#include "game/world/cGameResources.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelArchive.h"
#include "game/world/NameIdTable.h"

cGameResources::cGameResources(const cGameResources& other) : m_items(other.m_items) {}

void cGameResources::save(LevelArchive& archive) const
{
    archive.write4(static_cast<int32_t>(m_items.size()));
    for (const auto& [id, count] : m_items)
    {
        archive.write4(static_cast<int32_t>(id));
        archive.write4(static_cast<int32_t>(count));
    }
}

void cGameResources::load(LevelArchive& archive)
{
    const int size = archive.readCount(8);
    for (int i = 0; i < size; ++i)
    {
        int32_t id = 0;
        int32_t count = 0;
        archive.read4(id);
        archive.read4(count);
        m_items.emplace(id, count);
    }
}

void cGameResources::add(const cGameResources& other)
{
    for (const auto& [id, count] : other.m_items)
        m_items[id] += count;
    changed(this);
}

void cGameResources::subtract(const cGameResources& other)
{
    for (const auto& [id, count] : other.m_items)
        m_items[id] -= count;
    changed(this);
}

void cGameResources::subtractClamped(const cGameResources& other)
{
    for (const auto& [id, count] : other.m_items)
    {
        const auto found = m_items.find(id);
        if (found == m_items.end() || found->second <= 0)
            continue;
        found->second -= count;
        if (found->second < 1)
            found->second = 1;
    }
    changed(this);
}

void cGameResources::divideClamped(int& divisor)
{
    const int by = divisor < 1 ? 1 : divisor;
    for (auto& entry : m_items)
    {
        if (entry.second <= 0)
            continue;
        entry.second /= by;
        if (entry.second < 1)
            entry.second = 1;
    }
    changed(this);
}

void cGameResources::incrementPositive()
{
    for (auto& entry : m_items)
        if (entry.second > 0)
            ++entry.second;
    changed(this);
}

void cGameResources::assign(const cGameResources& other)
{
    if (&other != this)
        m_items = other.m_items;
    changed(this);
}

void cGameResources::clear()
{
    m_items.clear();
    changed(this);
}

void cGameResources::insert(int id, int count)
{
    m_items.emplace(id, count);
    changed(this);
}

bool cGameResources::isEmpty() const
{
    for (const auto& entry : m_items)
        if (entry.second != 0)
            return false;
    return true;
}

bool cGameResources::contains(const cGameResources& other) const
{
    for (const auto& [id, count] : other.m_items)
    {
        if (count == 0)
            continue;
        const auto found = m_items.find(id);
        if (found == m_items.end() || count > found->second)
            return false;
    }
    return true;
}

int cGameResources::getCount(int id) const
{
    const auto found = m_items.find(id);
    return found == m_items.end() ? 0 : found->second;
}

std::wstring cGameResources::toText(bool leaveOutNames, const NameIdTable& names) const
{
    std::wstring text;
    for (const auto& [id, count] : m_items)
    {
        if (!leaveOutNames)
            text += names.nameOf(id);
        text += L' ';
        text += std::to_wstring(count);
        text += L' ';
    }
    return text;
}

void cGameResources::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    loadXML(node, GameConfig::instance().resourceNames());
}

// Each child is one entry: "Name" (entries without one are skipped) and "Count" (0 when
// missing). A name the resource table lacks takes the next id there. A resource already in
// the set keeps its count; the set is not cleared first.
void cGameResources::loadXML(const boost::shared_ptr<Engine::cProperties>& node, NameIdTable& names)
{
    if (!node)
        return;
    Engine::tPropertiesList entries;
    node->getChildren(entries);
    for (const Engine::tPropertiesPtr& entry : entries)
    {
        const std::wstring& name = entry->getAttribute(L"Name");
        if (name.empty())
            continue;
        int count = 0;
        Engine::fromString(count, entry->getAttribute(L"Count"));
        m_items.emplace(names.idOf(name), count);
    }
}

std::wstring cGameResources::toText(bool leaveOutNames) const
{
    return toText(leaveOutNames, GameConfig::instance().resourceNames());
}
