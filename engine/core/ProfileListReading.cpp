#include "engine/core/ProfileListReading.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/core/cXmlProperties.h"

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <set>

namespace Engine
{
namespace
{

const char* const ListName = "profiles.xml";

// No list of players comes near this size: a larger file is damage, not read whole.
constexpr unsigned MaxListBytes = 16u << 20;

using tEntry = sProfilesFile::sEntry;

std::string quoted(const std::wstring& name)
{
    return "\"" + toUtf8(name) + "\"";
}

// Reads one list file; what can still be read of a damaged one is in `out`, and `state` tells
// how it went.
void readOneList(cFileSystem& files, const std::string& path, sProfilesFile& out,
                 sProfileListReading::eState& state, std::string& problem)
{
    std::string bytes;
    try
    {
        if (!readProfileListBytes(files, path, bytes, problem))
        {
            state = sProfileListReading::Damaged;
            return;
        }
    }
    catch (...)
    {
        state = sProfileListReading::Unreadable;
        problem = currentExceptionText();
        return;
    }
    try
    {
        // Built apart from the resource manager's cache: the loader through the cache deletes
        // a damaged copy in the shared folder, and this is the only copy of the list.
        readProfilesFile(*cXmlProperties::fromBuffer(bytes.data(), bytes.size(), path), out);
        state = sProfileListReading::Good;
    }
    catch (...)
    {
        state = sProfileListReading::Damaged;
        problem = currentExceptionText();
        out = sProfilesFile();
        salvageProfilesFile(bytes, out);
    }
}

// Who a list names and which IDs it gives, kept up to date while its entries change. Only the
// first entry of a name counts as it (a later one is left out of the list), and only entries
// with a name hold an ID's files.
class cListIndex
{
public:
    explicit cListIndex(sProfilesFile& file) : m_file(file)
    {
        for (size_t i = 0; i < file.entries.size(); ++i)
            noteAdded(i);
    }

    bool names(const std::wstring& name) const { return !name.empty() && m_first.count(name) != 0; }
    bool isFirst(size_t index) const
    {
        const auto found = m_first.find(m_file.entries[index].name);
        return found != m_first.end() && found->second == index;
    }
    // The ID the name's entry gives, or 0.
    uint32_t idOf(const std::wstring& name) const
    {
        const auto found = m_first.find(name);
        if (found == m_first.end())
            return 0;
        const tEntry& entry = m_file.entries[found->second];
        return entry.hasId ? entry.id : 0;
    }
    // The entries with a name that give the ID.
    size_t holders(uint32_t id) const
    {
        const auto found = m_holders.find(id);
        return found == m_holders.end() ? 0 : found->second;
    }

    // Gives an entry another ID, or none (0).
    void setId(size_t index, uint32_t id)
    {
        tEntry& entry = m_file.entries[index];
        if (!entry.name.empty() && entry.hasId)
            --m_holders[entry.id];
        entry.hasId = id != 0;
        entry.id = id;
        if (!entry.name.empty() && entry.hasId)
            ++m_holders[entry.id];
    }
    void add(const tEntry& entry)
    {
        m_file.entries.push_back(entry);
        noteAdded(m_file.entries.size() - 1);
    }

private:
    void noteAdded(size_t index)
    {
        const tEntry& entry = m_file.entries[index];
        if (entry.name.empty())
            return;
        m_first.emplace(entry.name, index);
        if (entry.hasId)
            ++m_holders[entry.id];
    }

    sProfilesFile& m_file;
    std::map<std::wstring, size_t> m_first;
    std::map<uint32_t, size_t> m_holders;
};

// The name under which a player is listed when the name is taken or there is none: the ID
// text, made unique.
std::wstring freeName(const cListIndex& index, std::wstring name, uint32_t id)
{
    if (name.empty() || index.names(name))
        name = fromUtf8(profileIdText(id));
    const std::wstring base = name;
    for (int n = 2; index.names(name); ++n)
        name = base + L" (" + std::to_wstring(n) + L")";
    return name;
}

// The IDs whose values file or unfinished level is in the profiles folder.
std::set<uint32_t> idsWithFiles(cFileSystem& files, const std::string& folder)
{
    std::set<uint32_t> ids;
    std::list<std::string> fileNames;
    files.listCommonFolder(folder, fileNames);
    for (const std::string& fileName : fileNames)
    {
        uint32_t id = 0;
        if (isProfileDataFileName(fileName, id))
            ids.insert(id);
    }
    return ids;
}

// Gives back the IDs the list lost for players it still names, from the last good list or
// from files no one else can hold.
void recoverIds(sProfilesFile& file, cListIndex& index, const cListIndex& lastGood,
                const std::set<uint32_t>& withFiles, const std::string& lastGoodPath,
                std::vector<std::string>& notes)
{
    std::vector<tEntry>& entries = file.entries;
    const std::string fromLastGood = "the last good list \"" + lastGoodPath + "\"";

    // A digit changed: the ID has no files, and the last good list gives the player another that
    // nobody holds.
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const tEntry& entry = entries[i];
        if (!index.isFirst(i) || !entry.hasId || withFiles.count(entry.id) != 0)
            continue;
        const uint32_t good = lastGood.idOf(entry.name);
        if (good == 0 || good == entry.id || index.holders(good) != 0)
            continue;
        notes.push_back("The profile " + quoted(entry.name) + " has the ID " + profileIdText(entry.id) +
                        ", which has no files; " + fromLastGood + " gives it " + profileIdText(good) +
                        ", which it takes back.");
        index.setId(i, good);
    }

