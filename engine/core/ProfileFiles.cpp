#include "engine/core/ProfileFiles.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/XmlSalvage.h"
#include "engine/core/cProperties.h"

#include <cstdio>

namespace Engine
{
namespace
{

// A profile ID or NextID: the whole text one number (decimal, or hexadecimal after "0x") from
// 1 to 2^32 - 1. The program writes plain decimal; anything else is damage, and a number read
// from the front of a damaged text ("12" cut or flipped to "1q") would name another player's
// files.
bool readId(const std::wstring& text, uint32_t& out)
{
    const bool hex = text.size() > 2 && text[0] == L'0' && text[1] == L'x';
    const size_t first = hex ? 2 : 0;
    if (text.size() <= first)
        return false;
    uint64_t value = 0;
    for (size_t i = first; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
        int digit = -1;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (hex && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (hex && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        if (digit < 0)
            return false;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return false;
    }
    if (value == 0)
        return false;
    out = static_cast<uint32_t>(value);
    return true;
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
    bool rootSeen = false;
    for (const sSalvagedTag& tag : salvageTags(decodeTextFile(bytes)))
    {
        if (!rootSeen && tag.name == L"Profiles")
        {
            rootSeen = true;
            out.hasNextId = readId(tag.attribute(L"NextID"), out.nextId);
            if (!out.hasNextId)
                out.nextId = 1;
            out.currentUser = tag.attribute(L"CurrentUser");
            fromString(out.nowPlaying, tag.attribute(L"NowPlaying"));
            continue;
        }
        if (tag.attributes.count(L"Name") == 0)
            continue;
        sProfilesFile::sEntry entry;
        entry.name = tag.attribute(L"Name");
        entry.hasId = readId(tag.attribute(L"ID"), entry.id);
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

bool isProfileDataFileName(const std::string& fileName, uint32_t& id)
{
    const size_t dot = fileName.find('.');
    if (dot == std::string::npos || (fileName.compare(dot, std::string::npos, ".xml") != 0 &&
                                     fileName.compare(dot, std::string::npos, ".save") != 0))
        return false;
    uint64_t value = 0;
    for (size_t i = 0; i < dot; ++i)
    {
        if (fileName[i] < '0' || fileName[i] > '9' || value > 0xFFFFFFFFu)
            return false;
        value = value * 10 + static_cast<uint64_t>(fileName[i] - '0');
    }
    // Only the ID text the program writes: "00000007", not "7" or "000000007".
    if (value == 0 || value > 0xFFFFFFFFu ||
        profileIdText(static_cast<uint32_t>(value)) != fileName.substr(0, dot))
        return false;
    id = static_cast<uint32_t>(value);
    return true;
}

} // namespace Engine
