#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Platform
{

// The single-instance check: one running copy per user and per name (the window class name,
// "kelvask_" + the executable's file name). The first copy holds a lock file and listens on a
// local channel of the same name; a later copy finds the lock taken, asks the first one to come
// forward (restore its window when minimised, else raise it) and then ends itself with exit
// code 0.
//
// The lock is an flock() on "<folder>/<name>.lock". The folder is the first of `lockFolders`
// that takes the file: $XDG_RUNTIME_DIR, else the per-user data folder, else a folder of the
// user's own under /tmp; a folder that cannot be written (read-only, or a file where a folder
// should be) is passed over, so it never keeps the game from starting. The kernel drops the
// lock when the process ends, so a crashed copy never blocks the next one. The channel is an
// abstract-namespace local socket that carries the user id in its name and accepts requests
// only from the same user.
class InstanceLock
{
public:
    // Takes the lock for `name` in the first of `lockFolders` that takes it. Returns null when
    // another copy holds it; that copy has then been asked to come forward. Each folder passed
    // over adds a line to `passedOver` (the lock file and why). Throws std::runtime_error, with
    // those lines, when no folder takes the lock file.
    static std::unique_ptr<InstanceLock> acquire(const std::string& name,
                                                 std::vector<std::string>& passedOver);
    static std::unique_ptr<InstanceLock> acquire(const std::string& name);

    // The same over the given folders, in order; an empty entry stands for `userTempFolder`,
    // made when it is reached.
    static std::unique_ptr<InstanceLock> acquireFirst(const std::vector<std::string>& folders,
                                                      const std::string& name,
                                                      std::vector<std::string>& passedOver);

    // With the lock file in `folder` only. Throws std::runtime_error when the lock file cannot
    // be opened or locked there.
    static std::unique_ptr<InstanceLock> acquireIn(const std::string& folder, const std::string& name);

    // Where the lock file may go, in order: $XDG_RUNTIME_DIR when it is set, absolute and a
    // folder; `sharedFolder`; and last an empty entry for `userTempFolder`.
    static std::vector<std::string> lockFolders(const std::string& sharedFolder);

    // "<$TMPDIR or /tmp>/quillmoor-<uid>", made with room for its owner alone; empty when it
    // cannot be made, or when what is there is not a folder of this user's that only they can
    // enter (another user could otherwise take or replace the lock).
    static std::string userTempFolder();

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
