// Hands arbitrary bytes to the profile manager as "profiles.xml" (and, after a "@@@@" marker,
// as the property file of ID 1), makes a manager, and checks what must hold for any list: no
// two profiles share an ID, the current user is listed, the list written loads again and
// names exactly the profiles the manager holds. The reading and salvaging of the list are
// also run on the raw bytes.
#include "engine/core/FileSteps.h"
#include "engine/core/FileUtils.h"
#include "engine/core/ProfileFiles.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cXmlProperties.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <set>
#include <string>

namespace
{

const std::string Folder = "profiles/";

// A data folder of its own in the current folder; the shared folder follows XDG_DATA_HOME.
void startEngine()
{
    static std::unique_ptr<Engine::cFileSystem> files;
    static std::unique_ptr<Engine::cConstants> constants;
    if (files)
        return;
    // Thousands of lists are written that nobody reads after the run.
    Engine::setSyncToDisk(false);
    std::filesystem::create_directories("data/sys");
    std::ofstream("data/sys/constants.xml")
        << "<constants><game app_directory=\"Profiles Fuzz\" profiles=\"profiles\"/></constants>";
    files =
        std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(std::filesystem::absolute("data").string()));
    constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
}

void clearProfilesFolder()
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    std::list<std::string> names;
    files->listCommonFolder(Folder, names);
    for (const std::string& name : names)
        files->removeFile(Folder + name);
}

void checkManager(const Engine::cProfileManager& manager)
{
    std::set<uint32_t> ids;
    for (const auto& profile : manager.getProfiles())
    {
        if (profile.first.empty() || !ids.insert(profile.second).second)
            std::abort();
    }
    if (manager.getProfiles().count(manager.currentUserName()) == 0)
        std::abort();

    // The list on disk names exactly these profiles.
    std::vector<char> bytes;
    Engine::cFileSystem::instance()->readFile(Folder + "profiles.xml", bytes);
    Engine::sProfilesFile file;
    try
    {
        Engine::readProfilesFile(
            *Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "profiles.xml"), file);
    }
    catch (...)
    {
        std::abort();
    }
    if (file.entries.size() != manager.getProfiles().size() || file.currentUser != manager.currentUserName())
        std::abort();
    for (const auto& entry : file.entries)
    {
        const auto found = manager.getProfiles().find(entry.name);
        if (found == manager.getProfiles().end() || !entry.hasId || found->second != entry.id)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    startEngine();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t marker = input.find("@@@@");
    const std::string list = input.substr(0, marker);
    const std::string props = marker == std::string::npos ? std::string() : input.substr(marker + 4);

    Engine::sProfilesFile salvaged;
    Engine::salvageProfilesFile(list, salvaged);

    clearProfilesFolder();
    Engine::writeWholeFile(Folder + "profiles.xml", list.data(), list.size());
    if (marker != std::string::npos)
        Engine::writeWholeFile(Folder + "00000001.xml", props.data(), props.size());

    // The name the game would start with, or a fixed one.
    std::wstring name = Engine::cProfileManager::readCurrentUser();
    if (name.empty() || (size > 0 && (data[0] & 1)))
        name = L"Fuzz";
    {
        Engine::cProfileManager manager(name);
        checkManager(manager);
        Engine::cProps::set<int>(L"CurrentLevel", 1);
        manager.save();
        checkManager(manager);
        if (size > 1 && (data[1] & 1) && manager.getProfiles().size() > 1)
        {
            manager.deleteProfile(manager.getProfiles().begin()->first);
            if (manager.getProfiles().count(manager.currentUserName()) == 0)
                std::abort();
        }
    }
    Engine::cProps::clearAll();
    return 0;
}
