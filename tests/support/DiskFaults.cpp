#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

namespace
{

// The capabilities that let a process read, write and search what file permissions forbid it,
// and act as the owner of any file.
constexpr int kPermissionOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};

struct Capabilities
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3]{};

    bool read() { return ::syscall(SYS_capget, &header, sets) == 0; }
    bool write() { return ::syscall(SYS_capset, &header, sets) == 0; }
    bool effective(int capability) const
    {
        return (sets[CAP_TO_INDEX(capability)].effective & CAP_TO_MASK(capability)) != 0;
    }
    void drop(int capability)
    {
        __user_cap_data_struct& set = sets[CAP_TO_INDEX(capability)];
        set.effective &= ~CAP_TO_MASK(capability);
        set.permitted &= ~CAP_TO_MASK(capability);
        set.inheritable &= ~CAP_TO_MASK(capability);
    }
};

// Ends the child: its failures were printed; the exit status carries them to the parent.
[[noreturn]] void endChild(int status, const char* why = nullptr)
{
    if (why)
        std::fprintf(stderr, "run where permissions hold: %s (%s)\n", why, std::strerror(errno));
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

// Gives up the capabilities that override file permissions, from the bounding set first (which
// needs one of the capabilities kept until then): a program this process starts would otherwise
// take them back, as every program started by root does.
void giveUpPermissionOverrides()
{
    for (const int capability : kPermissionOverrides)
        if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 ||
            ::prctl(PR_CAPBSET_READ, capability, 0, 0, 0) != 0)
            endChild(2, "cannot take a capability out of the bounding set");
    Capabilities capabilities;
    if (!capabilities.read())
        endChild(2, "cannot read the capabilities");
    for (const int capability : kPermissionOverrides)
        capabilities.drop(capability);
    if (!capabilities.write() || permissionsAreIgnored())
        endChild(2, "cannot give up the capabilities that override file permissions");
}

} // namespace

bool permissionsAreIgnored()
{
    Capabilities capabilities;
    if (!capabilities.read())
        return ::geteuid() == 0;
    return capabilities.effective(CAP_DAC_OVERRIDE) || capabilities.effective(CAP_DAC_READ_SEARCH);
}

void runUnprivileged(const std::filesystem::path& folder, const std::function<void()>& body)
{
    if (!permissionsAreIgnored())
    {
        body();
        return;
    }
    // Without the capabilities only the owner's permissions let the body into its folder.
    struct stat info
    {
    };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder << ": " << std::strerror(errno);
    ASSERT_EQ(info.st_uid, ::geteuid()) << folder << " belongs to another user";

    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0)
    {
        giveUpPermissionOverrides();
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
        << "the run where file permissions hold failed (its failures are printed above): "
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
