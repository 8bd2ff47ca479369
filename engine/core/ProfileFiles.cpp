#include "engine/core/ProfileFiles.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"

#include <climits>
#include <cstdio>
#include <cwchar>

namespace Engine
{
namespace
{

// An unsigned number that fits 32 bits, read as the loaders read "NextID" and "ID".
bool readId(const std::wstring& text, uint32_t& out)
{
    unsigned long value = ULONG_MAX;
    fromString(value, text);
    if (value > 0xFFFFFFFFul)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
}

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// Replaces the five entities and character references the writer produces; anything else
// stays as it is.
std::wstring unescape(const std::wstring& text)
{
    static const struct
    {
        const wchar_t* entity;
        wchar_t ch;
    } entities[] = {
        {L"&amp;", L'&'}, {L"&apos;", L'\''}, {L"&gt;", L'>'}, {L"&lt;", L'<'}, {L"&quot;", L'"'}};
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != L'&')
        {
            out += text[i++];
            continue;
        }
        bool done = false;
        for (const auto& e : entities)
        {
            if (text.compare(i, std::wcslen(e.entity), e.entity) == 0)
            {
                out += e.ch;
                i += std::wcslen(e.entity);
                done = true;
                break;
            }
        }
        if (!done && i + 2 < text.size() && text[i + 1] == L'#')
        {
            const bool hex = text[i + 2] == L'x';
            size_t j = i + (hex ? 3 : 2);
            uint32_t value = 0;
            const size_t first = j;
            while (j < text.size() && j - first < 8)
            {
                const wchar_t c = text[j];
                int digit = -1;
                if (c >= L'0' && c <= L'9')
                    digit = c - L'0';
                else if (hex && c >= L'a' && c <= L'f')
                    digit = c - L'a' + 10;
                else if (hex && c >= L'A' && c <= L'F')
                    digit = c - L'A' + 10;
                if (digit < 0)
                    break;
                value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                ++j;
            }
            if (j > first && j < text.size() && text[j] == L';' && value > 0 && value <= 0x10FFFF)
            {
                out += static_cast<wchar_t>(value);
                i = j + 1;
                done = true;
            }
        }
        if (!done)
            out += text[i++];
    }
    return replaceNonXmlCharacters(out);
}

// One tag of a damaged file: its name and the attributes that were complete.
struct sTag
{
    std::wstring name;
    std::map<std::wstring, std::wstring> attributes;
};

// Reads the tag that starts after the "<" at `p`; `p` ends past the tag (or at the next "<"
// when the tag is cut short, so no later tag is lost).
sTag readTag(const std::wstring& text, size_t& p)
{
    sTag tag;
    while (p < text.size() && !isBlank(text[p]) && text[p] != L'/' && text[p] != L'>' && text[p] != L'<')
        tag.name += text[p++];
    for (;;)
    {
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (p >= text.size() || text[p] == L'<')
            return tag;
        if (text[p] == L'>' || text[p] == L'/')
        {
            ++p;
            if (p < text.size() && text[p - 1] == L'/' && text[p] == L'>')
                ++p;
            return tag;
        }
        std::wstring name;
        while (p < text.size() && !isBlank(text[p]) && text[p] != L'=' && text[p] != L'>' &&
               text[p] != L'<' && text[p] != L'/')
            name += text[p++];
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (name.empty())
        {
            ++p; // a stray "=" or quote: step over it
            continue;
        }
        if (p >= text.size() || text[p] != L'=')
            continue;
        ++p;
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (p >= text.size() || (text[p] != L'"' && text[p] != L'\''))
            continue;
        const wchar_t quote = text[p++];
        const size_t close = text.find(quote, p);
        const size_t nextTag = text.find(L'<', p);
        // A value may not hold "<": an open quote that runs into the next tag was cut short.
        if (close == std::wstring::npos || (nextTag != std::wstring::npos && nextTag < close))
        {
            p = nextTag == std::wstring::npos ? text.size() : nextTag;
            return tag;
        }
        tag.attributes[name] = unescape(text.substr(p, close - p));
        p = close + 1;
    }
}

} // namespace

