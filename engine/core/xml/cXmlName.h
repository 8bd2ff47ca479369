#pragma once

#include "engine/core/xml/XmlText.h"
#include "engine/core/xml/cPropertyName.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Engine::xml
{

// The names met while one document is built, so that every entry of one name shares one text
// and names are decoded once.
class cNameTable
{
public:
    // The shared name of a zero-terminated UTF-16 name.
    const cPropertyName& intern(const tUnit* units);
    cPropertyName intern(std::wstring_view text, uint32_t hash);

private:
    // The parser hands the same name at the same address again and again (always for
    // attributes): a few recent names are checked by address and content before any decoding.
    struct cRecent
    {
        const tUnit* units = nullptr;
        cPropertyName name;
    };

    std::unordered_multimap<uint32_t, cPropertyName> m_names;
    std::array<cRecent, 64> m_recent;
    std::wstring m_decoded;
};

// An element or attribute name as the parser delivers it (zero-terminated UTF-16), turned into
// the key form that a node asks for: the shared name, or its hash.
class cXmlName
{
public:
    explicit cXmlName(const tUnit* units, cNameTable* table = nullptr) : m_units(units), m_table(table) {}
    cXmlName(const cXmlName&) = delete;
    cXmlName& operator=(const cXmlName&) = delete;

    const cPropertyName& shared() const;
    uint32_t hash() const;

private:
    const tUnit* m_units;
    cNameTable* m_table;
    mutable cPropertyName m_shared;
    mutable uint32_t m_hash = 0;
    mutable bool m_hasShared = false;
    mutable bool m_hashed = false;
};

} // namespace Engine::xml
