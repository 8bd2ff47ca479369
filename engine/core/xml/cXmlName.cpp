#include "engine/core/xml/cXmlName.h"

#include "engine/core/cProperties.h"

#include <cstdint>

namespace Engine::xml
{

namespace
{

// Whether the UTF-16 name holds exactly the characters of `text` (Basic Plane only; a name
// with a pair is simply looked up the long way).
bool sameText(const tUnit* units, std::wstring_view text)
{
    for (const wchar_t c : text)
    {
        if (*units++ != static_cast<uint32_t>(c))
            return false;
    }
    return *units == 0;
}

} // namespace

const cPropertyName& cNameTable::intern(const tUnit* units)
{
    cRecent& recent = m_recent[(reinterpret_cast<uintptr_t>(units) >> 3) % m_recent.size()];
    if (recent.units == units && sameText(units, recent.name.view()))
        return recent.name;
    m_decoded.clear();
    appendUnits(m_decoded, units, unitLength(units));
    recent.units = units;
    recent.name = intern(m_decoded, propertyNameHash(m_decoded));
    return recent.name;
}

cPropertyName cNameTable::intern(std::wstring_view text, uint32_t hash)
{
    const auto range = m_names.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second.view() == text)
            return it->second;
    }
    return m_names.emplace(hash, cPropertyName(text))->second;
}

const cPropertyName& cXmlName::shared() const
{
    if (!m_hasShared)
    {
        if (m_table)
            m_shared = m_table->intern(m_units);
        else
            m_shared = cPropertyName(toWide(m_units, unitLength(m_units)));
        m_hasShared = true;
    }
    return m_shared;
}

uint32_t cXmlName::hash() const
{
    if (!m_hashed)
    {
        m_hash = hashUnits(m_units);
        m_hashed = true;
    }
    return m_hash;
}

} // namespace Engine::xml
