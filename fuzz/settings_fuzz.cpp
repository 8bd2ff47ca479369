// Reads arbitrary bytes as a settings document, writes the table back as the settings file
// text and reads that text again: it must load, and (for XML input) give the same table, with
// every value exact, keys the loader treats as instructions ("copy", "remove") included.
// Every getter then reads every entry.
#include "engine/core/StringUtils.h"
#include "engine/core/cConfigTable.h"
#include "engine/core/cXmlPropertiesPooled.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

using Engine::cConfigTable;

std::string utf16Bytes(const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    for (const char16_t unit : Engine::toUtf16(text))
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// What the written file keeps of a table: groups and keys with XML names, values with the
// characters a file cannot hold replaced.
cConfigTable::tGroups writable(const cConfigTable::tGroups& table)
{
    cConfigTable::tGroups out;
    for (const auto& group : table)
    {
        if (!Engine::isXmlName(group.first))
            continue;
        cConfigTable::tKeys& keys = out[group.first];
        for (const auto& key : group.second)
        {
            if (Engine::isXmlName(key.first))
                keys[key.first] = Engine::replaceNonXmlCharacters(key.second);
        }
    }
    return out;
}

void readEverything(cConfigTable& table)
{
    const cConfigTable::tGroups entries = table.getTable();
    for (const auto& group : entries)
    {
        for (const auto& key : group.second)
        {
            Engine::cColor c;
            std::wstring w;
            std::string s;
            Engine::cVector3 v;
            float f = 0;
            unsigned long ul = 0;
            long l = 0;
            unsigned u = 0;
            int i = 0;
            bool b = false;
            if (!table.get(group.first, key.first, c) || !table.get(group.first, key.first, w) ||
                !table.get(group.first, key.first, s) || !table.get(group.first, key.first, v) ||
                !table.get(group.first, key.first, f) || !table.get(group.first, key.first, ul) ||
                !table.get(group.first, key.first, l) || !table.get(group.first, key.first, u) ||
                !table.get(group.first, key.first, i) || !table.get(group.first, key.first, b))
                std::abort();
            if (w != key.second)
                std::abort();
        }
    }
    int missing = 3;
    if (table.get(L"no group here", L"no key", missing) || missing != 3)
        std::abort();
    if (!table.get(L"no group here", L"no key", missing) || missing != 3)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine::tPropertiesPtr root;
    try
    {
        root = Engine::cXmlPropertiesPooled::fromBuffer(reinterpret_cast<const char*>(data), size,
                                                        "sys/settings.xml");
    }
    catch (...)
    {
        return 0;
    }
    cConfigTable table;
    table.readTable(*root);
    const bool image = size > 0 && data[0] == '>';

    const std::string written = utf16Bytes(table.toXml());
    Engine::tPropertiesPtr again;
    try
    {
        again = Engine::cXmlPropertiesPooled::fromBuffer(written.data(), written.size(), "sys/settings.xml");
    }
    catch (...)
    {
        // A pre-parsed image may hold names no XML file can; what was read from XML always
        // writes a file that loads.
        if (!image)
            std::abort();
        return 0;
    }
    cConfigTable reread;
    reread.readTable(*again);
    if (!image && reread.getTable() != writable(table.getTable()))
        std::abort();
    readEverything(reread);
    return 0;
}
