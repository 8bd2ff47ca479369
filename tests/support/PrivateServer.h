#pragma once

#include "tests/support/ShellChild.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace Test
{

// An X server of the test's own: the programs of two display tests running at once would
// find each other's windows (which come and go while a test reads them) and take each other's
// input on one screen. It is started with the screen of the test run (or the one given,
// "WIDTHxHEIGHTxDEPTH") and named in DISPLAY, which the programs started later inherit; without
// Xvfb the test keeps the server it was given. It never resets: a server resets when its last
// client leaves, and refuses connections while it does, between two programs of one test.
class PrivateServer
{
public:
    explicit PrivateServer(const std::string& screen = "1920x1080x24")
    {
        // The server inherits the pipe's writing end only.
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return;
        ::fcntl(pipe[1], F_SETFD, 0);
        m_pid = startShell("exec Xvfb -displayfd " + std::to_string(pipe[1]) + " -screen 0 " + screen +
                           " -nolisten tcp -noreset 2>/dev/null");
        ::close(pipe[1]);
        // The server writes its display number once it takes connections.
        std::string number;
        char c = 0;
        while (m_pid > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(pipe[0]);
        if (!number.empty())
            ::setenv("DISPLAY", (":" + number).c_str(), 1);
    }
    ~PrivateServer() { endChild(m_pid); }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // The server's process; -1 when none was started.
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

} // namespace Test
