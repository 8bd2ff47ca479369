#pragma once

#include "engine/core/cSingleton.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Engine
{

class cStream;
class cFileStream;
class cPackArchive;

// The one place through which the program finds, reads, writes, moves and removes its files.
//
// One index of relative paths joins the data folder, the zip packs in it, and the shared folder
// ("#common#", where every written file goes). For one path the shared folder's loose file wins,
// then a member of a shared-folder pack (the later pack by name), then a member of a data-folder
// pack (the later by name), then the data folder's loose file. A file written to the shared
// folder hides the data copy until it is removed again.
//
// Each pack is opened once, when it is indexed, and stays open: its members are read by their
// index in it (see cPackArchive).
//
// Index keys are lower-case with "/" separators. The disk is case-sensitive and data made on
// Windows comes with any case (and packs with "\" in member names), so each entry keeps the real
// name on disk or in the pack, and lookups lower-case the path they are given and turn "\" into
// "/" before they search.
class cFileSystem : public cSingleton<cFileSystem>
{
public:
    // Takes a pack's relative name; false skips that pack.
    using PackFilter = bool (*)(const std::string& packName);

    // Indexes `dataFolder` and its packs, reads the application directory name from
    // "sys/constants.xml" and indexes the shared folder named after it (created when missing).
    cFileSystem(const std::wstring& dataFolder, const std::string& packExtension = "pack",
                PackFilter filter = nullptr);
    virtual ~cFileSystem();

    // Lower-case, "/" separators, ending in "/".
    virtual std::wstring getDataFolder() const;
    // The data folder as the disk spells it (UTF-8, "/" separators, ending in "/").
    const std::string& getDataFolderOnDisk() const { return m_dataFolderOnDisk; }
    // The shared folder: the common application-data folder + the application directory + "/".
    virtual std::wstring getCommonFolder() const;

    // Opens a file at a path on disk (not below either folder) for reading and writing, creating
    // its folders first. With `truncate` the file is replaced whole when the stream is closed
    // (see cAtomicFileStream); without, it must exist and is changed in place. Nothing is indexed.
    virtual std::unique_ptr<cFileStream> openWriteStream(const std::string& path, bool truncate);
    virtual std::unique_ptr<cFileStream> openWriteStream(const std::wstring& path, bool truncate);
    // True when the file at that path on disk can be opened for reading.
    virtual bool existsOnDisk(const std::wstring& path) const;
    // Appends the full path of every file in a folder on disk (names beginning with "." are
    // skipped), walking subfolders when `recursive` is set. Names come in byte order.
    virtual void listDiskFolder(const std::wstring& folder, std::list<std::wstring>& out,
                                bool recursive) const;
    // Moves a file on disk (paths on disk); a target inside the shared folder is indexed.
    virtual void moveFile(const std::wstring& source, const std::wstring& target);

    // A new stream reading the file; throws std::string "File \"<path>\" not found." when the
    // path is not indexed, and "Can't open file ..." with the system's reason when it cannot
    // be opened.
    virtual std::unique_ptr<cStream> openFile(const std::string& path) const;
    // A stream reading the data folder's or a pack's copy of a path the shared folder hides;
    // throws like `openFile` when there is no such copy.
    std::unique_ptr<cStream> openDataCopy(const std::string& path) const;
    // Creates a file in the shared folder (the path lower-cased) and indexes it there. With
    // `truncate` (every caller) the file is replaced whole when the stream is closed.
    virtual std::unique_ptr<cFileStream> createFile(const std::string& path, bool truncate);
    // The file on disk that `createFile` and `removeFile` open for a path: the shared folder's
    // file as the disk spells it when the folder has one (perhaps in another case), else the
    // path lower-cased there. What tells of a write names this, not the path asked for.
    std::string sharedPathOnDisk(const std::string& path) const;
    // Deletes the shared folder's copy; the data-folder or pack copy, if any, is seen again.
    // False (nothing changed) when the shared folder has no such file.
    virtual bool removeFile(const std::string& path);
    // Sets a file of the shared folder that could be read but not used aside: it is renamed to
    // `copyPath` (a path of the shared folder, "<path>.damaged" when empty), or to
    // "<copyPath>-2", "-3"... when that name is taken, so an earlier copy is never replaced.
    // The path shows its data-folder or pack copy again, if any. Returns the copy's path;
    // throws std::string with the system's reason when the file cannot be renamed.
    std::string setAside(const std::string& path, const std::string& copyPath = std::string());
    virtual bool isKnown(const std::string& path) const;
    virtual bool existsOnDisk(const std::string& path) const;
    // True when the path is indexed as a loose file of the shared folder.
    virtual bool isInCommon(const std::string& path) const;
    // True when the data folder or a pack has the path too (seen again once the shared
    // folder's copy is removed).
    bool hasDataCopy(const std::string& path) const;
    // The pack on disk that the path is read from, or empty for a loose or unknown file.
    std::wstring getPackPath(const std::string& path) const;
    // Appends every key that begins with `prefix` (anyDepth), or only a key equal to it.
    virtual void listKnown(const std::string& prefix, std::list<std::string>& out, bool anyDepth) const;
    // Appends the names of the files in a subfolder of the shared folder, packs left out.
    virtual void listCommonFolder(const std::string& folder, std::list<std::string>& out) const;
    virtual void moveFile(const std::string& source, const std::string& target);
    // Reads a whole file into `out` (resized to the file) and returns the number of bytes;
    // throws like `openFile`, and cString<std::string> when a pack member is damaged.
    // A file that is no longer there, or a folder in its place, cannot be opened.
    virtual unsigned int readFile(const std::string& path, std::vector<char>& out) const;

private:
    struct Entry
    {
        // Empty: loose file of the data folder; "#common#": loose file of the shared folder;
        // else the relative name of the pack holding the member.
        std::string root;
        // 1 for the data folder and its packs, 0 for the shared folder and its packs.
        uint32_t inDataFolder = 1;
        // The real relative name on disk, or the member's real name in its pack.
        std::string name;
        // The mounted pack holding the member, and the member's index in it.
        std::shared_ptr<cPackArchive> archive;
        size_t member = 0;
    };
    using Index = std::map<std::string, Entry>;

    void indexListing(const std::vector<std::string>& names, const std::string& root);
    void indexPacks(const std::string& folder, uint32_t inDataFolder, Index& into, PackFilter filter);
    // The application directory name from "sys/constants.xml" of the data side, "\\" turned
    // into "/"; throws when it is missing or would lead outside the common folder.
    std::wstring readAppDirectory() const;
    // Relative names (UTF-8, "/" separators) of every file below a folder on disk.
    std::vector<std::string> listRelative(const std::string& folder) const;
    const Entry* find(const std::string& path) const;
    std::unique_ptr<cStream> openEntry(const std::string& path, const Entry& entry) const;
    // Forgets the shared folder's loose file of a key: the data side's entry, if any, is seen
    // again.
    void forgetCommon(const std::string& key);
    // Removes the temporary files a write cut short by a crash left in the shared folder.
    void removeStrayTemporaries(std::vector<std::string>& names);
    std::string loosePath(const Entry& entry) const;
    std::wstring packPath(const Entry& entry) const;
    void noteWritten(const std::string& key, const std::string& name);
    // The relative name on disk of a key of the shared folder: its file's name when the folder
    // has one, else the key.
    std::string sharedName(const std::string& key) const;
    void moveOnDisk(const std::string& source, const std::string& target, std::string& error);

    std::wstring m_dataFolder;
    std::wstring m_commonFolder;
    Index m_index;
    Index m_shadow;
    std::set<std::string> m_packs;
    std::string m_packExtension;
    // The folders as the disk spells them (UTF-8, "/" separators, ending in "/").
    std::string m_dataFolderOnDisk;
    std::string m_commonFolderOnDisk;
};

} // namespace Engine
