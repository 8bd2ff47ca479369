#include "game/world/NameIdTable.h"

int NameIdTable::idOf(const std::wstring& name)
{
    const auto found = m_ids.find(name);
    if (found != m_ids.end())
        return found->second;
    const int id = size();
    m_ids.emplace(name, id);
    m_names.push_back(name);
    return id;
}

int NameIdTable::find(const std::wstring& name) const
{
    const auto found = m_ids.find(name);
    return found == m_ids.end() ? -1 : found->second;
}

const std::wstring& NameIdTable::nameOf(int id) const
{
    static const std::wstring none;
    if (id < 0 || id >= size())
        return none;
    return m_names[static_cast<size_t>(id)];
}
