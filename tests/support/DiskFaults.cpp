#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Test
{

DiskFaults::DiskFaults(std::vector<Fault> faults) : m_faults(std::move(faults))
{
    Engine::setFileFault(
        [this](Engine::eFileStep step, const std::string& path)
        {
            for (const Fault& fault : m_faults)
                if (fault.step == step && path.size() >= fault.pathEnd.size() &&
                    path.compare(path.size() - fault.pathEnd.size(), fault.pathEnd.size(), fault.pathEnd) ==
                        0)
                {
                    ++m_hits;
                    return fault.error;
                }
            return 0;
        });
}

DiskFaults::~DiskFaults()
{
    Engine::setFileFault({});
}

bool permissionsAreIgnored()
{
    return ::geteuid() == 0;
}

namespace
{

// Ends the child: its failures were printed; the exit status carries them to the parent.
[[noreturn]] void endChild(int status, const char* why = nullptr)
{
    if (why)
        std::fprintf(stderr, "unprivileged run: %s (%s)\n", why, std::strerror(errno));
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

} // namespace

void runUnprivileged(const std::filesystem::path& folder, const std::function<void()>& body)
{
    if (!permissionsAreIgnored())
    {
        body();
        return;
    }
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    // Everything the child reads or writes lies below the folder.
    std::error_code error;
    ASSERT_EQ(::lchown(folder.c_str(), uid, gid), 0) << folder << ": " << std::strerror(errno);
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        ASSERT_EQ(::lchown(it->path().c_str(), uid, gid), 0) << it->path() << ": " << std::strerror(errno);
    ASSERT_FALSE(error) << error.message();

    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0)
    {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            endChild(2, "cannot give up root");
        // A process that changed its user is no longer dumpable, which makes its own /proc files
        // root's: the sanitizers read them.
        ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
        if (::geteuid() == 0 || ::getegid() == 0)
            endChild(2, "still root");
        try
        {
            body();
        }
        catch (...)
        {
            endChild(3, "the test threw");
        }
        endChild(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the run as the user " << uid << " failed (its failures are printed above): "
        << (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                              : "signal " + std::to_string(WTERMSIG(status)));
}

SmallDisk::SmallDisk(const std::filesystem::path& folder, size_t bytes) : m_folder(folder)
{
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0)
        m_mounted = true;
    else
        m_why = std::string("a tmpfs cannot be mounted here (") + std::strerror(errno) + ")";
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(m_folder.c_str(), MNT_DETACH);
}

bool SmallDisk::makeReadOnly() const
{
    return m_mounted && ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void SmallDisk::fill() const
{
    const int fd = ::open((m_folder / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0)
    {
    }
    // A last part smaller than a block.
    while (::write(fd, block.data(), 1) > 0)
    {
    }
    ::close(fd);
}

} // namespace Test
