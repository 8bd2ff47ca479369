#pragma once

#include <functional>
#include <string>

namespace Engine
{

// The steps by which the program reads and changes the files of its shared folder, as a test
// can disturb them.
enum class eFileStep
{
    // A loose file is opened for reading.
    read,
    // The temporary file of a new version is created ("<path>.tmp").
    create,
    // Bytes are written to it.
    write,
    // It is flushed to the disk.
    sync,
    // It takes the place of the old version.
    rename,
    // A file is removed, or set aside under another name.
    remove,
};

// A test's stand-in for the failures of a disk: the errno value a step on a path fails with, or
// 0 when the step is to happen.
using tFileFault = std::function<int(eFileStep step, const std::string& path)>;

// Sets the fault; an empty function takes it away.
void setFileFault(tFileFault fault);

// Asked by the file code right before each step: the errno value the step fails with (0: go
// on). Besides the test's fault, two environment variables follow the steps that change a file
// (rename and remove) in the real program: with QUILLMOOR_TRACE each is written to stderr as
// "file step N: rename PATH", and QUILLMOOR_STOP_AT_FILE_STEP=N stops the process (SIGSTOP)
// right before step N, so that a test can kill it at that very point.
int checkFileStep(eFileStep step, const std::string& path);

// Whether a new version of a file is flushed to the disk before it takes the old one's place
// (on by default). The fuzz programs, which write thousands of files that nobody reads after
// the process, turn it off.
void setSyncToDisk(bool on);
bool syncToDisk();

} // namespace Engine