void readProfilesFile(const cProperties& root, sProfilesFile& out)
{
    out.hasNextId = readId(root.getAttribute(L"NextID"), out.nextId);
    if (!out.hasNextId)
        out.nextId = 1;
    out.currentUser = root.getAttribute(L"CurrentUser");
    out.nowPlaying = false;
    fromString(out.nowPlaying, root.getAttribute(L"NowPlaying"));
    for (cChildIterator child = root.childrenBegin(), end = root.childrenEnd(); child != end; ++child)
    {
        sProfilesFile::sEntry entry;
        entry.name = child.value()->getAttribute(L"Name");
        entry.hasId = readId(child.value()->getAttribute(L"ID"), entry.id);
        out.entries.push_back(entry);
    }
}

void salvageProfilesFile(const std::string& bytes, sProfilesFile& out)
{
    const std::wstring text = decodeTextFile(bytes);
    bool rootSeen = false;
    size_t p = 0;
    while ((p = text.find(L'<', p)) != std::wstring::npos)
    {
        ++p;
        if (p < text.size() && (text[p] == L'?' || text[p] == L'!' || text[p] == L'/'))
            continue;
        const sTag tag = readTag(text, p);
        const auto attribute = [&tag](const wchar_t* name) -> std::wstring
        {
            const auto found = tag.attributes.find(name);
            return found == tag.attributes.end() ? std::wstring() : found->second;
        };
        if (!rootSeen && tag.name == L"Profiles")
        {
            rootSeen = true;
            out.hasNextId = readId(attribute(L"NextID"), out.nextId);
            if (!out.hasNextId)
                out.nextId = 1;
            out.currentUser = attribute(L"CurrentUser");
            fromString(out.nowPlaying, attribute(L"NowPlaying"));
            continue;
        }
        if (tag.attributes.count(L"Name") == 0)
            continue;
        sProfilesFile::sEntry entry;
        entry.name = attribute(L"Name");
        entry.hasId = readId(attribute(L"ID"), entry.id);
        out.entries.push_back(entry);
    }
}

std::wstring profilesFileText(uint32_t nextId, const std::wstring& currentUser, bool nowPlaying,
                              const tProfileTable& profiles)
{
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
    text += L"<Profiles NextID=\"" + std::to_wstring(nextId) + L"\" CurrentUser=\"" +
            xmlAttributeText(currentUser) + L"\" NowPlaying=\"" + (nowPlaying ? L"1" : L"0") + L"\" >\n";
    for (const auto& profile : profiles)
    {
        text += L"<Profile Name=\"" + xmlAttributeText(profile.first) + L"\" ID=\"" +
                std::to_wstring(profile.second) + L"\" />\n";
    }
    text += L"</Profiles>";
    return text;
}

std::string profileIdText(uint32_t id)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%08u", static_cast<unsigned>(id));
    return buffer;
}

bool isProfileFileName(const std::string& fileName, const std::string& idText)
{
    if (fileName.compare(0, idText.size(), idText) != 0)
        return false;
    return fileName.size() == idText.size() || fileName[idText.size()] == '.';
}

std::wstring decodeTextFile(const std::string& bytes)
{
    const auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t start = 0;
    bool utf16 = false;
    bool bigEndian = false;
    if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
        start = 2, utf16 = true;
    else if (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        start = 2, utf16 = true, bigEndian = true;
    else if (bytes.size() >= 2 && byte(1) == 0)
        utf16 = true;
    if (!utf16)
    {
        if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
            start = 3;
        return fromUtf8(bytes.substr(start));
    }
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
    {
        const unsigned lo = bigEndian ? byte(i + 1) : byte(i);
        const unsigned hi = bigEndian ? byte(i) : byte(i + 1);
        units += static_cast<char16_t>(lo | hi << 8);
    }
    return fromUtf16(units);
}

} // namespace Engine
