#pragma once

#include "engine/core/ProfileFiles.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cSingleton.h"

#include <cstdint>
#include <functional>
#include <list>
#include <set>
#include <string>

namespace Engine
{

struct sProfilesFile;

// The named player profiles and the one the player plays now (the current user).
//
// The list lives in "profiles.xml" in the profiles folder (the constant "game"/"profiles");
// each profile's typed values (`cProps`) live in a file named after its ID, "00000001.xml",
// beside its unfinished level "00000001.save". One manager exists at a time and stands for
// one current user: the game chooses, creates or switches a profile by deleting the manager
// (which saves) and making a new one with the player's name.
//
// A profile's ID is never shared, and a player keeps the ID that names the player's files: a
// damaged or hand-edited list (an entry whose ID is missing or changed, one ID given twice, a
// NextID at or below an ID in use, files left by a profile the list no longer names) gets the
// player's ID back from the last good list or from the files only that player can hold
// (`readProfileList`); a profile that would still share an ID gets a fresh one, and a new
// profile never takes an ID that has files. Every problem is reported in the log "profiles".
//
// Nothing a player made is lost to a damaged file. Before the list is replaced, the list on
// disk, when it reads and holds every ID the copy before it holds, is kept as
// "profiles.xml.bak". A list that is missing, empty, damaged or cannot be read is recovered
// from what can be read of it, from that last good list, and from the profiles' own files: a
// values file or unfinished level that no entry names is listed under its ID text. A damaged
// file is set aside as ".damaged" before it is replaced; a file that cannot be opened (or set
// aside), or something that is no regular file in the place of one, is never written over in
// this run. A write that fails is reported (`reportSaveFailure`) and the game goes on.
class cProfileManager : public cSingleton<cProfileManager>
{
public:
    // Makes `currentUser` the current user (a name not in the list becomes a new profile),
    // reads the list and the user's values and writes the list. An empty name reads and
    // writes nothing. Characters that no XML file can hold are replaced by U+FFFD in the name.
    // A list that cannot be written is reported; the manager works on.
    explicit cProfileManager(const std::wstring& currentUser);
    // Saves (NowPlaying written as 0) unless the profile was deleted, then clears every typed
    // value. A failed save is reported.
    virtual ~cProfileManager();

    // Told each time a manager made for a player has read the player's values, before anything
    // else of the player's runs: what those values set outside the store (the sound's volumes)
    // is set there. An empty function is none.
    static void setCurrentUserListener(std::function<void()> listener);

    // True when the file system knows the profiles folder + "profiles.xml".
    static bool profilesFileExists();
    // The player to start with: the CurrentUser of "profiles.xml", or, when the list is
    // missing, damaged or cannot be read, the player recovered as the manager recovers the
    // list. Empty only when no player can be recovered. Reads only; reports nothing.
    static std::wstring readCurrentUser();
    // The names of the list, recovered the same way, in ascending order.
    static std::list<std::wstring> readProfileNames();
    // The profiles folder: the constant "game"/"profiles", lower-cased with "/" separators and
    // ending in "/", or "" when the constant is empty.
    static std::string profilesFolder();

    const std::wstring& currentUserName() const { return m_currentUser; }
    // Appends every profile name in ascending order.
    void getProfileNames(std::list<std::wstring>& out) const;
    // The current user's ID text; throws the C string "ProfileID error." when the current user
    // has no profile (a manager made with an empty name).
    void getCurrentProfileId(std::string& out) const;
    std::string getCurrentProfileId() const;
    // Writes "profiles.xml" and the current user's property file. Does nothing for a manager
    // made with an empty name, and after `deleteProfile` (the values held then are the deleted
    // profile's and must not land in another profile's file). False when a file could not be
    // written (reported; the file on disk is left as it was).
    bool save();
    // Removes a profile and its files (property file, unfinished level, anything named after
    // its ID), also from the last good list; the first remaining name becomes the current user. The manager
    // then no longer saves: the caller deletes it and makes a new one for the remaining current user. Nothing
    // happens for a name not in the list.
    void deleteProfile(const std::wstring& name);

    // What became of the current user's values when they were read, for the player to be told:
    // nothing (they read, or the profile is new), or the player starts with empty values because
    // the values file was damaged and is kept aside, was missing, or could not be read (or set
    // aside) and is left as it is, not written in this run.
    enum class eValuesLoss
    {
        none,
        keptAside,
        missing,
        leftInPlace,
    };
    // The loss once, for the one who tells the player; none from then on.
    eValuesLoss takeValuesLoss();

    // The ID the next new profile receives (at least; IDs that have files are passed over).
    uint32_t getNextId() const { return m_nextId; }
    const tProfileTable& getProfiles() const { return m_profiles; }

private:
    void load();
    // Reads "profiles.xml" and recovers what it lacks; a damaged file is set aside.
    void readProfiles(const std::string& path);
    // Takes the list read from the file, giving each profile that would share an ID a new one.
    void takeProfiles(const sProfilesFile& file);
    void addProfile();
    // Throws std::string when the list cannot be written.
    void writeProfiles();
    // Copies the list on disk to "profiles.xml.bak" before it is replaced, when it reads and
    // lost no ID the copy there gives a player.
    void keepLastGoodList(const std::string& path);
    void saveProperties();
    void loadProperties();
    // Writes the list and the values; false (reported) when one of them failed.
    bool writeAll();
    // A free ID from the next ID on: not 0, not in the list, and without files.
    uint32_t allocateId();
    std::string propertyFilePath() const;
    // Sets a file whose bytes were refused aside ("<path>.damaged"), so they can still be
    // recovered by hand; false (reported) when it could not be, and the file must then not be
    // written over.
    bool setAside(const std::string& path, eSavedFile file);

    bool m_nowPlaying = false;
    std::wstring m_storedCurrentUser;
    std::wstring m_currentUser;
    uint32_t m_nextId = 1;
    tProfileTable m_profiles;
    // IDs named in the list but not given to any profile there (a name listed twice): their
    // files may hold a player's values, so no new profile takes them.
    std::set<uint32_t> m_reservedIds;
    bool m_dirty = false;
    bool m_noSaveAtExit = false;
    // The list or the values file could not be read (nor set aside): never written this run.
    bool m_listLocked = false;
    bool m_valuesLocked = false;
    eValuesLoss m_valuesLoss = eValuesLoss::none;
};

} // namespace Engine
