#pragma once

#include "engine/core/ProfileFiles.h"

#include <string>
#include <vector>

namespace Engine
{

class cFileSystem;

// The profile list of a profiles folder as the profile manager takes it: "profiles.xml" as far
// as it reads, with what it lost recovered.
//
// A player's progress is in the files named after the player's ID, so the list never gives a
// player another ID while the player's own can still be found. An entry without a usable ID,
// or with one another entry holds too, or with one that has no files where the last good list
// ("profiles.xml.bak") gives the player another, gets its ID back from that last good list, or
// else from the files that no other entry holds when they can be no one else's (one player
// without an ID, one ID whose files nobody holds). A player of the last good list whose ID the
// list gives nobody comes back from it. When the list is missing, damaged or cannot be read,
// the files that no entry holds are listed under their ID text as well.
struct sProfileListReading
{
    enum eState
    {
        Missing,
        Good,
        // Read and refused: empty, not XML, cut short, too large.
        Damaged,
        // Could not be opened or read, or no regular file stands in its place.
        Unreadable,
    };
    eState state = Missing;
    // Why the list was refused or could not be read.
    std::string problem;
    // Merged: what the list gives, then what was recovered.
    sProfilesFile file;
    // What was recovered, and from where, for the log.
    std::vector<std::string> notes;
};

// Reads and recovers the list of the profiles folder (a path of the file system, "" or ending
// in "/"). Reads only.
sProfileListReading readProfileList(const std::string& folder);

// The bytes of a list or its copy, read whole; throws like `cFileSystem::readFile` when it
// cannot be read. False (with the reason in `problem`) for a file too large to be a list,
// which is not read.
bool readProfileListBytes(cFileSystem& files, const std::string& path, std::string& bytes,
                          std::string& problem);

// True when `list` still holds every ID `lastGood` gives a player: a list that lost one (a
// damaged entry, two players given one ID) must not replace the last good list, the one place
// that still ties that player to the files.
bool keepsEveryId(const sProfilesFile& list, const sProfilesFile& lastGood);

} // namespace Engine
