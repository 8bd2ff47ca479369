#include "engine/core/cConfigTable.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace Engine
{
namespace
{

const wchar_t* const CopyKey = L"copy";

// The first attributes that the XML loader reads as instructions to reuse or remove elements.
bool isLoaderInstruction(const std::wstring& key)
{
    return key == CopyKey || key == L"remove";
}

} // namespace

cConfigTable::cConfigTable() = default;

cConfigTable::~cConfigTable()
{
    m_table.clear();
}

void cConfigTable::loadFile(const std::string& path)
{
    m_path = path;
    readTable(*cDocumentCache::loadDocument(path, false));
}

void cConfigTable::readTable(const cProperties& root)
{
    for (cChildIterator child = root.childrenBegin(), end = root.childrenEnd(); child != end; ++child)
    {
        tKeys& keys = m_table[child.name()];
        for (const auto& attribute : child.value()->getAttributes())
            keys[attribute.name()] = attribute.value();
    }
}

std::wstring cConfigTable::toXml() const
{
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>";
    std::vector<const tKeys::value_type*> keys;
    for (const auto& group : m_table)
    {
        if (!isXmlName(group.first))
            continue;
        keys.clear();
        for (const auto& key : group.second)
        {
            if (isXmlName(key.first))
                keys.push_back(&key);
        }
        text += L'<';
        text += group.first;
        text += L' ';
        // The loader takes a first attribute "copy" or "remove" as an instruction, never as a
        // value: such a key goes behind the group's first ordinary key. A group of no other key
        // opens with a copy of nothing ("/" names no element), after which "remove" is a value
        // again; a "copy" key cannot be kept there.
        if (!keys.empty() && isLoaderInstruction(keys.front()->first))
        {
            const auto ordinary = std::find_if(
                keys.begin(), keys.end(), [](const auto* key) { return !isLoaderInstruction(key->first); });
            if (ordinary != keys.end())
                std::rotate(keys.begin(), ordinary, ordinary + 1);
            else
            {
                keys.erase(std::remove_if(keys.begin(), keys.end(),
                                          [](const auto* key) { return key->first == CopyKey; }),
                           keys.end());
                text += CopyKey;
                text += L"=\"/\" ";
            }
        }
        for (const auto* key : keys)
        {
            text += key->first;
            text += L"=\"";
            text += xmlAttributeText(key->second);
            text += L"\" ";
        }
        text += L"/>";
    }
    text += L"</main>";
    return text;
}

const std::wstring* cConfigTable::findText(const std::wstring& group, const std::wstring& key) const
{
    const auto g = m_table.find(group);
    if (g == m_table.end())
        return nullptr;
    const auto k = g->second.find(key);
    return k == g->second.end() ? nullptr : &k->second;
}

void cConfigTable::setText(const std::wstring& group, const std::wstring& key, const std::wstring& text)
{
    m_table[group][key] = text;
}

const std::wstring* cConfigTable::lookUp(const std::wstring& group, const std::wstring& key)
{
    tKeys& keys = m_table[group];
    const auto found = keys.find(key);
    if (found != keys.end())
        return &found->second;
    keys.emplace(key, std::wstring());
    return nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, cColor& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, std::wstring& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        out = *text;
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, std::string& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        out = toNarrowString(*text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, cVector3& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, float& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, unsigned long& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromStringClamped(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, long& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromStringClamped(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, unsigned int& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromStringClamped(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, int& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromStringClamped(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, bool& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

std::wstring cConfigTable::colorText(const cColor& value)
{
    // Always eight digits: without the leading zeros a colour with a small alpha would read
    // back with its alpha unchanged (six characters or fewer are read as RRGGBB).
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%08x", static_cast<unsigned>(value.toARGB()));
    return buffer;
}

std::wstring cConfigTable::floatText(float value)
{
    return toStringFloating(value);
}

std::wstring cConfigTable::vectorText(const cVector3& value)
{
    return floatText(value.x) + L" " + floatText(value.y) + L" " + floatText(value.z);
}

} // namespace Engine
