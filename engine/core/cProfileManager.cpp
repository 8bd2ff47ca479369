#include "engine/core/cProfileManager.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "engine/core/cXmlProperties.h"

#include <algorithm>
#include <limits>
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

} // namespace

// A name that holds characters no XML file can is stored with them replaced (U+FFFD), so the
// name kept in memory is the one the list gives back.
cProfileManager::cProfileManager(const std::wstring& currentUser)
    : m_currentUser(replaceNonXmlCharacters(currentUser))
{
    load();
}

cProfileManager::~cProfileManager()
{
    if (!m_noSaveAtExit && !m_currentUser.empty())
    {
        m_nowPlaying = false;
        m_dirty = true;
        try
        {
            writeProfiles();
            saveProperties();
        }
        catch (...)
        {
            report("The profile " + quoted(m_currentUser) + " was not saved: " + currentExceptionText());
        }
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
    cFileSystem* files = cFileSystem::instance();
    const std::string path = profilesFolder() + ListName;
    if (!files || !files->isKnown(path))
        return std::wstring();
    std::string bytes;
    sProfilesFile file;
    try
    {
        bytes = readBytes(*files, path);
        readProfilesFile(*parse(bytes, path), file);
    }
    catch (...)
    {
        // The manager made with this name reports the damage when it reads the list.
        file = sProfilesFile();
        salvageProfilesFile(bytes, file);
    }
    return file.currentUser;
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

void cProfileManager::save()
{
    if (m_noSaveAtExit || m_currentUser.empty())
        return;
    m_dirty = true;
    writeProfiles();
    saveProperties();
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
    writeProfiles();
    m_noSaveAtExit = true;

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
    const cFileSystem* files = cFileSystem::instance();
    const std::string path = profilesFolder() + ListName;
    if (!files || !files->isKnown(path))
        addProfile();
    else
    {
        readProfiles(path);
        if (m_storedCurrentUser != m_currentUser)
        {
            m_storedCurrentUser = m_currentUser;
            m_dirty = true;
        }
        if (m_profiles.find(m_currentUser) == m_profiles.end())
            addProfile();
        else
            loadProperties();
    }
    m_nowPlaying = true;
    m_dirty = true;
    writeProfiles();
}

void cProfileManager::readProfiles(const std::string& path)
{
    cFileSystem& files = *cFileSystem::instance();
    std::string bytes;
    sProfilesFile file;
    try
    {
        bytes = readBytes(files, path);
        readProfilesFile(*parse(bytes, path), file);
    }
    catch (...)
    {
        report("The profile list \"" + path + "\" is damaged (" + currentExceptionText() +
               "); the profiles that can still be read from it are kept.");
        keepDamaged(path, bytes, path + ".damaged");
        file = sProfilesFile();
        salvageProfilesFile(bytes, file);
    }
    takeProfiles(file);
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
                   (entry.hasId ? " has the ID of another profile" : " has no ID") + "; it gets a new one.");
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
    const std::string path = profilesFolder() + ListName;
    if (m_profiles.empty())
    {
        forget(path);
        if (cFileSystem* files = cFileSystem::instance())
            files->removeFile(path);
    }
    else
        writeUnicodeFile(path, profilesFileText(m_nextId, m_currentUser, m_nowPlaying, m_profiles));
    m_dirty = false;
}

std::string cProfileManager::propertyFilePath() const
{
    return profilesFolder() + getCurrentProfileId() + ".xml";
}

void cProfileManager::saveProperties()
{
    if (m_currentUser.empty())
        return;
    writeUnicodeFile(propertyFilePath(), cProps::fileText());
}

void cProfileManager::loadProperties()
{
    cFileSystem* files = cFileSystem::instance();
    const std::string path = propertyFilePath();
    if (!files || !files->isKnown(path))
        return;
    std::string bytes;
    try
    {
        bytes = readBytes(*files, path);
        cProps::readFile(*parse(bytes, path));
    }
    catch (...)
    {
        cProps::clearAll();
        report("The values of the profile " + quoted(m_currentUser) + " in \"" + path + "\" are damaged (" +
               currentExceptionText() + "); the profile starts with empty values.");
        keepDamaged(path, bytes, profilesFolder() + getCurrentProfileId() + ".damaged");
    }
}

void cProfileManager::keepDamaged(const std::string& path, const std::string& bytes,
                                  const std::string& copyPath)
{
    if (bytes.empty())
        return;
    try
    {
        writeWholeFile(copyPath, bytes.data(), bytes.size());
        report("The damaged \"" + path + "\" is kept as \"" + copyPath + "\".");
    }
    catch (...)
    {
        report("The damaged \"" + path + "\" could not be kept: " + currentExceptionText());
    }
}

} // namespace Engine
