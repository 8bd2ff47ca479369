#include "engine/core/cConfigTable.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cLogManager.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"

#include <cstdint>
#include <cstdio>
#include <exception>

namespace Engine
{
namespace
{

// The position of a character in UTF-16 code-unit order; distinct characters get distinct
// positions.
uint64_t unitOrder(wchar_t ch)
{
    const uint64_t c = static_cast<uint32_t>(ch);
    if (c < 0xD800)
        return c;
    if (c >= 0x10000)
        return 0xD800 + (c - 0x10000); // a lead surrogate D800..DBFF comes first
    if (c < 0xE000)
        return (uint64_t(1) << 33) + c;
    return (uint64_t(1) << 34) + c;
}

bool isXmlCharacter(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x20)
        return c == 0x9 || c == 0xA || c == 0xD;
    if (c < 0xD800)
        return true;
    if (c < 0xE000)
        return false;
    if (c < 0x10000)
        return c != 0xFFFE && c != 0xFFFF;
    return c <= 0x10FFFF;
}

bool isNameStart(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    // Past ASCII: the letters of the Latin-1 block and everything above it that is a character
    // at all (names the program reads were accepted by the parser already).
    return c >= 0xC0 && c != 0xD7 && c != 0xF7 && isXmlCharacter(ch);
}

bool isNameCharacter(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x80)
        return isNameStart(ch) || (c >= '0' && c <= '9') || c == '.' || c == '-';
    return c == 0xB7 || isNameStart(ch);
}

// A decimal read of an unsigned long: a stream reads "0x10" as 0 and stops at the x, where
// `fromString<unsigned long>` would read hexadecimal.
std::wstring withoutHexPrefix(const std::wstring& text)
{
    size_t p = 0;
    while (p < text.size() && (text[p] == L' ' || (text[p] >= L'\t' && text[p] <= L'\r')))
        ++p;
    if (p < text.size() && (text[p] == L'+' || text[p] == L'-'))
        ++p;
    if (p + 1 < text.size() && text[p] == L'0' && (text[p + 1] == L'x' || text[p + 1] == L'X'))
        return text.substr(0, p + 1);
    return text;
}

} // namespace

bool cUtf16Less::operator()(const std::wstring& a, const std::wstring& b) const
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        if (a[i] != b[i])
            return unitOrder(a[i]) < unitOrder(b[i]);
    }
    return a.size() < b.size();
}

std::wstring replaceNonXmlCharacters(const std::wstring& text)
{
    std::wstring out = text;
    for (wchar_t& ch : out)
    {
        if (!isXmlCharacter(ch))
            ch = static_cast<wchar_t>(0xFFFD);
    }
    return out;
}

std::wstring xmlAttributeText(const std::wstring& text)
{
    std::wstring out = escapeXml(replaceNonXmlCharacters(text));
    replaceAll(out, L"\t", L"&#9;");
    replaceAll(out, L"\n", L"&#10;");
    replaceAll(out, L"\r", L"&#13;");
    return out;
}

std::wstring xmlContentText(const std::wstring& text)
{
    return escapeXml(replaceNonXmlCharacters(text));
}

bool isXmlName(const std::wstring& text)
{
    if (text.empty() || !isNameStart(text[0]))
        return false;
    for (const wchar_t ch : text)
    {
        if (!isNameCharacter(ch))
            return false;
    }
    return true;
}

std::string currentExceptionText()
{
    try
    {
        throw;
    }
    catch (const std::wstring& text)
    {
        return toUtf8(text);
    }
    catch (const std::string& text)
    {
        return text;
    }
    catch (const char* text)
    {
        return text ? text : "";
    }
    catch (const wchar_t* text)
    {
        return text ? toUtf8(text) : "";
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    catch (...)
    {
        return "unknown failure";
    }
}

void reportProblem(const std::wstring& logName, const std::string& text)
{
    try
    {
        if (cLogManager* logs = cLogManager::instance())
        {
            logs->getLog(logName, false)->printf("%s", text.c_str());
            return;
        }
    }
    catch (...)
    {
    }
    std::fprintf(stderr, "%s: %s\n", toUtf8(logName).c_str(), text.c_str());
}

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
    for (const auto& group : m_table)
    {
        if (!isXmlName(group.first))
            continue;
        text += L'<';
        text += group.first;
        text += L' ';
        for (const auto& key : group.second)
        {
            if (!isXmlName(key.first))
                continue;
            text += key.first;
            text += L"=\"";
            text += xmlAttributeText(key.second);
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
        fromString(out, withoutHexPrefix(*text));
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, long& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, unsigned int& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
    return text != nullptr;
}

bool cConfigTable::get(const std::wstring& group, const std::wstring& key, int& out)
{
    const std::wstring* text = lookUp(group, key);
    if (text)
        fromString(out, *text);
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
