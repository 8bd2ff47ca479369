#include "engine/core/FileSteps.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace Engine
{
namespace
{

struct sFileSteps
{
    tFileFault fault;
    bool sync = true;
    // Steps that changed a file so far, counted for QUILLMOOR_STOP_AT_FILE_STEP.
    long changes = 0;
};

sFileSteps& steps()
{
    static sFileSteps state;
    return state;
}

const char* stepName(eFileStep step)
{
    switch (step)
    {
    case eFileStep::read:
        return "read";
    case eFileStep::create:
        return "create";
    case eFileStep::write:
        return "write";
    case eFileStep::sync:
        return "sync";
    case eFileStep::rename:
        return "rename";
    case eFileStep::remove:
        return "remove";
    }
    return "?";
}

} // namespace

void setFileFault(tFileFault fault)
{
    steps().fault = std::move(fault);
}

int checkFileStep(eFileStep step, const std::string& path)
{
    sFileSteps& state = steps();
    if (step == eFileStep::rename || step == eFileStep::remove)
    {
        const long number = ++state.changes;
        const bool trace = std::getenv("QUILLMOOR_TRACE") != nullptr;
        if (trace)
            std::fprintf(stderr, "file step %ld: %s %s\n", number, stepName(step), path.c_str());
        const char* stopAt = std::getenv("QUILLMOOR_STOP_AT_FILE_STEP");
        if (stopAt && std::atol(stopAt) == number)
        {
            std::fprintf(stderr, "stopped before file step %ld\n", number);
            std::fflush(stderr);
            std::raise(SIGSTOP);
        }
    }
    return state.fault ? state.fault(step, path) : 0;
}

void setSyncToDisk(bool on)
{
    steps().sync = on;
}

bool syncToDisk()
{
    return steps().sync;
}

} // namespace Engine
