#pragma once

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace Test
{

// Runs `command` with /bin/sh in a child process and returns the child's process id, or -1 when
// no child could be made. Everything the child needs is made before the fork: it only calls exec.
inline pid_t startShell(const std::string& command)
{
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Ends a child started by `startShell` with `signal` and waits for it to go; nothing without one.
inline void endChild(pid_t pid, int signal = SIGTERM)
{
    if (pid <= 0)
        return;
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
}

} // namespace Test
