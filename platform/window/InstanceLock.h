#pragma once

#include <memory>
#include <string>

namespace Platform
{

// The single-instance check: one running copy per user and per name (the window class name,
// "kelvask_" + the executable's file name). The first copy holds a lock file and listens on a
// local channel of the same name; a later copy finds the lock taken, asks the first one to come
// forward (restore its window when minimised, else raise it) and then ends itself with exit
// code 0.
//
// The lock is an flock() on "<folder>/<name>.lock", the folder being $XDG_RUNTIME_DIR when it is
// set and absolute, else the per-user data folder; the kernel drops it when the process ends,
// so a crashed copy never blocks the next one. The channel is an abstract-namespace local
// socket that carries the user id in its name and accepts requests only from the same user.
class InstanceLock
{
public:
    // Takes the lock for `name`. Returns null when another copy holds it; that copy has then
    // been asked to come forward. Throws std::runtime_error when the lock file cannot be opened.
    static std::unique_ptr<InstanceLock> acquire(const std::string& name);

    // Like `acquire`, with the lock file in `folder` (tests).
    static std::unique_ptr<InstanceLock> acquireIn(const std::string& folder, const std::string& name);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another copy asked this one to come forward since the last call. Never blocks.
    bool takeRaiseRequest();

    const std::string& lockPath() const { return m_lockPath; }

private:
    InstanceLock(int lockFd, int listenFd, std::string lockPath);

    int m_lockFd = -1;
    int m_listenFd = -1; // -1 when the channel could not be opened
    std::string m_lockPath;
};

} // namespace Platform