    // One ID given to several players: the player the last good list gives it to keeps it, or
    // else the first; the others look for their own.
    std::map<uint32_t, std::vector<size_t>> byId;
    for (size_t i = 0; i < entries.size(); ++i)
        if (index.isFirst(i) && entries[i].hasId && index.holders(entries[i].id) > 1)
            byId[entries[i].id].push_back(i);
    for (const auto& [id, group] : byId)
    {
        size_t owner = group.front();
        for (const size_t i : group)
            if (lastGood.idOf(entries[i].name) == id)
            {
                owner = i;
                break;
            }
        for (const size_t i : group)
            if (i != owner)
            {
                index.setId(i, 0);
                entries[i].idShared = true;
            }
    }

    const auto lacks = [&](size_t i)
    { return (entries[i].idShared ? " has the ID of another profile" : " has no ID") + std::string("; "); };
    std::vector<size_t> without;
    for (size_t i = 0; i < entries.size(); ++i)
    {
        if (!index.isFirst(i) || entries[i].hasId)
            continue;
        const uint32_t good = lastGood.idOf(entries[i].name);
        if (good != 0 && index.holders(good) == 0)
        {
            notes.push_back("The profile " + quoted(entries[i].name) + lacks(i) + fromLastGood +
                            " gives it " + profileIdText(good) + ", which it takes back.");
            index.setId(i, good);
            entries[i].idShared = false;
        }
        else
            without.push_back(i);
    }

    // Files that no entry and no player of the last good list holds belong to a player without
    // an ID, when there is only one of each.
    std::vector<uint32_t> unheld;
    for (const uint32_t id : withFiles)
        if (index.holders(id) == 0 && lastGood.holders(id) == 0)
            unheld.push_back(id);
    if (without.size() == 1 && unheld.size() == 1)
    {
        const size_t i = without.front();
        notes.push_back("The profile " + quoted(entries[i].name) + lacks(i) + "the files of ID " +
                        profileIdText(unheld.front()) +
                        ", which no other profile holds, are taken as its own.");
        index.setId(i, unheld.front());
        entries[i].idShared = false;
    }
}

} // namespace

bool readProfileListBytes(cFileSystem& files, const std::string& path, std::string& bytes,
                          std::string& problem)
{
    const std::unique_ptr<cStream> stream = files.openFile(path);
    if (stream->size() > MaxListBytes)
    {
        problem = std::to_string(stream->size()) + " bytes, more than any list of players";
        return false;
    }
    std::vector<char> data;
    files.readFile(path, data);
    bytes.assign(data.begin(), data.end());
    return true;
}

bool keepsEveryId(const sProfilesFile& list, const sProfilesFile& lastGood)
{
    sProfilesFile copy = list;
    const cListIndex index(copy);
    for (const tEntry& entry : lastGood.entries)
        if (!entry.name.empty() && entry.hasId && index.holders(entry.id) == 0)
            return false;
    return true;
}

sProfileListReading readProfileList(const std::string& folder)
{
    sProfileListReading reading;
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        return reading;
    const std::string path = folder + ListName;
    if (files->isKnown(path))
        readOneList(*files, path, reading.file, reading.state, reading.problem);
    else if (const std::string irregular = irregularSharedFile(path); !irregular.empty())
    {
        // Never opened: a named pipe would block, a device never ends.
        reading.state = sProfileListReading::Unreadable;
        reading.problem = irregular + " is in its place, not a regular file";
    }
    sProfilesFile& file = reading.file;

    sProfilesFile lastGood;
    const std::string lastGoodPath = path + ".bak";
    if (files->isKnown(lastGoodPath))
    {
        sProfileListReading::eState state = sProfileListReading::Missing;
        std::string problem;
        readOneList(*files, lastGoodPath, lastGood, state, problem);
    }
    const std::set<uint32_t> withFiles = idsWithFiles(*files, folder);
    cListIndex index(file);
    const cListIndex lastGoodIndex(lastGood);
    recoverIds(file, index, lastGoodIndex, withFiles, lastGoodPath, reading.notes);

    // The players of the last good list whose IDs the list gives nobody.
    for (const tEntry& entry : lastGood.entries)
    {
        if (entry.name.empty() || !entry.hasId || index.holders(entry.id) != 0)
            continue;
        tEntry back = entry;
        back.name = freeName(index, entry.name, entry.id);
        index.add(back);
        reading.notes.push_back("The profile " + quoted(back.name) + " (ID " + profileIdText(entry.id) +
                                ") is taken from the last good list \"" + lastGoodPath + "\".");
    }
    if (!index.names(file.currentUser) && index.names(lastGood.currentUser))
        file.currentUser = lastGood.currentUser;
    if (lastGood.hasNextId && (!file.hasNextId || lastGood.nextId > file.nextId))
    {
        file.hasNextId = true;
        file.nextId = lastGood.nextId;
    }

    // A list that is whole keeps files it does not name apart (they are passed over by new
    // profiles); one that lost entries lists them under their ID text.
    if (reading.state != sProfileListReading::Good || file.entries.empty())
    {
        for (const uint32_t id : withFiles)
        {
            if (index.holders(id) != 0)
                continue;
            tEntry entry;
            entry.name = freeName(index, std::wstring(), id);
            entry.hasId = true;
            entry.id = id;
            index.add(entry);
            reading.notes.push_back("The files of ID " + profileIdText(id) +
                                    " belong to no listed profile; they are listed as the profile " +
                                    quoted(entry.name) + ".");
        }
    }

    if (!index.names(file.currentUser))
    {
        // The first name in the list's order.
        std::wstring first;
        for (const tEntry& entry : file.entries)
            if (!entry.name.empty() && (first.empty() || cUtf16Less()(entry.name, first)))
                first = entry.name;
        file.currentUser = first;
    }
    return reading;
}

} // namespace Engine
