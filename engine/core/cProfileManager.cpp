#include "engine/core/cProfileManager.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/ProfileListReading.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "engine/core/cStream.h"
#include "engine/core/cXmlProperties.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace Engine
{
namespace
{

const char* const ListName = "profiles.xml";

void report(const std::string& text)
{
    reportProblem(L"profiles", text);
}

std::string quoted(const std::wstring& name)
{
    return "\"" + toUtf8(name) + "\"";
}

// The bytes of a file the file system knows; throws like `cFileSystem::readFile`.
std::string readBytes(cFileSystem& files, const std::string& path)
{
    std::vector<char> data;
    files.readFile(path, data);
    return std::string(data.begin(), data.end());
}

// Parses bytes read earlier. The document is built apart from the resource manager's cache:
// the loader through the cache deletes a damaged copy in the shared folder, and this is the
// only copy of a player's data.
tPropertiesPtr parse(const std::string& bytes, const std::string& path)
{
    return cXmlProperties::fromBuffer(bytes.data(), bytes.size(), path);
}

void forget(const std::string& path)
{
    cDocumentCache::fileChanged(toLower(path));
}

std::function<void()>& currentUserListener()
{
    static std::function<void()> listener;
    return listener;
}

} // namespace

// A name that holds characters no XML file can is stored with them replaced (U+FFFD), so the
// name kept in memory is the one the list gives back.
cProfileManager::cProfileManager(const std::wstring& currentUser)
    : m_currentUser(replaceNonXmlCharacters(currentUser))
{
    load();
    if (!m_currentUser.empty() && currentUserListener())
        currentUserListener()();
}

void cProfileManager::setCurrentUserListener(std::function<void()> listener)
{
    currentUserListener() = std::move(listener);
}

cProfileManager::~cProfileManager()
{
    if (!m_noSaveAtExit && !m_currentUser.empty())
    {
        m_nowPlaying = false;
        m_dirty = true;
        writeAll();
    }
    cProps::clearAll();
}

std::string cProfileManager::profilesFolder()
{
    std::wstring folder;
    if (cConstants* constants = cConstants::instance())
        constants->get(L"game", L"profiles", folder);
    // Paths handed to the file system are lower-case with "/" separators.
    std::string narrow = normalizePath(toNarrowString(folder));
    if (!narrow.empty() && narrow.back() != '/')
        narrow += '/';
    return narrow;
}

bool cProfileManager::profilesFileExists()
{
    const cFileSystem* files = cFileSystem::instance();
    return files && files->isKnown(profilesFolder() + ListName);
}

std::wstring cProfileManager::readCurrentUser()
{
    return replaceNonXmlCharacters(readProfileList(profilesFolder()).file.currentUser);
}

std::list<std::wstring> cProfileManager::readProfileNames()
{
    std::set<std::wstring, cUtf16Less> sorted;
    for (const sProfilesFile::sEntry& entry : readProfileList(profilesFolder()).file.entries)
        if (!entry.name.empty())
            sorted.insert(replaceNonXmlCharacters(entry.name));
    return std::list<std::wstring>(sorted.begin(), sorted.end());
}

void cProfileManager::getProfileNames(std::list<std::wstring>& out) const
{
    for (const auto& profile : m_profiles)
        out.push_back(profile.first);
}

void cProfileManager::getCurrentProfileId(std::string& out) const
{
    const auto found = m_profiles.find(m_currentUser);
    if (found == m_profiles.end())
        throw "ProfileID error.";
    out = profileIdText(found->second);
}

std::string cProfileManager::getCurrentProfileId() const
{
    std::string id;
    getCurrentProfileId(id);
    return id;
}

bool cProfileManager::save()
{
    if (m_noSaveAtExit || m_currentUser.empty())
        return true;
    m_dirty = true;
    return writeAll();
}

bool cProfileManager::writeAll()
{
    // A file that must not be written over was not written either.
    bool written = !m_listLocked && !m_valuesLocked;
    try
    {
        writeProfiles();
    }
    catch (...)
    {
        written = false;
        reportSaveFailure(eSavedFile::profileList, "The profile list of " + quoted(m_currentUser) +
                                                       " was not saved: " + currentExceptionText());
    }
    try
    {
        saveProperties();
    }
    catch (...)
    {
        written = false;
        reportSaveFailure(eSavedFile::values, "The values of the profile " + quoted(m_currentUser) +
                                                  " were not saved: " + currentExceptionText());
    }
    return written;
}

void cProfileManager::deleteProfile(const std::wstring& name)
{
    const auto found = m_profiles.find(name);
    if (found == m_profiles.end())
        return;
    const std::string idText = profileIdText(found->second);
    m_profiles.erase(found);
    m_currentUser = m_profiles.empty() ? std::wstring() : m_profiles.begin()->first;
    m_storedCurrentUser = m_currentUser;
    m_dirty = true;
    m_noSaveAtExit = true;
    try
    {
        writeProfiles();
    }
    catch (...)
    {
        // The list still names the profile: its files stay with it.
        reportSaveFailure(eSavedFile::profileList, "The profile list without " + quoted(name) +
                                                       " was not saved: " + currentExceptionText());
        return;
    }
    if (!m_listLocked && !m_profiles.empty())
    {
        // The last good list still names the profile: it would bring it back.
        const std::string backupPath = profilesFolder() + ListName + ".bak";
        try
        {
            writeUnicodeFileIfChanged(backupPath,
                                      profilesFileText(m_nextId, m_currentUser, m_nowPlaying, m_profiles));
        }
        catch (...)
        {
            report("The last good profile list \"" + backupPath + "\" still names " + quoted(name) + ": " +
                   currentExceptionText());
        }
    }

    cFileSystem* files = cFileSystem::instance();
    if (!files)
        return;
    const std::string folder = profilesFolder();
    std::list<std::string> names;
    files->listCommonFolder(folder, names);
    for (const std::string& fileName : names)
    {
        if (!isProfileFileName(fileName, idText))
            continue;
        forget(folder + fileName);
        files->removeFile(folder + fileName);
    }
}

void cProfileManager::load()
{
    if (m_currentUser.empty())
        return;
    readProfiles(profilesFolder() + ListName);
    if (m_storedCurrentUser != m_currentUser)
    {
        m_storedCurrentUser = m_currentUser;
        m_dirty = true;
    }
    if (m_profiles.find(m_currentUser) == m_profiles.end())
        addProfile();
    else
        loadProperties();
    m_nowPlaying = true;
    m_dirty = true;
    try
    {
        writeProfiles();
    }
    catch (...)
    {
        reportSaveFailure(eSavedFile::profileList,
                          "The profile list was not saved: " + currentExceptionText());
    }
}

void cProfileManager::readProfiles(const std::string& path)
{
    sProfileListReading reading = readProfileList(profilesFolder());
    switch (reading.state)
    {
    case sProfileListReading::Missing:
        if (!reading.file.entries.empty())
            report("The profile list \"" + path + "\" is missing; the profiles are recovered.");
        break;
    case sProfileListReading::Good:
        if (reading.file.entries.empty())
            report("The profile list \"" + path + "\" names no profile; the profiles are recovered.");
        break;
    case sProfileListReading::Damaged:
        report("The profile list \"" + path + "\" is damaged (" + reading.problem +
               "); the profiles that can still be read from it are kept, the others are recovered.");
        if (!setAside(path, eSavedFile::profileList))
            m_listLocked = true;
        break;
    case sProfileListReading::Unreadable:
        m_listLocked = true;
        reportSaveFailure(
            eSavedFile::profileList,
            "The profile list \"" + path + "\" cannot be read (" + reading.problem +
                "); it is left as it is and not written in this run; the profiles are recovered.");
        break;
    }
    for (const std::string& note : reading.notes)
        report(note);
    takeProfiles(reading.file);
}

void cProfileManager::takeProfiles(const sProfilesFile& file)
{
    m_nextId = file.hasNextId ? file.nextId : 1;
    m_storedCurrentUser = replaceNonXmlCharacters(file.currentUser);
    m_nowPlaying = file.nowPlaying;
    m_profiles.clear();
    m_reservedIds.clear();

    std::set<uint32_t> used;
    std::vector<std::wstring> needId;
    for (sProfilesFile::sEntry entry : file.entries)
    {
        entry.name = replaceNonXmlCharacters(entry.name);
        if (entry.name.empty())
        {
            report("A profile without a name is left out of the list.");
            if (entry.hasId)
                m_reservedIds.insert(entry.id);
        }
        else if (m_profiles.count(entry.name) != 0)
        {
            report("The profile " + quoted(entry.name) + " is listed twice; the first entry is kept.");
            if (entry.hasId && used.count(entry.id) == 0)
                m_reservedIds.insert(entry.id);
        }
        else if (!entry.hasId || used.count(entry.id) != 0)
        {
            report("The profile " + quoted(entry.name) +
                   (entry.hasId || entry.idShared ? " has the ID of another profile" : " has no ID") +
                   "; it gets a new one.");
            m_profiles.emplace(entry.name, 0);
            needId.push_back(entry.name);
        }
        else
        {
            m_profiles.emplace(entry.name, entry.id);
            used.insert(entry.id);
        }
    }

    // A NextID at or below an ID in use would hand that ID out again.
    uint32_t highest = 0;
    for (const uint32_t id : used)
        highest = std::max(highest, id);
    for (const uint32_t id : m_reservedIds)
        highest = std::max(highest, id);
    if (highest != std::numeric_limits<uint32_t>::max() && m_nextId <= highest && !file.entries.empty())
    {
        if (file.hasNextId)
            report("NextID " + std::to_string(m_nextId) + " of the profile list is in use; " +
                   std::to_string(highest + 1) + " is taken instead.");
        m_nextId = highest + 1;
    }
    for (const std::wstring& name : needId)
        m_profiles[name] = allocateId();
    m_dirty = !needId.empty();
}

void cProfileManager::addProfile()
{
    m_profiles[m_currentUser] = allocateId();
    cProps::clearAll();
    m_dirty = true;
}

uint32_t cProfileManager::allocateId()
{
    std::set<uint32_t> taken(m_reservedIds);
    for (const auto& profile : m_profiles)
        taken.insert(profile.second);
    cFileSystem* files = cFileSystem::instance();
    const std::string folder = profilesFolder();
    std::list<std::string> names;
    if (files)
        files->listCommonFolder(folder, names);

    uint32_t id = m_nextId;
    for (uint64_t tries = 0; tries <= std::numeric_limits<uint32_t>::max(); ++tries, ++id)
    {
        if (id == 0 || taken.count(id) != 0)
            continue;
        const std::string idText = profileIdText(id);
        bool hasFiles = files && files->isKnown(folder + idText + ".xml");
        for (const std::string& name : names)
            hasFiles = hasFiles || isProfileFileName(name, idText);
        // Nor is an ID with something that is no regular file in the place of one of its files.
        for (const char* type : {".xml", ".save"})
            hasFiles = hasFiles || !irregularSharedFile(folder + idText + type).empty();
        if (hasFiles)
        {
            report("The files of ID " + idText + " belong to no listed profile; they are left alone.");
            continue;
        }
        m_nextId = id + 1;
        return id;
    }
    throw std::string("No free profile ID is left.");
}

void cProfileManager::writeProfiles()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    if (m_listLocked)
        return;
    const std::string path = profilesFolder() + ListName;
    if (m_profiles.empty())
    {
        // No profile is left: neither is a list to recover them from.
        for (const std::string& file : {path, path + ".bak"})
        {
            forget(file);
            if (cFileSystem* files = cFileSystem::instance())
                files->removeFile(file);
        }
        return;
    }
    keepLastGoodList(path);
    try
    {
        // The list is saved with every change of screen: an unchanged one stays as it is.
        writeUnicodeFileIfChanged(path, profilesFileText(m_nextId, m_currentUser, m_nowPlaying, m_profiles));
    }
    catch (...)
    {
        m_dirty = true;
        throw;
    }
}

