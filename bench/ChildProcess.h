#pragma once

// Runs a program as a child of the benchmark and measures the child on its own: its processor
// time comes from wait4 (a new process starts at zero), and its peak resident memory is read
// from /proc/<pid>/status at the moment it exits, while it is stopped there under ptrace. The
// peak that wait4 reports would not do: a child made by fork carries the parent's peak
// through exec.

#include <poll.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Bench
{

struct ChildRun
{
    // The exit status, or -1 when the child did not end normally.
    int status = -1;
    double cpuSeconds = 0.0;
    // The child's own peak resident memory (VmHWM); 0 when it could not be read.
    long peakKb = 0;
    std::string output;
    std::string error;

    // "key=value" lines of the output.
    std::map<std::string, std::string> values() const
    {
        std::map<std::string, std::string> found;
        std::istringstream lines(output);
        std::string line;
        while (std::getline(lines, line))
        {
            const size_t equals = line.find('=');
            if (equals != std::string::npos)
                found[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return found;
    }
    double number(const std::string& key) const
    {
        const auto all = values();
        const auto found = all.find(key);
        return found == all.end() ? 0.0 : std::atof(found->second.c_str());
    }
};

inline long statusKb(pid_t pid, const std::string& key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::atol(line.c_str() + key.size() + 1);
    return 0;
}

// Runs `program` with `arguments`, its standard output captured (standard error passed on
// unless `quiet`), with `environment` ("NAME=value") added to the benchmark's own.
inline ChildRun runChild(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {}, bool quiet = true)
{
    ChildRun run;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
    {
        run.error = "no pipe";
        return run;
    }
    const pid_t child = ::fork();
    if (child < 0)
    {
        run.error = "no fork";
        return run;
    }
    if (child == 0)
    {
        ::dup2(pipeEnds[1], 1);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        if (quiet)
            if (FILE* sink = std::freopen("/dev/null", "w", stderr))
                static_cast<void>(sink);
        for (const std::string& variable : environment)
            ::putenv(const_cast<char*>(variable.c_str()));
        // Stopped at its exec and at its exit, where the parent reads what it used.
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    bool traced = false;
    int status = 0;
    rusage usage{};
    // The output is read as it comes, so a child that writes much never blocks on the pipe.
    std::string output;
    char buffer[4096];
    bool open = true;
    for (;;)
    {
        const pid_t got = ::wait4(child, &status, open ? WNOHANG : 0, &usage);
        if (got == child)
        {
            if (WIFSTOPPED(status))
            {
                const int event = status >> 16;
                if (!traced && WSTOPSIG(status) == SIGTRAP && event == 0)
                {
                    traced = ::ptrace(PTRACE_SETOPTIONS, child, nullptr,
                                      reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL)) == 0;
                    ::ptrace(PTRACE_CONT, child, nullptr, nullptr);
                }
                else if (event == PTRACE_EVENT_EXIT)
                {
                    run.peakKb = statusKb(child, "VmHWM");
                    ::ptrace(PTRACE_CONT, child, nullptr, nullptr);
                }
                else
                {
                    // Any other signal goes on to the child.
                    ::ptrace(PTRACE_CONT, child, nullptr,
                             reinterpret_cast<void*>(static_cast<long>(WSTOPSIG(status))));
                }
                continue;
            }
            break;
        }
        if (got < 0 && errno != EINTR)
            break;
        // A child stopped under ptrace writes nothing: the read waits only a moment.
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (open && ::poll(&readable, 1, 20) > 0)
        {
            const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (n > 0)
                output.append(buffer, static_cast<size_t>(n));
            else if (n == 0)
                open = false;
        }
    }
    for (ssize_t n; open && (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    ::close(pipeEnds[0]);
    run.output = std::move(output);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!traced)
        run.error = "the child could not be traced: its peak memory is unknown";
    return run;
}

} // namespace Bench
