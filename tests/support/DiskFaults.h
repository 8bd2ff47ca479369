#pragma once

#include "engine/core/FileSteps.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Test
{

// A disk that fails while the object lives: each step of `faults` on a path that ends with its
// text fails with its errno value (a full disk, a folder that cannot be written, a file that
// cannot be opened), wherever the program would really hit it.
class DiskFaults
{
public:
    struct Fault
    {
        Engine::eFileStep step;
        std::string pathEnd;
        int error;
    };

    explicit DiskFaults(std::vector<Fault> faults);
    ~DiskFaults();
    DiskFaults(const DiskFaults&) = delete;
    DiskFaults& operator=(const DiskFaults&) = delete;

    // How often a fault struck.
    int hits() const { return m_hits; }

private:
    std::vector<Fault> m_faults;
    int m_hits = 0;
};

// True when this process ignores file permissions (root, as in CI, holds the capabilities that
// override them): a file made unreadable with chmod is still read, so a test needs another way
// to make it unreadable.
bool permissionsAreIgnored();

// Runs `body` where file permissions hold, so that a file made unreadable with chmod cannot be
// read, also by a program the body starts. Where they hold already, in place. Otherwise (as
// root) in a child process that keeps its user but gives up the capabilities that override
// file permissions and ownership, for itself and for every program it starts: the body still
// reaches what its user owns (the build and the sources, wherever the clone lies, and
// `folder`, the test's own temporary folder, which must be this user's), and a file of its
// user made unreadable stays so. The child's failures are printed as they happen and fail the
// calling test, and the child ends without running the tear-down, which stays with the caller.
void runUnprivileged(const std::filesystem::path& folder, const std::function<void()>& body);

// A small file system of its own at `folder` (a tmpfs of `bytes`), for a disk that is really
// full or read-only; `mounted` is false (with the reason in `why`) where mounting is not
// allowed.
class SmallDisk
{
public:
    SmallDisk(const std::filesystem::path& folder, size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }
    // Fills what is left of the disk with one file.
    void fill() const;
    // Mounts the disk again, read-only: nothing on it can be created, changed or removed.
    bool makeReadOnly() const;

private:
    std::filesystem::path m_folder;
    bool m_mounted = false;
    std::string m_why;
};

} // namespace Test
