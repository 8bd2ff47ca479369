#include "tests/support/DiskFaults.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
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