void cProfileManager::keepLastGoodList(const std::string& path)
{
    cFileSystem* files = cFileSystem::instance();
    if (!files || !files->isKnown(path))
        return;
    const std::string backupPath = path + ".bak";
    try
    {
        std::string bytes;
        std::string problem;
        if (!readProfileListBytes(*files, path, bytes, problem))
            return;
        sProfilesFile file;
        readProfilesFile(*parse(bytes, path), file);
        if (file.entries.empty())
            return;
        if (files->isKnown(backupPath))
        {
            std::string kept;
            sProfilesFile lastGood;
            try
            {
                if (readProfileListBytes(*files, backupPath, kept, problem))
                    readProfilesFile(*parse(kept, backupPath), lastGood);
            }
            catch (...)
            {
                // A copy that does not read is no good one: the list replaces it.
                lastGood = sProfilesFile();
            }
            if (kept == bytes)
                return;
            // The copy may be the one place left that ties a player to the files.
            if (!keepsEveryId(file, lastGood))
            {
                report("The profile list \"" + path + "\" lost an ID that the last good list \"" +
                       backupPath + "\" gives a player; that list is kept as it is.");
                return;
            }
        }
        writeWholeFile(backupPath, bytes.data(), bytes.size());
    }
    catch (...)
    {
        // The list itself may still be written; the copy before it stays as it was.
        report("The last good profile list was not kept as \"" + backupPath +
               "\": " + currentExceptionText());
    }
}

