#include "platform/window/InstanceLock.h"

#include "platform/system/SystemInfo.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Platform
{
namespace
{

bool isFolder(const char* path)
{
    struct stat info
    {
    };
    return path && path[0] == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The channel's address in the abstract namespace: the user id and a hash of the lock file's
// path, so two copies share a channel exactly when they share a lock.
sockaddr_un channelAddress(const std::string& lockPath, socklen_t& length)
{
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : lockPath)
    {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[96];
    const int written =
        std::snprintf(name, sizeof(name), "quillmoor-%u-%016llx", static_cast<unsigned>(::getuid()),
                      static_cast<unsigned long long>(hash));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // sun_path[0] stays 0: an abstract name, never a file, gone with the last socket.
    std::memcpy(address.sun_path + 1, name, static_cast<size_t>(written));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(written));
    return address;
}

bool peerIsSameUser(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::getuid();
}

int openChannel(const std::string& lockPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    socklen_t length = 0;
    const sockaddr_un address = channelAddress(lockPath, length);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, 4) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Connecting is the whole request; the copy that holds the lock checks who connected.
void askToComeForward(const std::string& lockPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    socklen_t length = 0;
    const sockaddr_un address = channelAddress(lockPath, length);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && peerIsSameUser(fd))
    {
        const char request = 'R';
        (void)::send(fd, &request, 1, MSG_NOSIGNAL);
    }
    ::close(fd);
}

} // namespace

std::vector<std::string> InstanceLock::lockFolders(const std::string& sharedFolder)
{
    std::vector<std::string> folders;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (isFolder(runtime))
        folders.emplace_back(runtime);
    if (!sharedFolder.empty())
        folders.push_back(sharedFolder);
    // Made only when asked for: most runs never need it.
    folders.emplace_back();
    return folders;
}

std::string InstanceLock::userTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = isFolder(tmp) ? std::string(tmp) : std::string("/tmp");
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const uid_t user = ::getuid();
    folder += "/quillmoor-" + std::to_string(user);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    // Whatever was there already must be this user's own folder, not a link to somewhere else.
    struct stat info
    {
    };
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user ||
        (info.st_mode & 077) != 0)
        return std::string();
    return folder;
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name,
                                                    std::vector<std::string>& passedOver)
{
    return acquireFirst(lockFolders(dataHomeFolder()), name, passedOver);
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name)
{
    std::vector<std::string> passedOver;
    return acquire(name, passedOver);
}

std::unique_ptr<InstanceLock> InstanceLock::acquireFirst(const std::vector<std::string>& folders,
                                                         const std::string& name,
                                                         std::vector<std::string>& passedOver)
{
    for (const std::string& given : folders)
    {
        // An empty entry stands for the user's folder under /tmp, made when it is reached.
        const std::string folder = given.empty() ? userTempFolder() : given;
        if (folder.empty())
        {
            passedOver.push_back("No folder of this user's own could be made under the temporary folder.");
            continue;
        }
        try
        {
            return acquireIn(folder, name);
        }
        catch (const std::runtime_error& failure)
        {
            passedOver.emplace_back(failure.what());
        }
    }
    std::string text = "No folder takes the single-instance lock:";
    for (const std::string& line : passedOver)
        text += "\n" + line;
    throw std::runtime_error(text);
}

std::unique_ptr<InstanceLock> InstanceLock::acquireIn(const std::string& folder, const std::string& name)
{
    const std::string path = folder + "/" + name + ".lock";
    // A link in the lock's place is never followed: it could lead anywhere.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw std::runtime_error("Can't open the lock file \"" + path + "\": " + std::strerror(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK)
            throw std::runtime_error("Can't lock the file \"" + path + "\": " + std::strerror(error));
        askToComeForward(path);
        return nullptr;
    }
    const int channel = openChannel(path);
    if (channel < 0)
        std::fprintf(stderr, "Single-instance channel for \"%s\" unavailable: %s\n", path.c_str(),
                     std::strerror(errno));
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd, channel, path));
}

InstanceLock::InstanceLock(int lockFd, int listenFd, std::string lockPath)
    : m_lockFd(lockFd), m_listenFd(listenFd), m_lockPath(std::move(lockPath))
{
}

InstanceLock::~InstanceLock()
{
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    // The file stays: removing it would let a copy that opened it just now lock an orphan.
    ::close(m_lockFd);
}

bool InstanceLock::takeRaiseRequest()
{
    if (m_listenFd < 0)
        return false;
    bool asked = false;
    for (;;)
    {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            break;
        if (peerIsSameUser(fd))
            asked = true;
        ::close(fd);
    }
    return asked;
}

} // namespace Platform
