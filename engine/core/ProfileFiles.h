#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/XmlSalvage.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Engine
{

class cProperties;

// The player profiles by name (compared exactly, so "ann" and "Ann" are two profiles) with
// their IDs.
using tProfileTable = std::map<std::wstring, uint32_t, cUtf16Less>;

// What "profiles.xml" holds, as read and before the profile manager checks it: the list may
// name a profile twice, give two profiles one ID, or lack IDs.
struct sProfilesFile
{
    struct sEntry
    {
        std::wstring name;
        // False when the entry has no usable ID: none, 0, more than 32 bits, or a text that is
        // not wholly a number.
        bool hasId = false;
        uint32_t id = 0;
        // The entry gave an ID another entry holds, and lost it to that one.
        bool idShared = false;
    };

    // False when "NextID" is missing or holds no usable number (as for an ID).
    bool hasNextId = false;
    uint32_t nextId = 1;
    std::wstring currentUser;
    bool nowPlaying = false;
    // In document order.
    std::vector<sEntry> entries;
};

// Reads the root of "profiles.xml": "NextID" (decimal, or hexadecimal after "0x"),
// "CurrentUser" and "NowPlaying" (0 or 1) of the root, and "Name" and "ID" of every child,
// whatever its element name.
void readProfilesFile(const cProperties& root, sProfilesFile& out);

// Reads what can still be read from the bytes of a "profiles.xml" that does not load (cut
// short, hand-edited): every tag whose attributes are complete counts, the first "Profiles"
// tag for the list's own attributes and every other tag with a "Name" for a profile. Bytes in
// UTF-16 (with or without the byte-order mark) or UTF-8.
void salvageProfilesFile(const std::string& bytes, sProfilesFile& out);

// The text of "profiles.xml": the XML declaration, then the "Profiles" element with NextID,
// CurrentUser and NowPlaying, one "Profile" line per profile in table order, "</Profiles>".
std::wstring profilesFileText(uint32_t nextId, const std::wstring& currentUser, bool nowPlaying,
                              const tProfileTable& profiles);

// The ID in decimal, padded with "0" to 8 characters: the name of a profile's files.
std::string profileIdText(uint32_t id);

// True when `fileName` (a name without folder) is one of the files of the profile with that
// ID text: the ID text alone or followed by "." ("00000001.xml", "00000001.save").
bool isProfileFileName(const std::string& fileName, const std::string& idText);

// True when `fileName` is the values file ("<ID text>.xml") or the unfinished level
// ("<ID text>.save") of a profile, with that profile's ID in `id`: the files that hold what a
// player made.
bool isProfileDataFileName(const std::string& fileName, uint32_t& id);

} // namespace Engine