std::string cProfileManager::propertyFilePath() const
{
    return profilesFolder() + getCurrentProfileId() + ".xml";
}

void cProfileManager::saveProperties()
{
    if (m_currentUser.empty() || m_valuesLocked)
        return;
    writeUnicodeFileIfChanged(propertyFilePath(), cProps::fileText());
}

void cProfileManager::loadProperties()
{
    cFileSystem* files = cFileSystem::instance();
    const std::string path = propertyFilePath();
    if (!files)
        return;
    if (!files->isKnown(path))
    {
        const std::string irregular = irregularSharedFile(path);
        if (irregular.empty())
        {
            m_valuesLoss = eValuesLoss::missing;
            report("The values of the profile " + quoted(m_currentUser) + " in \"" + path +
                   "\" are missing; the profile starts with empty values.");
            return;
        }
        // Never opened (a named pipe would block, a device never ends), never replaced.
        cProps::clearAll();
        m_valuesLocked = true;
        m_valuesLoss = eValuesLoss::leftInPlace;
        reportSaveFailure(eSavedFile::values,
                          "The values of the profile " + quoted(m_currentUser) + " in \"" + path +
                              "\" cannot be read (" + irregular +
                              " is in its place, not a regular file); it is left as it is and not written in "
                              "this run.");
        return;
    }
    std::string bytes;
    try
    {
        bytes = readBytes(*files, path);
    }
    catch (...)
    {
        cProps::clearAll();
        m_valuesLocked = true;
        m_valuesLoss = eValuesLoss::leftInPlace;
        reportSaveFailure(eSavedFile::values,
                          "The values of the profile " + quoted(m_currentUser) + " in \"" + path +
                              "\" cannot be read (" + currentExceptionText() +
                              "); the file is left as it is and not written in this run.");
        return;
    }
    try
    {
        cProps::readFile(*parse(bytes, path));
    }
    catch (...)
    {
        cProps::clearAll();
        report("The values of the profile " + quoted(m_currentUser) + " in \"" + path + "\" are damaged (" +
               currentExceptionText() + "); the profile starts with empty values.");
        m_valuesLocked = !setAside(path, eSavedFile::values);
        m_valuesLoss = m_valuesLocked ? eValuesLoss::leftInPlace : eValuesLoss::keptAside;
    }
}

cProfileManager::eValuesLoss cProfileManager::takeValuesLoss()
{
    return std::exchange(m_valuesLoss, eValuesLoss::none);
}

bool cProfileManager::setAside(const std::string& path, eSavedFile file)
{
    forget(path);
    try
    {
        const std::string kept = cFileSystem::instance()->setAside(path);
        report("The damaged \"" + path + "\" is kept as \"" + kept + "\".");
        return true;
    }
    catch (...)
    {
        reportSaveFailure(file, "The damaged \"" + path + "\" could not be set aside (" +
                                    currentExceptionText() +
                                    "); it is left as it is and not written in this run.");
        return false;
    }
}

} // namespace Engine
